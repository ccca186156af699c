// Static parking end to end: the main loop's ticks and seconds (a second every 100 ticks),
// the simulator link's own thread against the in-process stand-in, and RealTraffic lines
// through the traffic reader's parser. The user aircraft stands at Amsterdam, whose parking
// file fills five stands; a live flight with a static aircraft's registration takes its
// place, live flights parking at static aircraft's stands make them go, the renewal counts
// the live aircraft's parked time on a computer that has been up for hours, and climbing away
// takes every static aircraft out of the simulator.
#include "links/simlink_fixture.h"

#include "airports/airports.h"
#include "app/mainloop.h"
#include "app/startup.h"
#include "foundation/parametersfile.h"
#include "foundation/settingscatalogue.h"
#include "links/readers.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"
#include "refgen/refgen.h"
#include "simconnect/protocol.h"
#include "support/realtrafficstandin.h"
#include "support/trafficacts.h"
#include "traffic/parking.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace {
using namespace std::chrono_literals;

constexpr double userLatitude = 52.3086;
constexpr double userLongitude = 4.7639;
constexpr double standLatitude = 52.3106;
constexpr double firstStandLongitude = 4.7660;
constexpr double standSpacing = 0.0015; // about 100 m

// Five stands north-east of the user aircraft, each used every half hour of every day by a
// KLM Boeing 737-800 flying as KLM100n; the third one's aircraft is PH-BXA. Without options,
// the stands are only there for live aircraft.
void lf_writeParkingFile(int count = 5, bool options = true)
{
    std::string hours = "0";
    for (int h = 1; h < 48; ++h)
        hours += fmt::format(",{}", h);
    std::string stands;
    for (int stand = 1; stand <= count; ++stand) {
        stands += fmt::format("\t<parkpos id=\"A{}\" latitude=\"{:.6f}\" longitude=\"{:.6f}\" radius=\"25\" "
                              "heading=\"180\">\n",
                              stand, standLatitude, firstStandLongitude + standSpacing * (stand - 1));
        for (int day = 1; options && day <= 7; ++day)
            stands += fmt::format(
                "\t\t<opt airl=\"KLM\" type=\"B738\" cs=\"KLM100{}\" reg=\"{}\" day=\"{}\" hh=\"{}\" />\n", stand,
                stand == 3 ? "PH-BXA" : "", day, hours);
        stands += "\t</parkpos>\n";
    }
    const std::filesystem::path folder = apfFolders::myThirdparty;
    std::filesystem::create_directories(folder);
    gf_testWriteFile(folder / L"EHAM.xml",
                     "<?xml version=\"1.0\"?>\n<meta>\n\t<info name=\"author\" value=\"Tarnwick_P3D\" />\n"
                     "\t<info name=\"version\" value=\"9.3.0\" />\n\t<info name=\"date\" value=\"Jan  1, 2024\" />\n"
                     "</meta>\n<parameters>\n\t<parameter name=\"airport_name\" value=\"Amsterdam Schiphol\" />\n"
                     "\t<parameter name=\"altitude\" value=\"-11\" />\n</parameters>\n<parkpositions>\n" +
                         stands + "</parkpositions>\n");
}

// A Boeing 737-800 on the ground.
struct GroundReport {
    std::uint32_t hexid = 0;
    std::string callsign;
    std::string registration;
    double latitude = 0.0, longitude = 0.0;
    double track = 0.0, speed = 0.0;
};

std::string lf_groundLine(const GroundReport& r, double stamp)
{
    return fmt::format("RTTFC,{},{:.5f},{:.5f},0,0,1,{:.1f},{:.1f},{},B738,{},EGLL,EHAM,{:.1f},X2,KL9,mlat,0,-1,-1,"
                       "0.780,0.0,0.0,{:.1f},{:.1f},0,none,A3,1012.8,35008,-1,{:.1f},none,0.0,-21.9,223,24,-30,0,1,1",
                       r.hexid, r.latitude, r.longitude, r.track, r.speed, r.callsign, r.registration, stamp,
                       r.track, r.track, r.track);
}

// PH-BXA taxiing east at 10 kt on the apron, 400 m from the user aircraft.
std::string lf_arrivingLine(double longitude, double stamp)
{
    return lf_groundLine({4811111, "KLM9", "PH-BXA", 52.3050, longitude, 90.0, 10.0}, stamp);
}

