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
#include "traffic/motion.h"
#include "traffic/parking.h"

#include <windows.h>

std::atomic<bool> flightPaused{false};
std::atomic<std::int32_t> renewalPhase{0};
namespace {
// Ticks until the next once-a-second job while no flight runs.
std::int32_t notRunningCountdown = 100;

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
        for (Act& act : liveActs) // at most one a second
            if (lf_userAirConflict(act))
                return;
    }
}
} // namespace

// Live aircraft taxiing (not landing) that moved since their last check, against the static
// parked aircraft: the first one they would touch leaves.
void lf_liveParkedCollisions()
{
    if (staticActs.empty() || liveActs.empty())
        return;
    for (Act& act : liveActs) {
        if (act.base.status != statusCreated || !act.onGround ||
            (act.phase != phaseGround && act.phase != phaseToStand) || gf_landingFlagsSet(act) ||
            (act.latitude == act.collisionCheckLatitude && act.longitude == act.collisionCheckLongitude))
            continue;
        act.collisionCheckLatitude = act.latitude;
        act.collisionCheckLongitude = act.longitude;
        const Act live = act; // the static table may change under the walk
        for (StaticAct& parked : staticActs)
            if (lf_collisionAvoidance(live, parked))
                break;
    }
}

namespace {
void lf_blockCallsign()
{
    if (!callsignBlockRequest.load())
        return;
    if (const std::string callsign = BLOCK_CALLSIGN.getValue(); !callsign.empty())
        for (Act& act : liveActs)
            if (act.callsign() == callsign && act.base.status == statusCreated) {
                lf_removeAircraft(act, "blocked");
                break;
            }
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
        lf_liveParkedCollisions();
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
