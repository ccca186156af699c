// The airport list: the real list, its errors, and the airport an aircraft stands at.
#include "parkfolder.h"

#include "foundation/exceptions.h"
#include "foundation/geometry.h"
#include "support/airportlist.h"

#include <algorithm>
#include <cmath>

namespace fs = std::filesystem;

namespace {
class AirportList : public ParkFolder {
protected:
    AirportList() { airportList.clear(); }

    static void writeList(const std::string& airports)
    {
        gf_testWriteApf(fs::path(L"input") / L"airports_p3d.xml", "<airports>\n" + airports + "</airports>\n");
    }

    static std::string readError()
    {
        try {
            gf_readAirports();
        } catch (const zeb::UserErrorException& e) {
            return e.what();
        }
        return "no error";
    }

    static std::string closest(double latitude, double longitude)
    {
        const std::optional<Airport> airport = gf_closestAirport(latitude, longitude);
        return airport ? airport->code : "none";
    }
};

// The latitude north of the given one at which the distance is d nm at most, to the last bit.
double lf_latitudeAt(double latitude, double longitude, double d)
{
    double north = latitude + d / 60.0;
    while (gf_distanceNm(latitude, longitude, north, longitude) > d)
        north = std::nextafter(north, latitude);
    return north;
}
} // namespace

TEST_F(AirportList, TheRealListIsReadOnceSortedAndShownWithItsIataCode)
{
    fs::create_directory(L"input");
    fs::copy_file(gf_testRealAirportList(), fs::path(L"input") / L"airports_p3d.xml");
    gf_readAirports();
    EXPECT_EQ(airportList.size(), 7184u);
    EXPECT_TRUE(std::ranges::is_sorted(airportList, {}, &Airport::code));
    EXPECT_TRUE(log.hasLine("7184 airports read from \"input\\airports_p3d.xml\""));
    const std::optional<Airport> eham = gf_findAirport("EHAM");
    ASSERT_TRUE(eham);
    EXPECT_EQ(eham->alt, -11.0);
    EXPECT_NEAR(eham->lat, 52.3086, 1e-4);
    EXPECT_EQ(gf_airportDisplayName(*eham), "EHAM (AMS)");
    EXPECT_FALSE(gf_findAirport("ZZZZ"));
    EXPECT_EQ(closest(52.31, 4.76), "EHAM");
    EXPECT_EQ(closest(51.47, -0.46), "EGLL");
    EXPECT_EQ(closest(0.0, -30.0), "none") << "mid-Atlantic";

    fs::remove(fs::path(L"input") / L"airports_p3d.xml");
    gf_readAirports();
    EXPECT_EQ(airportList.size(), 7184u) << "a second call reads nothing";
}

TEST_F(AirportList, DisplayNames)
{
    EXPECT_EQ(gf_airportDisplayName({"EHAM", "", 0, 0, 0}), "EHAM");
    EXPECT_EQ(gf_airportDisplayName({"", "", 0, 0, 0}), "?");
    EXPECT_EQ(gf_airportDisplayName({"", "AMS", 0, 0, 0}), "? (AMS)");
}

TEST_F(AirportList, AFailedReadTellsWhyAndTheNextGoodOneListsEachAirportOnce)
{
    EXPECT_EQ(readError(), "88: input\\airports_p3d.xml not loaded File was not found");
    const std::string longLatitude = "52." + std::string(100, '3');
    const std::string longAltitude = "-1" + std::string(100, '1');
    const std::pair<std::string, const char*> broken[] = {
        {"<airport code=\"EHAM\" lat=\"52.3\" lon=\"4.7\" alt=\"-11\" />\n<airport code=\"EGLL\" lon=\"-0.4\" alt=\"83\" />\n",
         "88: invalid stod argument"},
        {"<airport code=\"EHAM\" lat=\"1e999\" lon=\"4.7\" alt=\"-11\" />\n", "88: stod argument out of range"},
        {"<airport code=\"EHAM\" lat=\"52.3\" lon=\"4.7\" alt=\"high\" />\n", "88: invalid stof argument"},
        {"<airport code=\"EHAM\" lat=\"52.3\" lon=\"4.7\" alt=\"1e99\" />\n", "88: stof argument out of range"},
        // Numbers too long to be any (their conversion would take time growing with the square of the digits).
        {"<airport code=\"EHAM\" lat=\"" + longLatitude + "\" lon=\"4.7\" alt=\"-11\" />\n", "88: invalid stod argument"},
        {"<airport code=\"EHAM\" lat=\"52.3\" lon=\"4.7\" alt=\"" + longAltitude + "\" />\n", "88: invalid stof argument"},
        {"<airport code=\"EHAM\" lat=\"52.3\" lon=\"4.7\" alt=\"-11\"", "88: input\\airports_p3d.xml not loaded"},
    };
    for (const auto& [airports, error] : broken) {
        writeList(airports);
        EXPECT_TRUE(readError().starts_with(error)) << readError();
    }
    gf_testWriteApf(fs::path(L"input") / L"airports_p3d.xml", "<list/>");
    EXPECT_EQ(readError(), "88: input\\airports_p3d.xml not found");

    writeList("<airport code=\"EHAM\" iata=\"AMS\" lat=\" 52.3x\" lon=\"4.7\" alt=\"-11.4\" />\n"
              "<runway />\n<airport code=\"EGLL\" lat=\"51.5\" lon=\"-0.4\" alt=\"83\" />\n");
    EXPECT_EQ(readError(), "no error");
    ASSERT_EQ(airportList.size(), 2u);
    EXPECT_EQ(airportList[0].code, "EGLL");
    EXPECT_EQ(airportList[1].lat, 52.3) << "the number before the text";
    EXPECT_EQ(airportList[1].alt, static_cast<double>(-11.4f));
    EXPECT_EQ(airportList[1].iata, "AMS");
    EXPECT_EQ(airportList[0].iata, "");
}

