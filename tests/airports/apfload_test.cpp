// Finding and loading an airport's parking file, the single-fact queries and the quality
// factors.
#include "parkfolder.h"

#include "app/commands.h"
#include "app/mainwindow.h"
#include "foundation/exceptions.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"
#include "links/trafficreader.h"
#include "support/airportlist.h"

#include <fmt/format.h>

#include <cmath>
#include <tuple>

namespace fs = std::filesystem;

namespace {
using Lookup = ParkFolder;
using Loading = ParkFolder;
using Queries = ParkFolder;

const std::string oneStand = gf_testParkpos("A1", 52.3, 4.76, 20);

std::string lf_qualityShown()
{
    std::lock_guard lock(mainWindow.statusMutex);
    return mainWindow.qualityText;
}
} // namespace

TEST_F(Lookup, LinksAndFilesOfTheAddOnFoldersComeBeforeTheArchive)
{
    const std::string file = gf_testApfText({{"altitude", "0"}}, oneStand);
    const auto resolved = [] { return gf_pathText(gf_resolveApfPath("EHAM")); };
    EXPECT_EQ(resolved(), "");
    EXPECT_FALSE(gf_findApfFile("EHAM"));

    const std::pair<fs::path, std::string> steps[] = {
        {apfFolders::archiveStock / L"EHAM.xml", "airports\\archive\\stock\\EHAM.xml"},
        {apfFolders::myOrbx / L"EHAM.xml", "airports\\my_ORBX\\EHAM.xml"},
        // A link whose file is gone falls through to the next folder.
        {apfFolders::myThirdparty / L"EHAM.txt", "airports\\my_ORBX\\EHAM.xml"},
        {apfFolders::myOrbx / L"EHAM.txt", "airports\\archive\\ORBX\\EHAM.xml"},
        {apfFolders::myThirdparty / L"EHAM.xml", "airports\\my_thirdparty\\EHAM.xml"},
    };
    gf_testWriteApf(apfFolders::archive / L"ORBX" / L"EHAM.xml", file);
    for (const auto& [path, expected] : steps) {
        if (path.extension() == L".txt")
            gf_testWriteApf(path, path.parent_path() == apfFolders::myOrbx ? "airports\\archive\\ORBX\\EHAM.xml\r  \r\n"
                                                                           : "airports\\archive\\gone\\EHAM.xml\n");
        else
            gf_testWriteApf(path, file);
        EXPECT_EQ(resolved(), expected) << gf_pathText(path);
        EXPECT_TRUE(gf_findApfFile("EHAM"));
    }
    gf_testWriteApf(apfFolders::myThirdparty / L"EHAM.txt", "airports\\archive\\ORBX\\EHAM.xml\n");
    EXPECT_EQ(resolved(), "airports\\archive\\ORBX\\EHAM.xml") << "a link before the file of its folder";

    fs::path target;
    gf_testWriteApf("plain.txt", "nothing here\n");
    EXPECT_FALSE(lf_readApfLink("plain.txt", target));
    gf_testWriteApf("empty.txt", "");
    EXPECT_FALSE(lf_readApfLink("empty.txt", target));
    EXPECT_TRUE(target.empty());
}

TEST_F(Loading, EveryOutcomeOfALoad)
{
    struct Case {
        std::string text;
        std::string result; // the message, or the user error's text
    };
    const std::string path = "airports\\archive\\stock\\EHAM.xml";
    const Case cases[] = {
        {"<meta><info name=\"author\" value=\"x\" />", path + " found, but could not be loaded: Start-end tags mismatch"},
        {"<parameters/>\n<parkpositions/>", path + " found but refused to load, copyright problem"},
        {gf_testApfText({}, oneStand), "65: Parameter altitude not found"},
        {gf_testApfText({{"altitude", "0"}}, oneStand + oneStand), "94: Parking position A1 appears more than once?"},
        {gf_testApfText({{"altitude", "0"}}, "\t<parkpos id=\"A1\" latitude=\"north\" />\n"),
         "exception in readApf: parkpos A1: latitude \"north\" is no number"},
        {gf_testApfText({{"altitude", "0"}}, "\t<parkpos id=\"A1\" latitude=\"52." + std::string(10000, '3') + "\" />\n"),
         "exception in readApf: parkpos A1: latitude of 10003 characters is no number"},
        {gf_testApfText({{"altitude", "0"}}, ""), "no stands found"},
    };
    for (const Case& c : cases) {
        gf_testWriteApf(path, c.text);
        std::string result;
        try {
            result = load(path);
        } catch (const zeb::UserErrorException& e) {
            result = e.what();
        }
        EXPECT_EQ(result, c.result);
    }
    EXPECT_TRUE(staticParkingActive.load()) << "a file without stands is loaded all the same";
    gf_testSetParkAirport("");
    EXPECT_EQ(load(path), "gf_readApf, no park airport set");
}

