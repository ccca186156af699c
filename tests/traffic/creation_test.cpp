// The creation decision, the creation answer with its flight plan and static-CG request,
// settling with the lights, and every kind of answer of the simulator.
#include "traffic_fixture.h"

#include "traffic/motion_fixture.h"
#include "traffic/parking.h"

#include "foundation/parametersfile.h"
#include "foundation/settingscatalogue.h"
#include "links/simids.h"
#include "links/simlink.h"
#include "liveries/matching.h"
#include "support/tempfolder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <tuple>

namespace {
// A KLM B738 from EHAM to LHR with two ground points, the first due at `due`.
Act& lf_flight(std::uint32_t hexid, const std::string& callsign, std::uint32_t due, bool airborne = false)
{
    Act& act = gf_testAddAct(hexid, statusNew, 0, callsign);
    FlightIdent& ident = act.base.head.identity;
    ident.airline = "KLM";
    ident.type = "B738";
    ident.departure = "EHAM";
    ident.destination = "EGLL";
    act.base.head.sizeClass = 2;
    act.phase = phaseInitial;
    act.onGround = 0;
    const double altitude = airborne ? 3000.0 : 0.0;
    act.path = {{.latitude = 52.30, .longitude = 4.76, .altitude = altitude, .speed = 20, .track = 90,
                 .tick = due, .airborne = airborne},
                {.latitude = 52.30, .longitude = 4.77, .altitude = altitude, .speed = 20, .track = 90,
                 .tick = due + 500, .airborne = airborne}};
    return act;
}

std::vector<std::uint32_t> lf_eventIds(const std::vector<ClientEventItem>& events)
{
    std::vector<std::uint32_t> ids;
    for (const ClientEventItem& e : events)
        ids.push_back(e.eventId);
    return ids;
}
} // namespace

TEST_F(TrafficTest, TheDecisionWaitsRefusesAndDropsPoints)
{
    // One report is never created: it goes 100 ticks before its point (300 when it moves).
    for (const double speed : {0.0, 3.0}) {
        liveActs.clear();
        tickCounter = 0;
        Act& single = lf_flight(0x400001, "KLM1", 500);
        single.path.resize(1);
        single.path[0].speed = speed;
        const std::int32_t margin = speed == 0.0 ? 100 : 300;
        runTicks(500 - margin);
        EXPECT_EQ(liveActs.size(), 1u) << speed;
        runTicks(1);
        EXPECT_TRUE(liveActs.empty()) << speed;
    }
    liveActs.clear();
    lf_flight(0x400002, "KLM123456", 0);              // nine characters
    lf_flight(0x400003, "@@@@@@@@", 0);               // no callsign, unknown registration
    lf_flight(0x400004, "@@@@@@@@", 0).base.head.identity.registration = "PH-BXB";
    Act& mixed = lf_flight(0x400005, "KLM5", 0);
    mixed.path[1].airborne = 1;
    lf_flight(0x400007, "KLM12345", 0); // eight characters
    runTicks(1);
    ASSERT_EQ(liveActs.size(), 3u);
    EXPECT_EQ(liveActs[0].callsign(), "PH-BXB") << "the registration stands in";
    EXPECT_EQ(liveActs[0].base.status, statusQueued);
    EXPECT_EQ(liveActs[1].path.size(), 1u) << "a mixed path loses its oldest point";
    EXPECT_EQ(liveActs[2].base.status, statusQueued) << "eight characters are created";

    // A full creation queue holds new aircraft back.
    liveCreationItems.resize(12);
    Act& waiting = lf_flight(0x400006, "KLM6", 0);
    waiting.path.push_back(waiting.path.back());
    lf_decideAll(waiting);
    EXPECT_EQ(waiting.path.size(), 2u);
    EXPECT_EQ(waiting.base.status, statusNew);

    // The simulator's answer names the aircraft by its callsign: one creation of a callsign at a time.
    liveCreationItems.clear();
    lf_flight(0x400008, "E55P", 0);
    lf_flight(0x400009, "E55P", 0);
    runTicks(1);
    EXPECT_EQ(gf_findAct(0x400009)->base.status, statusNew);
    ASSERT_TRUE(tickUntil([] { return gf_findAct(0x400009)->base.status == statusQueued; }));
    EXPECT_NE(gf_findAct(0x400008)->base.objectId, 0u);
}

