// Report matching: ignored reports, the near-field band, ghosts and identity changes, and how
// an accepted report extends the path.
#include "traffic_fixture.h"

#include "airports/airports.h"
#include "foundation/settingscatalogue.h"
#include "links/simids.h"
#include "traffic/motion.h"

#include <cmath>
#include <sstream>
#include <string>

namespace {
// A created ground aircraft (or airborne at 35000 ft) whose last report came at 1000 s.
Act& lf_known(double speed, bool airborne, std::int32_t predictions = 0)
{
    Act& act = gf_testAddAct(0x400001, statusCreated, 61, "KLM1", 52.3, 4.76);
    PathPoint& last = act.path.back();
    last.speed = speed;
    last.track = 90.0;
    last.trackPresent = 1;
    last.airborne = airborne;
    last.altitude = airborne ? 35000.0 : 0.0;
    act.onGround = !airborne;
    act.reportTime = 1000.0;
    act.predictionCount = predictions;
    return act;
}

// A created aircraft taxiing, alone in the table, whose last report came at 1000 s.
Act& lf_taxiing()
{
    liveActs.clear();
    removalQueue.clear();
    Act& act = gf_testAddAct(0x400001, statusCreated, 61, "KLM1");
    act.phase = phaseGround;
    act.onGround = 1;
    act.reportTime = 1000.0;
    return act;
}
} // namespace

TEST_F(TrafficTest, ReportsTooSoonOrWithImplausibleSpeedsAreIgnored)
{
    struct Case {
        double lastSpeed, speed, seconds;
        bool airborne;
        std::int32_t predictions;
        bool ignored;
        double north = 0.01; // degrees from the last point to the report
    };
    const Case cases[] = {
        {10, 10, 0.8, false, 1, true},    {4, 85, 5.0, false, 0, true, 0.0002}, {6, 59, 5.0, false, 0, false},
        {6, 60, 5.0, false, 0, true, 0.0002}, {480, 480, 1.8, true, 0, true}, {480, 480, 1.9, true, 0, false},
        {10, 10, 3.8, false, 0, true},    {10, 10, 3.9, false, 0, false},       {0, 0, 14.0, false, 0, true},
        {0, 0, 16.0, false, 0, false},    {10, 10, 3.8, false, 1, false},
        {0, 100, 20.0, false, 3, false}, // the last point a prediction standing still
        // Much faster, having moved at a quarter of that speed: a take-off roll from a stop
        // (167 m in 10 s); 133 m is too little.
        {0, 125, 10.0, false, 0, false, 0.0015}, {0, 125, 10.0, false, 0, true, 0.0012},
        {80, 2, 10.0, false, 0, true, 0.0015}, // much slower: never
    };
    for (const Case& c : cases) {
        liveActs.clear();
        Act& act = lf_known(c.lastSpeed, c.airborne, c.predictions);
        LiveReport r = report(0x400001, "KLM1", 52.3 + c.north, 4.76, c.speed, 1000.0 + c.seconds, 500, c.airborne,
                              c.airborne ? 35000.0 : 0.0);
        r.track = 90.0;
        r.hasTrack = 1;
        EXPECT_TRUE(lf_updateAct(r, act));
        EXPECT_EQ(act.reportTime != 1000.0, !c.ignored)
            << c.lastSpeed << " kt to " << c.speed << " kt after " << c.seconds << " s";
    }
    // Without a track an airborne report may turn: it is applied however soon.
    liveActs.clear();
    Act& turning = lf_known(480, true, 0);
    LiveReport turned = report(0x400001, "KLM1", 52.31, 4.76, 480, 1001.8, 500, true, 35000.0);
    EXPECT_TRUE(lf_updateAct(turned, turning));
    EXPECT_EQ(turning.reportTime, 1001.8);
    LiveReport other = report(0x400002, "KLM1", 52.31, 4.76, 10, 2000.0, 500);
    EXPECT_FALSE(lf_updateAct(other, liveActs.front()));
}