const std::vector<std::string> staticTails{"KLM1001*", "KLM1002*", "KLM1003*", "KLM1004*", "KLM1005*"};

class StaticParkingEndToEnd : public SimLink {
protected:
    void SetUp() override
    {
        dataFolder = std::filesystem::current_path();
        refgen::writeProgramFiles(refgen::baseWorld(), L".");
        gf_readAircraftData();
        gf_readFixes();
        lf_readLiveriesScanned();
        processScannedLiveries();
        airportList = {{"EHAM", "AMS", userLatitude, userLongitude, -11.0}};
        lf_writeParkingFile();
        gf_testClearTraffic();
        gf_createFlightPlanFolder();
        CUSTOM_PARKING_PERCENTAGE.value = 100;
        AUTO_RANGE.value = false;
        secondsCounter = 0;
        lf_setAcceptReports(true);
        reader.userLatitude = userLatitude;
        reader.userLongitude = userLongitude;
    }
    void TearDown() override
    {
        gf_stopReaders();
        steadyClockShift = 0;
        lf_setAcceptReports(false);
        SimLink::TearDown();
        lf_clearParkAirport();
        gf_testClearTraffic();
        airportList.clear();
        CUSTOM_PARKING_PERCENTAGE.value = -1;
    }

    // The main loop's ticks, a millisecond apart, with a second every 100 ticks.
    bool runUntil(const std::function<bool()>& done, int limit = 20000)
    {
        for (int i = 0; i < limit && !done(); ++i) {
            if (tickCounter.load() % 100 == 0)
                newSecond = true;
            lf_mainTick();
            std::this_thread::sleep_for(1ms);
        }
        return done();
    }
    bool standing(const std::string& tail) const { return standIn->objectByAtcId(tail) != 0; }
    // The simulator's AI objects within 20 m of the stand.
    std::size_t objectsAt(int stand) const
    {
        std::size_t count = 0;
        for (const std::uint32_t id : standIn->aiObjects())
            if (gf_distanceNm(standIn->objectValue(id, "Plane Latitude"), standIn->objectValue(id, "Plane Longitude"),
                              standLatitude, firstStandLongitude + standSpacing * (stand - 1)) * 1852.0 < 20.0)
                ++count;
        return count;
    }
    // The user aircraft on the ground at Amsterdam, and the main loop's view of it; the
    // simulator answers with every aircraft or, as it does, with those within the radius.
    void startAtAmsterdam(LatLon at = {userLatitude, userLongitude}, bool rangeApplied = false)
    {
        start(SimTransport::pipe, {.userObjectId = 7,
                                   .userValues = {{"Plane Latitude", at.first},
                                                  {"Plane Longitude", at.second},
                                                  {"SIM ON GROUND", 1}},
                                   .frameIntervalMs = 10,
                                   .rangeApplied = rangeApplied});
        ASSERT_TRUE(waitForUserBlock([&](const UserAircraft& user) { return user.latitude == at.first; }));
        requestOnGround();
        ASSERT_TRUE(gf_waitFor([] { return userOnGround.load(); }));
        tickCounter = 0;
        gf_setCurrentUserAircraft(gf_userAircraftBlock());
    }
    // One round of the feed, 10 s apart (1000 ticks): the records as datagrams from the
    // RealTraffic stand-in to the program's traffic reader.
    bool sendRound(const std::vector<GroundReport>& reports)
    {
        std::vector<std::string> arguments{"traffic", "--port", std::to_string(readerPort), "--interval", "0.005"};
        for (const GroundReport& r : reports)
            arguments.insert(arguments.end(), {"--record", lf_groundLine(r, stamp)});
        const std::uint32_t before = trafficUdpReader.datagramCounter.load();
        const bool sent = gf_runStandIn(folder, arguments) && gf_waitFor([&] {
            return trafficUdpReader.datagramCounter.load() >= before + reports.size();
        });
        stamp += 10.0;
        runUntil([] { return false; }, 1000);
        return sent;
    }
    // Rounds until `done`, at most `limit`.
    bool roundsUntil(const std::function<std::vector<GroundReport>()>& reports, const std::function<bool()>& done,
                     int limit)
    {
        for (int round = 0; round < limit && !done(); ++round)
            if (!sendRound(reports()))
                return false;
        return done();
    }
    // The creations the simulator was asked for with this tail number.
    std::size_t creationsOf(const std::string& tail) const
    {
        return std::ranges::count_if(standIn->requests(scReqAiCreateNonAtcAircraft), [&](const standin::Request& r) {
            return r.text(272, scTailNumberField) == tail;
        });
    }
    std::size_t logCount(const std::string& part)
    {
        const std::string text = log.text();
        std::size_t count = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++count;
        return count;
    }

