// The main loop's tick and schedule, driven one tick at a time (a "second" is a tick in
// which the simulator's user-aircraft report is pending).
#include "control_fixture.h"

#include "app/mainloop.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/status.h"
#include "foundation/settingscatalogue.h"
#include "links/realtrafficserver.h"
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "links/trafficreader.h"
#include "foundation/exceptions.h"
#include "liveries/liveries.h"
#include "support/trafficacts.h"
#include "traffic/parking.h"

#include <regex>
#include <thread>
#include <tuple>

namespace {
class Schedule : public ProgramFolderTest {
protected:
    Schedule()
    {
        flightRunning = true;
        userOnGround = false;
        tickCounter = 0;
        gf_testClearTraffic();
        COLLISION_USER_AIR.value = false;
        COLLISION_USER_GND.value = false;
        COLLISION_LIVE_PARKED_GND.value = false;
        AUTO_RANGE.value = false;
    }

    // One tick with a pending report: the per-second pass runs (as second `number` when given).
    static void second(std::int32_t number = 0)
    {
        if (number > 0)
            secondsCounter = number - 1;
        newSecond = true;
        lf_mainTick();
    }

    // A stand of the park airport with this number.
    static void addStand(const std::string& name, std::uint32_t number)
    {
        parkStands.emplace_back(name, std::vector<StandOption>{}, 52.3 + 0.01 * number, 4.76, 0.0, 40.0, false, false,
                                false);
        parkStands.back().standNumber = number;
    }
    // A created static parked aircraft at the stand.
    static void addStatic(std::uint32_t stand, const std::string& callsign, std::uint32_t objectId,
                          const std::string& optionCallsign = "")
    {
        ActHead head;
        head.identity.callsign = callsign;
        head.identity.optionCallsign = optionCallsign;
        StaticAct& parked = staticActs.emplace_back(std::move(head), stand, 52.3, 4.76, 0.0, false);
        parked.status = statusCreated;
        parked.objectId = objectId;
    }
    // A created live aircraft that stays where it is.
    static Act& addStill(std::uint32_t flightId, std::uint32_t objectId, const std::string& callsign, double latitude,
                         double longitude)
    {
        Act& act = gf_testAddAct(flightId, statusCreated, objectId, callsign, latitude, longitude);
        act.path.clear();
        return act;
    }
    static int removedStatics(const std::string& callsign)
    {
        return static_cast<int>(std::count_if(staticActs.begin(), staticActs.end(), [&](const StaticAct& parked) {
            return parked.head.identity.callsign == callsign && parked.status == statusRemoving;
        }));
    }
    static std::vector<std::uint32_t> removals() { return {removalQueue.begin(), removalQueue.end()}; }

    static bool accepting()
    {
        std::lock_guard lock(reportDequeMutex);
        return acceptReports;
    }
};
} // namespace

TEST_F(Schedule, EveryTickRunsTheUpkeepAndOnlyAReportRunsThePerSecondPass)
{
    for (int tick = 0; tick < 5; ++tick)
        lf_mainTick();
    EXPECT_EQ(tickCounter.load(), 5);
    EXPECT_EQ(secondsCounter.load(), 0);
    EXPECT_EQ(mainWindow.secondsClock.load(), 0);
    second();
    EXPECT_EQ(tickCounter.load(), 6);
    EXPECT_EQ(secondsCounter.load(), 1);
    EXPECT_EQ(mainWindow.secondsClock.load(), 1);
    EXPECT_FALSE(newSecond.load()) << "the report is consumed";
    lf_mainTick();
    EXPECT_EQ(secondsCounter.load(), 1);
}

TEST_F(Schedule, SlowJobsRunOnTheirSeconds)
{
    // Each job leaves a trace: the reserved stand loses one static aircraft, static parking
    // unlocks the parking controls once nothing is left to place, and the parked-by-name
    // check removes a static aircraft that a live one stands for.
    addStand("D7", 1);
    addStand("E1", 2);
    gf_setReservedStandName("D7");
    for (std::uint32_t i = 0; i < 20; ++i) {
        addStatic(1, "RES*", 500 + i);
        addStatic(2, "KLM1*", 600 + i);
    }
    addStill(0x400001, 41, "KLM1", 53.0, 5.0);
    for (std::int32_t n = 1; n <= 250; ++n) {
        staticParkingRunning = true;
        const int reserved = removedStatics("RES*");
        const int named = removedStatics("KLM1*");
        second();
        ASSERT_EQ(secondsCounter.load(), n);
        SCOPED_TRACE(n);
        EXPECT_EQ(removedStatics("RES*") - reserved, n % 15 == 0 ? 1 : 0);
        EXPECT_EQ(!staticParkingRunning.load(), n % 16 == 0 && n % 15 != 0) << "not at 240";
        EXPECT_EQ(removedStatics("KLM1*") - named, n % 61 == 0 && n % 15 != 0 ? 1 : 0);
    }
}