TEST_F(TrafficTest, NewAircraftComeOnlyFromUsableReports)
{
    gf_setParkAirport({.code = "EHAM", .iata = "AMS", .latitude = 52.3, .longitude = 4.76, .elevation = 50.0});
    lf_processReport(report(0x400001, "KLM1", 52.3, 4.76, 0, 1000.0, 500));
    ASSERT_EQ(liveActs.size(), 1u);
    EXPECT_EQ(liveActs[0].base.head.sizeClass, 2u);
    EXPECT_EQ(liveActs[0].base.head.pushSpeed, 4.0);
    lf_processReport(report(0x400002, "KLM1", 52.4, 4.76, 0, 1000.0, 500)); // shown under another hex id
    lf_processReport(report(0x400003, "KLM3", 52.4, 4.76, 0, 1000.0, 500, true, 150.0)); // near the field
    LiveReport noType = report(0x400004, "KLM4", 52.4, 4.76, 0, 1000.0, 500);
    noType.ident.type.clear();
    noType.ident.registration = "PH-ZZZ"; // not in the registration data
    lf_processReport(noType);
    LiveReport light = report(0x400005, "PVT5", 52.4, 4.76, 0, 1000.0, 500);
    light.ident.type = "C172";
    LIGHT_AIRCRAFT.value = false;
    lf_processReport(light);
    EXPECT_EQ(liveActs.size(), 1u);
    lf_processReport(noType); // told once per flight
    const std::string line = "          KLM4     not shown, no type";
    EXPECT_TRUE(log.hasLine(line));
    EXPECT_EQ(log.text().find(line), log.text().rfind(line));
    noType.ident.registration = "PH-BXA"; // a B738 of the registration data
    lf_processReport(noType);
    ASSERT_EQ(liveActs.size(), 2u);
    EXPECT_EQ(liveActs[1].base.head.identity.type, "B738");
    // A report in the near-field band does not feed a new aircraft either.
    lf_processReport(report(0x400001, "KLM1", 52.31, 4.76, 0, 1010.0, 600, true, 150.0));
    EXPECT_EQ(liveActs[0].reportTime, 1000.0);
    // Without a callsign the feed sends the type: another of the type is another aircraft unless its
    // last report lies within reach.
    lf_processReport(report(0x400006, "B738", 52.3, 4.76, 0, 1000.0, 500));
    lf_processReport(report(0x400007, "B738", 52.4, 4.76, 0, 1005.0, 500));
    lf_processReport(report(0x400008, "B738", 52.3005, 4.76, 0, 1005.0, 1000));
    EXPECT_NE(gf_findAct(0x400007), nullptr);
    EXPECT_EQ(gf_findAct(0x400008), nullptr);

    // Near the field and its height a fixed-wing report at a taxi's speed is on the ground; faster,
    // or climbing as a climb-out does, it flies.
    for (const auto& [knots, climb, ground] : {std::tuple{25.0, 0.0, true}, {45.0, 0.0, false}, {25.0, 600.0, false}}) {
        LiveReport r = report(0x400009, "KLM9", 52.31, 4.76, knots, 1000.0, 500, true, 600.0);
        r.verticalSpeed = climb;
        lf_processReport(r);
        EXPECT_EQ(gf_findAct(0x400009)->path.front().airborne == 0, ground) << knots << " kt, " << climb << " ft/min";
        std::erase_if(liveActs, [](const Act& a) { return a.base.head.flightId == 0x400009; });
    }
}

