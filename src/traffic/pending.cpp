// Stand-ins for the traffic manager services that are not built yet.
#include "traffic/traffic.h"

#include <atomic>

// Tests set the user aircraft here and count the removals.
UserAircraft pendingUserAircraft;
std::atomic<std::int32_t> pendingLiveRemovals{0};

const UserAircraft& gf_currentUserAircraft() { return pendingUserAircraft; }

void gf_removeLiveAircraft() { ++pendingLiveRemovals; }

#include <mutex>

std::atomic<std::int32_t> tickCounter{0};

std::mutex pendingParkMutex;
std::optional<std::pair<double, double>> pendingParkAirport;

std::optional<std::pair<double, double>> gf_parkAirportPosition()
{
    std::lock_guard lock(pendingParkMutex);
    return pendingParkAirport;
}
