// Clicks on the check boxes and buttons of the real main window.
#include "mainwindow_fixture.h"
#include "updater_support.h"

#include "airports/airports.h"
#include "app/commands.h"
#include "app/mainloop.h"
#include "app/programcontrol.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/settingscatalogue.h"

#include <future>
#include <regex>

namespace {
struct SwitchMessages {
    GuiBoolParameter& setting;
    const char* whenOn;  // nullptr: the status line is left as it was
    const char* whenOff;
};

const SwitchMessages switchMessages[] = {
    {SCAN_LIVERIES,
     "Your liveries will be scanned at the next start of Tarnwick_P3D, recommended after you have add/removed AI "
     "aircraft models/liveries",
     ""},
    {SCAN_AIRPORTS,
     "Your airports will be scanned at the next start of Tarnwick_P3D, recommended after you have add/removed "
     "airports",
     ""},
    {LIG_AUTOMATIC, "", "The liveries defined by your lfolder parameters will be scanned"},
    {LIG_PRIORITIZE, "Liveries in lower lfolders that are already available will be skipped", ""},
    {AFG_AUTOMATIC, "", "The airports defined by your afolder parameters will be scanned"},
    {INITIAL_LOAD_ONLY, "Initial Load Only: static parked aircraft are generated once, no renewal every 20 minutes",
     ""},
    {COLLISION_LIVE_PARKED_GND, "", "Be aware, no collision avoidance with live aircraft vs parked static on the ground"},
    {COLLISION_USER_GND, "", "Be aware, no collision avoidance with user aircraft on the ground"},
    {COLLISION_USER_AIR, "", "Be aware, no collision avoidance with user aircraft in the air"},
    {SUPPRESS_STUB, "Exclude FSLTL-liveries titles ending with _STUB from scan", ""},
    {AEROWINX, "Aerowinx mode is meant for users of the Aerowinx simulator only, restart Tarnwick_P3D to apply it",
     ""},
    {ALWAYS_ON_TOP, "Tarnwick_P3D's window will remain visible", ""},
    {GUID_CHANGES, "", "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc.."},
    {LOG, nullptr, nullptr},
    {LIGHT_AIRCRAFT, nullptr, nullptr},
    {HELICOPTERS, nullptr, nullptr},
    {HIGH_PERF_AIRCRAFT, nullptr, nullptr},
    {NAV_LIGHTS_WHILE_PARKED, nullptr, nullptr},
    {LEARN_SOFT, nullptr, nullptr},
    {PARK_FAKE, nullptr, nullptr},
    {PARK_SOFT, nullptr, nullptr},
    {WEEK, nullptr, nullptr},
};

// The blocking stand-in of the download server for "Check version": it answers when the test sets the list.
std::promise<std::string> serverList;
const std::shared_future<std::string> serverAnswer = serverList.get_future().share();

std::string lf_slowServer() { return serverAnswer.get(); }
} // namespace

TEST_F(MainWindowTest, EverySwitchIsStoredSavedAndAnsweredOnTheStatusLine)
{
    openEnabledWindow();
    for (const SwitchMessages& entry : switchMessages) {
        GuiBoolParameter& setting = entry.setting;
        SCOPED_TRACE(setting.key);
        for (int click = 0; click < 2; ++click) {
            const bool on = !setting.value.load();
            gf_showStatus("sentinel", false);
            this->click(setting);
            EXPECT_EQ(setting.value.load(), on);
            EXPECT_EQ(checked(setting), on);
            EXPECT_EQ(fileValue(setting.key), on ? "true" : "false");
            const char* expected = on ? entry.whenOn : entry.whenOff;
            EXPECT_EQ(status(), expected ? expected : "sentinel");
            if (expected && *expected) {
                EXPECT_FALSE(logHasLine(expected)) << "switch answers are not logged";
            }
        }
    }
}

