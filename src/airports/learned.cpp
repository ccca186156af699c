// Laying a learned parking file over the loaded stands: a hand-made file replaces them,
// any other adds its manual stands and the learned radii, cargo flags and options.
#include "airports/apffiles.h"

#include "app/status.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/winstring.h"
#include "foundation/xmlblocks.h"

#include <windows.h>

#include <fmt/format.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {
constexpr double nmPerMetre = 0.0005399568034557236;

// Keeps the user's file before a save can replace it.
void lf_setAside(const fs::path& path)
{
    if (!CopyFileW(path.c_str(), lf_asideName(path).c_str(), FALSE))
        gf_logMarked(fmt::format("could not copy {} aside, error {}", gf_pathText(path), GetLastError()));
}

std::vector<StandOption> lf_readLearnedOptions(const pugi::xml_node& parkpos, std::int32_t seq)
{
    std::vector<StandOption> options;
    for (const pugi::xml_node opt : parkpos.children("opt")) {
        StandOption option = lf_readOption(opt);
        option.mark = 1;
        option.seq = seq++;
        options.push_back(std::move(option));
    }
    return options;
}

void lf_addManualStand(const std::string& id, const pugi::xml_node& parkpos, const std::string& pathText,
                       std::vector<StandRecord>& stands)
{
    if (std::ranges::any_of(stands, [&](const StandRecord& stand) { return stand.id == id; })) {
        gf_logMarked(fmt::format("manually created standid {} already exists in {}", id, pathText));
        return;
    }
    const double latitude = lf_standNumber(parkpos, "latitude");
    const double longitude = lf_standNumber(parkpos, "longitude");
    const double radius = lf_standNumber(parkpos, "radius");
    if (!gf_positionIsSet(latitude, longitude) || radius == 0.0) {
        gf_logMarked(fmt::format("manually created standid {} misses correct attributes in {}", id, pathText));
        return;
    }
    std::vector<StandOption> options = lf_readLearnedOptions(parkpos, 1);
    stands.emplace_back(id, std::move(options), latitude, longitude, lf_standNumber(parkpos, "heading") * degToRad,
                        radius, parkpos.attribute("cargo").as_bool(), parkpos.attribute("ramp").as_bool(),
                        parkpos.attribute("heli").as_bool());
    stands.back().manual = 1;
}

void lf_mergeLearned(const pugi::xml_node& document, const std::string& pathText, std::vector<StandRecord>& stands)
{
    for (const pugi::xml_node parkpos : document.child("parkpositions").children("parkpos")) {
        const std::string id = parkpos.attribute("id").as_string();
        try {
            if (parkpos.attribute("manual").as_bool()) {
                lf_addManualStand(id, parkpos, pathText, stands);
            } else if (std::ranges::none_of(stands, [&](StandRecord& stand) {
                           return lf_applyStandChanges(id, parkpos, stand);
                       })) {
                gf_logf("learned stand {} in {} not found?", id, pathText);
            }
        } catch (const std::invalid_argument& e) {
            gf_logMarked(fmt::format("learned stand {} in {} skipped: {}", id, pathText, e.what()));
        }
    }
}

// A hand-made file takes the place of the loaded stands only when it was read whole.
bool lf_readHandmade(const pugi::xml_node& document, const fs::path& path, std::vector<StandRecord>& stands)
{
    std::vector<StandRecord> handmade;
    try {
        lf_readParkPositions(document, handmade);
    } catch (const std::exception& e) {
        lf_setAside(path);
        gf_logMarked(fmt::format("exception in lf_readLearned: {}, {} kept as {}", e.what(), gf_pathText(path),
                                 gf_pathText(lf_asideName(path))));
        return false;
    }
    stands = std::move(handmade);
    return true;
}
} // namespace

fs::path lf_asideName(const fs::path& path)
{
    fs::path aside = path.parent_path() / path.stem();
    aside += L"0";
    aside += path.extension();
    return aside;
}

bool lf_applyStandChanges(const std::string& id, const pugi::xml_node& parkpos, StandRecord& stand)
{
    if (stand.id != id)
        return false;
    if (parkpos.attribute("radius_change").as_bool()) {
        stand.radius = lf_standNumber(parkpos, "radius") * nmPerMetre;
        stand.radius_change = 1;
    }
    if (parkpos.attribute("cargo_change").as_bool()) {
        stand.cargo = parkpos.attribute("cargo").as_bool();
        stand.cargo_change = 1;
    }
    std::int32_t seq = stand.options.empty() ? 1 : stand.options.back().seq + 1;
    for (StandOption& option : lf_readLearnedOptions(parkpos, 0)) {
        if (std::ranges::any_of(stand.options, [&](const StandOption& known) { return lf_optionMatches(known, option); }))
            continue;
        option.seq = seq++;
        stand.options.push_back(std::move(option));
    }
    return true;
}

void lf_readLearned(const fs::path& path, const std::string& airportName, std::vector<StandRecord>& stands,
                    bool& handmade)
{
    try {
        const std::string pathText = gf_pathText(path);
        pugi::xml_document document;
        const pugi::xml_parse_result loaded = document.load_file(path.c_str());
        if (!loaded) {
            lf_setAside(path);
            gf_logf("{} found, but could not be loaded, saved as *.0.xml: {}", pathText, loaded.description());
            return;
        }
        gf_logf("Read from learned airport file: \"{}\"", pathText);
        if (!gf_checkMeta(document)) {
            lf_setAside(path);
            return;
        }
        const std::string learnedName = gf_readValueAttr<std::string>(document, "airport_name").value_or("");
        if (learnedName != airportName)
            gf_showStatus(fmt::format("Warning: learned file airport name: \"{}\" differs from archived file "
                                      "airport name: \"{}\"",
                                      learnedName, airportName),
                          true);
        lf_readLearnedSettings(document);
        if (const std::optional<std::string> mark = gf_readValueAttr<std::string>(document, "handmade")) {
            handmade = lf_readHandmade(document, path, stands);
            if (handmade)
                lf_logIndented(fmt::format("{:24}: {}", "handmade", *mark));
            return;
        }
        handmade = false;
        lf_mergeLearned(document, pathText, stands);
    } catch (const std::exception& e) {
        gf_logf("exception in lf_readLearned: {}", e.what());
    }
}
