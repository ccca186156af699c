// Exit and restart in this process, with the real main window: the start-up message is
// only counted here.
#include "control_fixture.h"
#include "mainwindow_fixture.h"
#include "program_fixture.h"

#include "app/buildconfig.h"
#include "app/finalexit.h"
#include "app/mainloop.h"
#include "app/painting.h"
#include "app/programcontrol.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "links/realtrafficserver.h"
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "simconnect/protocol.h"
#include "support/trafficacts.h"
#include "traffic/manager.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace {
// Start-ups that do not end while holdStartUp is set, as a main loop that does not stop.
std::atomic<bool> holdStartUp{false};

class HeldStartUp : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        holdStartUp = true;
        startUpBody = [] {
            ++startUps;
            while (holdStartUp)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        };
        openWindow();
        ASSERT_TRUE(gf_waitFor([] { return startUps.load() == 1; }));
    }
};

class Exit : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        openWindow();
        // The first start-up message has been handled.
        ASSERT_TRUE(gf_waitFor([] { return startUps.load() == 1 && !startUpRunning.load(); }));
    }

    // A window that has not ended by then is left to the tear-down, which ends its loop: the
    // exit still running holds no join.
    bool windowEnded(std::chrono::seconds limit = std::chrono::seconds(20))
    {
        const bool ended = gf_waitFor([this] { return !IsWindow(window()); }, limit);
        if (ended && windowThread.joinable())
            windowThread.join();
        return ended;
    }
};
} // namespace

TEST(ExitReasons, NamesOfTheTableAndAnUnknownNumber)
{
    EXPECT_EQ(gf_exitReasonName(0), "NOT_YET_SET");
    EXPECT_EQ(gf_exitReasonName(1), "SIM WAS CLOSED");
    EXPECT_EQ(gf_exitReasonName(3), "RESTART_IPP");
    EXPECT_EQ(gf_exitReasonName(5), "SYSTEM ERROR");
    EXPECT_THROW(gf_exitReasonName(6), std::out_of_range);
}

namespace {
// A parking edit at EHAM with one learned option, as the traffic manager leaves it.
void lf_startParkingEdit()
{
    gf_setParkAirport({.code = "EHAM"});
    parkFile.path = std::filesystem::path(L"airports") / L"archive" / L"stock" / L"EHAM.xml";
    parkFile.publisher = "stock";
    parkStands.clear();
    parkStands.emplace_back("A1", std::vector<StandOption>{}, 52.3, 4.76, 0.0, 40.0, false, false, false);
    parkStands.back().options.push_back({.airl = "KLM", .type = "B738", .seq = 1, .day = 3, .mark = 1});
    staticParkingActive = true;
    apfEditCount = 1;
}

const std::filesystem::path learnedEham = std::filesystem::path(L"airports") / L"learned" / L"stock" / L"EHAM.xml";
} // namespace

TEST_F(Exit, ClosingTheWindowRemovesTheAircraftSavesAndEnds)
{
    BLOCK_CALLSIGN.setValue("BAW12");
    gf_testClearTraffic();
    gf_testAddAct(0x400001, statusCreated, 77);
    // A creation already handed to the simulator, answered only while the exit runs.
    gf_testAddAct(0x400002, statusQueued, 0, "KLM2");
    lf_pushToBuffer({80, 0x400002, 0, AnswerKind::liveCreated, 0.0, 0.0});
    staticActs.emplace_back().status = statusCreated;
    staticActs.back().objectId = 79;
    removalQueue.push_back(78);
    ASSERT_TRUE(gf_createFlightPlanFolder());
    lf_startParkingEdit();
    SendMessageW(window(), WM_CLOSE, 0, 0);
    SendMessageW(window(), WM_CLOSE, 0, 0); // a second close while the first exit runs
    ASSERT_TRUE(windowEnded());
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(gf_testCountOf(log.text(), "Exiting: "), 1);
    EXPECT_TRUE(logHasLine("Exiting: USER CLOSED SIM"));
    EXPECT_TRUE(logHasLine("User closed Tarnwick_P3D"));
    EXPECT_TRUE(removalDone.load());
    EXPECT_EQ(simQueues.removals, (std::vector<std::uint32_t>{78, 77, 79, 80}))
        << "the waiting removal first, then the live and the static parked aircraft, then the one created late";
    EXPECT_FALSE(std::filesystem::exists(dataFolder / L"orig_dest"));
    EXPECT_TRUE(std::filesystem::exists(learnedEham)) << "the parking edit was saved";
    EXPECT_FALSE(staticParkingActive.load());
    EXPECT_EQ(BLOCK_CALLSIGN.getValue(), "");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "");
    EXPECT_NE(fileValue("LAST_EPOCH_TIME"), "0") << "the time of this run is kept";
    EXPECT_EQ(startUps.load(), 1) << "no restart";
}