TEST_F(Schedule, StatusLightsAreCheckedEvery59Seconds)
{
    mainWindow.readerLights = true;
    mainWindow.trafficReaderState = 1;
    second(58);
    EXPECT_EQ(mainWindow.trafficReaderState.load(), 1);
    second(59);
    EXPECT_EQ(mainWindow.trafficReaderState.load(), 2) << "no datagram since the last check";
}

TEST_F(Schedule, TheFifteenSecondBranchRunsInOrderThenTheThirtySecondJobs)
{
    addStand("D7", 1);
    addStatic(1, "RES*", 77);
    gf_setReservedStandName("D7");
    reReadRequest = true;
    noMatchClearRequest = true;
    noMatchSet.insert("KLM B738 EHAM-EGLL");
    AUTO_RANGE.value = true;
    userOnGround = true;
    LATERAL_RANGE.value = 40;
    second(30);
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{77}) << "the reserved stand is cleared";
    EXPECT_TRUE(log.text().find("park airports and stands are okay") != std::string::npos);
    EXPECT_FALSE(reReadRequest.load());
    EXPECT_FALSE(noMatchClearRequest.load());
    EXPECT_TRUE(noMatchSet.empty());
    EXPECT_EQ(LATERAL_RANGE.value.load(), 8) << "automatic range on the ground";

    // At 45 s only the fifteen-second branch: no automatic range.
    userOnGround = false;
    second(45);
    EXPECT_EQ(LATERAL_RANGE.value.load(), 8);
}

TEST_F(Schedule, TheStaticRenewalRunsInTwoPhasesFifteenSecondsApart)
{
    {
        gf_setParkAirport({.code = "EHAM"});
    }
    parkStands.emplace_back("A1", std::vector<StandOption>{}, 52.3, 4.76, 0.0, 40.0, false, false, false);
    staticRenewalRequest = true;
    second(15);
    EXPECT_EQ(renewalPhase.load(), 1);
    EXPECT_TRUE(staticParkingRunning.load()) << "the parking controls are locked";
    EXPECT_TRUE(trafficUdpReader.collectCallsigns.load());
    EXPECT_TRUE(staticRenewalRequest.load());
    second();
    EXPECT_TRUE(staticParkingRunning.load()) << "no static parking during the renewal";
    gf_showError("held");
    second(30);
    EXPECT_TRUE(log.text().find("Parking adjustments: 0 to be removed, 0 to be added") != std::string::npos);
    EXPECT_EQ(renewalPhase.load(), 0);
    EXPECT_FALSE(staticRenewalRequest.load());
    EXPECT_EQ(errorLine(), "");
}

TEST_F(Schedule, MinutesToRenewalTheTwentyMinuteRequestAndTheDailyReset)
{
    staticParkingActive = true;
    INITIAL_LOAD_ONLY.value = false;
    second(60);
    EXPECT_EQ(mainWindow.minutesToRenewal.load(), 19);
    EXPECT_FALSE(staticRenewalRequest.load());
    second(1200);
    EXPECT_EQ(mainWindow.minutesToRenewal.load(), 20);
    EXPECT_TRUE(staticRenewalRequest.load());
    EXPECT_EQ(secondsCounter.load(), 1200);

    staticRenewalRequest = false;
    INITIAL_LOAD_ONLY.value = true;
    second(86400);
    EXPECT_FALSE(staticRenewalRequest.load()) << "no renewal with initial load only";
    EXPECT_EQ(secondsCounter.load(), 0);
}

