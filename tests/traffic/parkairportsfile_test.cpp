// The park airports file on real files: reading and checking its lines, the airports of the
// add-on folder, the sort by distance, writing the user's stand, and a failed write.
#include "parking_fixture.h"

#include "airports/airports.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/parametersfile.h"
#include "support/tempfolder.h"
#include "support/waitfor.h"

#include <fmt/format.h>

#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace {
class ParkAirportsFile : public ParkingTest {
protected:
    ParkAirportsFile()
    {
        // EHAM's parking file knows the stand B12.
        gf_testWriteParkingFile(apfFolders::myOrbx, "EHAM",
                                gf_testParkpos("B12", amsLatitude, amsLongitude, "KLM", "B738", "KLM1"));
    }

    static void writeList(const std::string& text) { gf_testWriteFile(gf_parkAirportsPath(), text); }
    static std::vector<std::string> listed()
    {
        std::vector<std::string> entries;
        for (const ParkAirportEntry& entry : parkAirports)
            entries.push_back(entry.reservedStand.empty() ? entry.code : entry.code + "," + entry.reservedStand);
        return entries;
    }
};

TEST_F(ParkAirportsFile, LinesAreCheckedOneByOne)
{
    struct Case {
        std::string text;
        bool accepted;
        std::vector<std::string> entries;
        std::string logged;
    };
    const Case cases[] = {
        {"EHAM\n", true, {"EHAM"}, "1 park airport read from \"my_park_airports.txt\""},
        {"EHAM, B12\nEGLL\n", true, {"EHAM,B12", "EGLL"}, "2 park airports read"},
        {"EHAM,Z99\n", false, {"EHAM,Z99"}, "EHAM stand Z99 is unknown"},
        {"EHAM,B12,X\n\nEGLL\n", true, {"EGLL"}, "my_park_airports.txt:EHAM,B12,X wrong syntax, skipped"},
        {"XXXX\nEGLL\n", false, {"EGLL"}, "airport XXXX is unknown"},
        {"EGLL\nEGLL,B12\n", true, {"EGLL"}, "my_park_airports.txt:EGLL double, skipped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        writeList(c.text);
        EXPECT_EQ(lf_readParkAirports(false), c.accepted);
        EXPECT_EQ(mainWindow.parkAirportListed.load(), c.accepted);
        EXPECT_EQ(listed(), c.entries);
        EXPECT_TRUE(logged(c.logged));
    }
}

TEST_F(ParkAirportsFile, AMissingFileGivesAnEmptyListAndTheAddOnFolderAddsItsAirports)
{
    EXPECT_TRUE(lf_readParkAirports(false));
    EXPECT_TRUE(parkAirports.empty());
    EXPECT_TRUE(logged("my_park_airports.txt not found"));

    gf_testWriteParkingFile(apfFolders::myThirdparty, "EHRD", "");
    gf_testWriteParkingFile(apfFolders::myThirdparty, "ZZZZ", ""); // not an airport of the list
    writeList("EGLL\n");
    EXPECT_TRUE(lf_readParkAirports(false));
    EXPECT_EQ(listed(), (std::vector<std::string>{"EGLL", "EHRD"}));
    EXPECT_TRUE(logged("1 park airport added from \"airports\\my_thirdparty\""));
}

TEST_F(ParkAirportsFile, ThousandsOfAirportsWarnAboveThreeThousand)
{
    for (const int count : {3000, 3001}) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            const std::string code = fmt::format("X{:04}", i);
            airportList.push_back({code, "", 10.0, 10.0, 0.0});
            text += code + "\n";
        }
        writeList(text);
        lf_readParkAirports(false);
        EXPECT_EQ(parkAirports.size(), static_cast<std::size_t>(count));
        EXPECT_EQ(log.text().find("a lot of airports (3001)") != std::string::npos, count == 3001);
    }
}

TEST_F(ParkAirportsFile, AFreshListIsSortedByDistanceEvenWhenTheUserHasNotMoved)
{
    setUser(52.0, 4.4, false, 3000.0); // near Rotterdam
    writeList("EGLL\nEHAM\nEHRD\n");
    lf_readParkAirports(false);
    EXPECT_EQ(listed(), (std::vector<std::string>{"EHRD", "EHAM", "EGLL"}));
    EXPECT_NEAR(parkAirports.front().distance, gf_distanceNm(52.0, 4.4, 51.9569, 4.4372), 1e-9);
    lf_readParkAirports(false);
    EXPECT_EQ(listed(), (std::vector<std::string>{"EHRD", "EHAM", "EGLL"}));
}