TEST_F(TrafficTest, TheUsersSurroundingsHoldTheCreationBack)
{
    // The user at 50N 4E heading north; the first point `nm` away on the bearing from the
    // user, the next one 0.5 nm on along `motion`. Held: the oldest point is dropped.
    struct Case {
        const char* what;
        bool userOnGround, collision, inWay;
        double userSpeed, userHeight, bearing, nm, speed, motion, altitude; // altitude above 0: airborne
        bool held;
    };
    const double m = 1.0 / metresPerNm;
    const auto beside = [](double feet, double nm) { return std::asin(feet / (nm * feetPerNm)) * radToDeg; };
    // Nautical miles on the bearing 350 from the user of a point whose line east passes this far north of it.
    const auto crossing = [](double feet) { return feet / std::sin(80.0 * degToRad) / feetPerNm; };
    const Case cases[] = {
        {"ground: 140 m off", true, true, false, 0, 0, 90, 140 * m, 0, 90, 0, true},
        {"ground: 160 m off", true, true, false, 0, 0, 90, 160 * m, 0, 90, 0, false},
        {"ground: the rule off", true, false, false, 0, 0, 90, 140 * m, 0, 90, 0, false},
        {"ground, in the way: the user taxies at 9 kt", true, false, true, 9, 0, 90, 2, 0, 90, 0, true},
        {"ground, in the way: 510 m off, both at 7 kt", true, false, true, 7, 0, 90, 510 * m, 7, 90, 0, false},
        {"ground, in the way: 490 m off", true, false, true, 0, 0, 90, 490 * m, 0, 90, 0, true},
        {"ground, in the way: the aircraft moves at 9 kt", true, false, true, 0, 0, 90, 2, 9, 90, 0, true},
        {"air: a ground aircraft 1.4 nm ahead", false, true, false, 0, 900, 0, 1.4, 0, 90, 0, true},
        {"air: 1.6 nm ahead", false, true, false, 0, 900, 0, 1.6, 0, 90, 0, false},
        {"air: the user 1100 ft up", false, true, false, 0, 1100, 0, 1.4, 0, 90, 0, false},
        {"air: 480 ft beside the user's line", false, true, false, 0, 900, beside(480, 1.4), 1.4, 0, 90, 0, true},
        {"air: 520 ft beside", false, true, false, 0, 900, beside(520, 1.4), 1.4, 0, 90, 0, false},
        {"air: in the way already", false, true, true, 0, 5000, 0, 5, 0, 90, 0, true},
        {"air: the rule off", false, false, false, 0, 900, 0, 1.4, 0, 90, 0, false},
        {"air: flying 5.9 nm off along the line toward the user", false, true, false, 0, 0, 0, 5.9, 250, 180, 5000, true},
        {"air: 6.1 nm off", false, true, false, 0, 0, 0, 6.1, 250, 180, 5000, false},
        {"air: flying away along the line", false, true, false, 0, 0, 0, 3, 250, 0, 5000, false},
        {"air: 2900 ft above the user", false, true, false, 0, 0, 0, 5, 250, 180, 7900, true},
        {"air: 3100 ft above", false, true, false, 0, 0, 0, 5, 250, 180, 8100, false},
        {"air: crossing 3900 ft off", false, true, false, 0, 0, 350, crossing(3900), 250, 90, 5000, true},
        {"air: crossing 4100 ft off", false, true, false, 0, 0, 350, crossing(4100), 250, 90, 5000, false},
        {"air: a ground aircraft 1.4 nm behind", false, true, false, 0, 900, 180, 1.4, 0, 90, 0, false},
    };
    const LatLon user{50.0, 4.0};
    for (const Case& c : cases) {
        liveActs.clear();
        userOnGround = c.userOnGround;
        COLLISION_USER_GND.value = c.collision;
        COLLISION_USER_AIR.value = c.collision;
        gf_setCurrentUserAircraft({.latitude = user.first, .longitude = user.second, .altitude = 5000.0,
                                   .altitudeAboveGround = c.userHeight, .groundSpeed = c.userSpeed});
        Act& act = lf_flight(0x400001, "KLM1", 0, c.altitude > 0);
        act.inUsersWay = c.inWay;
        const LatLon first = gf_destinationPoint(user, c.bearing * degToRad, c.nm * feetPerNm);
        const LatLon next = gf_destinationPoint(first, c.motion * degToRad, 0.5 * feetPerNm);
        for (PathPoint& p : act.path) {
            p.speed = c.speed;
            p.altitude = c.altitude;
        }
        std::tie(act.path[0].latitude, act.path[0].longitude) = first;
        std::tie(act.path[1].latitude, act.path[1].longitude) = next;
        lf_decideAll(act);
        EXPECT_EQ(act.path.size(), c.held ? 1u : 2u) << c.what;
        EXPECT_EQ(act.base.status, c.held ? statusNew : statusQueued) << c.what;
        if (!c.userOnGround && c.held) {
            EXPECT_TRUE(act.inUsersWay) << c.what;
        }
    }
}

