// Writing an airport parking file: meta, parameters and the stands with their options.
#include "airports/apffiles.h"

#include "foundation/filereplace.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "foundation/xmlblocks.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <sstream>

namespace fs = std::filesystem;

namespace {
struct WriteContext {
    pugi::xml_node parkpositions;
    const ApfFile& file;
    bool learned;
    bool handmade;
};

void lf_setText(pugi::xml_node node, const char* name, const std::string& value)
{
    node.append_attribute(name).set_value(value.c_str());
}

void lf_setFlag(pugi::xml_node node, const char* name, bool value) { lf_setText(node, name, value ? "true" : "false"); }

bool lf_writeLearnedSettings(pugi::xml_node parameters)
{
    bool ok = gf_addValueParameter(parameters, LATERAL_RANGE.key, LATERAL_RANGE.value.load());
    for (const BoolParameter* setting : {&AUTO_RANGE, &WEEK, &PARK_FAKE, &PARK_SOFT})
        ok = ok && gf_addBoolParameter(parameters, setting->key, setting->value.load());
    ok = ok && gf_addValueParameter(parameters, parking_percentage.key, parking_percentage.value.load()) &&
         gf_addBoolParameter(parameters, INITIAL_LOAD_ONLY.key, INITIAL_LOAD_ONLY.value.load()) &&
         gf_addValueParameter(parameters, MAX_FIT.key, MAX_FIT.value.load());
    if (ok && MAX_LIVE.value.load() != MAX_LIVE.defaultValue)
        ok = gf_addValueParameter(parameters, MAX_LIVE.key, MAX_LIVE.value.load());
    return ok && gf_addBoolParameter(parameters, LEARN_SOFT.key, LEARN_SOFT.value.load());
}
} // namespace

bool lf_writeApfParameters(pugi::xml_node document, const ApfFile& file, bool learned, bool handmade)
{
    pugi::xml_node parameters = document.append_child("parameters");
    if (!parameters)
        return false;
    bool ok = addParameterNode(parameters, "airport_name", file.airport_name) &&
              addParameterNode(parameters, "publisher", file.publisher);
    if (ok && handmade)
        ok = addParameterNode(parameters, "handmade", "true");
    if (ok && (handmade || !learned))
        ok = gf_addValueParameter(parameters, "altitude", file.altitude);
    ok = ok && gf_addValueParameter(parameters, "num_parkpos", static_cast<std::int32_t>(file.stands.size()));
    if (ok && handmade)
        ok = gf_addValueParameter(parameters, "Qf_real", file.Qf_real) &&
             gf_addValueParameter(parameters, "Qf_soft", file.Qf_soft);
    if (ok && file.publisher == "unknown")
        ok = addParameterNode(parameters, "BGLpath", file.BGLpath);
    return ok && (!learned || lf_writeLearnedSettings(parameters));
}

void lf_writeOpt(pugi::xml_node parkpos, const StandOption& option)
{
    pugi::xml_node opt = parkpos.append_child("opt");
    lf_setText(opt, "reg", option.reg);
    // Written also beside a registration, so that the option survives reference data
    // that no longer know it; readers still prefer the reference record.
    lf_setText(opt, "airl", option.airl);
    lf_setText(opt, "type", option.type);
    if (option.soft)
        lf_setFlag(opt, "soft", true);
    opt.append_attribute("day").set_value(option.day);
    lf_setText(opt, "hh", gf_joinComma(option.hh));
    const std::string cs = option.secondCall.empty() ? option.callsign : option.callsign + ":" + option.secondCall;
    if (!cs.empty())
        lf_setText(opt, "cs", cs);
}

void lf_writeParkPos(WriteContext& context, const StandRecord& stand)
{
    pugi::xml_node parkpos = context.parkpositions.append_child("parkpos");
    lf_setText(parkpos, "id", stand.id);
    const bool changed = stand.radius_change || stand.cargo_change;
    // A hand-made file is read back by the stand reader, which knows only the full form.
    if (context.learned && changed && !stand.manual && !context.handmade) {
        if (stand.radius_change) {
            lf_setFlag(parkpos, "radius_change", true);
            lf_setText(parkpos, "radius", fmt::format("{:.1F}", stand.radius * metresPerNm));
        }
        if (stand.cargo_change) {
            lf_setFlag(parkpos, "cargo_change", true);
            lf_setFlag(parkpos, "cargo", stand.cargo);
        }
    } else if (!context.learned || stand.manual || context.handmade) {
        lf_setText(parkpos, "latitude", fmt::format("{:.6f}", stand.latitude));
        lf_setText(parkpos, "longitude", fmt::format("{:.6f}", stand.longitude));
        lf_setText(parkpos, "heading", fmt::format("{:.1F}", stand.heading * radToDeg));
        lf_setText(parkpos, "radius", fmt::format("{:.1F}", stand.radius * metresPerNm));
        if (stand.heli)
            lf_setFlag(parkpos, "heli", true);
        else
            lf_setFlag(parkpos, "cargo", stand.cargo);
        lf_setFlag(parkpos, "ramp", stand.ramp);
        if (stand.manual)
            lf_setFlag(parkpos, "manual", true);
    }
    if (!context.learned)
        return;
    for (const StandOption& option : stand.options)
        if (!option.fake)
            lf_writeOpt(parkpos, option);
}

std::optional<std::string> gf_parkPositionsText(const ApfFile& file, bool learned, bool handmade)
{
    pugi::xml_document document;
    if (!gf_writeMeta(document) || !lf_writeApfParameters(document, file, learned, handmade))
        return std::nullopt;
    WriteContext context{document.append_child("parkpositions"), file, learned, handmade};
    if (!context.parkpositions)
        return std::nullopt;
    for (const StandRecord& stand : file.stands)
        lf_writeParkPos(context, stand);
    std::ostringstream text;
    document.save(text, "\t", pugi::format_default, pugi::encoding_utf8);
    return std::move(text).str();
}

bool lf_writeFileText(const fs::path& path, const std::string& text)
{
    return gf_writeReplacing(path, [&](const fs::path& partial) {
        return gf_writeWholeFile(
            partial, [&](std::ostream& out) { return static_cast<bool>(out << text); }, std::ios::binary);
    });
}

bool gf_writeParkPositions(const ApfFile& file, const fs::path& path, bool learned, bool handmade)
{
    const std::optional<std::string> text = gf_parkPositionsText(file, learned, handmade);
    try {
        return text && lf_writeFileText(path, *text);
    } catch (const std::exception& e) {
        gf_logf("could not save to \"{}\": {}", gf_pathText(path), e.what());
        return false;
    }
}
