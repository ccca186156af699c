// What the painter draws, painted onto a picture without a window: each label on the row
// of its setting in the colour of its state, the lights, the strips and the status line.
#include "mainwindow_canvas.h"

#include "airports/airports.h"
#include "app/mainwindow.h"
#include "app/painting.h"
#include "app/status.h"
#include "foundation/logcapture.h"
#include "foundation/settingscatalogue.h"
#include "traffic/manager.h"

#include <gtest/gtest.h>

namespace {
class PaintTest : public ::testing::Test {
protected:
    void paint() { gf_paintWindow(canvas.context()); }
    // Whether the text's area at (x, y) holds the colour.
    bool drawn(int x, int y, const std::string& text, COLORREF colour) const
    {
        return canvas.has(canvas.textArea(x, y, text), colour);
    }
    Canvas canvas;
};

struct LabelColour {
    const char* text;
    int x;
    const ParameterControl& rowOf;
    COLORREF colour;
};
} // namespace

TEST_F(PaintTest, EveryLabelIsOnTheRowOfItsSettingInItsColour)
{
    paint();
    const LabelColour labels[] = {
        {"Install path:", 5, SIM_INSTALL_PATH, colour::black},
        {"Scan for liveries:", 25, LIG_AUTOMATIC, colour::red}, // SCAN_LIVERIES is on
        {"Automatic", 237, LIG_AUTOMATIC, colour::black},
        {"Prioritize", 343, LIG_AUTOMATIC, colour::black},
        {"STUB", 450, SUPPRESS_STUB, colour::black},
        {"Log", 672, LOG, colour::black},
        {"Stay on top", 768, ALWAYS_ON_TOP, colour::black},
        {"Scan for addon airports:", 25, AFG_AUTOMATIC, colour::red},
        {"Automatic", 237, AFG_AUTOMATIC, colour::black},
        {"Nav lights", 672, NAV_LIGHTS_WHILE_PARKED, colour::black},
        {"Learn Soft", 768, LEARN_SOFT, colour::black},
        {"Max aircraft matching depth:", 5, MATCHING_DEPTH, colour::black},
        {"Optional:", 253, LIGHT_AIRCRAFT, colour::black},
        {"Light aircraft", 343, LIGHT_AIRCRAFT, colour::grey}, // no enabled check box here
        {"Helicopters", 450, HELICOPTERS, colour::grey},
        {"FighterJets", 556, HIGH_PERF_AIRCRAFT, colour::grey},
        {"Aerowinx", 672, AEROWINX, colour::black},
        {"GUID changes", 768, GUID_CHANGES, colour::black},
        {"Traffic injection", 5, LATERAL_RANGE, colour::black},
        {"radius:", 167, LATERAL_RANGE, colour::black},
        {"nm,  or", 260, LATERAL_RANGE, colour::black},
        {"auto range", 343, LATERAL_RANGE, colour::black},
        {"max live:", 500, MAX_LIVE, colour::black},
        {"Callsigns", 5, BLOCK_CALLSIGN, colour::black},
        {"block:", 172, BLOCK_CALLSIGN, colour::black},
        {"Collision avoidance:", 5, COLLISION_USER_GND, colour::black},
        {"User ground", 237, COLLISION_USER_GND, colour::black},
        {"User air", 343, COLLISION_USER_AIR, colour::black},
        {"Live X parked", 450, COLLISION_LIVE_PARKED_GND, colour::black},
        {"Airport parking:", 5, AIRPORT_RANGE, colour::black},
        {"within range (nm):", 217, AIRPORT_RANGE, colour::black},
        {"< height above gnd (ft):", 430, AIRPORT_HEIGHT, colour::black},
        {"Fake", 25, PARK_FAKE, colour::black},
        {"Week", 91, WEEK, colour::black},
        {"Soft", 171, PARK_SOFT, colour::black},
        {"%", 262, parking_percentage, colour::black},
        {"ILO", 343, INITIAL_LOAD_ONLY, colour::black},
        {"Max fit:", 400, MAX_FIT_FL, colour::black},
    };
    for (const LabelColour& label : labels)
        EXPECT_TRUE(drawn(label.x, label.rowOf.row, label.text, label.colour)) << label.text;
    EXPECT_FALSE(drawn(25, LIG_AUTOMATIC.row, "Scan for liveries:", colour::black));
    EXPECT_FALSE(drawn(343, LIGHT_AIRCRAFT.row, "Light aircraft", colour::black));
}