TEST_F(TrafficTest, TheCreationAttitudeFollowsTheFirstPoint)
{
    for (const auto& [verticalSpeed, degrees] : {std::pair{-4000.0, 2.5}, std::pair{3000.0, -11.8}}) {
        liveActs.clear();
        Act& act = lf_flight(0x400001, "KLM1", 0, true);
        act.path[0].verticalSpeed = verticalSpeed;
        lf_decideAircraft(act);
        EXPECT_NEAR(act.pitch * radToDeg, degrees, 1e-9);
        EXPECT_EQ(act.phase, phaseAirborne);
        EXPECT_NEAR(act.heading * radToDeg, 89.996, 0.01) << "toward the second point";
    }
}

TEST_F(TrafficTest, ACreatedAircraftGetsItsPlanItsCgItsLightsAndSettles)
{
    lf_flight(0x484001, "KLM1", 0);
    runTicks(1);
    ASSERT_EQ(liveCreationItems.size(), 1u);
    const CreationItem& item = liveCreationItems.front();
    EXPECT_EQ(item.tailNumber, "KLM1");
    EXPECT_EQ(item.position.onGround, 1u);
    EXPECT_NEAR(item.position.pitch, 0.6, 1e-9);
    EXPECT_FALSE(item.liveryTitle.empty());
    runTicks(51); // sent on tick 50, answered, handled on tick 51
    Act& act = liveActs.front();
    ASSERT_EQ(act.base.objectId, 100u);
    EXPECT_TRUE(act.onGround);
    EXPECT_EQ(gf_testReadFile(dataFolder / L"orig_dest" / L"100.pln"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\n"
              "<FlightPlan.FlightPlan>\n"
              "<FPType>IFR</FPType>\n"
              "<DepartureID>EHAM</DepartureID>\n"
              "<DestinationID>EGLL</DestinationID>\n"
              "</FlightPlan.FlightPlan>\n"
              "</SimBase.Document>\n");
    EXPECT_EQ(requestsOf(reqFlightPlan), 1u);
    EXPECT_EQ(requestsOf(reqStaticCg), 1u);
    runTicks(1);
    EXPECT_EQ(act.base.head.staticCgHeight, 8.0) << "the answer to the static-CG request";
    runTicks(49);
    EXPECT_EQ(requestsOf(ceAllLightsToggle), 1u) << "50 ticks after the answer";
    runTicks(50);
    EXPECT_EQ(requestsOf(ceAllLightsToggle), 2u);
    runTicks(99);
    EXPECT_EQ(act.base.status, statusQueued);
    events.clear();
    runTicks(1); // the 201st
    EXPECT_EQ(act.base.status, statusCreated);
    EXPECT_TRUE(settlingList.empty());
    EXPECT_EQ(lf_eventIds(events), (std::vector<std::uint32_t>{ceSpoilers, ceEngineStart, ceNavLights, ceBeaconLights,
                                                               ceLandingLights, ceTaxiLights, ceStrobes, ceLogoLights,
                                                               ceCabinLights, ceThrottle, ceFlaps}));
    EXPECT_EQ(events[5].value, 1u) << "taxi lights while moving";
}

TEST_F(TrafficTest, SettledLightsFollowGroundStandAndAir)
{
    struct Case {
        bool airborne;
        std::uint32_t phase;
        double altitude, height;
        std::array<std::uint32_t, 7> lights;
    };
    NAV_LIGHTS_WHILE_PARKED.value = false;
    const Case cases[] = {{false, phaseGround, 0, 0, {1, 1, 0, 1, 0, 1, 1}},
                          {false, phaseAtStand, 0, 0, {0, 0, 0, 0, 0, 1, 1}},
                          {true, phaseAirborne, 9000, 2500, {1, 1, 1, 0, 1, 1, 1}},
                          {true, phaseAirborne, 12000, 1500, {1, 1, 0, 0, 1, 0, 0}}};
    for (const Case& c : cases) {
        Act act = gf_testAct(0x400001, statusQueued, 61, "KLM1");
        act.path[0].airborne = c.airborne;
        act.phase = c.phase;
        act.altitude = c.altitude;
        act.heightAboveGround = c.height;
        lf_liveSettled(act);
        std::vector<ClientEventItem> lights;
        std::ranges::copy_if(simQueues.events, std::back_inserter(lights),
                             [](const ClientEventItem& e) { return e.eventId >= ceBeaconLights && e.eventId <= ceLogoLights; });
        ASSERT_EQ(lights.size(), 7u);
        for (std::size_t i = 0; i < 7; ++i)
            EXPECT_EQ(lights[i].value, c.lights[i]) << "phase " << c.phase << " light " << i;
        gf_emptySimQueues();
    }
}

TEST_F(TrafficTest, EveryKindOfAnswerIsHandled)
{
    // Static CG: a wrong height is logged and kept out; an odd pitch is replaced.
    Act& act = gf_testAddAct(0x400001, statusCreated, 61, "KLM1");
    act.base.head.staticCgHeight = 7.0;
    lf_processAnswer({61, 0, 0, AnswerKind::staticCg, 0.5, 0.05});
    EXPECT_EQ(act.base.head.staticCgHeight, 7.0);
    EXPECT_EQ(act.base.head.staticPitch, 0.012217304763960306);
    EXPECT_TRUE(log.holds("static CG 0.5ft wrong?"));
    lf_processAnswer({61, 0, 0, AnswerKind::staticCg, 9.0, -0.01});
    EXPECT_EQ(act.base.head.staticCgHeight, 9.0);
    EXPECT_EQ(act.base.head.staticPitch, -0.01);

    // Touch-down of a landing aircraft: spoilers, the wheel data, the roll-out.
    act.onGround = 0;
    act.landing = 1;
    act.base.head.rollOutSlots = 4;
    act.pitch = -0.05;
    act.base.head.fsltlLivery = 1;
    lf_processAnswer({61, 1, 0, AnswerKind::objectData, 2.0, 3.0});
    EXPECT_TRUE(act.landed && act.onGround);
    EXPECT_EQ(act.altitude, 11.0) << "static CG height plus the ground's";
    ASSERT_EQ(requestsOf(defSpoilersThrottles), 1u);
    EXPECT_EQ(requests.back().values, (std::array<double, 3>{100.0, -100.0, -100.0}));
    EXPECT_DOUBLE_EQ(act.pitchStep, (-0.01 + 0.05) / 4);
    lf_processAnswer({99, 1, 0, AnswerKind::objectData, 2.0, 3.0}); // no such object: nothing

    // Blocked: a new record is dropped, a created one removed.
    gf_testAddAct(0x400002, statusNew, 0, "KLM2");
    lf_processAnswer({0, 0x400002, 0, AnswerKind::blocked, 0, 0});
    lf_processAnswer({0, 0x400001, 0, AnswerKind::blocked, 0, 0});
    EXPECT_TRUE(liveActs[1].remove);
    EXPECT_EQ(liveActs[0].base.status, statusRemoving);

    // Failed creations: 10001 and above are live, 10000 and below static; a tail number too
    // long for the simulator was never sent, so its livery is not blamed.
    liveActs.clear();
    gf_testAddAct(10001, statusQueued, 0, "KLM3").base.head.liveryTitle = "Boeing 737-800 KLM Skyteam";
    gf_testAddAct(10002, statusQueued, 0, "KLM0123456789").base.head.liveryTitle = "Boeing 737-800 Generic";
    for (std::uint32_t id : {9999u, 10000u}) {
        ActHead head;
        head.flightId = id;
        staticActs.emplace_back(std::move(head), 0, 0.0, 0.0, 0.0, false);
    }
    for (std::uint32_t id : {10000u, 10001u})
        lf_processAnswer({0, id, 0, AnswerKind::creationFailed, 0, 0});
    lf_processAnswer({0, 10002, 0, AnswerKind::creationFailed, 0, 0, false}); // as the link reports it
    EXPECT_TRUE(liveActs.empty());
    ASSERT_EQ(staticActs.size(), 1u);
    EXPECT_EQ(staticActs[0].head.flightId, 9999u);
    EXPECT_TRUE(log.holds("\"Boeing 737-800 KLM Skyteam\" could not be created by your Sim!"));
    EXPECT_EQ(log.text().find("Boeing 737-800 Generic"), std::string::npos);

    // Removed: a static record leaves the table in order; an impossible object id is never settled.
    staticActs[0].objectId = 71;
    lf_processAnswer({71, 0, 0, AnswerKind::removed, 0, 0});
    EXPECT_TRUE(staticActs.empty());
    gf_testAddAct(0x400003, statusQueued, 0, "KLM3");
    lf_processAnswer({2, 0x400003, 0, AnswerKind::liveCreated, 0, 0});
    EXPECT_TRUE(settlingList.empty());
    EXPECT_TRUE(liveActs.back().remove);
    EXPECT_TRUE(log.holds("KLM3 objectId in liveAIAdded 2"));
}

TEST_F(TrafficTest, AFlightPlanGoesWithItsObjectAndOneThatCannotBeDeletedIsLogged)
{
    // An aircraft created again under a new identity: its old object's plan goes, and the new
    // object writes its own when it settles.
    gf_testAddAct(0x400002, statusRecreate, 62).flightPlanSet = 1;
    const std::filesystem::path oldPlan(gf_flightPlanPath(62));
    std::filesystem::create_directories(oldPlan.parent_path());
    std::ofstream(oldPlan) << "plan";
    lf_processAnswer({62, 0, 0, AnswerKind::removed, 0, 0});
    EXPECT_FALSE(std::filesystem::exists(oldPlan));
    ASSERT_EQ(liveActs.size(), 1u);
    EXPECT_EQ(liveActs[0].base.status, statusNew);
    EXPECT_EQ(liveActs[0].flightPlanSet, 0);
    liveActs.clear();

    gf_testAddAct(0x400001, statusRemoving, 61).flightPlanSet = 1;
    // A folder that is not empty stands where the plan's file was.
    const std::filesystem::path plan(gf_flightPlanPath(61));
    std::filesystem::create_directories(plan / L"held");
    EXPECT_NO_THROW(lf_processAnswer({61, 0, 0, AnswerKind::removed, 0, 0}));
    EXPECT_TRUE(liveActs.empty());
    EXPECT_TRUE(log.holds("===> flight plan 61.pln not deleted: "));
}

TEST_F(TrafficTest, OnlyASimulatorRefusalBlamesTheLivery)
{
    // The simulator link's failed creations: dropped while paused, a send that failed and a
    // tail number too long are no fault of the livery; twenty of them must not end the
    // program with error 81. A refusal by the simulator is.
    static const std::string title = "Boeing 737-800 KLM Skyteam";
    failedTitles.clear();
    struct Case {
        std::uint32_t flightId;
        bool liveryBlamed;
    };
    std::vector<Case> cases;
    for (std::uint32_t n = 0; n < 25; ++n)
        cases.push_back({n % 2 == 0 ? 10001 + n : 1 + n, false}); // live and static
    cases.push_back({20001, true});
    cases.push_back({100, true});
    std::size_t blamed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flightId);
        if (c.flightId > highestStaticFlightId) {
            gf_testAddAct(c.flightId, statusQueued, 0, "KLM3").base.head.liveryTitle = title;
        } else {
            ActHead head;
            head.flightId = c.flightId;
            head.liveryTitle = title;
            staticActs.emplace_back(std::move(head), 0, 0.0, 0.0, 0.0, false);
        }
        EXPECT_NO_THROW(lf_processAnswer({0, c.flightId, 0, AnswerKind::creationFailed, 0, 0, c.liveryBlamed}));
        EXPECT_TRUE(liveActs.empty() && staticActs.empty()) << "the record goes in every case";
        blamed += c.liveryBlamed ? 1 : 0;
        EXPECT_EQ(failedTitles.size(), blamed);
    }
    failedTitles.clear();
}

