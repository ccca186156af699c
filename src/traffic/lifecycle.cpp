// The traffic manager's share of the start and the end of traffic, its clocks, the park
// airport's record and the counts that the main window shows.
#include "traffic/manager.h"

#include "app/startup.h"
#include "foundation/log.h"
#include "links/simqueues.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <mutex>
#include <optional>

std::atomic<std::int64_t> steadyClockShift{0};
std::atomic<std::int64_t> systemClockShift{0};
std::atomic<std::int64_t> pinnedClock{0};

namespace {
std::mutex parkAirportMutex;
ParkAirport parkAirport; // under parkAirportMutex

// Every object id waiting in the removal queue goes to the simulator's queue now.
void lf_queueWaitingRemovals()
{
    for (; !removalQueue.empty(); removalQueue.pop_front())
        queueAiRemoval(removalQueue.front());
}

// Room only where there is less.
template <typename Vector>
void lf_reserve(Vector& vector, std::size_t entries)
{
    if (vector.capacity() < entries)
        vector.reserve(entries);
}
} // namespace

std::int64_t gf_steadyTicks()
{
    if (const std::int64_t pinned = pinnedClock.load())
        return pinned;
    return std::chrono::steady_clock::now().time_since_epoch().count() + steadyClockShift;
}

std::int64_t gf_systemTicks()
{
    if (const std::int64_t pinned = pinnedClock.load())
        return pinned;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime) + systemClockShift;
}

WeekSlot gf_slotNow() { return WeekSlot::fromValue(currentWeekSlot.load()); }

void gf_setParkAirport(const ParkAirport& airport)
{
    std::lock_guard lock(parkAirportMutex);
    parkAirport = airport.code.empty() ? ParkAirport{} : airport;
}

ParkAirport gf_parkAirport()
{
    std::lock_guard lock(parkAirportMutex);
    return parkAirport;
}

std::optional<std::pair<double, double>> gf_parkAirportPosition()
{
    std::lock_guard lock(parkAirportMutex);
    if (parkAirport.code.empty())
        return std::nullopt;
    return std::pair{parkAirport.latitude, parkAirport.longitude};
}

std::string gf_parkAirportCode()
{
    std::lock_guard lock(parkAirportMutex);
    return parkAirport.code;
}

void lf_setAcceptReports(bool accept)
{
    std::lock_guard lock(reportDequeMutex);
    acceptReports = accept;
}

void gf_removeLiveAircraft(bool atStandsOnly)
{
    std::vector<std::pair<std::uint32_t, std::string>> queued;
    for (Act& act : liveActs) {
        if (atStandsOnly && act.phase != phaseAtStand)
            continue;
        if (act.base.status == statusCreated)
            lf_removeAircraft(act, atStandsOnly ? "parked, the user left the park airport" : "the traffic stops");
        else if (act.base.status == statusQueued)
            queued.emplace_back(act.base.head.flightId, act.callsign());
    }
    for (const auto& [flightId, callsign] : queued)
        lf_withdrawCreation(true, flightId, callsign);
}

void gf_removeInjectedAircraft()
{
    gf_removeLiveAircraft();
    lf_removeStaticParked();
    lf_queueWaitingRemovals();
}

void gf_removeLateCreations()
{
    try {
        lf_processBuffer();
    } catch (const std::exception& e) {
        // The traffic has stopped already; every answer was handled all the same.
        gf_logf("gf_removeLateCreations: {}", e.what());
    }
    lf_removeUnsettled();
    lf_queueWaitingRemovals();
}

void gf_reserveTrafficTables()
{
    lf_reserve(liveActs, 512);
    lf_reserve(staticActs, 256);
    lf_reserve(parkStands, 512);
    {
        std::lock_guard lock(inboundMutex);
        lf_reserve(inboundBuffer, 256);
    }
    lf_reserve(settlingList, 128);
    lf_reserve(creationRequests, 64);
    lf_reserve(standCandidates, 256);
    lf_reserve(learningList, 256);
    lf_reserve(ghostList, 64);
}

void gf_releaseTrafficLists()
{
    ghostList.clear();
    ghostList.shrink_to_fit();
}

std::uint32_t gf_countFlyingLive()
{
    return static_cast<std::uint32_t>(std::count_if(liveActs.begin(), liveActs.end(), [](const Act& act) {
        return act.base.status == statusCreated && act.phase != phaseAtStand;
    }));
}

