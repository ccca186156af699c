// The main loop's clock and its tick.
#include "app/mainloop.h"

#include "app/programcontrol.h"
#include "app/reporter.h"
#include "app/startup.h"
#include "app/starttraffic.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timerresolution.h"
#include "foundation/waits.h"
#include "foundation/weekslots.h"
#include "links/readers.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "traffic/records.h"

#include <chrono>
#include <thread>

using namespace std::chrono_literals;

std::atomic<bool> reReadRequest{false};
std::atomic<bool> staticFlushRequest{false};
std::atomic<bool> callsignBlockRequest{false};
std::atomic<bool> staticRenewalRequest{false};
std::atomic<bool> noMatchClearRequest{false};
std::atomic<bool> navLightsRequest{false};
std::atomic<bool> autoRangeRequest{false};
std::atomic<bool> liveTrimRequest{false};
std::atomic<std::int32_t> secondsCounter{0};

namespace {
constexpr auto tickLength = 10ms;

// What the window asked for that changes the traffic tables.
void lf_windowRequests()
{
    if (navLightsRequest.exchange(false)) {
        const std::uint32_t on = NAV_LIGHTS_WHILE_PARKED.value.load() ? 1 : 0;
        for (const StaticAct& parked : staticActs)
            if (parked.status == statusCreated)
                queueNavLights(parked.objectId, on);
        for (const Act& act : liveActs)
            if (act.base.status == statusCreated && act.phase == phaseAtStand)
                queueNavLights(act.base.objectId, on);
    }
    // A request that waited while the switch went off is void.
    if (autoRangeRequest.exchange(false) && AUTO_RANGE.value.load())
        gf_autoRange();
    if (liveTrimRequest.exchange(false))
        lf_removeExcess();
}

void lf_runTicks()
{
    using Clock = std::chrono::steady_clock;
    gf_updateStatusLights();
    gf_flushLog();
    secondsCounter = 0;
    auto deadline = Clock::now() + tickLength;
    currentWeekSlot = gf_currentWeekSlot().value();
    lf_setAcceptReports(true);
    TimerResolution resolution;
    // Both run flags are looked at every tick, so that an exit is seen even while the
    // simulator sends nothing.
    while (!gf_exitUnderWay()) {
        lf_mainTick();
        gf_sleepUntil(deadline);
        // A report re-anchors the grid to the present; without one the grid is kept.
        deadline = newSecond.load() ? Clock::now() + tickLength : deadline + tickLength;
    }
}
} // namespace

void mainLoop()
{
    try {
        lf_runTicks();
    } catch (const zeb::UserErrorException&) {
        gf_reportException("mainLoop");
        gf_stopTrafficShown();
    } catch (...) {
        gf_reportException("mainLoop");
    }
    // The readers go on receiving; nobody takes their reports any more.
    lf_setAcceptReports(false);
}

void lf_mainTick()
{
    lf_windowRequests();
    if (!flightRunning.load()) {
        lf_flightNotRunning();
        return;
    }
    lf_trafficTick();
    bool reported = true;
    if (!newSecond.compare_exchange_strong(reported, false))
        return;
    lf_everySecond();
    lf_slowJobs(secondsCounter.load());
}