TEST_F(Schedule, PerSecondJobsInTheirOrder)
{
    // Each job removes one aircraft, so the removal queue shows their order.
    addStand("A1", 1);
    addStatic(1, "KLM7*", 501, "KLM7");
    addStatic(1, "OTH*", 502);
    addStill(7, 71, "KLM7", 53.0, 5.0);
    addStill(0x600000, 601, "DLH6", 0.0, 0.0); // where the user aircraft stands
    addStill(0x700000, 701, "BAW12", 53.0, 5.0);
    Act& ahead = addStill(0x800000, 801, "AFR8", 0.01, 0.0); // head-on, 0.6 nm north
    ahead.onGround = 0;
    ahead.heading = 3.141592653589793;
    // A taxiing live aircraft on top of a static parked one: the static one makes way.
    gf_testAddAct(0x500001, statusCreated, 21, "KLM5", 52.0, 4.0);
    addStatic(1, "UNDER*", 22);
    staticActs.back().latitude = 52.0;
    staticActs.back().longitude = 4.0;
    flightPaused = true;
    staticConflictChecks = {7, 8};
    userOnGround = true;
    COLLISION_USER_GND.value = true;
    COLLISION_LIVE_PARKED_GND.value = true;
    BLOCK_CALLSIGN.assignValue("BAW12");
    callsignBlockRequest = true;
    second();
    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{501, 601, 22, 701}));
    EXPECT_FALSE(flightPaused.load());
    EXPECT_TRUE(std::regex_search(log.text(), std::regex(R"(\n\d\d:\d\d:\d\d Flight resumed\r?\n)")));
    EXPECT_TRUE(accepting());
    EXPECT_FALSE(callsignBlockRequest.load());

    // The aircraft behind 7 is not held up when 7 is gone; the flush comes before the air check.
    userOnGround = false;
    COLLISION_USER_AIR.value = true;
    COLLISION_LIVE_PARKED_GND.value = false;
    staticFlushRequest = true;
    INITIAL_LOAD_ONLY.value = false;
    second();
    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{501, 601, 22, 701, 502, 801}));
    EXPECT_TRUE(staticConflictChecks.empty());
    EXPECT_TRUE(INITIAL_LOAD_ONLY.value.load()) << "flushed aircraft are not placed again";
    EXPECT_EQ(stored("INITIAL_LOAD_ONLY"), "<missing>") << "in memory only";
    EXPECT_FALSE(staticFlushRequest.load());
    BLOCK_CALLSIGN.assignValue("");
    callsignBlockRequest = true;
    COLLISION_USER_AIR.value = false;
    second();
    EXPECT_EQ(removals().size(), 6u) << "an emptied callsign only clears the request";
    EXPECT_FALSE(callsignBlockRequest.load());
}

TEST_F(Schedule, WithoutAFlightTheReducedTickKeepsTheLinksAlive)
{
    lf_setAcceptReports(true);
    {
        std::lock_guard lock(simQueues.mutex);
        simQueues.positionsA.resize(3);
        simQueues.positionsB.resize(2);
    }
    flightRunning = false;
    reReadRequest = true;
    lf_pushToBuffer({.objectId = 999, .kind = AnswerKind::removed});
    lf_mainTick();
    EXPECT_TRUE(flightPaused.load());
    EXPECT_FALSE(accepting());
    {
        std::lock_guard lock(simQueues.mutex);
        EXPECT_TRUE(simQueues.positionsA.empty());
        EXPECT_TRUE(simQueues.positionsB.empty());
    }
    // On disk at once, unflushed lines before it too.
    EXPECT_TRUE(std::regex_search(gf_testReadFile("Log.txt"), std::regex(R"(\d\d:\d\d:\d\d Flight not running)")));
    EXPECT_TRUE(inboundBuffer.empty()) << "the simulator's answers are still taken";
    for (int tick = 1; tick < 99; ++tick)
        lf_mainTick();
    EXPECT_TRUE(reReadRequest.load()) << "once a second, not every tick";
    lf_mainTick(); // the hundredth
    EXPECT_FALSE(reReadRequest.load());
    EXPECT_EQ(tickCounter.load(), 0) << "no traffic upkeep without a flight";
    EXPECT_EQ(secondsCounter.load(), 0) << "no per-second pass without a flight";

    flightRunning = true;
    second();
    EXPECT_TRUE(accepting());
    EXPECT_FALSE(flightPaused.load());
}

