// The window served from the other threads of the program: status texts, the status
// clock, the counters and the airport parking controls.
#include "mainwindow_canvas.h"
#include "mainwindow_fixture.h"

#include "app/buildconfig.h"
#include "app/counters.h"
#include "app/painting.h"
#include "app/status.h"
#include "foundation/settingscatalogue.h"
#include "support/trafficacts.h"
#include "traffic/manager.h"

namespace {
// Whether the area of the window has the colour on the screen, once the window has painted what is pending.
bool lf_windowHas(HWND window, const RECT& area, COLORREF colour)
{
    UpdateWindow(window);
    Canvas picture;
    picture.copyWindow(window);
    return picture.has(area, colour);
}

const RECT statusText{3, 452, 870, 474};
} // namespace

TEST_F(MainWindowTest, AStatusTextFromAnotherThreadIsShownAndClearedAfterItsHoldTime)
{
    openWindow();
    std::thread([] { gf_showStatus("RealTraffic detected at this PC", true); }).join();
    EXPECT_TRUE(gf_waitFor([this] { return lf_windowHas(window(), statusText, colour::yellow); }));
    EXPECT_TRUE(logHasLine("RealTraffic detected at this PC"));

    // The main loop's seconds, in real time.
    std::atomic<bool> stop{false};
    std::thread seconds([&] {
        while (!stop) {
            gf_advanceStatusClock();
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(gf_waitFor([this] { return status().empty(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(statusHoldSeconds - 1));
    stop = true;
    seconds.join();
    EXPECT_TRUE(gf_waitFor([this] { return !lf_windowHas(window(), statusText, colour::yellow); }));
}

TEST_F(MainWindowTest, StaticParkingDisablesAndEnablesTheAirportParkingControls)
{
    openEnabledWindow();
    gf_showStatus("sentinel", false);
    const ParameterControl* const parking[] = {&parking_percentage, &INITIAL_LOAD_ONLY, &PARK_FAKE,
                                               &PARK_SOFT,          &WEEK,              &MAX_FIT_FL,
                                               &flushStaticButton,  &rereadButton};
    std::thread([] { disableControls(); }).join();
    EXPECT_TRUE(staticParkingRunning.load());
    for (const ParameterControl* control : parking)
        EXPECT_FALSE(enabled(*control)) << dynamic_cast<const Parameter*>(control)->key;
    EXPECT_TRUE(enabled(LATERAL_RANGE)) << "only the airport parking controls";
    EXPECT_EQ(status(), "");

    std::thread([] { enableControls(); }).join();
    EXPECT_FALSE(staticParkingRunning.load());
    for (const ParameterControl* control : parking)
        EXPECT_TRUE(enabled(*control)) << dynamic_cast<const Parameter*>(control)->key;
}

TEST_F(MainWindowTest, CountersFollowTheTrafficManager)
{
    openWindow();
    gf_testClearTraffic();
    for (std::uint32_t id = 1; id <= 12; ++id)
        gf_testAddAct(0x400000 + id, statusCreated, 100 + id);
    for (std::uint32_t id = 1; id <= 3; ++id) // parked: not counted as flying
        gf_testAddAct(0x500000 + id, statusCreated, 200 + id).phase = phaseAtStand;
    StaticAct parked;
    parked.status = statusCreated;
    staticActs.assign(40, parked);
    std::thread([] { gf_refreshCounters(); }).join();
    EXPECT_EQ(mainWindow.liveCount.load(), 12u);
    EXPECT_EQ(mainWindow.parkedLiveCount.load(), 3);
    EXPECT_EQ(mainWindow.parkedStaticCount.load(), 40u);

    staticActs.push_back(parked);
    std::thread([] { gf_refreshCounters(); }).join();
    EXPECT_EQ(mainWindow.parkedStaticCount.load(), 41u);
    EXPECT_EQ(mainWindow.parkedLiveCount.load(), 3);
}

TEST_F(MainWindowTest, DisplayTextsWrittenWhileTheWindowPaintsStayWhole)
{
    openWindow();
    mainWindow.simulatorConnected = true;
    std::atomic<bool> stop{false};
    std::thread painter([&] {
        while (!stop)
            RedrawWindow(window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    });
    for (int i = 0; i < 2000; ++i)
        gf_setDisplayText(&MainWindow::simulatorText, std::string(static_cast<std::size_t>(i % 97), 'x'),
                          countersBand);
    stop = true;
    painter.join();
    gf_setDisplayText(&MainWindow::simulatorText, "Cessna 172", countersBand);
    EXPECT_TRUE(lf_windowHas(window(), Canvas().textArea(5, 63, "Cessna 172"), colour::yellow));
}
