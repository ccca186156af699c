// The start of traffic: simulator, flight, park airports, RealTraffic, readers, first
// traffic, first static parking, main loop.
#include "app/starttraffic.h"

#include "app/buildconfig.h"
#include "app/finalexit.h"
#include "app/mainloop.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/settingcontrols.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "foundation/weekslots.h"
#include "links/readers.h"
#include "links/realtrafficserver.h"
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "simconnect/protocol.h"
#include "traffic/traffic.h"

#include <windows.h>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <chrono>

using namespace std::chrono_literals;

namespace {
void lf_setTopmost()
{
    if (HWND window = mainWindow.window.load())
        SetWindowPos(window, ALWAYS_ON_TOP.value.load() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
}

void lf_showFlag(std::atomic<bool>& flag, bool value)
{
    flag = value;
    gf_repaintBand(countersBand);
}

bool lf_userPositionValid()
{
    const UserAircraft user = gf_userAircraftBlock();
    return !gf_userPositionUnknown(user.latitude, user.longitude);
}

void lf_requestGroundState()
{
    std::lock_guard lock(simQueues.mutex);
    if (simConnection == nullptr ||
        SimConnect_RequestDataOnSimObject(simConnection, reqUserOnGround, defOnGround, 0, scPeriodSecond, 0, 0, 0, 0) !=
            scOk) {
        gf_logMarked("SimConnect request ac gnd/air fails");
        countRequestError();
    }
}

// A reply that is not RealTraffic's JSON must not end the program: the link goes on
// without knowing RealTraffic's edition.
void lf_exchangeVersion()
{
    try {
        gf_waitForRealTraffic();
    } catch (const nlohmann::json::exception& e) {
        realTrafficProfessional = false;
        trafficClockSwitch = false;
        mainWindow.realTrafficConnected = clientConnected.load();
        gf_logMarked(fmt::format("RealTraffic version reply not readable: {}", e.what()));
        gf_showStatus("RealTraffic version not readable, see Log.txt", false);
    }
    if (realTrafficProfessional.load())
        gf_sendQs123(simulatorTime.load());
    // RealTraffic is there (or the wait ended): the reader lights show what its datagrams do.
    lf_showFlag(mainWindow.readerLights, true);
}

// RealTraffic's server port: a whole number from 1 to 65535, which the user sets in
// parameters.xml (RealTraffic is told the same number).
std::string lf_serverPort()
{
    const std::string text = PORT_NUMBER.getValue();
    std::uint32_t port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        throw zeb::UserErrorException(
            160, fmt::format("{} \"{}\" is no port: set it in parameters.xml to a whole number from 1 to 65535",
                             PORT_NUMBER.key, text));
    return text;
}

void lf_openServer()
{
    const std::string port = lf_serverPort();
    try {
        gf_openServerSocket(port);
    } catch (const zeb::SysErrorException& e) {
        // Mostly a port another program holds: the user can choose another.
        throw zeb::UserErrorException(
            160, fmt::format("{} {} cannot be used ({}): set it in parameters.xml to a free port from 1 to 65535",
                             PORT_NUMBER.key, port, e.what()));
    }
}

void lf_startReaders()
{
    lf_setAcceptReports(false);
    gf_startQnhReader(qnhPort);
    gf_pauseUnlessExit(2s);
    gf_startTrafficReader(trafficPort);
}

void lf_waitForFirstTraffic()
{
    for (std::int32_t step = 0; step < firstTrafficWaitSteps && trafficClockStamp.load() == 0; ++step)
        if (!gf_pauseUnlessExit(100ms))
            return;
    if (trafficClockStamp.load() == 0)
        gf_log("No traffic in this region?");
}

void lf_startTrafficSteps()
{
    lf_setTopmost();
    gf_reserveSimQueues();
    simPaused = false; // repeated request errors of the previous run are forgotten
    gf_takeNewAiObjects(true);
    gf_reserveTrafficTables();
    gf_createFlightPlanFolder();
    lf_showFlag(mainWindow.readerLights, false);
    lf_showFlag(mainWindow.simulatorConnected, false);
    gf_startSimConnectThread();
    if (!gf_waitForFlight())
        return;
    // The traffic manager's copy of the user aircraft, which the main loop refreshes: the park
    // airports and the first static parking need the position before the first tick.
    gf_setCurrentUserAircraft(gf_userAircraftBlock());
    lf_readParkAirports(false);
    gf_enableControl(rereadButton);
    gf_flushLog();
    if (realTrafficOnThisPc.load() && !AEROWINX.value.load())
        lf_openServer();
    else
        lf_showFlag(mainWindow.readerLights, true);
    if (AUTO_RANGE.value.load()) {
        gf_autoRange();
        EnableWindow(LATERAL_RANGE.window, FALSE);
    }
    if (gf_exitUnderWay())
        return;
    lf_showFlag(mainWindow.realTrafficWaiting, false);
    gf_flushLog();
    if (!AEROWINX.value.load())
        lf_exchangeVersion();
    else
        realTrafficProfessional = false;
    if (gf_exitUnderWay())
        return;
    lf_startReaders();
    gf_sendPosition();
    const UserAircraft user = gf_userAircraftBlock();
    gf_setUserPosition(user.latitude, user.longitude);
    if (readerError.load()) {
        gf_showError("Reader error");
        gf_startFinalExit(5, 0);
    }
    lf_waitForFirstTraffic();
    if (gf_exitUnderWay())
        return;
    currentWeekSlot = gf_currentWeekSlot().value();
    lf_staticParking(true);
    gf_flushLog();
    mainLoop();
}
} // namespace

void gf_startTraffic()
{
    try {
        lf_startTrafficSteps();
    } catch (const zeb::UserErrorException&) {
        gf_stopTrafficShown();
        throw; // shown by the start-up's reporter; the program stays open for the user to act
    } catch (const std::exception& e) {
        gf_showStatus(e.what(), true);
        if (serverOpen.load()) {
            gf_closeServer();
            lf_showFlag(mainWindow.readerLights, false);
        }
        gf_startFinalExit(5, 0);
    }
}

bool gf_waitForFlight()
{
    while (!flightRunning.load())
        if (!gf_pauseUnlessExit(100ms))
            return false;
    lf_requestGroundState();
    while (!(userOnGroundReceived.load() && lf_userPositionValid())) {
        requestUserPosition();
        if (!gf_pauseUnlessExit(500ms))
            return false;
    }
    requestUserTitleAndModel();
    while (!lf_userPositionValid()) {
        requestUserPosition();
        if (!gf_pauseUnlessExit(200ms))
            return false;
    }
    return !gf_exitUnderWay();
}

void gf_stopTrafficShown()
{
    // From here on the simulator creates nothing more for the traffic, and what it still
    // creates is removed at once.
    gf_takeNewAiObjects(false);
    gf_stopReaders();
    gf_closeServer();
    gf_removeInjectedAircraft();
    gf_removeLateCreations();
    gf_removeProgramObjects(); // objects whose answers the traffic never handled
    mainWindow.realTrafficWaiting = false;
    mainWindow.readerLights = false;
    mainWindow.trafficReaderState = 3;
    mainWindow.weatherReaderState = 3;
    // Their requests would wait for a main loop that does not come back.
    for (const GuiButton* button : {&rereadButton, &flushStaticButton})
        EnableWindow(button->window, FALSE);
    gf_logMarked(fmt::format("Traffic has stopped, close {} and start it again", programName));
    gf_repaintWindow();
}