TEST_F(ParkAirportsFile, WritingReplacesTheAirportsLineOrAddsOneAndKeepsTheFileSorted)
{
    writeList("EHRD\nEHAM,A1\nEGLL\n");
    parkAirports = {{"EHAM", "B12", amsLatitude, amsLongitude, 0.0}};
    lf_writeParkAirports();
    EXPECT_EQ(gf_testReadFile(gf_parkAirportsPath()), "EGLL\r\nEHAM,B12\r\nEHRD\r\n");
    EXPECT_TRUE(logged("my_park_airports.txt:EHAM,B12 updated stand"));

    parkAirports = {{"EHLE", "", 52.4603, 5.52722, 0.0}};
    lf_writeParkAirports();
    EXPECT_EQ(gf_testReadFile(gf_parkAirportsPath()), "EGLL\r\nEHAM,B12\r\nEHLE\r\nEHRD\r\n");
    EXPECT_TRUE(logged("my_park_airports.txt:EHLE new entry"));

    fs::remove(gf_parkAirportsPath());
    lf_writeParkAirports();
    EXPECT_EQ(gf_testReadFile(gf_parkAirportsPath()), "EHLE\r\n");
    EXPECT_TRUE(logged("my_park_airports.txt created with EHLE"));
}

TEST_F(ParkAirportsFile, TheParkingFilesAreReadWhileAnotherThreadHoldsTheList)
{
    writeList("EHAM,B12\nEGLL,Z98\n");
    gf_clearStatus();
    // The simulator thread saving the user's stand holds the list meanwhile.
    std::unique_lock held(parkAirportsMutex);
    parkAirports = {{"EHRD", "", 51.9569, 4.4372, 0.0}};
    std::thread reader([] { lf_readParkAirports(false); });
    const bool readMeanwhile =
        gf_waitFor([] { return gf_statusLine().status == "EGLL stand Z98 is unknown"; }, std::chrono::seconds(10));
    EXPECT_EQ(listed(), std::vector<std::string>{"EHRD"}) << "the old list holds until the new one is complete";
    held.unlock();
    reader.join();
    EXPECT_TRUE(readMeanwhile) << "the reading waited for the list's lock";
    EXPECT_EQ(listed(), (std::vector<std::string>{"EHAM,B12", "EGLL,Z98"}));
}

TEST_F(ParkAirportsFile, AFailedWriteLeavesTheOldFileWhole)
{
    writeList("EGLL\nEHAM,A1\n");
    // The temporary file cannot be made: a folder stands in its place.
    fs::create_directories(fs::path(gf_parkAirportsPath()) += L".part");
    parkAirports = {{"EHAM", "B12", amsLatitude, amsLongitude, 0.0}};
    lf_writeParkAirports();
    EXPECT_EQ(gf_testReadFile(gf_parkAirportsPath()), "EGLL\nEHAM,A1\n");
    EXPECT_TRUE(logged("my_park_airports.txt could not be"));
}
} // namespace

TEST_F(ParkAirportsFile, AReReadMovesTheReservedStandOnlyWhenTheUserStandsAtNone)
{
    struct Case {
        const char* what;
        std::string text;
        bool reRead, running;
        LatLon user;
        std::string reserved; // before
        bool moved;
    };
    const LatLon nearby{amsLatitude - 0.005, amsLongitude}, unknown{0.0, 0.0}, rotterdam{51.95, 4.43},
                 atA1{-1.0, -1.0};
    const Case cases[] = {
        {"the file names another stand", "EHAM,B12\n", true, false, nearby, "A1", true},
        {"no re-read", "EHAM,B12\n", false, false, nearby, "A1", false},
        {"static parking runs", "EHAM,B12\n", true, true, nearby, "A1", false},
        {"the user's position is unknown", "EHAM,B12\n", true, false, unknown, "A1", false},
        {"the user stands at a stand", "EHAM,B12\n", true, false, atA1, "A1", false},
        {"the same stand", "EHAM,B12\n", true, false, nearby, "B12", false},
        {"no stand in the file", "EHAM\n", true, false, nearby, "A1", false},
        {"another airport is nearer", "EHAM,B12\nEHRD\n", true, false, rotterdam, "A1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        parkStands.clear();
        staticActs.clear();
        removalQueue.clear();
        addStand("A1", 0.0).excluded = 1;
        addStand("B12", 100.0);
        addStatic(2, "KLM9*", "B738", 77);
        gf_setParkAirport({.code = "EHAM", .latitude = amsLatitude, .longitude = amsLongitude});
        gf_setReservedStandName(c.reserved);
        const LatLon user = c.user == atA1 ? LatLon{parkStands[0].latitude, parkStands[0].longitude} : c.user;
        setUser(user.first, user.second, true);
        staticParkingRunning = c.running;
        writeList(c.text);
        std::string message;
        EXPECT_TRUE(lf_checkParkAirports(c.reRead, message));
        EXPECT_EQ(message, c.moved ? "reserved stand changed from \"A1\" to \"B12\"" : "park airports and stands are okay");
        EXPECT_EQ(gf_reservedStandName(), c.moved ? "B12" : c.reserved);
        EXPECT_EQ(parkStands[0].excluded, c.moved ? 0 : 1);
        EXPECT_EQ(parkStands[1].excluded, c.moved ? 1 : 0);
        EXPECT_EQ(removals(), c.moved ? std::vector<std::uint32_t>{77} : std::vector<std::uint32_t>{});
    }
}
