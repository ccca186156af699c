// Stand-ins for the traffic manager services that are not built yet.
#include "traffic/manager.h"

#include "app/startup.h"

#include <atomic>
#include <deque>
#include <vector>

// What the main loop, the start and the exit asked of the stand-ins, oldest first (the
// newest few thousand), for tests to read under the mutex.
std::mutex pendingTrafficMutex;
std::deque<std::string> pendingTrafficCalls;

namespace {
void lf_note(std::string call)
{
    std::lock_guard lock(pendingTrafficMutex);
    pendingTrafficCalls.push_back(std::move(call));
    if (pendingTrafficCalls.size() > 4096)
        pendingTrafficCalls.pop_front();
}
} // namespace

// ---- Static parking, park airports and the user-aircraft removals ----

void lf_enforceMaxPark(std::int32_t) {}

// Candidates are used up without placing anything.
void lf_placeStaticParked()
{
    if (!standCandidates.empty())
        standCandidates.pop_back();
}

bool lf_removeByCallsign(const std::string&) { return false; }

// Soft learning is allowed at every park airport until static parking decides it.
std::atomic<bool> pendingSoftLearning{true};
bool gf_softLearningAllowed() { return pendingSoftLearning.load(); }

// Tests set the figures and the reserved stand that the stand-ins report.
std::atomic<std::int32_t> pendingParkedLive{0};
std::atomic<std::int32_t> pendingParkedStatic{0};
std::mutex pendingParkMutex;
std::string pendingReservedStand; // under pendingParkMutex

std::int32_t lf_listRatio2(bool) { return pendingParkedLive; }
std::int32_t lf_listRatio1(bool) { return pendingParkedStatic; }

WeekSlot gf_staticWeekSlot() { return WeekSlot::fromValue(currentWeekSlot.load()); }

std::string gf_reservedStandName()
{
    std::lock_guard lock(pendingParkMutex);
    return pendingReservedStand;
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

void lf_staticParking(bool initial) { lf_note(initial ? "lf_staticParking(true)" : "lf_staticParking(false)"); }
void lf_parkingAdjustments() { lf_note("lf_parkingAdjustments"); }
void lf_freeReservedStand() { lf_note("lf_freeReservedStand"); }
void lf_removeStaticParked() { lf_note("lf_removeStaticParked"); }
void lf_userGroundConflict() { lf_note("lf_userGroundConflict"); }

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

bool gf_checkStaticConflict(std::uint32_t flightId, WeekSlot)
{
    lf_note("gf_checkStaticConflict " + std::to_string(flightId));
    return gf_findAct(flightId) != nullptr;
}

void gf_userAirConflicts() { lf_note("gf_userAirConflicts"); }
void gf_removeBlockedCallsign(const std::string& callsign) { lf_note("gf_removeBlockedCallsign " + callsign); }
void gf_removeParkedByNameEach() { lf_note("gf_removeParkedByNameEach"); }
