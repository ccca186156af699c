#include "liveries/addondiscovery.h"

#include "airports/airports.h"
#include "airports/scenerylists.h"
#include "app/programcontrol.h"
#include "foundation/log.h"
#include "foundation/registry.h"
#include "foundation/settingscatalogue.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "liveries/cfgkeys.h"

#include <fmt/format.h>

#include <algorithm>

namespace fs = std::filesystem;

fs::path roamingRedirect;

namespace {
bool lf_containsAny(std::string_view text, std::initializer_list<std::string_view> words)
{
    return std::ranges::any_of(words, [&](std::string_view word) { return text.find(word) != std::string_view::npos; });
}

bool lf_isPathLine(std::string_view line) { return lf_containsAny(line, {"Path", "PATH", "path"}); }

// A folder as the scan lists it: UTF-8 with backslashes.
std::string lf_folderText(const fs::path& folder) { return gf_scanPathText(folder); }

// The file's lines; false, with the " not found!" line, when it is missing or unreadable.
bool lf_readConfigLines(const fs::path& file, std::vector<std::string>& lines)
{
    if (gf_readExtTextFileToStringVector(file, lines))
        return true;
    gf_log(gf_scanPathText(file) + " not found!");
    return false;
}

// A header is a line whose first non-blank character is '['; only `kind` headers give paths.
void lf_readSectionLine(SectionContext& context, const std::string& line,
                        std::initializer_list<std::string_view> kind,
                        std::initializer_list<std::string_view> dropped,
                        void (*pathLine)(SectionContext&, const std::string&))
{
    const std::size_t first = line.find_first_not_of(" \t");
    const bool header = first != std::string::npos && line[first] == '[';
    if (header) {
        if (context.inSection && context.givesPaths && !context.lines.empty()) {
            bool active = false;
            for (const std::string& kept : context.lines)
                lf_isActiveTrue(active, kept);
            if (active)
                for (const std::string& kept : context.lines)
                    pathLine(context, kept);
        }
        context.lines.clear();
        context.inSection = true;
        context.givesPaths = lf_containsAny(line, kind);
        return;
    }
    if (context.inSection && context.givesPaths && !lf_containsAny(line, dropped))
        context.lines.push_back(line);
}

// A header line that closes the last section.
const std::string endOfSections = "[";

} // namespace

fs::path gf_addOnsCfgPath()
{
    const fs::path roaming = roamingRedirect.empty() ? gf_shellFolderPath() : roamingRedirect;
    return roaming / L"Lockheed Martin" / gf_utf8ToUtf16("Prepar3D v" + gf_checkInstallPathVersion()) / L"add-ons.cfg";
}

fs::path gf_simObjectsCfgPath() { return gf_simulatorDataFolder() / L"simobjects.cfg"; }

void lf_readPackageSection(SectionContext& context, const std::string& line)
{
    lf_readSectionLine(context, line, {"Package", "PACKAGE"}, {"Required", "REQUIRED"}, lf_readPackagePath);
}

void lf_readPackagePath(SectionContext& context, const std::string& line)
{
    const std::size_t equals = line.find('=');
    if (!lf_isPathLine(line) || equals == std::string::npos)
        return;
    gf_log(fmt::format("path found:{}", line.substr(equals + 1)));
    if (std::string path = gf_trim(line.substr(equals + 1)); gf_isPathText(path))
        context.paths.push_back(std::move(path));
}

void lf_readSimObjectsPaths(bool& armed, const std::string& package, const std::string& line,
                            std::vector<std::string>& folders)
{
    if (!armed) {
        armed = lf_containsAny(line, {"SimObjects", "SIMOBJECTS", "Simobjects", "simobjects"});
        return;
    }
    armed = false;
    const std::string path = gf_extractPath(line);
    if (path.empty() || lf_containsAny(path, {"Lights Reborn", "Aerosoft Geneva Professional"}) ||
        !gf_isPathText(path))
        return;
    // A relative path names a folder of the package.
    const std::string folder = lf_folderText(gf_u8path(package) / gf_u8path(path));
    gf_log(fmt::format("      Simobjects found:{}", folder));
    folders.push_back(folder);
}

void lf_readAddOnXml(const std::string& package, std::vector<std::string>& folders)
{
    const fs::path file = gf_u8path(package) / L"add-on.xml";
    gf_log(fmt::format("   exploring {}", gf_scanPathText(file)));
    std::vector<std::string> lines;
    if (!lf_readConfigLines(file, lines))
        return;
    bool armed = false;
    for (const std::string& line : lines)
        lf_readSimObjectsPaths(armed, package, line, folders);
}

void lf_readAddOnsCfg(std::vector<std::string>& folders)
{
    const fs::path file = gf_addOnsCfgPath();
    gf_log(fmt::format("\nReading {} for AI add-on packages...", gf_scanPathText(file)));
    const std::size_t before = folders.size();
    std::vector<std::string> lines;
    if (lf_readConfigLines(file, lines)) {
        SectionContext context;
        for (const std::string& line : lines)
            lf_readPackageSection(context, line);
        lf_readPackageSection(context, endOfSections);
        for (const std::string& package : context.paths)
            lf_readAddOnXml(package, folders);
    }
    gf_log(fmt::format("{} AI add-on packages found", folders.size() - before));
}

void lf_readEntrySection(SectionContext& context, const std::string& line)
{
    lf_readSectionLine(context, line, {"Entry", "ENTRY"}, {"Title", "Required"}, lf_addSimObjectsEntryPath);
}

void lf_addSimObjectsEntryPath(SectionContext& context, const std::string& line)
{
    const std::size_t equals = line.find('=');
    if (!lf_isPathLine(line) || equals == std::string::npos)
        return;
    const std::string value = gf_trim(line.substr(equals + 1));
    if (value.empty() || !gf_isPathText(value))
        return; // no folder: not the program's folder either
    if (line.find("SimObjects") == std::string::npos) {
        context.paths.push_back(value);
        return;
    }
    if (lf_containsAny(line, {"Airplanes", "Avatars", "Rotorcraft", "GroundVehicles", "Boats", "Animals", "Misc",
                              "Submersible", "Weapons", "Countermeasures"}))
        return; // the simulator's own aircraft and objects
    context.paths.push_back(lf_folderText(gf_u8path(SIM_INSTALL_PATH.getValue()) / gf_u8path(value)));
}

void lf_readSimObjectsCfg(std::vector<std::string>& folders)
{
    const fs::path file = gf_simObjectsCfgPath();
    gf_log(fmt::format("\nReading {} for AI add-on packages...", gf_scanPathText(file)));
    std::vector<std::string> lines;
    std::size_t found = 0;
    if (lf_readConfigLines(file, lines)) {
        SectionContext context;
        for (const std::string& line : lines)
            lf_readEntrySection(context, line);
        lf_readEntrySection(context, endOfSections);
        found = context.paths.size();
        std::ranges::transform(context.paths, std::back_inserter(folders),
                               [](const std::string& path) { return lf_folderText(gf_u8path(path)); });
    }
    gf_log(fmt::format("{} AI add-on packages found", found));
}
