// Stand-ins for the traffic manager services that are not built yet.
#include "traffic/traffic.h"

#include <atomic>

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