    // Reports 20 s apart (2000 ticks), as the feed reports aircraft on the ground.
    void report(const std::vector<GroundReport>& reports)
    {
        for (const GroundReport& r : reports) {
            receive(lf_groundLine(r, stamp));
            stamp += 20.0;
            runUntil([] { return false; }, 2000);
        }
    }
    static const Act* live(std::uint32_t hexid) { return gf_findAct(hexid); }
    static bool parkedAt(std::uint32_t hexid, std::uint32_t stand)
    {
        const Act* act = gf_findAct(hexid);
        return act && act->phase == phaseAtStand && act->base.status == statusCreated && act->base.standNumber == stand;
    }
    void receive(const std::string& line)
    {
        reader.datagram = line;
        reader.handleDatagram();
    }

    TrafficReader reader;
    double stamp = 1700000100.0; // of the next ground report
    TempFolder folder;
    std::uint16_t readerPort = 0;
};

// A Boeing 737-800 standing at stand n, or `north` degrees of latitude north of it, moving north.
GroundReport lf_atStand(std::uint32_t hexid, const std::string& callsign, int stand, double north = 0.0,
                        double speed = 0.0)
{
    return {hexid, callsign, "", standLatitude + north, firstStandLongitude + standSpacing * (stand - 1),
            speed > 0.0 ? 0.0 : 180.0, speed};
}
} // namespace

