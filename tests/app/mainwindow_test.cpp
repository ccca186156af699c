// The main window as initInstance opens it: its controls, its place on the screen, its
// ending, and a screenshot in a known state.
#include "mainwindow_canvas.h"
#include "mainwindow_fixture.h"

#include "app/painting.h"
#include "app/resources/resourceids.h"
#include "app/status.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"
#include "support/testpaths.h"
#include "traffic/parking.h"

#include <set>

namespace {
struct ControlPlace {
    const ParameterControl& control;
    const wchar_t* className;
    int x;
    int width;
};

// Every control of the window with its class, left edge and width.
const ControlPlace controlPlaces[] = {
    {SIM_INSTALL_PATH, L"Edit", 111, 1200},
    {SCAN_LIVERIES, L"Button", 5, 12},
    {LIG_AUTOMATIC, L"Button", 217, 12},
    {LIG_PRIORITIZE, L"Button", 323, 12},
    {SUPPRESS_STUB, L"Button", 430, 12},
    {LOG, L"Button", 652, 12},
    {ALWAYS_ON_TOP, L"Button", 748, 12},
    {SCAN_AIRPORTS, L"Button", 5, 12},
    {AFG_AUTOMATIC, L"Button", 217, 12},
    {NAV_LIGHTS_WHILE_PARKED, L"Button", 652, 12},
    {LEARN_SOFT, L"Button", 748, 12},
    {MATCHING_DEPTH, L"Edit", 217, 24},
    {LIGHT_AIRCRAFT, L"Button", 323, 12},
    {HELICOPTERS, L"Button", 430, 12},
    {HIGH_PERF_AIRCRAFT, L"Button", 536, 12},
    {AEROWINX, L"Button", 652, 12},
    {GUID_CHANGES, L"Button", 748, 12},
    {LATERAL_RANGE, L"Edit", 217, 34},
    {AUTO_RANGE, L"Button", 323, 12},
    {MAX_LIVE, L"Edit", 576, 34},
    {checkVersionButton, L"Button", 692, 120},
    {COLLISION_USER_GND, L"Button", 217, 12},
    {COLLISION_USER_AIR, L"Button", 323, 12},
    {COLLISION_LIVE_PARKED_GND, L"Button", 430, 12},
    {BLOCK_CALLSIGN, L"Edit", 217, 100},
    {unblockButton, L"Button", 323, 70},
    {AIRPORT_RANGE, L"Edit", 343, 34},
    {AIRPORT_HEIGHT, L"Edit", 586, 50},
    {PARK_FAKE, L"Button", 5, 12},
    {WEEK, L"Button", 71, 12},
    {PARK_SOFT, L"Button", 151, 12},
    {parking_percentage, L"Edit", 217, 34},
    {INITIAL_LOAD_ONLY, L"Button", 323, 12},
    {MAX_FIT_FL, L"Edit", 460, 24},
    {flushStaticButton, L"Button", 642, 90},
    {rereadButton, L"Button", 758, 90},
};
} // namespace