TEST_F(PaintTest, LabelsFollowTheirSwitches)
{
    SCAN_LIVERIES.value = false;
    SUPPRESS_STUB.value = false;
    ALWAYS_ON_TOP.value = true;
    AEROWINX.value = true;
    GUID_CHANGES.value = false;
    SCAN_AIRPORTS.value = false;
    paint();
    EXPECT_TRUE(drawn(25, LIG_AUTOMATIC.row, "Scan for liveries:", colour::black));
    EXPECT_FALSE(drawn(25, LIG_AUTOMATIC.row, "Scan for liveries:", colour::red));
    EXPECT_TRUE(drawn(450, SUPPRESS_STUB.row, "STUB", colour::grey));
    EXPECT_FALSE(drawn(450, SUPPRESS_STUB.row, "STUB", colour::black));
    EXPECT_TRUE(drawn(768, ALWAYS_ON_TOP.row, "Stay on top", colour::yellow));
    EXPECT_TRUE(drawn(672, AEROWINX.row, "Aerowinx", colour::yellow));
    EXPECT_TRUE(drawn(768, GUID_CHANGES.row, "GUID changes", colour::yellow));
    EXPECT_TRUE(drawn(25, AFG_AUTOMATIC.row, "Scan for addon airports:", colour::black));
}

TEST_F(PaintTest, AirportParkingLabelShowsTheParkingStateAndTheMinutesToTheRenewal)
{
    staticParkingRunning = true;
    paint();
    EXPECT_TRUE(drawn(5, AIRPORT_RANGE.row, "Airport static parking active:", colour::yellow));

    mainWindow.parkAirportListed = false;
    paint();
    EXPECT_TRUE(drawn(5, AIRPORT_RANGE.row, "Airport static parking active:", colour::red));

    staticParkingRunning = false;
    staticParkingActive = true;
    mainWindow.minutesToRenewal = 7;
    paint();
    EXPECT_TRUE(drawn(5, AIRPORT_RANGE.row, "Airport parking:", colour::red));
    // Right of the title, where only the minutes are drawn.
    const RECT title = canvas.textArea(5, AIRPORT_RANGE.row, "Airport parking:");
    RECT minutes = canvas.textArea(111, AIRPORT_RANGE.row, "(in 7 min)");
    minutes.left = title.right + 1;
    EXPECT_TRUE(canvas.has(minutes, colour::black));

    mainWindow.minutesToRenewal = 20;
    paint();
    EXPECT_FALSE(canvas.has(minutes, colour::black));

    mainWindow.minutesToRenewal = 7;
    INITIAL_LOAD_ONLY.value = true;
    paint();
    EXPECT_FALSE(canvas.has(minutes, colour::black)) << "no renewals with the initial load only";
}

TEST_F(PaintTest, AirportsLeftForOfflineLearningAreCounted)
{
    paint();
    EXPECT_FALSE(drawn(323, AFG_AUTOMATIC.row, "1 airport in TBLO folder", colour::yellow));
    tbloAirportCount = 1;
    paint();
    EXPECT_TRUE(drawn(323, AFG_AUTOMATIC.row, "1 airport in TBLO folder", colour::yellow));
}

TEST_F(PaintTest, HeaderStripsAndStatusLine)
{
    gf_showStatus("status text", false);
    paint();
    EXPECT_TRUE(drawn(3, 7, "Version 9.3.0", colour::green));
    EXPECT_TRUE(drawn(390, 7, "Tarnwick_P3D", colour::green));
    EXPECT_EQ(canvas.at(870, 5), colour::black);
    EXPECT_EQ(canvas.at(870, 100), colour::black);
    EXPECT_EQ(canvas.at(870, 300), colour::lightBlue);
    EXPECT_EQ(canvas.at(870, 440), colour::black);
    EXPECT_EQ(canvas.at(870, 470), colour::green);
    EXPECT_EQ(canvas.at(870, 392), colour::white);
    EXPECT_EQ(canvas.at(870, 449), colour::white);
    EXPECT_TRUE(drawn(3, 455, "status text", colour::yellow));

    gf_showError("Reader error");
    paint();
    EXPECT_EQ(canvas.at(870, 470), colour::red);
    EXPECT_EQ(canvas.at(870, 449), colour::white);
    EXPECT_TRUE(drawn(3, 455, "Reader error", colour::yellow));

    gf_clearError();
    gf_clearStatus();
    paint();
    EXPECT_EQ(canvas.at(870, 470), colour::green);
    EXPECT_FALSE(canvas.has({3, 455, 870, 470}, colour::yellow));

    // A notice fills the line whenever no status text or error is shown.
    const std::string notice = "the settings could not be read, their defaults were taken";
    const RECT beyondShort{canvas.textArea(3, 455, "ok").right + 4, 455, canvas.textArea(3, 455, notice).right, 470};
    gf_showNotice(notice);
    paint();
    EXPECT_TRUE(canvas.has(beyondShort, colour::yellow));
    gf_showStatus("ok", false);
    paint();
    EXPECT_FALSE(canvas.has(beyondShort, colour::yellow)) << "the status text in its place";
    gf_clearStatus();
    gf_showError("ok");
    paint();
    EXPECT_FALSE(canvas.has(beyondShort, colour::yellow)) << "the error in its place";
    gf_clearError();
    paint();
    EXPECT_TRUE(canvas.has(beyondShort, colour::yellow));
    gf_showNotice("");
}