TEST_F(TrafficTest, TheResetLeavesNoListBehind)
{
    // What a run leaves: a stand learned from a flight, arrivals waiting for their check
    // against the static aircraft.
    ASSERT_TRUE(lf_allowLearning(WeekSlot{1, 20}, 0x400001, false));
    ASSERT_FALSE(lf_allowLearning(WeekSlot{1, 21}, 0x400001, false)) << "too soon within one run";
    staticConflictChecks = {0x400001, 0x400002};
    unknownTypeFlights = {0x400003}; // told once a run
    // A live creation still queued: after the restart no object of the old run may appear.
    liveCreationItems.push_back({.tailNumber = "KLM1", .flightId = 0x400001});
    lf_resetTraffic();
    EXPECT_TRUE(learningList.empty());
    EXPECT_TRUE(staticConflictChecks.empty());
    EXPECT_TRUE(unknownTypeFlights.empty());
    runTicks(1);
    EXPECT_TRUE(creations.empty()) << "the first tick of the new run sends nothing of the old";
    EXPECT_TRUE(lf_allowLearning(WeekSlot{1, 21}, 0x400001, false)) << "a new run learns from the flight at once";
}

TEST_F(TrafficTest, OnlyACreatedAircraftTakesAStandAndAParkedOnesPlaceAtTheMaximum)
{
    // At most one parked aircraft: KLM9 at A1. Two newcomers stand at A2 in turn.
    gf_testPark({52.30, 4.76});
    gf_testAddStand("A1", {52.30, 4.76}, 90.0, 20.0);
    gf_testAddStand("A2", {52.30, 4.762}, 90.0, 20.0);
    parkMaximum = 1;
    Act& parked = gf_testAddAct(0x400009, statusCreated, 90, "KLM9");
    parked.phase = phaseAtStand;
    parked.base.standNumber = 1;
    // It has stood longer than a renewal keeps it: a newcomer that merely stands may displace it.
    parked.parkedSince = gf_steadyTicks() - std::chrono::steady_clock::duration(std::chrono::minutes(100)).count();
    objects.insert(90);
    for (const std::uint32_t hexid : {0x400001u, 0x400002u}) {
        Act& act = lf_flight(hexid, "KLM1", 100);
        for (PathPoint& p : act.path)
            p = {.latitude = 52.30, .longitude = 4.762, .tick = p.tick, .hold = 1};
        ASSERT_TRUE(lf_matchLivery(act));
        // The simulator refuses the first one's livery: nobody makes way, the stand is free.
        const bool refused = refusedTitles.empty();
        refusedTitles = {std::string(refused ? act.base.head.liveryTitle : "")};
        ASSERT_TRUE(tickUntil([=] { return gf_findAct(refused ? hexid : 0x400009) == nullptr; }));
        EXPECT_EQ(removals.size(), refused ? 0u : 1u);
        EXPECT_EQ(parkStands[1].occupied, refused ? 0 : 1);
        failedTitles.clear();
    }
}