TEST_F(Loading, TheStandsAreNumberedAndLinkedAndTheFileShown)
{
    gf_testWriteAirportList(".");
    airportList.clear();
    gf_readAirports();
    CUSTOM_PARKING_PERCENTAGE.value = -1;
    parking_percentage.value = 55;
    airportSettingsChanged = true;
    apfEditCount = 3;
    // Stands 20 m apart are neighbours when their radii reach past 1.1 times that: 22.2 m
    // do, 21.8 m do not.
    const double east = 20.0 / 1852.0 / 60.0 / std::cos(52.3 * 0.017453292519943295);
    gf_testWriteApf(apfFolders::archiveStock / L"EHAM.xml",
                    gf_testApfText({{"airport_name", "Schiphol"}, {"publisher", "stock"}, {"altitude", "-12"},
                                    {"RT_traffic_week", "2417"}},
                                   gf_testParkpos("A1", 52.3, 4.76, 11.1) + gf_testParkpos("A2", 52.3, 4.76 + east, 11.1) +
                                       gf_testParkpos("B1", 52.4, 4.76, 10.9) +
                                       gf_testParkpos("B2", 52.4, 4.76 + east, 10.9)));
    EXPECT_EQ(load(apfFolders::archiveStock / L"EHAM.xml"), "");
    ASSERT_EQ(parkStands.size(), 4u);
    for (std::uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(parkStands[i].standNumber, i + 1);
    EXPECT_EQ(parkStands[0].neighbours, std::vector<std::uint32_t>{2});
    EXPECT_EQ(parkStands[1].neighbours, std::vector<std::uint32_t>{1});
    EXPECT_TRUE(parkStands[2].neighbours.empty());
    EXPECT_EQ(quality, std::make_pair(-1, -1));
    EXPECT_EQ(lf_qualityShown(), "  ");
    EXPECT_EQ(parking_percentage.value.load(), 30) << "no learned file: the default share";
    EXPECT_EQ(mainWindow.standCount.load(), 4);
    EXPECT_EQ(std::tie(parkFile.airportName, parkFile.publisher, parkFile.altitude, parkFile.trafficWeek),
              std::make_tuple("Schiphol", "stock", -12, 2417));
    EXPECT_TRUE(staticParkingActive.load());
    EXPECT_FALSE(airportSettingsChanged.load());
    EXPECT_EQ(apfEditCount.load(), 0);
    EXPECT_EQ(parkFile.path, apfFolders::archiveStock / L"EHAM.xml");
    {
        std::lock_guard lock(trafficUdpReader.inputMutex);
        EXPECT_TRUE(trafficUdpReader.parkElevationKnown);
        EXPECT_EQ(trafficUdpReader.parkElevation, -11.0) << "the elevation of the airport list";
    }
    const auto indented = [](const char* key, const char* value) { return fmt::format("{:10}{:24}: {}", "", key, value); };
    for (const std::string& line : {std::string("read_apf: airports\\archive\\stock\\EHAM.xml"),
                                    std::string("Airport file read from \"airports\\archive\\stock\\EHAM.xml\" for Schiphol"),
                                    indented("parking_percentage", "30%"), indented("altitude", "-12 ft"),
                                    indented("num_parkpos", "4"), indented("RT traffic week", "2417")})
        EXPECT_TRUE(log.hasLine(line)) << line;

    CUSTOM_PARKING_PERCENTAGE.value = 45;
    const std::pair<const char*, const char*> factors[] = {{"50", "10"}, {"12", "3"}, {"7", "-1"}};
    const char* const shown[] = {"50", "12/ 3", " 7/-1"};
    for (int i = 0; i < 3; ++i) {
        gf_testWriteApf(apfFolders::archiveStock / L"EHAM.xml",
                        gf_testApfText({{"altitude", "0"}, {"Qf_real", factors[i].first}, {"Qf_soft", factors[i].second}},
                                       oneStand));
        load(apfFolders::archiveStock / L"EHAM.xml");
        EXPECT_EQ(lf_qualityShown(), shown[i]);
    }
    EXPECT_EQ(parking_percentage.value.load(), 45);
    EXPECT_TRUE(log.hasLine("parking percentage overruled by CUSTOM_PARKING_PERCENTAGE"));
}

TEST_F(Queries, SingleFactsAreReadFromTheFileAlone)
{
    gf_testWriteApf(apfFolders::myOrbx / L"EHAM.xml",
                    gf_testApfText({{"num_parkpos", "2"}, {"publisher", "ORBX"}},
                                   gf_testParkpos("D7", 52.30, 4.76, 20) + gf_testParkpos("D8", 52.31, 4.76, 20) +
                                       gf_testParkpos("D9", 52.31, 4.76, 20)));
    EXPECT_TRUE(gf_readApfForGateCheck("EHAM", "D8"));
    EXPECT_FALSE(gf_readApfForGateCheck("EHAM", "d8"));
    EXPECT_FALSE(gf_readApfForGateCheck("EGLL", "D8"));
    std::string id = "untouched";
    EXPECT_EQ(gf_readDestApfForClosestStand("EGLL", 52.3, 4.76, id), 100.0);
    EXPECT_EQ(id, "untouched");
    EXPECT_NEAR(gf_readDestApfForClosestStand("EHAM", 52.312, 4.76, id), 0.12, 1e-6);
    EXPECT_EQ(id, "D8") << "of equal distances the first";
    EXPECT_EQ(gf_readNumParkPos(apfFolders::myOrbx / L"EHAM.xml"), 2);
    EXPECT_EQ(gf_readPublisher(apfFolders::myOrbx / L"EHAM.xml"), "ORBX");
    gf_testWriteApf("broken.xml", "<parameters>");
    EXPECT_EQ(gf_readNumParkPos("broken.xml"), 0);
    EXPECT_EQ(gf_readPublisher("broken.xml"), "");
    EXPECT_TRUE(parkStands.empty()) << "the park airport is untouched";

    const std::pair<Parameters, bool> archived[] = {
        {{{"Qf_real", "-1"}}, false}, {{{"Qf_real", "-1"}, {"Qf_soft", "0"}}, true}, {{}, false}};
    for (const auto& [parameters, carries] : archived) {
        gf_testWriteApf(apfFolders::archiveStock / L"EGLL.xml", gf_testApfText(parameters, ""));
        EXPECT_EQ(gf_readQualityFactors("EGLL"), carries);
    }
    EXPECT_FALSE(gf_readQualityFactors("KJFK"));
}

TEST(QualityFactors, RealAndSoftOptionsWeighedOverAllStands)
{
    const auto option = [](std::int32_t day, std::size_t halfHours, bool soft = false) {
        StandOption o;
        o.seq = 1;
        o.day = day;
        o.soft = soft;
        for (std::size_t h = 0; h < halfHours; ++h)
            o.hh.set(h);
        return o;
    };
    const auto stand = [](std::vector<StandOption> options, double radiusNm = 0.01) {
        StandRecord s("A", std::move(options), 52.3, 4.7, 0.0, 0.0, false, false, false);
        s.radius = radiusNm;
        return s;
    };
    EXPECT_EQ(lf_weighStands({}), std::make_pair(-1, -1));
    EXPECT_EQ(lf_weighStands({stand({})}), std::make_pair(-1, -1));
    EXPECT_EQ(lf_weighStands({stand({option(3, 10)})}), std::make_pair(63, 0));

    std::vector<StandOption> busy;
    for (std::int32_t i = 0; i < 300; ++i)
        busy.push_back(option(i % 7 + 1, 48));
    EXPECT_EQ(lf_weighStands({stand(busy)}), std::make_pair(99, 0));

    // Day 0 and 9 count as options but not as days; a soft option counts apart.
    EXPECT_EQ(lf_weighStands({stand({option(0, 1), option(9, 1), option(2, 0, true)})}),
              std::make_pair(63, 63)); // (40 + 10000 + 0 + 4) and (20 + 10000 + 100 + 0), x 0.00625
    // A stand without options lowers the factors; weights by the radius in nautical miles.
    EXPECT_EQ(lf_weighStands({stand({option(3, 10)}), stand({})}), std::make_pair(32, 0));
    EXPECT_EQ(lf_weighStands({stand({option(3, 10)}, 8.0), stand({}, 0.01)}), std::make_pair(53, 0));
    // Options without a number and made-up options say nothing.
    StandOption unnumbered = option(3, 10);
    unnumbered.seq = 0;
    StandOption fake = option(3, 48);
    fake.fake = true;
    EXPECT_EQ(lf_weighStands({stand({option(3, 10), unnumbered, fake})}), std::make_pair(63, 0));
    EXPECT_EQ(lf_weighStands({stand({fake})}), std::make_pair(-1, -1));
}