TEST_F(PaintTest, LightsFollowTheLinks)
{
    paint();
    EXPECT_EQ(canvas.at(410, 40), colour::red) << "no simulator";
    EXPECT_EQ(canvas.at(440, 40), colour::black) << "waiting for RealTraffic";

    mainWindow.simulatorConnected = true;
    mainWindow.realTrafficWaiting = false;
    paint();
    EXPECT_EQ(canvas.at(410, 40), colour::yellow) << "connected, no flight yet";
    EXPECT_EQ(canvas.at(440, 40), colour::red) << "no reader lights";

    mainWindow.flightMark = true;
    gf_setDisplayText(&MainWindow::simulatorText, "Airbus A320", countersBand);
    mainWindow.readerLights = true;
    mainWindow.trafficReaderState = 2;
    paint();
    EXPECT_EQ(canvas.at(410, 40), colour::green);
    EXPECT_EQ(canvas.at(440, 40), colour::yellow);
    EXPECT_TRUE(drawn(5, 63, "Airbus A320", colour::green));
    EXPECT_TRUE(drawn(458, 91, "Traffic", colour::yellow));

    mainWindow.trafficReaderState = 1;
    mainWindow.userModelKnown = false;
    paint();
    EXPECT_EQ(canvas.at(440, 40), colour::green);
    EXPECT_TRUE(drawn(5, 63, "Airbus A320", colour::yellow)) << "model not known";
}

TEST_F(PaintTest, ReaderTextsOnlyForRunningReaders)
{
    mainWindow.readerLights = true;
    mainWindow.qnh = 1013;
    paint();
    EXPECT_FALSE(canvas.has({458, 63, 520, 77}, colour::green)) << "no Weather while stopped";
    EXPECT_FALSE(canvas.has({642, 63, 720, 77}, colour::green)) << "no QNH while stopped";

    mainWindow.weatherReaderState = 1;
    paint();
    EXPECT_TRUE(drawn(458, 63, "Weather", colour::green));
    EXPECT_TRUE(drawn(642, 63, "qnh: 1013", colour::green));

    mainWindow.qnh = 0;
    paint();
    EXPECT_FALSE(canvas.has({642, 63, 720, 77}, colour::green)) << "no QNH before the first";
}

TEST_F(PaintTest, LiveryAndAirportCountsShowDotsUntilKnown)
{
    paint();
    EXPECT_TRUE(drawn(5, 91, "# liveries: ...", colour::red));
    EXPECT_TRUE(drawn(141, 91, "# ORBX: ...", colour::yellow));
    EXPECT_TRUE(drawn(278, 91, "# thirdp: ...", colour::yellow));

    mainWindow.liveryCount = 812;
    mainWindow.orbxAirportCount = 3;
    mainWindow.orbxAirportsDone = false;
    mainWindow.otherAirportCount = 2;
    paint();
    EXPECT_TRUE(drawn(5, 91, "# liveries: 812", colour::green));
    EXPECT_FALSE(drawn(5, 91, "# liveries: 812", colour::red));
    EXPECT_TRUE(drawn(141, 91, "# ORBX: 3", colour::yellow));
    EXPECT_TRUE(drawn(278, 91, "# thirdp: 2", colour::green));
}

TEST_F(PaintTest, StatisticsOnlyWithAParkAirportAndItsDataOnlyWhenLoaded)
{
    const RECT strip{0, statisticsBand.top + 2, 880, statisticsBand.bottom};
    paint();
    EXPECT_FALSE(canvas.has(strip, colour::green));
    EXPECT_FALSE(canvas.has(strip, colour::yellow));

    {
        gf_setParkAirport({.code = "EGLL"});
    }
    paint();
    EXPECT_TRUE(drawn(5, 399, "EGLL", colour::yellow));
    EXPECT_FALSE(canvas.has(strip, colour::green));

    mainWindow.parkDataLoaded = true;
    mainWindow.standCount = 180;
    paint();
    EXPECT_TRUE(drawn(5, 399, "EGLL", colour::green));
    EXPECT_TRUE(drawn(5, 427, "# stands: 180", colour::green));
    EXPECT_TRUE(drawn(708, 427, "max park:   0 (=30% )", colour::green));
    EXPECT_FALSE(canvas.has({430, 427, 560, 441}, colour::green)) << "no parked static without a max park";
}

TEST_F(PaintTest, TextsThatCannotBeDrawnAreLogged)
{
    LogCapture log;
    gf_setDisplayText(&MainWindow::realTrafficLine, "RealTraffic \xff", countersBand);
    mainWindow.readerLights = true;
    paint();
    EXPECT_TRUE(log.hasLine("RealTraffic \xff conversion exception Invalid UTF-8 sequence found in input string., "
                            "error code: 1113"));
}