TEST_F(TrafficTest, AnAnswerWhoseRecordIsGoneHasItsObjectRemoved)
{
    lf_processAnswer({81, 0x400001, 0, AnswerKind::liveCreated, 0, 0});
    lf_processAnswer({82, 17, 0, AnswerKind::staticCreated, 0, 0});
    objects = {81, 82};
    runTicks(201);
    EXPECT_TRUE(settlingList.empty());
    runTicks(20);
    EXPECT_TRUE(objects.empty()) << "both objects were removed from the simulator";
}

TEST_F(TrafficTest, RemovalsFreeTheStandAndNeverStrandARecord)
{
    parkStands.emplace_back("A1", std::vector<StandOption>{}, 52.3, 4.76, 0.0, 40.0, false, false, false);
    parkStands.back().standNumber = 5;
    parkStands.back().occupied = 1;
    Act& queued = gf_testAddAct(0x400001, statusQueued, 0, "KLM1");
    queued.base.standNumber = 5; // placed at the stand at its creation
    queued.phase = phaseAtStand;
    lf_removeAircraft(queued, "test");
    EXPECT_EQ(parkStands[0].occupied, 0);
    EXPECT_TRUE(queued.remove) << "a live record without object leaves the table";
    EXPECT_TRUE(removalQueue.empty());
    EXPECT_TRUE(log.holds("removing act KLM1"));
    ActHead head;
    staticActs.emplace_back(std::move(head), 0, 0.0, 0.0, 0.0, false);
    staticActs[0].status = statusQueued;
    lf_removeAircraft(staticActs[0]);
    EXPECT_EQ(staticActs[0].status, statusQueued);
    EXPECT_TRUE(staticActs[0].removeWhenCreated) << "it goes once created";
}