TEST_F(AirportList, AnAirportCountsUpToFiveMilesAway)
{
    writeList("<airport code=\"LONE\" lat=\"10.0\" lon=\"10.0\" alt=\"0\" />\n");
    gf_readAirports();
    EXPECT_EQ(closest(lf_latitudeAt(10.0, 10.0, 5.0), 10.0), "LONE");
    EXPECT_EQ(closest(lf_latitudeAt(10.0, 10.0, 5.01), 10.0), "none");
    EXPECT_EQ(closest(10.0, 10.0 - 5.01 / 60.0 / std::cos(10.0 * degToRad)), "none");
}

TEST_F(AirportList, TheSecondNearestAirportIsTheNeighbourThatItsStandsMayTurnTo)
{
    // In list order: AAAA 4 nm, BBBB 2 nm, CCCC 3 nm north of the aircraft at 10/10.
    writeList("<airport code=\"AAAA\" lat=\"" + std::to_string(10.0 + 4.0 / 60) + "\" lon=\"10\" alt=\"0\" />\n" +
              "<airport code=\"BBBB\" lat=\"" + std::to_string(10.0 + 2.0 / 60) + "\" lon=\"10\" alt=\"0\" />\n" +
              "<airport code=\"CCCC\" lat=\"" + std::to_string(10.0 + 3.0 / 60) + "\" lon=\"10\" alt=\"0\" />\n");
    gf_readAirports();
    EXPECT_EQ(closest(10.0, 10.0), "BBBB") << "no parking files: the closest stays";
    const auto standAt = [](const std::string& code, double nm) {
        gf_testWriteApf(apfFolders::archiveStock / (code + ".xml"),
                        gf_testApfText({}, gf_testParkpos(code + "1", 10.0 + nm / 60.0, 10.0, 20)));
    };
    standAt("AAAA", 0.01); // the nearest stand, but AAAA is the farthest airport
    standAt("BBBB", 1.0);
    standAt("CCCC", 0.5);
    EXPECT_EQ(closest(10.0, 10.0), "CCCC");
    EXPECT_TRUE(log.hasLine("Airport BBBB is closest, neighbour is CCCC"));
    EXPECT_TRUE(log.hasLine(
        "Airport BBBB is closest, but stand CCCC1 at neighbouring airport CCCC is closest at 926 meters ..."));
}

TEST_F(AirportList, ShuteHarbourAndWhitsundayIslandAreToldApartByTheirStands)
{
    fs::create_directory(L"input");
    fs::copy_file(gf_testRealAirportList(), fs::path(L"input") / L"airports_p3d.xml");
    gf_readAirports();
    const Airport yshr = *gf_findAirport("YSHR");
    const Airport ywhi = *gf_findAirport("YWHI");
    EXPECT_NEAR(gf_distanceNm(yshr.lat, yshr.lon, ywhi.lat, ywhi.lon), 0.07, 0.005);
    const auto stands = [&](double yshrNorth, double ywhiNorth) {
        gf_testWriteApf(apfFolders::archiveStock / L"YSHR.xml",
                        gf_testApfText({}, gf_testParkpos("S1", yshr.lat + yshrNorth / 60, yshr.lon, 20)));
        gf_testWriteApf(apfFolders::archiveStock / L"YWHI.xml",
                        gf_testApfText({}, gf_testParkpos("W1", yshr.lat + ywhiNorth / 60, yshr.lon, 20)));
    };
    stands(0.3, 0.01); // at Shute Harbour's point, Whitsunday Island's stand is nearer
    EXPECT_EQ(closest(yshr.lat, yshr.lon), "YWHI");
    stands(0.01, 0.3);
    EXPECT_EQ(closest(yshr.lat, yshr.lon), "YSHR");
    EXPECT_EQ(closest(ywhi.lat, ywhi.lon), "YSHR") << "its stand decides, not the airport's point";
}
