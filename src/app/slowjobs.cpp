// The jobs of the main loop's seconds counter: every 15, 16, 30, 59, 60, 61, 1200 and
// 86400 seconds.
#include "app/mainloop.h"

#include "airports/airports.h"
#include "app/finalexit.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "links/readers.h"
#include "links/realtrafficserver.h"
#include "links/simlink.h"
#include "liveries/liveries.h"
#include "traffic/parking.h"

namespace {
// Phase 0: the parking controls are locked and the reader collects the callsigns it sees;
// phase 1, 15 s later: the static parked aircraft are adjusted to what was seen.
void lf_staticRenewal()
{
    if (!staticRenewalRequest.load())
        return;
    if (renewalPhase.load() == 0) {
        renewalPhase = 1;
        disableControls();
        gf_startCollectingCallsigns();
        return;
    }
    renewalPhase = 0;
    gf_clearError();
    gf_clearStatus();
    if (!gf_parkAirportCode().empty() && !parkStands.empty())
        lf_parkingAdjustments();
    staticRenewalRequest = false;
}

void lf_every15Seconds(std::int32_t n)
{
    const UserAircraft user = gf_userAircraftBlock();
    gf_setUserPosition(user.latitude, user.longitude);
    if (realTrafficProfessional.load())
        gf_sendQs123(simulatorTime.load());
    if (!gf_reservedStandName().empty())
        lf_freeReservedStand();
    lf_reReadIfRequested();
    lf_staticRenewal();
    if (mainWindow.trafficReaderState.load() == 2 || mainWindow.weatherReaderState.load() == 2)
        gf_updateStatusLights();
    if (n % 30 == 0)
        lf_every30Seconds(n);
}
} // namespace

void lf_slowJobs(std::int32_t n)
{
    if (n % 15 == 0) {
        lf_every15Seconds(n);
        return;
    }
    if (n % 16 == 0 && renewalPhase.load() == 0)
        lf_staticParking(false);
    if (n % 59 == 0)
        gf_updateStatusLights();
    if (n % 61 == 0 && !staticActs.empty())
        for (Act& act : liveActs)
            lf_removeParkedByName(act);
}

void lf_every30Seconds(std::int32_t n)
{
    if (noMatchClearRequest.load()) {
        noMatchSet.clear();
        noMatchClearRequest = false;
    }
    if (AUTO_RANGE.value.load())
        gf_autoRange();
    if (readerError.load()) {
        gf_showError("1001: RT error");
        gf_startFinalExit(5, 0);
    }
    gf_flushLog();
    if (n % 60 != 0)
        return;
    mainWindow.minutesToRenewal = 20 - (n / 60) % 20;
    gf_repaintBand(controlsBand);
    if (n % 1200 != 0)
        return;
    gf_logNoMatches();
    if (staticParkingActive.load() && !INITIAL_LOAD_ONLY.value.load() && !staticRenewalRequest.load())
        staticRenewalRequest = true;
    if (n % 86400 == 0) {
        secondsCounter = 0;
        logMatchingSummary();
        gf_clearLiveryChoices();
    }
}
