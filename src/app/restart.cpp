// The reset between an exit and the next start-up in the same process.
#include "app/restart.h"

#include "app/detection.h"
#include "app/mainloop.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/scans.h"
#include "app/status.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "links/readers.h"
#include "links/realtrafficserver.h"
#include "links/simlink.h"
#include "traffic/traffic.h"

void gf_resetRunState(std::uint32_t reason)
{
    gf_clearError();
    gf_clearStatus();
    gf_resetTraffic();
    // A restart after a fault does not scan again.
    if (reason == 2) {
        gf_setScanSetting(SCAN_LIVERIES, false);
        gf_setScanSetting(SCAN_AIRPORTS, false);
    }
    readerError = false;
    removalDone = false;
    flightPaused = false;
    realTrafficProfessional = false;
    staticRenewalRequest = false;
    secondsCounter = 0;
    renewalPhase = 0;
    callsignBlockRequest = false;
    autoRangeRequest = false;
    trafficClockSwitch = false;
    stockAirportsPath.clear();
    gf_setRadius(LATERAL_RANGE.clamp(LATERAL_RANGE.value.load()));
    // Stops and joins the SimConnect thread, closes its connection, forgets the user
    // aircraft and empties the queues to the simulator.
    gf_resetSimLink();
    lf_resetTraffic();
    gf_resetWindowState();
}

void gf_resetWindowState()
{
    gf_resetStatusLine();
    for (std::string MainWindow::*text :
         {&MainWindow::simulatorText, &MainWindow::airportNameText, &MainWindow::airportPublisherText,
          &MainWindow::qualityText, &MainWindow::simulatorLine, &MainWindow::realTrafficLine, &MainWindow::userStand})
        gf_setDisplayText(text, {}, countersBand);
    MainWindow& w = mainWindow;
    w.staticAverageFit = -1.0f;
    w.liveAverageFit = -1.0f;
    w.liveryCount = -1;
    w.updateCount = 0;
    w.liveCount = 0;
    w.orbxAirportCount = 0;
    w.otherAirportCount = 0;
    w.maxPark = 0;
    w.parkedLiveCount = 0;
    w.parkedStaticCount = 0;
    w.qnh = 0;
    w.standCount = 0;
    w.minutesToRenewal = 0;
    w.parkFileHandmade = false;
    w.realTrafficWaiting = true;
    w.readerLights = false;
    w.parkDataLoaded = false;
    w.simulatorConnected = false;
    w.flightMark = false;
    w.userModelKnown = true;
    w.orbxAirportsDone = true;
    w.softMarker = false;
    w.reservedStandValid = false;
    w.parkAirportListed = true;
    w.realTrafficConnected = false;
    w.trafficReaderState = 3;
    w.weatherReaderState = 3;
    gf_repaintWindow();
}
