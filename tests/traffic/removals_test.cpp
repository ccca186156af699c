// Aircraft taken out for other reasons than the live data: in the user's way, over the park
// maximum, parked too long, on the reserved stand, and queued creations withdrawn.
#include "parking_fixture.h"

#include "traffic/motion.h"

#include "foundation/settingscatalogue.h"
#include "links/simlink.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>

namespace {
using namespace std::chrono_literals;

class Removals : public ParkingTest {
protected:
    // A created airborne live aircraft `nm` from the user along `bearing` (radians).
    Act& flying(std::uint32_t flightId, double nm, double bearing, double heading, double altitude = 3000.0)
    {
        const LatLon at = gf_destinationPoint({amsLatitude, amsLongitude}, bearing, nm * feetPerNm);
        Act& act = addLive(flightId, fmt::format("F{}", flightId), 0, at.first, at.second);
        act.onGround = 0;
        act.phase = phaseAirborne;
        act.heading = heading;
        act.altitude = altitude;
        return act;
    }
    static void parkedFor(Act& act, std::chrono::minutes minutes)
    {
        act.parkedSince = gf_steadyTicks() - std::chrono::steady_clock::duration(minutes).count();
    }
    static std::uint32_t objectOf(std::uint32_t flightId) { return flightId + 1000; }
};

constexpr double north = 0.0;
constexpr double east = 1.5707963267948966;
constexpr double south = 3.141592653589793;

TEST_F(Removals, InTheAirOnlyAircraftWhoseLinePassesCloseToTheUserGo)
{
    struct Case {
        const char* what;
        double nm, bearing, heading, altitude;
        bool removed;
    };
    const Case cases[] = {
        {"head-on 3.9 nm ahead", 3.9, north, south, 3000.0, true},
        {"head-on 4.1 nm ahead", 4.1, north, south, 3000.0, false},
        {"parallel 3.9 nm abeam", 3.9, east, north, 3000.0, false},
        {"crossing 3.9 nm ahead", 3.9, north, east, 3000.0, false},
        {"head-on 1000 ft above", 3.9, north, south, 4000.0, false},
        {"3.9 nm behind, flying away", 3.9, south, south, 3000.0, false},
        {"3.9 nm behind, coming up", 3.9, south, north, 3000.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        liveActs.clear();
        setUser(amsLatitude, amsLongitude, false, 3000.0);
        Act& act = flying(1, c.nm, c.bearing, c.heading, c.altitude);
        lf_userAirConflict(act);
        EXPECT_EQ(act.base.status == statusRemoving, c.removed);
    }
}

TEST_F(Removals, LowAboveTheGroundTaxiingAircraftOnTheUsersLineGoOnePerSecond)
{
    setUser(amsLatitude, amsLongitude, false, 300.0);
    for (const std::uint32_t id : {1u, 2u}) {
        Act& act = flying(id, 0.8, north, east);
        act.onGround = 1;
    }
    Act& beside = flying(3, 0.8, east, east);
    beside.onGround = 1;
    Act& behind = flying(4, 0.8, south, east); // on the user's line, behind it
    behind.onGround = 1;
    Act& shownBeside = flying(5, 0.8, north, east); // its path on the line, the aircraft shown beside it
    shownBeside.onGround = 1;
    const LatLon aside = gf_destinationPoint({amsLatitude, amsLongitude}, east, 0.8 * feetPerNm);
    shownBeside.shown.set = shownBeside.shown.onGround = 1;
    shownBeside.shown.latitude = aside.first;
    shownBeside.shown.longitude = aside.second;
    // The main loop's walk: each second, up to the first aircraft removed.
    const auto second = [] { std::ranges::any_of(liveActs, [](Act& act) { return lf_userAirConflict(act); }); };
    second();
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{objectOf(1)});
    second();
    second();
    second();
    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{objectOf(1), objectOf(2)}));
}

TEST_F(Removals, OnTheGroundStaticAircraftAreTestedOnceUntilTheUserMoves)
{
    addStand("A1", 0.0);
    addStand("A2", 100.0);
    StandRecord& stand = parkStands[0];
    const LatLon near = gf_destinationPoint({stand.latitude, stand.longitude}, east, 15.0 / 0.3048);
    setUser(near.first, near.second, true);
    addStatic(2, "KLM2*", "B738", 502); // 100 m away: stays
    lf_userGroundConflict();
    EXPECT_TRUE(removals().empty());

    addStatic(1, "KLM1*", "B738", 501).head.wingspan = 0.01; // 18.5 m, 15 m from the user
    lf_userGroundConflict();
    EXPECT_TRUE(removals().empty());
    setUser(near.first + 1e-6, near.second, true);
    lf_userGroundConflict();
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{501});

    Act& live = addLive(7, "DLH7", 0, near.first, near.second + 0.0001);
    live.base.head.wingspan = 0.01;
    lf_userGroundConflict();
    EXPECT_EQ(live.base.status, statusRemoving);
}