TEST_F(StaticParkingEndToEnd, StaticAircraftFillTheUsersAirportMakeWayForTheirRealAircraftAndLeaveWithTheUser)
{
    ASSERT_NO_FATAL_FAILURE(startAtAmsterdam());
    // The computer has been up for eight hours.
    steadyClockShift = std::chrono::duration_cast<std::chrono::steady_clock::duration>(8h).count();
    lf_staticParking(true); // as the start of traffic does
    ASSERT_EQ(gf_parkAirportCode(), "EHAM");

    // The next static parking loads the airport; its five candidates are placed one per 50 ticks.
    ASSERT_TRUE(runUntil([] { return !standCandidates.empty(); }));
    EXPECT_EQ(standCandidates.size(), 5u);
    for (int ticks = 0; ticks < 1000 && !standCandidates.empty(); ++ticks) {
        const std::size_t before = standCandidates.size();
        const std::int32_t tick = tickCounter.load();
        runUntil([] { return false; }, 1);
        if (standCandidates.size() != before) {
            EXPECT_EQ(tick % 50, 0) << "placed on a 50th tick";
            EXPECT_EQ(standCandidates.size(), before - 1) << "one at a time";
        }
    }
    ASSERT_TRUE(runUntil([&] { return std::ranges::all_of(staticTails, [&](auto& t) { return standing(t); }); }));
    for (int stand = 1; stand <= 5; ++stand) {
        const std::uint32_t id = standIn->objectByAtcId(staticTails[stand - 1]);
        EXPECT_NEAR(standIn->objectValue(id, "Plane Latitude"), standLatitude, 1e-6);
        EXPECT_NEAR(standIn->objectValue(id, "Plane Longitude"), firstStandLongitude + standSpacing * (stand - 1),
                    1e-6);
    }
    ASSERT_TRUE(runUntil([] {
        return std::ranges::all_of(staticActs, [](const StaticAct& s) { return s.status == statusCreated; });
    }));

    // The real PH-BXA reports on the apron: the static aircraft standing for it goes.
    receive(lf_arrivingLine(4.77000, 1700000000.0));
    runUntil([] { return false; }, 500);
    receive(lf_arrivingLine(4.77037, 1700000005.0)); // 25 m further east
    ASSERT_TRUE(runUntil([&] { return !standing("KLM1003*"); }));
    EXPECT_TRUE(log.holds("KLM1003* PH-BXA removed, new KLM9 on ground has same regcode PH-BXA"));
    for (const std::string& tail : staticTails)
        EXPECT_EQ(standing(tail), tail != "KLM1003*") << tail;

    // A flight without registration appears standing at A2, where KLM1002* stands: it is
    // created at the stand, the static aircraft makes way, and no static aircraft is taken
    // for it by an empty registration.
    constexpr std::uint32_t standingHex = 4822222, taxiingHex = 4833333;
    const double a1 = firstStandLongitude, a2 = firstStandLongitude + standSpacing;
    report({{standingHex, "KLM2002", "", standLatitude, a2, 180.0, 0.0},
            {standingHex, "KLM2002", "", standLatitude, a2, 180.0, 0.0}});
    ASSERT_TRUE(runUntil([&] { return parkedAt(standingHex, 2) && !standing("KLM1002*"); }));
    runUntil([] { return false; }, 300);
    for (const char* tail : {"KLM1001*", "KLM1004*", "KLM1005*"})
        EXPECT_TRUE(standing(tail)) << tail << " taken for a flight by an empty registration";
    EXPECT_EQ(objectsAt(2), 1u);

    // Half an hour later another flight taxis onto A1 and stops there: KLM1001* makes way.
    steadyClockShift += std::chrono::duration_cast<std::chrono::steady_clock::duration>(30min).count();
    report({{taxiingHex, "KLM2001", "PH-TXA", standLatitude + 0.0012, a1, 180.0, 6.5},
            {taxiingHex, "KLM2001", "PH-TXA", standLatitude + 0.0006, a1, 180.0, 6.5},
            {taxiingHex, "KLM2001", "PH-TXA", standLatitude, a1, 180.0, 0.0},
            {taxiingHex, "KLM2001", "PH-TXA", standLatitude, a1, 180.0, 0.0}});
    ASSERT_TRUE(runUntil([&] { return parkedAt(taxiingHex, 1); }));
    EXPECT_TRUE(log.holds("KLM2001  arrived at stand"));
    ASSERT_TRUE(runUntil([&] { return !standing("KLM1001*"); }));
    EXPECT_EQ(objectsAt(1), 1u);

    // The renewal on a computer up for hours: neither live aircraft has stood 90 minutes.
    lf_parkingAdjustments();
    for (const std::uint32_t hexid : {standingHex, taxiingHex}) {
        ASSERT_NE(live(hexid), nullptr);
        EXPECT_EQ(live(hexid)->base.status, statusCreated) << hexid;
    }
    EXPECT_TRUE(standing("KLM1004*"));

    // The user aircraft climbs away: every static aircraft leaves with the park airport.
    standIn->setUserValue("SIM ON GROUND", 0);
    standIn->setUserValue("Plane Altitude", 20000);
    ASSERT_TRUE(runUntil([] { return gf_parkAirportCode().empty(); }));
    EXPECT_TRUE(log.holds("is out of sight"));
    EXPECT_TRUE(runUntil([&] { return std::ranges::none_of(staticTails, [&](auto& t) { return standing(t); }); }));
    EXPECT_TRUE(runUntil([] { return staticActs.empty(); })) << "every removal was answered";
}

// The user on the ground at Amsterdam 2.5 nm from its stands, with a radius of 2 nm: the static
// aircraft placed there are known all the same, by the answers to their creations, and leave
// the simulator when the traffic stops.
TEST_F(StaticParkingEndToEnd, StaticAircraftBeyondTheRadiusAreKnownAndLeaveTheSimulatorWhenTheTrafficStops)
{
    const LatLon south = gf_destinationPoint({standLatitude, firstStandLongitude}, 180.0 * degToRad, 2.5 * feetPerNm);
    ASSERT_NO_FATAL_FAILURE(startAtAmsterdam(south, true));
    gf_setRadius(2);
    lf_staticParking(true);
    ASSERT_EQ(gf_parkAirportCode(), "EHAM");
    ASSERT_TRUE(runUntil([&] { return std::ranges::all_of(staticTails, [&](auto& t) { return standing(t); }); }));
    EXPECT_TRUE(runUntil([] {
        return std::ranges::all_of(staticActs, [](const StaticAct& s) { return s.status == statusCreated; });
    })) << "known by the answers to their creations";
    // The traffic stops as the exit stops it.
    gf_takeNewAiObjects(false);
    gf_removeInjectedAircraft();
    gf_removeProgramObjects();
    EXPECT_TRUE(gf_waitFor([] { return gf_programObjectsLeft() == 0; }));
    EXPECT_TRUE(standIn->aiObjects().empty()) << standIn->aiObjects().size() << " left in the simulator";
    gf_setRadius(40);
}

