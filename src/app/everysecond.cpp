// The per-second jobs and the tick while no flight runs.
#include "app/mainloop.h"

#include "app/counters.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "foundation/weekslots.h"
#include "links/realtrafficserver.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "traffic/traffic.h"

#include <windows.h>

std::atomic<bool> flightPaused{false};
std::atomic<std::int32_t> renewalPhase{0};
std::deque<std::uint32_t> staticConflictChecks;

namespace {
// Ticks until the next once-a-second job while no flight runs.
std::int32_t notRunningCountdown = 100;

// One identifier a second. An aircraft removed since its identifier was pushed is simply
// dropped, so that the identifiers behind it are not held up.
void lf_checkStaticConflict()
{
    if (staticConflictChecks.empty())
        return;
    gf_checkStaticConflict(staticConflictChecks.front(), WeekSlot::fromValue(currentWeekSlot.load()));
    staticConflictChecks.pop_front();
}

void lf_flushStatic()
{
    if (!staticFlushRequest.load())
        return;
    lf_removeStaticParked();
    staticFlushRequest = false;
    // Flushed aircraft are not placed again (in memory only, not saved).
    if (!INITIAL_LOAD_ONLY.value.load())
        gf_setCheckBox(INITIAL_LOAD_ONLY, true);
}

void lf_userCollisions()
{
    if (userOnGround.load()) {
        if (COLLISION_USER_GND.value.load())
            lf_userGroundConflict();
    } else if (COLLISION_USER_AIR.value.load()) {
        gf_userAirConflicts();
    }
}

void lf_blockCallsign()
{
    if (!callsignBlockRequest.load())
        return;
    if (const std::string callsign = BLOCK_CALLSIGN.getValue(); !callsign.empty())
        gf_removeBlockedCallsign(callsign);
    callsignBlockRequest = false;
}
} // namespace

void lf_everySecond()
{
    if (flightPaused.exchange(false)) {
        gf_logf("{} Flight resumed", gf_nowString());
        lf_setAcceptReports(true);
    }
    gf_advanceStatusClock();
    gf_refreshCounters();
    currentWeekSlot = gf_currentWeekSlot().value();
    ++secondsCounter;
    lf_checkStaticConflict();
    lf_flushStatic();
    lf_userCollisions();
    if (COLLISION_LIVE_PARKED_GND.value.load())
        gf_liveParkedCollisions();
    lf_blockCallsign();
}

void lf_flightNotRunning()
{
    if (!flightPaused.load()) {
        lf_setAcceptReports(false);
        flightPaused = true;
        notRunningCountdown = 100;
        {
            std::lock_guard lock(simQueues.mutex);
            simQueues.positionsA.clear();
            simQueues.positionsB.clear();
        }
        gf_logFlushed(fmt::format("{} Flight not running", gf_nowString()));
    }
    lf_processBuffer();
    if (--notRunningCountdown % 100 == 0) {
        lf_reReadIfRequested();
        gf_sendPosition();
    }
    if (notRunningCountdown < 1) {
        notRunningCountdown = 100;
        gf_refreshCounters();
        currentWeekSlot = gf_currentWeekSlot().value();
    }
}

void lf_reReadIfRequested()
{
    if (!reReadRequest.load() || staticParkingRunning.load())
        return;
    std::string message;
    if (lf_checkParkAirports(true, message))
        gf_showStatus(message, true);
    EnableWindow(rereadButton.window, TRUE);
    reReadRequest = false;
}