TEST_F(Schedule, TheWindowsRequestsAreCarriedOutOnTheMainLoopThread)
{
    flightRunning = false;
    NAV_LIGHTS_WHILE_PARKED.value = true;
    navLightsRequest = true;
    liveTrimRequest = true;
    MAX_LIVE.value = 1;
    // The aircraft that stand at their stands get the lights: a created static one and the
    // parked live one; not a static one still being created, nor a live one that moves.
    addStatic(1, "KLM5*", 43);
    addStatic(2, "KLM6*", 0);
    staticActs.back().status = statusQueued;
    gf_testAddAct(0x400001, statusCreated, 41, "KLM1", 52.3, 4.76).phase = phaseAtStand;
    gf_testAddAct(0x400002, statusCreated, 42, "KLM2", 53.3, 4.76);
    lf_mainTick();
    MAX_LIVE.value = MAX_LIVE.defaultValue;
    std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> sent;
    for (const ClientEventItem& e : simQueues.events)
        sent.emplace_back(e.objectId, e.eventId, e.value);
    EXPECT_EQ(sent, (decltype(sent){{43, ceNavLights, 1}, {41, ceNavLights, 1}}));
    EXPECT_EQ(liveActs[1].base.status, statusRemoving) << "the farther one";
    EXPECT_FALSE(navLightsRequest.load());
    EXPECT_FALSE(liveTrimRequest.load());
    userOnGround = true;
    LATERAL_RANGE.value = 40;
    autoRangeRequest = true;
    lf_mainTick();
    EXPECT_EQ(LATERAL_RANGE.value.load(), 40) << "AUTO_RANGE is off: the waiting request is void";
    EXPECT_FALSE(autoRangeRequest.load());
    AUTO_RANGE.value = true;
    autoRangeRequest = true;
    lf_mainTick();
    EXPECT_EQ(LATERAL_RANGE.value.load(), 8);
    EXPECT_EQ(lateralRadiusMetres.load(), 14816);
}

TEST_F(Schedule, AReaderErrorEndsTheProgramAtTheNextThirtySecondPass)
{
    readerError = true;
    second(15);
    EXPECT_FALSE(exitFlag.load());
    second(30);
    EXPECT_EQ(errorLine(), "1001: RT error");
    EXPECT_EQ(exitReason.load(), 5u);
    ASSERT_TRUE(gf_testWaitForExitEnd());
    EXPECT_TRUE(logHasLine("Exiting: SYSTEM ERROR"));
}

TEST(AutoRange, RadiusByTheUsersState)
{
    EXPECT_EQ(gf_autoRangeRadius(true, 35000, 18000, 100), 8);
    EXPECT_EQ(gf_autoRangeRadius(false, 18001, 18000, 2), 40);
    EXPECT_EQ(gf_autoRangeRadius(false, 18000, 18000, 5.0), 8);
    EXPECT_EQ(gf_autoRangeRadius(false, 3000, 18000, 20.4), 23);
    EXPECT_EQ(gf_autoRangeRadius(false, 3000, 18000, 5.2), 8);
    EXPECT_EQ(gf_autoRangeRadius(false, 3000, 18000, 36.9), 40);
    EXPECT_EQ(gf_autoRangeRadius(false, 3000, 18000, 37.0), 40);
    EXPECT_EQ(gf_autoRangeRadius(false, 3000, 18000, 10000), 40) << "no park airport";
}

TEST_F(Schedule, TheLoopEndsOnAnExitEvenWhileTheSimulatorSendsNothing)
{
    std::thread loop(mainLoop);
    ASSERT_TRUE(gf_waitFor([] { return tickCounter.load() >= 10; }));
    EXPECT_TRUE(accepting());
    exitFlag = true;
    const bool ended = gf_waitFor([] { return !accepting(); }, std::chrono::seconds(2));
    loop.join();
    EXPECT_TRUE(ended);
    exitFlag = false;
}

TEST_F(Schedule, AnExceptionInATickIsReportedAndEndsTheTrafficCleanly)
{
    // The first tick's request to the simulator fails with a system error.
    simRequestSeam = [](const SimRequest&) -> bool { throw zeb::SysErrorException(0, "tick failed"); };
    std::thread loop(mainLoop);
    loop.join();
    simRequestSeam = nullptr;
    EXPECT_EQ(errorLine(), "mainLoop: sys error 0: tick failed");
    EXPECT_FALSE(accepting()) << "no reports pile up without the main loop";
    EXPECT_EQ(exitReason.load(), 5u);
    ASSERT_TRUE(gf_testWaitForExitEnd());
}
