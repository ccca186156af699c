// The airport data's readers: the airport list, airport parking files and learned files,
// .bgl scenery files and the simulator's scenery lists, seeded by the .bgl writer and the
// parking file writer.
#include "fuzz/fuzz.h"
#include "fuzz/pageend.h"

#include "airports/apffiles.h"
#include "airports/bglreader.h"
#include "airports/scenerylists.h"
#include "bglwriter/scenerytree.h"
#include "foundation/exceptions.h"
#include "foundation/settingscatalogue.h"

#include <pugixml.hpp>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <set>

namespace fuzz {
namespace {

namespace fs = std::filesystem;

// The sample sceneries of the .bgl writer, in both airport layouts.
std::vector<bglw::File> lf_bglFiles()
{
    std::vector<bglw::File> files;
    for (const bool newLayout : {false, true}) {
        bglw::Airport amsterdam = bglw::gf_sampleAirport("EHAM", "Schiphol \xC3\xA9", 52.3086, 4.7639, 12, 2);
        amsterdam.newLayout = newLayout;
        bglw::Airport rotterdam = bglw::gf_sampleAirport("EHRD", "Rotterdam", 51.9569, 4.4372, 4, 0);
        rotterdam.newLayout = newLayout;
        bglw::File file;
        file.sections.push_back({bglw::airportSectionType, 0, {amsterdam, rotterdam}});
        file.sections.push_back({0x65, 0, {bglw::Raw{0x22, 16, {1, 2}}}});
        files.push_back(file);
    }
    return files;
}

std::vector<BglAirport> lf_sampleAirports()
{
    std::vector<BglAirport> airports;
    const std::vector<std::uint8_t> bytes = bglw::gf_bglBytes(lf_bglFiles().front());
    const std::string path = "sample.bgl";
    gf_writeFile(path, std::string(bytes.begin(), bytes.end()));
    {
        const BglFileView view{fs::path(path)};
        gf_readBglAirports(view.words(), path, [&](BglAirport& airport) { airports.push_back(airport); });
    }
    fs::remove(path);
    return airports;
}

void lf_checkStands(const std::vector<StandRecord>& stands, std::size_t inputSize)
{
    gf_check(stands.size() <= inputSize / 8 + 1, "more stands than the file could hold");
    for (const StandRecord& stand : stands) {
        gf_checkRange(stand.latitude, -90, 90, "stand " + stand.id + " latitude");
        gf_checkRange(stand.longitude, -180, 180, "stand " + stand.id + " longitude");
        gf_checkFinite(stand.heading, "stand " + stand.id + " heading");
        gf_check(std::isfinite(stand.radius) && stand.radius >= 0, "stand " + stand.id + " radius");
        for (const StandOption& option : stand.options)
            gf_checkRange(option.day, 0, 7, "an option's day");
    }
}

// .bgl files: the quick test on the file, then the words and every airport with its stands,
// read from the input placed at a page's end.
Outcome lf_runBgl(const std::string& input)
{
    const std::string path = "fuzz.bgl";
    gf_writeFile(path, input);
    const bool quick = lf_bglHasAirports(fs::path(path));
    {
        const BglFileView view{fs::path(path)}; // unmapped before the next input is written
        gf_check(view.words().size() * 4 <= input.size() + 3, "more words than bytes");
    }
    const PageEndCopy placed(input);
    const BglWords words = placed.words();
    std::size_t count = 0;
    gf_readBglAirports(words, path, [&](BglAirport& airport) {
        ++count;
        lf_checkStands(airport.file.stands, input.size());
        gf_checkFinite(airport.file.altitude, "an airport's altitude");
        for (const char c : airport.file.identifier)
            gf_check((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'), "an airport code of other characters");
    });
    gf_check(count * 4 <= words.size(), "more airports than words");
    return quick && count > 0 ? Outcome::accepted : Outcome::refused;
}

std::vector<std::string> lf_bglSeeds()
{
    std::vector<std::string> seeds;
    for (const bglw::File& file : lf_bglFiles()) {
        const std::vector<std::uint8_t> bytes = bglw::gf_bglBytes(file);
        seeds.emplace_back(bytes.begin(), bytes.end());
    }
    return seeds;
}

// Airport parking files in the writer's forms: generated, learned and hand-made.
std::vector<std::string> lf_apfSeeds()
{
    std::vector<std::string> seeds;
    for (BglAirport& airport : lf_sampleAirports()) {
        airport.file.airport_name = "Sample \xC3\xA9";
        airport.file.RT_traffic_week = 42;
        if (!airport.file.stands.empty()) {
            StandOption option;
            option.airl = "KLM";
            option.type = "B738";
            option.callsign = "KLM1234";
            option.hh.set(3).set(17);
            option.day = 2;
            option.seq = 1;
            airport.file.stands.front().options.push_back(option);
        }
        for (const auto& [learned, handmade] : {std::pair{false, false}, {true, false}, {true, true}})
            if (const auto text = gf_parkPositionsText(airport.file, learned, handmade))
                seeds.push_back(*text);
    }
    return seeds;
}

const fs::path apfPath = apfFolders::myThirdparty / L"EHAM.xml";

Outcome lf_runApf(const std::string& input)
{
    gf_writeFile(apfPath.string(), input);
    std::string standId;
    const double distance = gf_readDestApfForClosestStand("EHAM", 52.3086, 4.7639, standId);
    gf_check(std::isfinite(distance) && distance >= 0, "the distance to the closest stand is " + std::to_string(distance));
    gf_readNumParkPos(apfPath); // the count the file states, whatever it is
    pugi::xml_document document;
    if (!document.load_file(apfPath.c_str()))
        return Outcome::refused;
    std::vector<StandRecord> stands;
    try {
        lf_readParkPositions(document, stands);
    } catch (const zeb::UserErrorException&) { // a stand id that comes twice
        return Outcome::refused;
    } catch (const std::invalid_argument&) { // no number, or no stand: the file is refused
        return Outcome::refused;
    }
    lf_checkStands(stands, input.size());
    return stands.empty() ? Outcome::refused : Outcome::accepted;
}

std::vector<StandRecord> baseStands;
const fs::path learnedPath = apfFolders::learned / L"EHAM.xml";

void lf_checkParkingSettings()
{
    gf_forEachStoredSetting(gf_parameterLists(), [](auto& setting) {
        if constexpr (requires { setting.minimum; })
            gf_checkRange(setting.value.load(), setting.minimum, setting.maximum, "setting " + setting.key);
    });
}

Outcome lf_runLearned(const std::string& input)
{
    gf_writeFile(learnedPath.string(), input);
    std::error_code ignored;
    fs::remove(lf_asideName(learnedPath), ignored);
    std::vector<StandRecord> stands = baseStands;
    bool handmade = false;
    lf_readLearned(learnedPath, "Sample", stands, handmade);
    lf_checkStands(stands, input.size() + baseStands.size() * 8);
    lf_checkParkingSettings();
    return fs::exists(lf_asideName(learnedPath)) ? Outcome::refused : Outcome::accepted;
}

void lf_checkPaths(const std::vector<std::string>& paths, std::size_t inputSize)
{
    gf_check(paths.size() <= inputSize / 4 + 1, "more scenery paths than lines");
    for (const std::string& path : paths) {
        gf_check(!path.empty(), "an empty scenery path");
        gf_checkUtf8(path, "a scenery path");
    }
}

void lf_setUpSceneryLists() { SIM_INSTALL_PATH.assignValue("C:\\Lockheed Martin\\Prepar3D v5"); }

Outcome lf_runSceneryCfg(const std::string& input)
{
    const fs::path file = L"scenery.cfg";
    gf_writeFile(file.string(), input);
    std::vector<std::string> paths;
    lf_readSceneryCfgFile(file, paths);
    lf_checkPaths(paths, input.size());
    return paths.empty() ? Outcome::refused : Outcome::accepted;
}

Outcome lf_runSceneryAddOns(const std::string& input)
{
    const fs::path file = L"scenery_add-ons.xml";
    gf_writeFile(file.string(), input);
    std::vector<std::string> paths;
    lf_readSceneryAddOnsXmlFile(file, paths);
    lf_checkPaths(paths, input.size());
    return paths.empty() ? Outcome::refused : Outcome::accepted;
}

std::string lf_utf16(const std::string& text)
{
    std::string out("\xFF\xFE", 2);
    for (const char c : text)
        out += std::string{c, '\0'};
    return out;
}

std::vector<std::string> lf_sceneryCfgSeeds()
{
    const std::string cfg = "[General]\r\nTitle=FS World\r\nClean_on_Exit=TRUE\r\n\r\n"
                            "[Area.001]\r\nTitle=Default Terrain\r\nLocal=Scenery\\World\r\nLayer=1\r\nActive=TRUE\r\n"
                            "Required=TRUE\r\n\r\n[Area.120]\r\nTitle=Schiphol\r\nLocal=C:\\Addons\\Schiphol\r\n"
                            "Layer=120\r\nActive=TRUE\r\nRequired=FALSE\r\n\r\n[Area.121]\r\nTitle=Orbx EHRD\r\n"
                            "Local=D:\\Orbx\\Orbx EHRD \xC3\xA9\r\nLayer=121\r\nActive=FALSE\r\n";
    return {cfg, lf_utf16(cfg), "\xEF\xBB\xBF" + cfg};
}

std::vector<std::string> lf_sceneryAddOnsSeeds()
{
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SimBase.Document Type=\"AddOnXml\" version=\"4,0\" "
        "id=\"add-on\">\n<AddOn.Name>Schiphol</AddOn.Name>\n<AddOn.Component>\n<Category>Scenery</Category>\n"
        "<Path>C:\\Addons\\Schiphol\\scenery</Path>\n<Name>Schiphol</Name>\n<Layer>120</Layer>\n</AddOn.Component>\n"
        "<AddOn.Component>\n<Category>Scenery</Category>\n<Path>D:\\Orbx\\EHRD</Path>\n</AddOn.Component>\n"
        "</SimBase.Document>\n";
    return {xml, lf_utf16(xml)};
}

// The airport list: a few airports in the layout the set-up converts to.
std::vector<std::string> lf_airportListSeeds()
{
    return {"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<airports>\n"
            "<airport code=\"EHAM\" iata=\"AMS\" lat=\"52.308601\" lon=\"4.76389\" alt=\"-11\"/>\n"
            "<airport code=\"EHRD\" iata=\"RTM\" lat=\"51.956902\" lon=\"4.43722\" alt=\"-15\"/>\n"
            "<airport code=\"00AK\" iata=\"\" lat=\"59.9491\" lon=\"-151.695999\" alt=\"450\"/>\n"
            "<airport code=\"ZUCK\" iata=\"CKG\" lat=\"29.7192\" lon=\"106.641998\" alt=\"1365\"/>\n</airports>\n"};
}

Outcome lf_runAirportList(const std::string& input)
{
    gf_writeFile((fs::path(L"input") / L"airports_p3d.xml").string(), input);
    gf_forgetAirportList();
    try {
        gf_readAirports();
    } catch (const zeb::UserErrorException&) {
        return Outcome::refused;
    }
    gf_check(airportList.size() * 16 <= input.size(), "more airports than the file could hold");
    for (const Airport& airport : airportList) {
        gf_checkRange(airport.lat, -90, 90, "the latitude of " + airport.code);
        gf_checkRange(airport.lon, -180, 180, "the longitude of " + airport.code);
        gf_checkFinite(airport.alt, "the elevation of " + airport.code);
    }
    // The lookups that use the list.
    gf_closestAirport(52.3086, 4.7639);
    return airportList.empty() ? Outcome::refused : Outcome::accepted;
}

} // namespace

std::vector<Target> gf_airportsTargets()
{
    std::vector<Target> targets;
    targets.push_back({"airport_list", "airports_p3d.xml", lf_airportListSeeds,
                       [] { fs::create_directories(L"input"); }, lf_runAirportList, 1 << 16});
    targets.push_back({"apf", "airport parking files", lf_apfSeeds,
                       [] {
                           for (const fs::path& folder : {apfFolders::archiveStock, apfFolders::myOrbx,
                                                          apfFolders::myThirdparty, apfFolders::learned})
                               fs::create_directories(folder);
                       },
                       lf_runApf, 1 << 16});
    targets.push_back({"learned", "learned parking files", lf_apfSeeds,
                       [] {
                           fs::create_directories(apfFolders::learned);
                           baseStands.clear();
                           const std::vector<BglAirport> airports = lf_sampleAirports();
                           if (!airports.empty())
                               baseStands = airports.front().file.stands;
                       },
                       lf_runLearned, 1 << 16});
    targets.push_back({"bgl", ".bgl scenery files", lf_bglSeeds, [] {}, lf_runBgl, 1 << 16});
    targets.push_back({"scenery_cfg", "scenery.cfg", lf_sceneryCfgSeeds, lf_setUpSceneryLists, lf_runSceneryCfg, 1 << 16});
    targets.push_back({"scenery_addons", "scenery_add-ons.xml", lf_sceneryAddOnsSeeds, lf_setUpSceneryLists, lf_runSceneryAddOns,
                       1 << 16});
    return targets;
}

} // namespace fuzz
