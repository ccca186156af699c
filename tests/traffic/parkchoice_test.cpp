// Which airport is the park airport: on the ground, in the air from the park airports list,
// a failing parking file, and leaving the airport.
#include "parking_fixture.h"

#include "airports/airports.h"
#include "foundation/settingscatalogue.h"
#include "support/tempfolder.h"

#include <fmt/format.h>

#include <chrono>

namespace {
std::size_t lf_count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class ParkChoice : public ParkingTest {
protected:
    ParkChoice()
    {
        AIRPORT_RANGE.value = 20;
        AIRPORT_HEIGHT.value = 18000;
        gf_testWriteParkingFile(apfFolders::myOrbx, "EHAM",
                                gf_testParkpos("B12", amsLatitude + 0.002, amsLongitude, "KLM", "B738", "KLM1"));
    }
    // Three calls, 48 s of static parking.
    static void runStaticParking(int calls = 3)
    {
        for (int i = 0; i < calls; ++i)
            lf_staticParking(false);
    }
    std::size_t logCount(const std::string& part) { return lf_count(log.text(), part); }
    static void listAirports(std::initializer_list<std::string> codes)
    {
        std::lock_guard lock(parkAirportsMutex);
        parkAirports.clear();
        for (const std::string& code : codes) {
            const Airport airport = *gf_findAirport(code);
            parkAirports.push_back({code, "", airport.lat, airport.lon, 0.0});
        }
    }
};

TEST_F(ParkChoice, OnTheGroundWithoutAParkingFileTheUserIsToldOnce)
{
    setUser(51.9569, 4.4372, true); // Rotterdam, no parking file
    runStaticParking();
    EXPECT_TRUE(gf_parkAirportCode().empty());
    EXPECT_EQ(logCount("User aircraft on the ground at EHRD, no airport file found"), 1u);
}

TEST_F(ParkChoice, OnTheGroundWithAParkingFileTheAirportIsLoadedAndTheUsersStandReserved)
{
    setUser(amsLatitude + 0.002, amsLongitude, true); // on stand B12
    lf_staticParking(true);
    EXPECT_EQ(gf_parkAirportCode(), "EHAM");
    EXPECT_TRUE(staticParkingRunning.load());
    lf_staticParking(false);
    ASSERT_EQ(parkStands.size(), 1u);
    EXPECT_TRUE(logged("The park airport is EHAM (AMS)"));
    // The airport joins the park airports file as the first entry, with the user's stand,
    // which gets no static aircraft.
    EXPECT_EQ(gf_testReadFile(gf_parkAirportsPath()), "EHAM,B12\r\n");
    EXPECT_EQ(gf_reservedStandName(), "B12");
    EXPECT_TRUE(standCandidates.empty());
    EXPECT_TRUE(logged("no parking positions found"));
}

TEST_F(ParkChoice, AFailingParkingFileIsNotRetriedUntilTheUserLeavesOrReReads)
{
    gf_testWriteFile(apfFolders::myOrbx / L"EHAM.xml", "<?xml version=\"1.0\"?>\n<meta>\n");
    setUser(amsLatitude, amsLongitude, true);
    runStaticParking(5);
    EXPECT_EQ(logCount("The park airport is EHAM"), 1u);
    EXPECT_EQ(logCount("could not be loaded"), 1u);
    EXPECT_TRUE(gf_parkAirportCode().empty());
    EXPECT_FALSE(staticParkingRunning.load());

    setUser(51.9569, 4.4372, true); // taxied away to another airport
    runStaticParking(1);
    setUser(amsLatitude, amsLongitude, true);
    runStaticParking(2);
    EXPECT_EQ(logCount("The park airport is EHAM"), 2u);

    lf_readParkAirports(true);
    runStaticParking(2);
    EXPECT_EQ(logCount("The park airport is EHAM"), 3u);
}

TEST_F(ParkChoice, InTheAirTheNearestListedAirportIsChosenWithinRangeAndHeight)
{
    listAirports({"EHAM", "EGLL"});
    struct Case {
        double northNm;
        double altitude;
        bool chosen;
    };
    for (const Case c : {Case{25.0, 3000.0, false}, Case{10.0, 19000.0, false}, Case{10.0, 3000.0, true}}) {
        SCOPED_TRACE(fmt::format("{} nm, {} ft", c.northNm, c.altitude));
        const LatLon at = gf_destinationPoint({amsLatitude, amsLongitude}, 0.0, c.northNm * feetPerNm);
        setUser(at.first, at.second, false, c.altitude);
        lf_staticParking(false);
        EXPECT_EQ(gf_parkAirportCode(), c.chosen ? "EHAM" : "");
    }
    EXPECT_TRUE(logged("EHAM in sight at 10.0 nm"));
}

TEST_F(ParkChoice, AnotherListedAirportTakesOverOnlyWhenItIsNoFarther)
{
    listAirports({"EHAM", "EHRD"});
    ASSERT_TRUE(lf_setParkAirport("EHAM"));
    for (const auto& [bearingDegrees, kept] : {std::pair{0.0, true}, std::pair{210.0, false}}) {
        // 13 nm from Amsterdam, northwards (Rotterdam out of range) or towards Rotterdam (24 nm
        // from Amsterdam), which is then nearer.
        const LatLon at = gf_destinationPoint({amsLatitude, amsLongitude}, bearingDegrees * degToRad, 13.0 * feetPerNm);
        setUser(at.first, at.second, false, 3000.0);
        lf_staticParking(false);
        EXPECT_EQ(gf_parkAirportCode(), kept ? "EHAM" : "");
    }
    EXPECT_TRUE(logged("EHRD is in sight"));
}

TEST_F(ParkChoice, FlyingAwayRemovesEveryStaticAndTheLiveAircraftAtTheStands)
{
    ASSERT_TRUE(lf_setParkAirport("EHAM"));
    addStand("A1", 0.0);
    addStand("A2", 100.0);
    addStand("A3", 200.0);
    addStatic(1, "KLM11*", "B738", 501);
    addStatic(2, "KLM12*", "B738", 502).status = statusQueued;
    staticCreationItems.push_back({{}, "KLM12*", {}, staticActs[1].head.flightId});
    addLive(0xA00001, "DLH1", 3);
    addLive(0xA00002, "DLH2").base.standNumber = 3; // taxiing to stand A3
    Act& parked = liveActs[0];
    parked.parkedSince -= std::chrono::steady_clock::duration(std::chrono::minutes(100)).count();
    standCandidates.push_back({});
    // Parked 100 minutes, it goes for the park maximum, and is kept out while it stands there.
    parkMaximum = 1;
    lf_enforceMaxPark(1);

    const LatLon away = gf_destinationPoint({amsLatitude, amsLongitude}, 0.0, 30.0 * feetPerNm);
    setUser(away.first, away.second, false, 5000.0);
    lf_staticParking(false);

    EXPECT_TRUE(gf_parkAirportCode().empty());
    EXPECT_TRUE(parkStands.empty());
    EXPECT_TRUE(standCandidates.empty());
    EXPECT_TRUE(staticCreationItems.empty());
    EXPECT_EQ(staticActs.size(), 1u); // the created one, being removed
    EXPECT_EQ(staticActs[0].status, statusRemoving);
    EXPECT_EQ(parked.base.status, statusRemoving);
    EXPECT_EQ(liveActs[1].base.standNumber, 0u);
    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{parked.base.objectId, 501}));
    EXPECT_TRUE(logged("EHAM (AMS) is out of sight (30.0 nm), parked aircraft will be removed"));
    // Coming back, the user finds it shown again where it stands.
    const LiveReport atStand{.latitude = parked.latitude, .longitude = parked.longitude, .hexid = 0xA00001};
    EXPECT_FALSE(lf_keptOutAtStand(atStand));
}

TEST_F(ParkChoice, ARestartForgetsTheChoiceAndTheReservedStand)
{
    setUser(amsLatitude, amsLongitude, true);
    lf_staticParking(true);
    gf_setReservedStandName("B12");
    lf_resetTraffic();
    EXPECT_FALSE(parkLoadRequest);
    EXPECT_EQ(gf_reservedStandName(), "");
    lf_staticParking(false); // chosen anew, not loaded without a park airport
    EXPECT_EQ(gf_parkAirportCode(), "EHAM");
    EXPECT_TRUE(parkStands.empty());
}
} // namespace