TEST_F(MainWindowTest, StayOnTopPlacesTheWindowAboveOthersAndBack)
{
    openEnabledWindow();
    const auto topmost = [this] { return (GetWindowLongPtrW(window(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    const RECT before = windowRect(window());
    click(ALWAYS_ON_TOP);
    EXPECT_TRUE(topmost());
    click(ALWAYS_ON_TOP);
    EXPECT_FALSE(topmost());
    const RECT after = windowRect(window());
    EXPECT_TRUE(EqualRect(&before, &after)) << "neither moved nor resized";
}

TEST_F(MainWindowTest, ButtonsRaiseTheirRequestAndDisableThemselves)
{
    openEnabledWindow();
    click(rereadButton);
    EXPECT_TRUE(reReadRequest.load());
    EXPECT_FALSE(enabled(rereadButton));

    click(flushStaticButton);
    EXPECT_TRUE(staticFlushRequest.load());
    EXPECT_FALSE(enabled(flushStaticButton));
    EXPECT_EQ(status(), "All static parked aircraft will be removed ...");

    click(unblockButton);
    EXPECT_EQ(status(), "Nothing to block or unblock...");
    EXPECT_FALSE(callsignBlockRequest.load());
    EXPECT_EQ(fileValue("Re-read"), "<missing>") << "buttons are never stored";
}

TEST_F(MainWindowTest, TrafficSwitchesAreRequestsToTheMainLoop)
{
    openEnabledWindow();
    click(NAV_LIGHTS_WHILE_PARKED);
    EXPECT_TRUE(navLightsRequest.load());
    EXPECT_FALSE(NAV_LIGHTS_WHILE_PARKED.value.load());
}

TEST_F(MainWindowTest, AutoRangeOffRestoresTheManualRadiusAndOnAsksForTheAutomaticOne)
{
    writeParameters({{"AUTO_RANGE", "true"}});
    openEnabledWindow();
    lateralRangeAtStart = 55; // what the start-up read, before any automatic range
    gf_setRadius(23);         // as the automatic range left it
    gf_showStatus("sentinel", false);
    autoRangeRequest = true; // not yet carried out by the main loop

    click(AUTO_RANGE);
    EXPECT_FALSE(AUTO_RANGE.value.load());
    EXPECT_TRUE(airportSettingsChanged.load());
    EXPECT_TRUE(enabled(LATERAL_RANGE));
    EXPECT_EQ(LATERAL_RANGE.value.load(), 55);
    EXPECT_EQ(lateralRadiusNm.load(), 55.0);
    EXPECT_EQ(lateralRadiusMetres.load(), 55 * 1852);
    EXPECT_EQ(fieldText(LATERAL_RANGE), L"55");
    EXPECT_EQ(status(), "");
    EXPECT_FALSE(autoRangeRequest.load()) << "switched off, the waiting request is void";

    type(LATERAL_RANGE, L"70");
    click(AUTO_RANGE);
    EXPECT_TRUE(AUTO_RANGE.value.load());
    EXPECT_TRUE(autoRangeRequest.load()) << "the main loop runs the automatic range";
    EXPECT_FALSE(enabled(LATERAL_RANGE));
    EXPECT_EQ(manualRadius.load(), 70);

    gf_setRadius(8);
    click(AUTO_RANGE);
    EXPECT_EQ(LATERAL_RANGE.value.load(), 70) << "the radius the user typed comes back";
}

TEST_F(MainWindowTest, ParkingSwitchesAskForARenewalOnlyWhileStaticParkingIsActive)
{
    openEnabledWindow();
    click(WEEK);
    EXPECT_FALSE(staticRenewalRequest.load());
    EXPECT_FALSE(airportSettingsChanged.load());

    staticParkingActive = true;
    secondsCounter = 14;
    click(PARK_FAKE);
    EXPECT_TRUE(airportSettingsChanged.load());
    EXPECT_TRUE(staticRenewalRequest.load());
    EXPECT_EQ(status(), "Tarnwick_P3D will respond in 1 second ...");

    staticRenewalRequest = false;
    secondsCounter = 30;
    click(PARK_SOFT);
    EXPECT_EQ(status(), "Tarnwick_P3D will respond in 15 seconds ...");

    staticRenewalRequest = false;
    INITIAL_LOAD_ONLY.value = true;
    gf_showStatus("sentinel", false);
    click(WEEK);
    EXPECT_FALSE(staticRenewalRequest.load()) << "no renewals while the initial load only is on";
    EXPECT_EQ(status(), "");

    airportSettingsChanged = false;
    click(LEARN_SOFT);
    EXPECT_TRUE(airportSettingsChanged.load());
}

TEST_F(MainWindowTest, CheckVersionAsksTheServerWithoutBlockingTheWindow)
{
    versionCheck = lf_slowServer;
    openEnabledWindow();
    click(checkVersionButton);
    EXPECT_FALSE(enabled(checkVersionButton));
    EXPECT_EQ(runningThreads.load(), 1) << "counted: an exit waits for the check";
    // The server has not answered, yet the window answers messages at once.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutW(window(), WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result), 0);
    click(LOG);
    EXPECT_FALSE(LOG.value.load());

    DATA_CHECKED_AT_DATE.assignValue("20261206");
    serverList.set_value("New versions for: Tarnwick_P3D (9.4.0), dbase (3.1.0)");
    ASSERT_TRUE(gf_waitFor([this] { return !status().empty(); }));
    EXPECT_EQ(status(), "New versions for: Tarnwick_P3D (9.4.0), dbase (3.1.0) ==> exit Tarnwick_P3D and restart ...");
    EXPECT_EQ(DATA_CHECKED_AT_DATE.getValue(), "");
    EXPECT_EQ(fileValue("DATA_CHECKED_AT_DATE"), "") << "the daily downloads run at the next start";
    EXPECT_FALSE(enabled(checkVersionButton));
    EXPECT_TRUE(gf_waitFor([] { return runningThreads.load() == 0; }));
}

TEST_F(MainWindowTest, CheckVersionAsksTheDownloadServerWhileTheWindowServes)
{
    std::string reason;
    if (!StandInFolder::available(reason))
        GTEST_SKIP() << reason;
    StandInFolder server;
    DBASE_VERSION.assignValue("1.2.2");
    ARCHIVE_VERSION.assignValue("2.0.0");
    AIG_VERSION.assignValue("3.0.0");
    server.put("release/version_P3D.json", "9.4.0\n");
    server.put("dbase/version.json", "1.2.3\n");
    server.put("archive/p3d/version.json", "2.0.0\n");
    server.put("aig/version.json", "3.0.0\n");
    server.fault("dbase/version.json", "stall"); // given up after the low-speed time
    openEnabledWindow();
    click(checkVersionButton);
    ASSERT_TRUE(gf_waitFor([&] { return server.requests().size() >= 2; })) << "the stalling file is being fetched";
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutW(window(), WM_NULL, 0, 0, SMTO_BLOCK, 1000, &result), 0);
    EXPECT_TRUE(status().empty());
    ASSERT_TRUE(gf_waitFor([this] { return !status().empty(); }));
    EXPECT_EQ(status(), "New version for: Tarnwick_P3D (9.4.0) ==> exit Tarnwick_P3D and restart ...");
}

TEST_F(MainWindowTest, CheckVersionWithNothingNewerSaysUpToDate)
{
    versionCheck = [] { return std::string(); };
    DATA_CHECKED_AT_DATE.assignValue("20261206");
    openEnabledWindow();
    click(checkVersionButton);
    ASSERT_TRUE(gf_waitFor([this] { return !status().empty(); }));
    EXPECT_EQ(status(), "Tarnwick_P3D is up to date");
    EXPECT_EQ(DATA_CHECKED_AT_DATE.getValue(), "20261206");
    EXPECT_EQ(fileValue("DATA_CHECKED_AT_DATE"), "<missing>");
}

TEST_F(MainWindowTest, CheckVersionFailureIsReportedAndTheWindowCarriesOn)
{
    versionCheck = []() -> std::string { throw std::runtime_error("no route to the server"); };
    openEnabledWindow();
    click(checkVersionButton);
    ASSERT_TRUE(gf_waitFor([this] { return !status().empty(); }));
    EXPECT_EQ(status(), "Check version failed: no route to the server");
    EXPECT_TRUE(logHasLine("===> exception in checkVersions: no route to the server"));
    EXPECT_TRUE(IsWindow(window()));
}

TEST_F(MainWindowTest, CloseButtonStartsTheExitAndTheFinalQuitSavesThePosition)
{
    openWindow();
    SetWindowPos(window(), nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(exitReason.load(), 4u) << "USER CLOSED SIM";
    EXPECT_EQ(gf_statusLine().status, "Close window button clicked, closing Tarnwick_P3D ...");
    // The exit ends the loop through the final quit message.
    windowThread.join();
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(fileValue("MAIN_WINDOW_X"), "123");
    EXPECT_EQ(fileValue("MAIN_WINDOW_Y"), "45");
    EXPECT_EQ(MAIN_WINDOW_X.value.load(), 123);
    EXPECT_FALSE(logHasLine("Close window button clicked, closing Tarnwick_P3D ..."));
    // The last line is the time of the end.
    std::string text = log.text();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const std::string last = text.substr(text.rfind('\n') + 1);
    EXPECT_TRUE(std::regex_match(last, std::regex(R"((Mon|Tue|Wed|Thu|Fri|Sat|Sun) [A-Z][a-z]{2} [ 1-3]\d )"
                                                  R"(\d\d:\d\d:\d\d \d{4})")))
        << last;
    EXPECT_FALSE(gf_logIsOpen());
}
