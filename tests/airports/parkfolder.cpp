#include "parkfolder.h"

#include "app/commands.h"
#include "foundation/settingscatalogue.h"
#include "liveries/liveries.h"
#include "refgen/refgen.h"
#include "traffic/manager.h"

#include <fmt/format.h>

#include <algorithm>

namespace fs = std::filesystem;

std::string gf_testApfText(const Parameters& parameters, const std::string& parkpositions)
{
    std::string text = "<?xml version=\"1.0\"?>\n<meta>\n\t<info name=\"author\" value=\"Tarnwick_P3D\" />\n"
                       "\t<info name=\"version\" value=\"9.3.0\" />\n\t<info name=\"date\" value=\"Jan  1, 2024\" />\n"
                       "</meta>\n<parameters>\n";
    for (const auto& [name, value] : parameters)
        text += fmt::format("\t<parameter name=\"{}\" value=\"{}\" />\n", name, value);
    return text + "</parameters>\n<parkpositions>\n" + parkpositions + "</parkpositions>\n";
}

void gf_testWriteApf(const fs::path& path, const std::string& text)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    gf_testWriteFile(path, text);
}

std::string gf_testParkpos(const std::string& id, double latitude, double longitude, double radiusMetres,
                           const std::string& more)
{
    return fmt::format("\t<parkpos id=\"{}\" latitude=\"{:.6f}\" longitude=\"{:.6f}\" radius=\"{}\" {}/>\n", id,
                       latitude, longitude, radiusMetres, more.empty() ? "" : more + " ");
}

void gf_testSetParkAirport(const std::string& code)
{
    gf_setParkAirport({.code = code});
}

void gf_testReadReferenceData(const std::vector<std::pair<std::string, double>>& wingspans)
{
    refgen::World world = refgen::baseWorld();
    for (const auto& [code, metres] : wingspans) {
        const auto found = std::ranges::find(world.types, code, &refgen::TypeSpec::code);
        if (found != world.types.end())
            found->wingspanMetres = metres;
        else
            world.types.push_back({code, 2, metres});
    }
    refgen::writeReferenceFiles(world, L"input");
    gf_readAircraftData();
}

ParkFolder::ParkFolder()
{
    parkStands.clear();
    parkFile = {};
    staticParkingActive = false;
    apfEditCount = 0;
    airportSettingsChanged = false;
    PARK_FAKE.value = false;
    gf_testSetParkAirport("EHAM");
}

ParkFolder::~ParkFolder()
{
    gf_testSetParkAirport("");
}

std::string ParkFolder::load(const fs::path& path)
{
    parkStands.clear();
    return gf_readApf(path, quality);
}