TEST_F(MainWindowTest, EveryControlOfTheCatalogueIsBuiltInItsPlaceWithItsState)
{
    SCAN_AIRPORTS.value = false; // as if read so: the box follows the switch
    openWindow();
    std::set<const ParameterControl*> placed;
    for (const ControlPlace& place : controlPlaces) {
        const ParameterControl& control = place.control;
        SCOPED_TRACE(dynamic_cast<const Parameter&>(control).key);
        placed.insert(&control);
        ASSERT_NE(control.window, nullptr);
        EXPECT_EQ(GetParent(control.window), window());
        EXPECT_EQ(GetDlgCtrlID(control.window), control.controlId);
        wchar_t className[32] = {};
        GetClassNameW(control.window, className, 32);
        EXPECT_EQ(_wcsicmp(className, place.className), 0);
        const RECT rect = windowRect(control.window, window());
        EXPECT_EQ(rect.left, place.x);
        EXPECT_EQ(rect.right - rect.left, place.width);
        if (const auto* setting = dynamic_cast<const GuiBoolParameter*>(&control)) {
            EXPECT_EQ(rect.top, control.row + 2);
            EXPECT_EQ(checked(*setting), setting->value.load());
            EXPECT_TRUE(enabled(control));
        } else if (const auto* button = dynamic_cast<const GuiButton*>(&control)) {
            EXPECT_EQ(rect.top, control.row);
            EXPECT_EQ(rect.bottom - rect.top, 20);
            wchar_t caption[64] = {};
            GetWindowTextW(control.window, caption, 64);
            EXPECT_EQ(gf_utf16ToUtf8(caption), button->key);
            EXPECT_FALSE(enabled(control)); // until the start-up has read the settings
        } else {
            EXPECT_EQ(rect.top, control.row);
            EXPECT_EQ(rect.bottom - rect.top, 16);
            EXPECT_FALSE(enabled(control));
            EXPECT_NE(GetWindowLongPtrW(control.window, GWLP_WNDPROC), control.previousWindowProc);
        }
    }
    EXPECT_FALSE(checked(SCAN_AIRPORTS));
    // Every setting with a control has it, except MAX_FIT, which is edited through MAX_FIT_FL.
    for (Parameter* setting : gf_allSettings()) {
        auto* control = dynamic_cast<ParameterControl*>(setting);
        if (control && setting != &MAX_FIT) {
            EXPECT_TRUE(placed.count(control)) << setting->key;
        }
    }
    EXPECT_EQ(MAX_FIT.window, nullptr);
    // The start-up message is posted to the window and handled on its thread.
    EXPECT_TRUE(gf_waitFor([&] { return startUps.load() >= 1; })) << "initInstance posts the start-up message";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(startUps.load(), 1) << "only once";
}

TEST_F(MainWindowTest, WindowHasItsFixedSizeTitleAndNoSizingBoxes)
{
    openWindow();
    const RECT rect = windowRect(window());
    EXPECT_EQ(rect.right - rect.left, 880);
    EXPECT_EQ(rect.bottom - rect.top, 516);
    EXPECT_EQ(rect.left, 400);
    EXPECT_EQ(rect.top, 20);
    wchar_t title[64] = {};
    GetWindowTextW(window(), title, 64);
    EXPECT_STREQ(title, L"Tarnwick_P3D");
    const LONG_PTR style = GetWindowLongPtrW(window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    // Class name, title and icon come from the program's resources.
    wchar_t className[64] = {};
    GetClassNameW(window(), className, 64);
    EXPECT_STREQ(className, L"Tarnwick_P3D");
    const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(window(), GCLP_HICON));
    EXPECT_EQ(icon, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARNWICK)));
    EXPECT_NE(icon, LoadIconW(nullptr, IDI_APPLICATION)) << "an icon of its own";
}

