#include "foundation/parametersfile.h"

#include "foundation/filereplace.h"
#include "foundation/log.h"
#include "foundation/registry.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "foundation/xmlblocks.h"

#include <windows.h>

namespace fs = std::filesystem;

fs::path dataFolder = gf_shellFolderPath() / L"Tarnwick_P3D";
fs::path parametersFile = dataFolder / L"parameters.xml";
std::mutex parametersMutex;

namespace {
fs::path lf_besideFile(const wchar_t* suffix)
{
    fs::path path = parametersFile;
    path += suffix;
    return path;
}

// A damaged file is the user's only copy of the settings: keep it before it is replaced.
ParametersLoad lf_keepAside(const std::string& reason)
{
    const fs::path bad = lf_besideFile(L".bad");
    // Not std::filesystem::copy_file: this toolchain's one refuses to replace the copy of
    // an earlier start, and the file would then never be written again.
    if (!CopyFileW(parametersFile.c_str(), bad.c_str(), FALSE)) {
        const std::error_code error(static_cast<int>(GetLastError()), std::system_category());
        gf_logMarked(fmt::format("\"{}\" cannot be read ({}) and not be kept as \"{}\": {}",
                                 gf_pathText(parametersFile), reason, gf_pathText(bad), error.message()));
        return ParametersLoad::unreadable;
    }
    gf_logMarked(fmt::format("\"{}\" cannot be read ({}), kept as \"{}\"", gf_pathText(parametersFile), reason,
                             gf_pathText(bad)));
    return ParametersLoad::corrupt;
}

std::string lf_valueText(const BoolParameter& setting) { return setting.value.load() ? "true" : "false"; }
std::string lf_valueText(const IntParameter& setting) { return std::to_string(setting.value.load()); }
std::string lf_valueText(const StringParameter& setting) { return setting.getValue(); }

template <typename Setting>
void lf_addCurrent(pugi::xml_document& document, const Setting& setting)
{
    const std::string text = lf_valueText(setting);
    if (gf_isFolderParameter(setting.key) && text.empty())
        return;
    if (!gf_findParameter(document, setting.key))
        addParameterNode(document.child("parameters"), setting.key, text);
}

// Every stored setting with its value in memory, for a save that found no usable file:
// a file holding only the one saved setting would lose all the others.
void lf_rebuild(pugi::xml_document& document)
{
    document.reset();
    document.append_child("parameters");
    gf_forEachStoredSetting(gf_parameterLists(), [&](const auto& setting) { lf_addCurrent(document, setting); });
}

template <typename Setting>
void lf_saveSetting(const Setting& setting)
{
    std::lock_guard lock(parametersMutex);
    pugi::xml_document document;
    const ParametersLoad state = gf_loadParameters(document);
    if (state == ParametersLoad::unreadable) {
        gf_logLine("saving xml did not work?");
        return;
    }
    if (state != ParametersLoad::loaded)
        lf_rebuild(document);
    // Read inside the lock: the last save of a setting writes its latest value.
    const std::string text = lf_valueText(setting);
    if (pugi::xml_node node = gf_findParameter(document, setting.key)) {
        pugi::xml_attribute value = node.attribute("value");
        if (!value)
            value = node.append_attribute("value");
        value.set_value(text.c_str());
    } else {
        addParameterNode(document.child("parameters"), setting.key, text);
    }
    gf_logf("{}={}", setting.key, text);
    if (!gf_writeParameters(document))
        gf_logLine("saving xml did not work?");
}
} // namespace

ParametersLoad gf_loadParameters(pugi::xml_document& document)
{
    std::error_code error;
    if (!fs::exists(parametersFile, error))
        return error ? ParametersLoad::unreadable : ParametersLoad::absent;
    const pugi::xml_parse_result result = document.load_file(parametersFile.c_str());
    if (result && document.child("parameters"))
        return ParametersLoad::loaded;
    document.reset();
    if (result)
        return lf_keepAside("no \"parameters\" element");
    if (result.status == pugi::status_file_not_found || result.status == pugi::status_io_error ||
        result.status == pugi::status_out_of_memory) {
        // Removed meanwhile, or there but locked or unreadable: never write over the latter.
        if (!fs::exists(parametersFile, error) && !error)
            return ParametersLoad::absent;
        gf_logMarked(fmt::format("\"{}\" cannot be opened: {}", gf_pathText(parametersFile), result.description()));
        return ParametersLoad::unreadable;
    }
    return lf_keepAside(fmt::format("{} at offset {}", result.description(), result.offset));
}

bool gf_writeParameters(const pugi::xml_document& document)
{
    try {
        return gf_writeReplacing(parametersFile, [&](const fs::path& part) {
            return gf_writeWholeFile(
                part,
                [&](std::ostream& out) {
                    document.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
                    return static_cast<bool>(out);
                },
                std::ios::binary);
        });
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("\"{}\" could not be replaced: {}", gf_pathText(parametersFile), e.what()));
        return false;
    }
}

void StringParameter::saveParameter() const { lf_saveSetting(*this); }
void gf_saveBoolParameter(const BoolParameter& setting) { lf_saveSetting(setting); }
void gf_saveParameterValue(const IntParameter& setting) { lf_saveSetting(setting); }

void gf_removeParameter(const Parameter& setting)
{
    std::lock_guard lock(parametersMutex);
    pugi::xml_document document;
    if (gf_loadParameters(document) != ParametersLoad::loaded)
        return;
    pugi::xml_node node = gf_findParameter(document, setting.key);
    if (!node)
        return;
    node.parent().remove_child(node);
    gf_logLine("Parameter " + setting.key + " removed");
    if (!gf_writeParameters(document))
        gf_logLine("saving xml did not work?");
}

bool gf_isFolderParameter(std::string_view key)
{
    return key.find("lfolder") != std::string_view::npos || key.find("afolder") != std::string_view::npos;
}