// Live aircraft at the user's airport, reported standing at their stands round after round,
// one more than its maximum of parked aircraft: the one parked longest goes and stays out
// while it stands there, instead of coming back at its next report and pushing the next one
// out. It comes back when it moves off.
TEST_F(StaticParkingEndToEnd, ALiveAircraftRemovedForTheParkMaximumStaysOutWhileItStandsAndComesBackWhenItMovesOff)
{
    lf_writeParkingFile(4, false);
    CUSTOM_PARKING_PERCENTAGE.value = 50; // two parked aircraft at four stands, no static ones
    ASSERT_NO_FATAL_FAILURE(startAtAmsterdam());
    lf_staticParking(true);
    ASSERT_TRUE(runUntil([] { return parkMaximum == 2; }));
    readerPort = gf_unusedUdpPort();
    gf_setUserPosition(userLatitude, userLongitude);
    gf_startTrafficReader(readerPort);

    constexpr std::uint32_t first = 4911111, second = 4922222, third = 4933333;
    ASSERT_TRUE(sendRound({lf_atStand(first, "KLM301", 1)}));
    const auto firstTwo = [&] { return std::vector{lf_atStand(first, "KLM301", 1), lf_atStand(second, "KLM302", 2)}; };
    ASSERT_TRUE(roundsUntil(firstTwo, [] { return parkedAt(first, 1) && parkedAt(second, 2); }, 8));
    // An hour and a half on a third parks: one more than the maximum, the one parked longest goes
    // (for a newcomer that merely stands, one parked less long would stay, and the third not be shown).
    steadyClockShift += std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::minutes(91)).count();
    const auto allThree = [&] {
        return std::vector{lf_atStand(first, "KLM301", 1), lf_atStand(second, "KLM302", 2),
                           lf_atStand(third, "KLM303", 3)};
    };
    ASSERT_TRUE(roundsUntil(allThree, [] { return parkedAt(third, 3); }, 8));
    EXPECT_TRUE(log.holds("A1: KLM301   max park exceeded, removed"));
    // A minute more of all three standing there, the removed one's reports some metres apart,
    // one at 13 kt on the spot, one stray 1.5 km off, their tracks turning about: it stays out.
    for (int round = 0; round < 6; ++round) {
        std::vector<GroundReport> reports = allThree();
        reports[0] = lf_atStand(first, "KLM301", 1, round == 4 ? 0.0135 : 0.00004 * (round % 3),
                                round == 3 ? 13.0 : 0.0);
        ASSERT_TRUE(sendRound(reports));
    }
    EXPECT_EQ(logCount("max park exceeded"), 1u);
    EXPECT_EQ(creationsOf("KLM301"), 1u);
    EXPECT_FALSE(standing("KLM301"));
    for (const char* tail : {"KLM302", "KLM303"}) {
        EXPECT_EQ(creationsOf(tail), 1u) << tail;
        EXPECT_TRUE(standing(tail)) << tail;
    }
    // It moves off its stand, report after report: shown again long before it is as far as the
    // stray report was, and the others stay.
    double north = 0.0;
    ASSERT_TRUE(roundsUntil(
        [&] {
            north += 0.0006; // 67 m in 10 s
            return std::vector{lf_atStand(first, "KLM301", 1, north, 10.0), lf_atStand(second, "KLM302", 2),
                               lf_atStand(third, "KLM303", 3)};
        },
        [&] { return standing("KLM301"); }, 9));
    EXPECT_EQ(creationsOf("KLM301"), 2u);
    EXPECT_EQ(logCount("max park exceeded"), 1u);
    EXPECT_TRUE(parkedAt(second, 2) && parkedAt(third, 3));
    EXPECT_TRUE(staticActs.empty());
}
