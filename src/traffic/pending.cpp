// Stand-ins for the traffic manager services that are not built yet.
#include "traffic/traffic.h"

#include <mutex>

// Tests set the figures that the stand-ins report.
std::atomic<std::uint32_t> pendingFlyingLive{0};
std::atomic<std::int32_t> pendingParkedLive{0};
std::atomic<std::int32_t> pendingParkedStatic{0};
std::mutex pendingParkMutex;
std::string pendingParkAirportCode;
std::string pendingReservedStand;

std::uint32_t gf_countFlyingLive() { return pendingFlyingLive; }
std::int32_t lf_listRatio2(bool) { return pendingParkedLive; }
std::int32_t lf_listRatio1(bool) { return pendingParkedStatic; }

std::string gf_parkAirportCode()
{
    std::lock_guard lock(pendingParkMutex);
    return pendingParkAirportCode;
}

std::string gf_reservedStandName()
{
    std::lock_guard lock(pendingParkMutex);
    return pendingReservedStand;
}

std::atomic<bool> staticParkingRunning{false};
