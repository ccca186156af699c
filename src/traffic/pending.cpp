// Stand-ins for the traffic manager services that are not built yet.
#include "traffic/traffic.h"

#include "app/startup.h"
#include "foundation/exceptions.h"
#include "links/livereport.h"
#include "links/realtrafficserver.h"
#include "links/simlink.h"

#include <atomic>
#include <deque>
#include <vector>

// Tests set the user aircraft here and count the removals.
UserAircraft pendingUserAircraft;
std::atomic<std::int32_t> pendingLiveRemovals{0};

const UserAircraft& gf_currentUserAircraft() { return pendingUserAircraft; }

void gf_removeLiveAircraft() { ++pendingLiveRemovals; }

std::atomic<std::int32_t> tickCounter{0};

std::mutex pendingParkMutex;
std::optional<std::pair<double, double>> pendingParkAirport;

std::optional<std::pair<double, double>> gf_parkAirportPosition()
{
    std::lock_guard lock(pendingParkMutex);
    return pendingParkAirport;
}

// Tests set the figures that the stand-ins report.
std::atomic<std::uint32_t> pendingFlyingLive{0};
std::atomic<std::int32_t> pendingParkedLive{0};
std::atomic<std::int32_t> pendingParkedStatic{0};
std::string pendingParkAirportCode; // under pendingParkMutex
std::string pendingReservedStand;

std::uint32_t gf_countFlyingLive() { return pendingFlyingLive; }
std::int32_t lf_listRatio2(bool) { return pendingParkedLive; }
std::int32_t lf_listRatio1(bool) { return pendingParkedStatic; }

std::string gf_parkAirportCode()
{
    std::lock_guard lock(pendingParkMutex);
    return pendingParkAirportCode;
}

WeekSlot gf_staticWeekSlot() { return WeekSlot::fromValue(currentWeekSlot.load()); }

// The answers pushed so far, for tests to read under the mutex.
std::mutex pendingInboundMutex;
std::vector<InboundAnswer> pendingInbound;

void lf_pushToBuffer(const InboundAnswer& answer)
{
    std::lock_guard lock(pendingInboundMutex);
    pendingInbound.push_back(answer);
}

// The stand that tests put under the user aircraft, wherever it is.
std::string pendingStandName;

std::string lf_standNameAt(double, double)
{
    std::lock_guard lock(pendingParkMutex);
    return pendingStandName;
}

std::mutex parkAirportsMutex;
std::vector<ParkAirportEntry> parkAirports;
// Each write records the entry that would have been written.
std::vector<ParkAirportEntry> pendingParkAirportWrites;

void lf_writeParkAirports()
{
    if (!parkAirports.empty())
        pendingParkAirportWrites.push_back(parkAirports.front());
}

std::string gf_reservedStandName()
{
    std::lock_guard lock(pendingParkMutex);
    return pendingReservedStand;
}

std::atomic<bool> staticParkingRunning{false};

// What the main loop, the start and the exit asked of the traffic manager, oldest first
// (the newest few thousand), for tests to read under the mutex.
std::mutex pendingTrafficMutex;
std::deque<std::string> pendingTrafficCalls;
std::atomic<std::int32_t> pendingTicks{0};
std::atomic<bool> pendingTickFails{false}; // the next tick raises a system error

namespace {
void lf_note(std::string call)
{
    std::lock_guard lock(pendingTrafficMutex);
    pendingTrafficCalls.push_back(std::move(call));
    if (pendingTrafficCalls.size() > 4096)
        pendingTrafficCalls.pop_front();
}
} // namespace

// Reports are taken (two a tick) so that none pile up; every 100th tick the user position
// goes to RealTraffic and is asked of the simulator. Nothing is created.
void lf_trafficTick()
{
    if (pendingTickFails.exchange(false))
        throw zeb::SysErrorException(0, "tick failed");
    ++pendingTicks;
    {
        std::lock_guard lock(reportDequeMutex);
        for (int taken = 0; taken < 2 && !reportDeque.empty(); ++taken)
            reportDeque.pop_front();
    }
    if (tickCounter.load() % 100 == 0) {
        gf_sendPosition();
        pendingUserAircraft = requestUserPosition();
    }
    ++tickCounter;
}

// The answers are dropped, so that none pile up.
void lf_processBuffer()
{
    {
        std::lock_guard lock(pendingInboundMutex);
        pendingInbound.clear();
    }
    lf_note("lf_processBuffer");
}
void lf_staticParking(bool initial) { lf_note(initial ? "lf_staticParking(true)" : "lf_staticParking(false)"); }

void lf_setAcceptReports(bool accept)
{
    std::lock_guard lock(reportDequeMutex);
    acceptReports = accept;
}

void lf_parkingAdjustments() { lf_note("lf_parkingAdjustments"); }
void lf_freeReservedStand() { lf_note("lf_freeReservedStand"); }
void lf_removeStaticParked() { lf_note("lf_removeStaticParked"); }
void lf_userGroundConflict() { lf_note("lf_userGroundConflict"); }
void lf_removeExcess() { lf_note("lf_removeExcess"); }

bool lf_readParkAirports(bool reRead)
{
    lf_note(reRead ? "lf_readParkAirports(true)" : "lf_readParkAirports(false)");
    return true;
}

bool lf_checkParkAirports(bool, std::string&)
{
    lf_note("lf_checkParkAirports");
    return false;
}

void lf_resetTraffic() { lf_note("lf_resetTraffic"); }

bool gf_checkStaticConflict(std::uint32_t flightId, WeekSlot)
{
    lf_note("gf_checkStaticConflict " + std::to_string(flightId));
    return false; // the stand-in holds no aircraft
}

void gf_userAirConflicts() { lf_note("gf_userAirConflicts"); }
void gf_liveParkedCollisions() { lf_note("gf_liveParkedCollisions"); }
void gf_removeBlockedCallsign(const std::string& callsign) { lf_note("gf_removeBlockedCallsign " + callsign); }
void gf_removeParkedByNameEach() { lf_note("gf_removeParkedByNameEach"); }
void gf_sendNavLightsToParked(bool on) { lf_note(on ? "gf_sendNavLightsToParked(true)" : "gf_sendNavLightsToParked(false)"); }

void gf_reserveTrafficTables() { lf_note("gf_reserveTrafficTables"); }
void gf_releaseTrafficLists() { lf_note("gf_releaseTrafficLists"); }
void gf_queueWaitingRemovals() { lf_note("gf_queueWaitingRemovals"); }
void gf_clearLiveryChoices() { lf_note("gf_clearLiveryChoices"); }

bool gf_createFlightPlanFolder()
{
    lf_note("gf_createFlightPlanFolder");
    return true;
}

bool gf_removeFlightPlanFolder()
{
    lf_note("gf_removeFlightPlanFolder");
    return true;
}