TEST_F(Exit, CreationsAnsweredButNotSettledLeaveTheSimulatorToo)
{
    gf_testClearTraffic();
    // Two static parked aircraft: one answered 20 ticks before the exit, one only while it runs.
    for (const std::uint32_t flightId : {5u, 6u}) {
        ActHead head;
        head.flightId = flightId;
        head.identity.callsign = "KLM" + std::to_string(flightId) + "*";
        staticActs.emplace_back(std::move(head), 0, 0.0, 0.0, 0.0, false).status = statusQueued;
    }
    settlingList.push_back({81, 5, 20, AnswerKind::staticCreated, 0.0, 0.0});
    lf_pushToBuffer({83, 6, 0, AnswerKind::staticCreated, 0.0, 0.0});
    // A live aircraft dropped while its creation was under way: its answer has no record.
    settlingList.push_back({82, 0x400003, 30, AnswerKind::liveCreated, 0.0, 0.0});
    SendMessageW(window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(windowEnded());
    std::vector<std::uint32_t> removed = simQueues.removals;
    std::ranges::sort(removed);
    EXPECT_EQ(removed, (std::vector<std::uint32_t>{81, 82, 83}));
    EXPECT_TRUE(settlingList.empty());
    for (const StaticAct& parked : staticActs)
        EXPECT_EQ(parked.status, statusRemoving) << parked.head.flightId;
}

TEST_F(Exit, AFaultRestartCountsDownSkipsTheScansAndStartsAgain)
{
    BLOCK_CALLSIGN.setValue("BAW12");
    SCAN_LIVERIES.value = true;
    SCAN_AIRPORTS.value = true;
    secondsCounter = 77;
    staticRenewalRequest = true;
    readerError = true;
    flightPaused = true;
    autoRangeRequest = true;
    trafficClockSwitch = true;
    mainWindow.trafficReaderState = 1;
    gf_setDisplayText(&MainWindow::simulatorLine, "Prepar3D v5.3", countersBand);
    gf_testClearTraffic();
    gf_testAddAct(0x400001, statusNew, 0);
    gf_startFinalExit(2, 30);
    ASSERT_TRUE(gf_waitFor([] { return startUps.load() == 2; }, std::chrono::seconds(20)));
    EXPECT_TRUE(logHasLine("Exiting: RESTART"));
    EXPECT_TRUE(logHasLine("Prepare for a restart ..."));
    EXPECT_TRUE(logHasLine("Restarting after 2 seconds")) << "the test build counts down from 2";
    EXPECT_EQ(fileValue("SCAN_LIVERIES"), "false");
    EXPECT_EQ(fileValue("SCAN_AIRPORTS"), "false");
    EXPECT_EQ(BLOCK_CALLSIGN.getValue(), "BAW12") << "a restart keeps the blocked callsign";
    EXPECT_EQ(secondsCounter.load(), 0);
    EXPECT_FALSE(staticRenewalRequest.load());
    EXPECT_FALSE(readerError.load());
    EXPECT_FALSE(flightPaused.load());
    EXPECT_FALSE(autoRangeRequest.load());
    EXPECT_FALSE(trafficClockSwitch.load());
    EXPECT_FALSE(exitFlag.load());
    EXPECT_FALSE(removalDone.load());
    EXPECT_EQ(exitReason.load(), 0u);
    EXPECT_EQ(mainWindow.trafficReaderState.load(), 3);
    EXPECT_EQ(gf_displayTexts().simulatorLine, "");
    EXPECT_TRUE(liveActs.empty()) << "the traffic tables are reset";
}

TEST_F(Exit, ASettingRestartKeepsTheScansAndARestartWithoutSecondsStartsAtOnce)
{
    SCAN_LIVERIES.value = true;
    gf_startFinalExit(3, 0);
    ASSERT_TRUE(gf_waitFor([] { return startUps.load() == 2; }, std::chrono::seconds(20)));
    EXPECT_TRUE(logHasLine("Exiting: RESTART_IPP"));
    EXPECT_EQ(log.text().find("Restarting after"), std::string::npos);
    EXPECT_TRUE(SCAN_LIVERIES.value.load());
    EXPECT_EQ(fileValue("SCAN_LIVERIES"), "<missing>");
}

TEST_F(Exit, ACloseDuringTheCountdownStandsAndNoStaleRestartFollows)
{
    gf_startFinalExit(2, 30);
    ASSERT_TRUE(gf_waitFor([] { return gf_statusLine().status.rfind("Restarting after", 0) == 0; },
                           std::chrono::seconds(20)));
    EXPECT_TRUE(gf_testHasLine(gf_testReadFile("Log.txt"), "Restarting after 2 seconds")) << "on disk at once";
    SendMessageW(window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(windowEnded());
    ASSERT_TRUE(gf_testWaitForExitEnd());
    EXPECT_TRUE(logHasLine("Exiting: USER CLOSED SIM"));
    EXPECT_EQ(startUps.load(), 1) << "the restart was cut short";
    EXPECT_TRUE(exitFlag.load());
}

TEST_F(Exit, TheAircraftAreRemovedOnlyAfterTheMainLoopHasStopped)
{
    gf_testClearTraffic();
    gf_testAddAct(0x400001, statusCreated, 77);
    startUpRunning = true; // a main loop that takes a while to see the exit
    gf_startFinalExit(4, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(liveActs.front().base.status, statusCreated);
    startUpRunning = false;
    ASSERT_TRUE(windowEnded());
    EXPECT_EQ(liveActs.front().base.status, statusRemoving);
}

TEST_F(Exit, AMainLoopThatDoesNotStopKeepsItsStandsUnsaved)
{
    lf_startParkingEdit();
    startUpRunning = true; // never sees the exit
    gf_startFinalExit(4, 0);
    ASSERT_TRUE(windowEnded());
    EXPECT_TRUE(logHasLine("===> The main loop did not stop, the parking changes were not saved"));
    EXPECT_FALSE(std::filesystem::exists(learnedEham));
    EXPECT_TRUE(staticParkingActive.load());
    startUpRunning = false;
    staticParkingActive = false;
}

// Every aircraft the simulator made for the program leaves it at the exit: one whose answer
// the traffic dropped, by the link's own list, and one whose creation the simulator answers
// only well after the exit began. The exit waits for the simulator to confirm their removals,
// for a bounded time: this one never does.
TEST_F(Exit, EveryAircraftMadeForTheProgramLeavesTheSimulatorAlsoWhenItsCreationIsAnsweredLate)
{
    standin::SimStandIn simulator(gf_testPipeSimulatorOptions(std::filesystem::current_path()));
    gf_startSimConnectThread();
    ASSERT_TRUE(gf_waitFor([] { return flightRunning.load(); }));
    const auto create = [](const char* callsign, std::uint32_t flightId) {
        queueAiCreation({.position = {52.31, 4.76, 0, 0, 0, 90, 1, 0}, .tailNumber = callsign,
                         .liveryTitle = "Livery OK", .flightId = flightId});
    };
    create("KLM1", 0x484001);
    ASSERT_TRUE(gf_waitFor([&] { return simulator.objectByAtcId("KLM1") != 0; }));
    {
        std::lock_guard lock(simQueues.mutex);
        SimConnect_RequestDataOnSimObjectType(simConnection, reqWithinRange, defNearbyAircraft, 20000, 2);
    }
    ASSERT_TRUE(gf_waitFor([] {
        std::lock_guard lock(inboundMutex);
        return std::ranges::any_of(inboundBuffer, [](const InboundAnswer& a) { return a.kind == AnswerKind::liveCreated; });
    })) << "known to the link";
    {
        std::lock_guard lock(inboundMutex);
        inboundBuffer.clear(); // dropped by the traffic
    }
    simulator.delayCreations(std::chrono::seconds(7));
    create("KLM2", 0x484002);
    ASSERT_TRUE(simulator.waitForRequests(scReqAiCreateNonAtcAircraft, 2, std::chrono::seconds(15)));
    simulator.confirmRemovals(false);
    SendMessageW(window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(windowEnded(std::chrono::seconds(lateCreationSeconds + 20)));
    EXPECT_TRUE(logHasLine("===> 2 AI aircraft of Tarnwick_P3D not known to be removed from the simulator"));
    EXPECT_TRUE(gf_waitFor([&] { return simulator.aiFigures().created == 2; })) << "the late one is made all the same";
    EXPECT_TRUE(simulator.aiObjects().empty()) << simulator.aiObjects().size() << " left";
    gf_resetSimLink();
}

TEST_F(HeldStartUp, AStartMessageWhileAStartUpRunsStartsItWhenThatOneEnds)
{
    SendMessageW(window(), startUpMessage, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(startUps.load(), 1) << "never two at once";
    holdStartUp = false;
    EXPECT_TRUE(gf_waitFor([] { return startUps.load() == 2 && !startUpRunning.load(); }));
}

TEST_F(HeldStartUp, ARestartWhoseMainLoopDoesNotStopEndsTheProgramInsteadOfHalfResetting)
{
    gf_testClearTraffic();
    gf_testAddAct(0x400001, statusCreated, 41);
    staticActs.emplace_back().status = statusCreated;
    staticActs.back().objectId = 42;
    gf_startFinalExit(2, 0);
    const bool ended = gf_waitFor([this] { return !IsWindow(window()); }, std::chrono::seconds(20));
    holdStartUp = false;
    ASSERT_TRUE(ended);
    windowThread.join();
    const std::string text = "Tarnwick_P3D ends: its main loop did not stop for the restart, start it again";
    EXPECT_TRUE(logHasLine("===> " + text));
    EXPECT_EQ(gf_statusLine().error, text);
    ASSERT_EQ(liveActs.size(), 1u) << "nothing reset under the running loop";
    EXPECT_EQ(liveActs[0].base.status, statusCreated) << "nothing removed";
    ASSERT_EQ(staticActs.size(), 1u);
    EXPECT_EQ(staticActs[0].status, statusCreated);
    EXPECT_EQ(startUps.load(), 1);
}