TEST_F(Removals, QueuedCreationsAreWithdrawnInTheExitsWalkWithoutSkippingAny)
{
    for (const std::uint32_t id : {1u, 2u, 3u, 4u}) {
        Act& act = addLive(id, fmt::format("Q{}", id));
        act.base.status = statusQueued;
        if (id != 4) // the fourth one's request has not become an item yet
            liveCreationItems.push_back({{}, act.callsign(), {}, id});
    }
    addLive(5, "C5");
    gf_removeLiveAircraft();
    EXPECT_TRUE(liveCreationItems.empty());
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(liveActs[i].remove, 1) << liveActs[i].callsign();
    EXPECT_EQ(liveActs[3].base.removeWhenCreated, 1);
    EXPECT_EQ(liveActs[4].base.status, statusRemoving);
    EXPECT_FALSE(lf_removeByCallsign("Q1"));
}

TEST_F(Removals, TheParkMaximumRemovesTheLongestParkedLiveAndTheLastPlacedStatic)
{
    for (int i = 0; i < 4; ++i)
        addStand(fmt::format("S{}", i), 100.0 * i);
    parkedFor(addLive(1, "L1", 1), 95min);
    parkedFor(addLive(2, "L2", 2), 100min);
    addStatic(3, "S3*", "B738", 503).parkedSlot = {1, 10};
    addStatic(4, "S4*", "B738", 504).parkedSlot = {1, 12};
    StaticAct queued = staticActs.back(); // not yet created
    queued.status = statusQueued;
    staticActs.push_back(queued);

    parkMaximum = 0;
    lf_enforceMaxPark(1);
    EXPECT_TRUE(removals().empty());
    // Three live (one about to park) and two static aircraft: a maximum reached is not exceeded.
    parkMaximum = 5;
    lf_enforceMaxPark(1);
    EXPECT_TRUE(removals().empty());
    parkMaximum = 3;
    lf_enforceMaxPark(1);
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{504}) << "only a static aircraft";

    parkMaximum = 1;
    INITIAL_LOAD_ONLY.value = true;
    lf_enforceMaxPark(1);
    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{504, 503}));
    INITIAL_LOAD_ONLY.value = false;
    lf_enforceMaxPark(1);
    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{504, 503, objectOf(2)}));
    EXPECT_TRUE(logged("S1: L2       max park exceeded, removed"));
}

// A newcomer at a stand counts from the request of its creation: two asked for one after the other
// count each other, and one is asked for only where the maximum leaves room, or a parked aircraft
// that has stood long can make way for it, at its answer. One whose creation was withdrawn
// counts for nothing. An arrival parking takes the place of one that has stood a minute.
TEST_F(Removals, NewcomersAtStandsCountFromTheRequestsOfTheirCreationsAndNoneShownMomentsAgoGoes)
{
    simRequestSeam = [](const SimRequest&) { return true; };
    for (int i = 1; i <= 6; ++i)
        addStand(fmt::format("S{}", i), 100.0 * i);
    parkedFor(addLive(1, "L1", 1), 0min);
    parkedFor(addLive(2, "L2", 2), 80min);
    parkMaximum = 2;
    EXPECT_FALSE(gf_parkRoomForOneMore()) << "a newcomer merely standing waits: L2 has not stood 90 minutes";
    parkedFor(liveActs[1], 91min);
    const auto request = [this](std::uint32_t flightId, bool withdrawn) -> Act& {
        Act& act = addLive(flightId, fmt::format("N{}", flightId), flightId);
        act.base.status = statusQueued;
        act.base.objectId = 0;
        act.base.removeWhenCreated = withdrawn ? 1 : 0;
        act.path.push_back({.latitude = act.latitude, .longitude = act.longitude});
        return act;
    };
    const auto answer = [this](std::uint32_t flightId) {
        liveAIAdded(*gf_findAct(flightId), {objectOf(flightId), flightId, 0, AnswerKind::liveCreated, 0.0, 0.0});
    };
    EXPECT_TRUE(gf_parkRoomForOneMore()) << "L2 may make way";
    request(3, true);
    answer(3);
    EXPECT_TRUE(removals().empty()) << "a withdrawn creation counts for nothing";
    EXPECT_TRUE(gf_parkRoomForOneMore());
    request(4, false);
    EXPECT_FALSE(gf_parkRoomForOneMore()) << "counted from its request, N4 leaves only L1, shown moments ago";
    answer(4);
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{objectOf(2)});
    parkedFor(liveActs[0], 2min);
    Act& arrival = addLive(5, "A5", 5);
    std::tie(arrival.base.latitude, arrival.base.longitude) = std::pair{arrival.latitude, arrival.longitude};
    arrival.phase = phaseToStand;
    arrival.path.emplace_back();
    lf_arrivedAtStand(arrival);
    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{objectOf(2), objectOf(1)})) << "L1 makes way for A5";
    simRequestSeam = nullptr;
}