TEST_F(TrafficTest, FarthestFirstTrimming)
{
    gf_setCurrentUserAircraft({.latitude = 50.0, .longitude = 0.0});
    const double nmNorth = 1.0 / 60.0; // one arc minute
    for (const auto& [id, nm, status] : {std::tuple{1u, 20.0, statusCreated}, std::tuple{2u, 20.05, statusCreated},
                                         std::tuple{3u, 41.0, statusQueued}, std::tuple{4u, 10.0, statusCreated}})
        gf_testAddAct(0x400000 + id, status, 60 + id, "KLM", 50.0 + nm * nmNorth, 0.0);
    EXPECT_TRUE(lf_removeFarthest(20.0)) << "none more than 0.1 nm beyond";
    EXPECT_FALSE(lf_removeFarthest(-1.0));
    EXPECT_EQ(liveActs[0].base.status, statusRemoving) << "the first of two within 0.1 nm";
    EXPECT_EQ(liveActs[1].base.status, statusCreated);
    MAX_LIVE.value = 1;
    lf_removeExcess();
    EXPECT_EQ(liveActs[1].base.status, statusRemoving);
    EXPECT_EQ(liveActs[2].base.status, statusQueued) << "only created aircraft count and go";
    EXPECT_EQ(liveActs[3].base.status, statusCreated);
}

TEST_F(TrafficTest, FlightPlansAreWrittenForTheTypeAndEscaped)
{
    ActHead head;
    head.identity.departure = "E&M";
    head.identity.destination = "<X>";
    head.sizeClass = 5;
    const std::wstring path = gf_flightPlanPath(123);
    ASSERT_TRUE(gf_writeFlightPlan(path, head));
    const std::string text = gf_testReadFile(path);
    EXPECT_NE(text.find("<FPType>VFR</FPType>\n<DepartureID>E&amp;M</DepartureID>\n"
                        "<DestinationID>&lt;X&gt;</DestinationID>\n"),
              std::string::npos);
    EXPECT_FALSE(gf_writeFlightPlan(gf_flightPlanPath(1) + L"\\no\\such\\folder.pln", head));
    EXPECT_TRUE(gf_removeFlightPlanFolder());
    EXPECT_TRUE(gf_removeFlightPlanFolder()) << "already gone";
}