TEST_F(TrafficTest, OneReportAtTakeOffSpeedStartsTheRollOnlyFromAStopOrATaxi)
{
    // A created aircraft moving on its reports, 10 s apart along a runway to the east, each as
    // far on as its speed takes it and due 15 s after it comes. T: the simulator's answer that
    // the aircraft touched down; A: the last report sent again with a new time; G: 20 s without
    // reports, in which the path runs out and is predicted; R: it turns off the runway, its
    // roll-out over.
    struct Case {
        const char* what;
        const char* type;
        double first;      // knots; -1: created on its final, 50 ft up at 140 kt
        const char* steps; // speeds in knots, T, A and G, blank apart
        bool rolls;
    };
    const Case cases[] = {
        {"taxiing, then at take-off speed", "B738", 20, "20 60", true},
        {"standing, then already rolling at 125 kt", "B738", 0, "0 0 125", true},
        {"touched down, its last position again, then as fast", "B738", -1, "T 90 A 85", false},
        {"touched down, off the runway, then faster", "B738", -1, "T 90 R 105", false},
        {"first seen rolling, predicted rolling out, then as fast", "B738", 90, "G 90", false},
        {"first seen rolling, then speeding up", "B738", 44, "98", true},
        {"rolling, then slowed to a taxi: its take-off given up", "B738", 20, "20 60 80 25", false},
        {"a helicopter air-taxiing", "EC35", 20, "20 50", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        liveActs.clear();
        const std::int64_t start = gf_now();
        const bool flying = c.first < 0;
        double time = 1000.0, east = 0.0, speed = flying ? 140.0 : c.first;
        const auto reportAt = [&](double knots, bool airborne) {
            LiveReport r = report(0x400001, "KLM1", 52.3, 4.76 + east / (111195.0 * std::cos(52.3 * degToRad)), knots,
                                  time, static_cast<std::int32_t>(start + (time - 1000.0) * 100.0 + 1500), airborne,
                                  airborne ? 50.0 : 0.0);
            r.ident.type = c.type;
            r.track = 90.0;
            r.hasTrack = 1;
            return r;
        };
        lf_processReport(reportAt(speed, flying));
        ASSERT_EQ(liveActs.size(), 1u);
        Act& act = liveActs.front(); // as created
        act.base.status = statusCreated;
        act.base.objectId = 61;
        act.phase = flying ? phaseAirborne : phaseGround;
        act.onGround = flying ? 0 : 1;
        act.latitude = act.path.front().latitude;
        act.longitude = act.path.front().longitude;
        act.altitude = act.heightAboveGround = flying ? 50.0 : 0.0;
        std::istringstream steps(c.steps);
        for (std::string step; steps >> step;) {
            if (step == "T") {
                lf_pushToBuffer({61, 1, 0, AnswerKind::objectData, 0.0, 0.0});
                runTicks(1);
                continue;
            }
            if (step == "R") {
                act.landingRoll = 0;
                continue;
            }
            const double seconds = step == "G" ? 20.0 : 10.0;
            runTicks(static_cast<int>(seconds * 100.0));
            time += seconds;
            if (step == "G")
                continue;
            if (step != "A") {
                speed = std::stod(step);
                east += speed * 10.0 / 3600.0 * 1852.0;
            }
            lf_processReport(reportAt(speed, false));
        }
        EXPECT_EQ(act.takeOff != 0, c.rolls);
    }
}

TEST_F(TrafficTest, AGhostGivesWayToItsFlightAndItsReportsAreRefusedMeanwhile)
{
    gf_testAddAct(0x400001, statusCreated, 61, "ABC123_").phase = phaseGround;
    Act& other = gf_testAddAct(0x400002, statusCreated, 62, "XYZ9");
    other.reportTime = 1000.0;
    lf_removeGhost("ABC123");
    EXPECT_EQ(liveActs[0].base.status, statusRemoving);
    EXPECT_EQ(ghostList, std::vector<std::string>{"ABC123_"});
    EXPECT_EQ(removalQueue, std::deque<std::uint32_t>{61});

    gf_testAddAct(0x400003, statusCreated, 63, "ABC123");
    lf_processReport(report(0x400002, "ABC123_", 52.31, 4.76, 10, 1010.0, 600));
    EXPECT_EQ(liveActs[1].callsign(), "XYZ9") << "a ghost's report while its flight is shown";
    EXPECT_EQ(liveActs[1].reportTime, 1000.0);
}

TEST_F(TrafficTest, AChangedIdentityRemovesTheObjectAndCreatesTheAircraftAgain)
{
    Act& act = gf_testAddAct(0x400001, statusCreated, 61, "KLM1");
    act.reportTime = 1000.0;
    act.heading = 1.0;
    lf_processReport(report(0x400001, "KLM2", 52.31, 4.76, 10, 1010.0, 600));
    EXPECT_EQ(act.callsign(), "KLM2");
    EXPECT_EQ(act.base.status, statusRecreate);
    EXPECT_TRUE(act.forcedHeadingSet);
    EXPECT_EQ(removalQueue, std::deque<std::uint32_t>{61});
    ASSERT_EQ(act.path.size(), 2u) << "held where it is";
    EXPECT_EQ(act.path.front().latitude, act.latitude);
    lf_processAnswer({61, 0, 0, AnswerKind::removed, 0.0, 0.0});
    EXPECT_EQ(act.base.status, statusNew);
    EXPECT_EQ(act.base.objectId, 0u);
    EXPECT_EQ(act.base.throttleStep, 5u);
}

TEST_F(TrafficTest, TheIdentityWaitsWhileTheAircraftLandsAndRollsOut)
{
    struct Case {
        const char* what;
        std::uint8_t landing;
        std::uint32_t flareStage;
        std::uint8_t landed;
        std::uint8_t landingRoll;
        bool changed;
    };
    const Case cases[] = {
        {"on the approach", 1, 0, 0, 0, false},
        {"in the flare", 1, 2, 0, 0, false},
        {"touched down, the nose still coming down", 0, 4, 1, 1, false},
        {"rolling out, the nose down", 0, 0, 1, 1, false},
        {"taxiing in after the landing", 0, 0, 1, 0, true},
        {"taxiing", 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Act& act = lf_taxiing();
        act.landing = c.landing;
        act.flareStage = c.flareStage;
        act.landed = c.landed;
        act.landingRoll = c.landingRoll;
        lf_processReport(report(0x400001, "KLM2", 52.31, 4.76, 10, 1010.0, 600));
        EXPECT_EQ(act.base.status == statusRecreate, c.changed);
        EXPECT_EQ(act.callsign(), c.changed ? "KLM2" : "KLM1");
    }
}

TEST_F(TrafficTest, AFilledInRouteKeepsTheAircraftANewRouteNeedsBothFieldsOfTheReport)
{
    gf_setParkAirport({.code = "EHAM", .iata = "AMS", .latitude = 52.3, .longitude = 4.76, .elevation = 0.0});
    struct Case {
        const char* what;
        const char *from, *to;             // the aircraft's route
        const char *reportFrom, *reportTo; // the report's
        const char* route;                 // afterwards
        bool recreated, flightPlan;
        std::uint8_t landing = 0;
        const char* groundAt = ""; // where it was last on the ground; "": never
    };
    const Case cases[] = {
        {"the origin given for the first time", "", "LHR", "AMS", "LHR", "AMS-LHR", false, true},
        {"the origin given on the approach", "", "LHR", "AMS", "LHR", "AMS-LHR", false, true, 1},
        {"the whole route given for the first time", "", "", "AMS", "LHR", "AMS-LHR", false, true},
        {"half a route given", "", "", "AMS", "", "AMS-", false, false},
        {"a report without route", "AMS", "LHR", "", "", "AMS-LHR", false, false},
        {"a new origin without destination", "LHR", "AMS", "AMS", "", "LHR-AMS", false, false},
        {"a new route", "LHR", "AMS", "AMS", "JFK", "AMS-JFK", true, false},
        {"a new route on the approach: after the landing", "LHR", "AMS", "AMS", "JFK", "LHR-AMS", false, false, 1},
        {"the same route back home", "AMS", "LHR", "LHR", "AMS", "AMS-LHR", false, false},
        {"the flight that brought it, away from the park airport", "JFK", "LHR", "LHR", "JFK", "JFK-LHR", false, false, 0, "JFK"},
        {"its next flight, back where it came from", "JFK", "LHR", "LHR", "JFK", "LHR-JFK", true, false},
        {"its next flight, from where it stood", "JFK", "LHR", "LHR", "JFK", "LHR-JFK", true, false, 0, "LHR"},
    };
    airportList = {{"EGLL", "LHR", 51.47, -0.46, 83.0}, {"KJFK", "JFK", 40.64, -73.78, 13.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        requests.clear();
        Act& act = lf_taxiing();
        act.landing = c.landing;
        act.base.head.identity.departure = c.from;
        act.base.head.identity.destination = c.to;
        for (const Airport& airport : airportList)
            if (airport.iata == c.groundAt)
                std::tie(act.groundLatitude, act.groundLongitude) = std::pair{airport.lat, airport.lon};
        LiveReport r = report(0x400001, "KLM1", 52.31, 4.76, 10, 1010.0, 600);
        r.ident.departure = c.reportFrom;
        r.ident.destination = c.reportTo;
        lf_processReport(r);
        const FlightIdent& ident = act.base.head.identity;
        EXPECT_EQ(ident.departure + "-" + ident.destination, c.route);
        EXPECT_EQ(act.base.status == statusRecreate, c.recreated);
        EXPECT_EQ(act.reportTime == 1010.0, !c.recreated) << "the report moves the aircraft it keeps";
        EXPECT_EQ(requestsOf(reqFlightPlan), c.flightPlan ? 1u : 0u);
    }
    airportList.clear();
}

TEST_F(TrafficTest, AcceptedReportsExtendThePath)
{
    // Standing points after the newest moving one among the 2nd to 6th from the back go when
    // the aircraft moves again soon; the front point is never looked at.
    Act& act = lf_known(10, false);
    act.path = {{.latitude = 52.30, .tick = 100}, {.latitude = 52.301, .tick = 200},
                {.latitude = 52.302, .tick = 300, .hold = 1}, {.latitude = 52.302, .tick = 400, .hold = 1}};
    lf_applyReport(act, {.latitude = 52.31, .speed = 10, .tick = 350});
    ASSERT_EQ(act.path.size(), 3u);
    EXPECT_EQ(act.path[1].tick, 200u) << "the standing points went";
    act.path = {{.latitude = 52.30, .tick = 100}, {.latitude = 52.302, .tick = 300, .hold = 1},
                {.latitude = 52.302, .tick = 400, .hold = 1}};
    lf_applyReport(act, {.latitude = 52.31, .speed = 10, .tick = 500});
    EXPECT_EQ(act.path.size(), 4u);
    // An aircraft not yet decided keeps them; its point is only timed after the last.
    Act& fresh = gf_testAddAct(0x400011, statusNew, 0, "KLM11");
    fresh.phase = phaseInitial;
    fresh.path = {{.latitude = 52.30, .tick = 100}, {.latitude = 52.301, .tick = 200},
                  {.latitude = 52.302, .tick = 300, .hold = 1}, {.latitude = 52.302, .tick = 400, .hold = 1}};
    lf_applyReport(fresh, {.latitude = 52.31, .speed = 10, .tick = 350});
    ASSERT_EQ(fresh.path.size(), 5u);
    EXPECT_EQ(fresh.path.back().tick, 401u);

    // The same position again: a standing point on the ground, dropped in the air.
    act.path.resize(1);
    lf_applyReport(act, act.path.back());
    EXPECT_TRUE(act.path.back().hold);
    EXPECT_EQ(act.path.back().speed, 0.0);
    Act& flying = lf_known(300, true);
    flying.base.head.flightId = 0x400009;
    PathPoint same = flying.path.back();
    lf_applyReport(flying, same);
    EXPECT_EQ(flying.path.size(), 1u);
    // So is the last report's position sent again once the path was predicted on beyond it.
    flying.trail.last = flying.path.back();
    flying.trail.time = 1000.0;
    flying.path.push_back({.latitude = same.latitude + 0.02, .altitude = 35000.0, .speed = 300, .tick = 900, .airborne = 1});
    flying.predictionCount = 1;
    lf_applyReport(flying, {.latitude = same.latitude, .longitude = same.longitude, .altitude = 35000.0,
                            .speed = 300, .tick = 1000, .airborne = 1});
    EXPECT_EQ(flying.path.size(), 2u);
    // A helicopter in the air hovers there when its speed says so; flying on, the feed lost it.
    for (const auto& [speed, kept] : {std::pair{0.0, true}, std::pair{8.0, true}, std::pair{129.0, false}}) {
        Act& helicopter = lf_known(speed, true);
        helicopter.base.head.flightId = 0x400012;
        helicopter.base.head.sizeClass = rotorcraftClass;
        lf_applyReport(helicopter, helicopter.path.back());
        EXPECT_EQ(helicopter.path.size(), kept ? 2u : 1u) << speed << " kt";
        EXPECT_EQ(helicopter.path.back().hold != 0, kept) << speed << " kt";
        liveActs.pop_back();
    }

    // A ground report at 43 kt or more that is not slower than the last starts the take-off roll.
    for (const auto& [last, speed, rolls] : {std::tuple{42.0, 42.0, false}, std::tuple{45.0, 45.0, true},
                                             std::tuple{0.0, 84.0, true}, std::tuple{90.0, 60.0, false}}) {
        Act& rolling = lf_known(last, false);
        lf_applyReport(rolling, {.latitude = 52.32, .speed = speed, .tick = 900});
        EXPECT_EQ(rolling.takeOff != 0, rolls) << last << " kt, then " << speed << " kt";
        liveActs.pop_back();
    }

    // A parked aircraft reported 250 m from its stand has left it unseen: it is made again there
    // when the report falls due. A path of more than 200 points leaves.
    Act& parked = lf_known(0, false);
    parked.phase = phaseAtStand;
    parked.base.latitude = 52.3;
    parked.base.longitude = 4.76;
    lf_applyReport(parked, {.latitude = 52.30225, .longitude = 4.76, .tick = 900});
    EXPECT_EQ(parked.base.status, statusCreated);
    EXPECT_EQ(parked.remakeTick, 900u);
    ASSERT_EQ(parked.path.size(), 1u);
    EXPECT_EQ(parked.path.front().latitude, 52.30225);
    Act& longPath = gf_testAddAct(0x400010, statusNew, 0, "KLM10");
    longPath.path.resize(201);
    lf_applyReport(longPath, {.latitude = 52.32, .speed = 10, .tick = 900});
    EXPECT_TRUE(longPath.remove);
}