// Reports of an aircraft kept out for the park maximum that come again after ten minutes of
// silence show it, even where it stood.
TEST_F(Removals, AnAircraftKeptOutForTheParkMaximumComesBackWhenItsReportsWereSilent)
{
    addStand("S1", 0.0);
    addStand("S2", 100.0);
    parkedFor(addLive(1, "L1", 1), 50min);
    parkedFor(addLive(2, "L2", 2), 80min);
    parkMaximum = 1;
    lf_enforceMaxPark(0, true);
    LiveReport report{.latitude = liveActs[1].latitude, .longitude = liveActs[1].longitude, .timeStamp = 1.7e9,
                      .hexid = 2};
    EXPECT_TRUE(lf_keptOutAtStand(report));
    report.timeStamp += 610.0;
    EXPECT_FALSE(lf_keptOutAtStand(report));

    // Reports metres north of the stand, each 10 s after the last: it leaves after three in a
    // row went farther, 20 m in all, counted from its stand (not from the first report after
    // its removal), and a report nearer again starts the count afresh.
    const struct {
        const char* what;
        std::vector<double> metres;
        bool keptAtLast;
    } rows[] = {{"pushed back from the first report on", {15.0, 25.0, 35.0}, false},
                {"back nearer between", {10.0, 20.0, 5.0, 30.0}, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        liveActs.clear();
        lf_forgetKeptOut();
        parkedFor(addLive(1, "L1", 1), 50min);
        parkedFor(addLive(2, "L2", 2), 80min);
        lf_enforceMaxPark(0, true);
        ASSERT_EQ(liveActs[1].base.status, statusRemoving);
        const LatLon stand{liveActs[1].latitude, liveActs[1].longitude};
        for (std::size_t i = 0; i < row.metres.size(); ++i) {
            const LatLon at = gf_destinationPoint(stand, north, row.metres[i] / metresPerNm * feetPerNm);
            report = {.latitude = at.first, .longitude = at.second, .timeStamp = 1.7e9 + 10.0 * i, .hexid = 2};
            EXPECT_EQ(lf_keptOutAtStand(report), i + 1 < row.metres.size() || row.keptAtLast) << row.metres[i] << " m";
        }
    }
}

TEST_F(Removals, EveryRemovalAndEveryRemakeDroppedIsLoggedWithItsReason)
{
    addStand("A1", 0.0);
    const auto remade = [](Act& a, std::uint8_t again) { gf_createAgain(a, "test"), a.madeAgain = again, gf_oldObjectGone(a); };
    const auto failed = [&](Act& a, bool refused) {
        remade(a, 1), lf_processAnswer({0, a.base.head.flightId, 0, AnswerKind::creationFailed, 0.0, 0.0, refused});
    };
    const std::pair<std::function<void(Act&)>, const char*> rows[] = {
        {[](Act&) { gf_removeLiveAircraft(true); }, "removed, parked, the user left the park airport"},
        {[](Act& a) { lf_processAnswer({a.base.objectId, 0, 0, AnswerKind::removed, 0.0, 0.0}); }, "removed, by the simulator"},
        {[&](Act& a) { failed(a, true); }, "not made again: the simulator refused its creation"},
        {[&](Act& a) { failed(a, false); }, "not made again: its creation did not reach the simulator"},
        {[&](Act& a) {
             a.path.assign(2, {.latitude = a.latitude, .longitude = a.longitude, .hold = 1});
             remade(a, 0), BLOCK_CALLSIGN.setValue("L1"), lf_decideAll(a);
         },
         "not made again: its callsign is blocked"}};
    for (const auto& [drop, line] : rows) {
        liveActs.clear();
        drop(addLive(0x400001, "L1", 1));
        EXPECT_TRUE(logged(fmt::format("A1      : L1       {}", line)));
    }
    BLOCK_CALLSIGN.setValue("");
}

TEST_F(Removals, OnlyTheAircraftThatHoldsAStandFreesIt)
{
    // An aircraft keeps its stand's number after it left the stand; another may have parked
    // there since, and the stand stays that one's when the first is removed.
    const StandRecord& stand = addStand("A1", 0.0);
    struct Case {
        const char* what;
        std::uint32_t phase;
        bool frees;
    };
    const Case cases[] = {{"parked there", phaseAtStand, true},
                          {"pushed back from it", phasePushBack, false},
                          {"left it", phaseGround, false},
                          {"taxiing to it", phaseToStand, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        liveActs.clear();
        addLive(1, "KLM1", 1).phase = c.phase;
        if (!c.frees)
            addLive(2, "KLM2", 1); // parked there since
        parkStands[0].occupied = 1;
        lf_removeAircraft(liveActs[0], "test");
        EXPECT_EQ(parkStands[0].occupied, c.frees ? 0 : 1);
        // A newcomer standing there finds the stand free only when nobody holds it.
        Act& newcomer = addLive(3, "KLM3");
        EXPECT_EQ(lf_findStandNear(stand.latitude, stand.longitude, newcomer, 0.03, true) != nullptr, c.frees);
    }
}

TEST_F(Removals, LiveAircraftParkedTooLongGoAtARenewalUnlessInitialLoadOnly)
{
    for (int i = 0; i < 3; ++i)
        addStand(fmt::format("S{}", i), 100.0 * i);
    Act& heavy = addLive(1, "H1", 1);
    heavy.base.head.sizeClass = 3;
    parkedFor(heavy, 170min);
    parkedFor(addLive(2, "L2", 2), 91min);
    parkedFor(addLive(3, "L3", 3), 89min);
    addLive(4, "K3", 3).keepStand = 1;

    INITIAL_LOAD_ONLY.value = true;
    lf_listParkedLive();
    EXPECT_EQ(liveStayers.size(), 4u);
    EXPECT_TRUE(removals().empty());

    INITIAL_LOAD_ONLY.value = false;
    lf_listParkedLive();
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{objectOf(2)});
    ASSERT_EQ(liveStayers.size(), 3u);
    EXPECT_EQ(liveStayers.front().callsign, "K3");
    EXPECT_EQ(liveStayers.back().callsign, "H1");
}

TEST_F(Removals, StaticAircraftLeaveEachAsItsStatusAllows)
{
    addStand("A1", 0.0);
    addStatic(1, "KLM1*", "B738", 501);
    StaticAct& queued = addStatic(1, "KLM2*");
    queued.status = statusQueued;
    staticCreationItems.push_back({{}, "KLM2*", {}, queued.head.flightId});
    addStatic(1, "KLM3*").status = statusQueued; // its item has already been sent
    lf_removeStaticParked();
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{501});
    ASSERT_EQ(staticActs.size(), 2u);
    EXPECT_EQ(staticActs[1].head.identity.callsign, "KLM3*");
    EXPECT_EQ(staticActs[1].removeWhenCreated, 1);
}

TEST_F(Removals, TheReservedStandIsClearedStaticFirst)
{
    addStand("A1", 0.0);
    addStand("A2", 100.0);
    gf_setReservedStandName("A2");
    addLive(1, "L1", 2);
    addStatic(2, "KLM2*", "B738", 502);
    lf_freeReservedStand();
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{502});
    lf_freeReservedStand();
    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{502, objectOf(1)}));
}

TEST_F(Removals, AStaticAircraftGoesWhenItsRealAircraftParksLive)
{
    addStand("A1", 0.0);
    addStand("A2", 100.0);
    addStatic(1, "KLM1*", "B738", 501);
    addStatic(2, "KLM9*", "B738", 502).head.identity.registration = "PH-BXA";
    Act& live = addLive(1, "DLH7");
    lf_removeParkedByName(live);
    EXPECT_TRUE(removals().empty()) << "no registration is no match for a static aircraft without one";
    live.base.head.identity.callsign = "KLM1";
    lf_removeParkedByName(live);
    live.base.head.identity.callsign = "KLM5";
    live.base.head.identity.registration = "PH-BXA";
    lf_removeParkedByName(live);
    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{501, 502}));
}
} // namespace