TEST(ProgramResources, TheProgramCarriesItsNameAndItsIcon)
{
    LogCapture log;
    const HMODULE program = LoadLibraryExW((gf_testBuildFolder() / L"Tarnwick_P3D.exe").c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(gf_programNameResource(program), L"Tarnwick_P3D");
    EXPECT_FALSE(log.holds("not among its resources"));
    // One icon in three sizes.
    const HRSRC group = FindResourceW(program, MAKEINTRESOURCEW(IDI_TARNWICK), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const std::uint16_t*>(LockResource(LoadResource(program, group)));
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory[2], 3) << "16, 32 and 48 pixels";
    for (const int size : {16, 32, 48}) {
        const HANDLE image = LoadImageW(program, MAKEINTRESOURCEW(IDI_TARNWICK), IMAGE_ICON, size, size, 0);
        EXPECT_NE(image, nullptr) << size;
        DestroyIcon(static_cast<HICON>(image));
    }
    FreeLibrary(program);
}

TEST_F(MainWindowTest, ALogThatCannotBeOpenedIsShownOnTheStatusLine)
{
    gf_closeLog();
    std::filesystem::remove("Log.txt");
    std::filesystem::create_directory("Log.txt"); // a folder where the file should be
    EXPECT_ANY_THROW(gf_openLog());
    openWindow();
    EXPECT_EQ(status(), "sys error 40: Failed to write file Log.txt");
    closeWindow();
    gf_clearStatus();
    std::filesystem::remove("Log.txt");
    gf_openLog();
}

TEST_F(MainWindowTest, ScreenshotInAKnownState)
{
    openEnabledWindow();
    for (GuiIntParameter* setting : {&MATCHING_DEPTH, &LATERAL_RANGE, &AIRPORT_RANGE, &AIRPORT_HEIGHT,
                                     &parking_percentage})
        gf_showIntParameter(*setting);
    gf_showFloatParameter(MAX_FIT_FL);
    BLOCK_CALLSIGN.assignValue("KLM123");
    gf_showStringParameter(BLOCK_CALLSIGN);
    SIM_INSTALL_PATH.assignValue("C:\\Program Files\\Lockheed Martin\\Prepar3D v5");
    gf_showStringParameter(SIM_INSTALL_PATH);
    gf_setDisplayText(&MainWindow::simulatorLine, "Prepar3D v5.4.9", countersBand);
    gf_setDisplayText(&MainWindow::simulatorText, "Boeing 737-800 Tarnwick Air", countersBand);
    gf_setDisplayText(&MainWindow::userStand, "GATE A12", countersBand);
    gf_setDisplayText(&MainWindow::realTrafficLine, "RealTraffic 10.0.250 Professional", countersBand);
    gf_setDisplayText(&MainWindow::airportNameText, "Amsterdam Schiphol", statisticsBand);
    gf_setDisplayText(&MainWindow::airportPublisherText, "stock", statisticsBand);
    gf_setDisplayText(&MainWindow::qualityText, "0.82", statisticsBand);
    {
        gf_setParkAirport({.code = "EHAM"});
        gf_setReservedStandName("D7");
    }
    mainWindow.simulatorConnected = true;
    mainWindow.flightMark = true;
    mainWindow.realTrafficWaiting = false;
    mainWindow.readerLights = true;
    mainWindow.trafficReaderState = 1;
    mainWindow.weatherReaderState = 1;
    mainWindow.qnh = 1013;
    mainWindow.liveCount = 27;
    mainWindow.liveryCount = 5312;
    mainWindow.orbxAirportCount = 12;
    mainWindow.otherAirportCount = 4;
    mainWindow.parkDataLoaded = true;
    mainWindow.reservedStandValid = true;
    mainWindow.standCount = 212;
    mainWindow.parkedLiveCount = 9;
    mainWindow.parkedStaticCount = 54;
    mainWindow.maxPark = 63;
    mainWindow.liveAverageFit = 3.5f;
    mainWindow.staticAverageFit = 2.25f;
    mainWindow.updateCount = 1234;
    gf_showStatus("RealTraffic detected at this PC", false);
    RedrawWindow(window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageW(window(), WM_NULL, 0, 0);

    RECT client{};
    GetClientRect(window(), &client);
    Canvas picture(client.right, client.bottom);
    ASSERT_TRUE(picture.copyWindow(window()));
    const auto folder = gf_testBuildFolder() / L"screenshots";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(picture.saveBmp(folder / L"mainwindow.bmp"));
    // The picture is the painted window, not an empty one.
    EXPECT_EQ(picture.at(5, 460), colour::green);       // status strip
    EXPECT_EQ(picture.at(410, 40), colour::green);      // simulator light
    EXPECT_EQ(picture.at(440, 40), colour::green);      // RealTraffic light
    EXPECT_EQ(picture.at(2, 250), colour::lightBlue);   // controls area
    EXPECT_EQ(picture.at(860, 420), colour::black);     // statistics strip
    EXPECT_TRUE(picture.has({3, 455, 300, 472}, colour::yellow)); // the status text
}
