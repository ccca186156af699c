#pragma once
// What the rest of the program uses of the traffic manager.
#include <cstdint>

// The user aircraft as the traffic manager last copied it from the simulator (every 100th
// tick): degrees for the position, radians for the attitude, feet and knots.
struct UserAircraft {
    double latitude = 0.0;
    double longitude = 0.0;
    double pitch = 0.0;
    double bank = 0.0;
    double heading = 0.0;
    double altitude = 0.0;
    double altitudeAboveGround = 0.0;
    double groundSpeed = 0.0;
    std::int64_t zuluSeconds = 0;
    std::int64_t zuluDayOfYear = 0;
    std::int64_t zuluYear = 0;
    std::int64_t lightStates = 0;
};
// Main-loop thread only.
const UserAircraft& gf_currentUserAircraft();

// RealTraffic went away: every live aircraft leaves the simulator (created ones are
// removed, queued creations withdrawn or marked for removal when they are answered).
void gf_removeLiveAircraft();

#include <atomic>
#include <optional>
#include <utility>

// Ten-millisecond traffic ticks, counted up at the end of every tick of the main loop.
extern std::atomic<std::int32_t> tickCounter;

// The park airport's position (latitude, longitude in degrees) while one is set; any thread.
std::optional<std::pair<double, double>> gf_parkAirportPosition();

#include <string>

// Main-loop thread only: the live aircraft created in the simulator and not parked.
std::uint32_t gf_countFlyingLive();
// Main-loop thread only: parked live aircraft; with show, the live parked-time figure is updated.
std::int32_t lf_listRatio2(bool show);
// Main-loop thread only: static parked aircraft; with show, the static parked-time figure is updated.
std::int32_t lf_listRatio1(bool show);

// The park airport's code, empty while none is set, and its reserved stand; any thread.
std::string gf_parkAirportCode();
std::string gf_reservedStandName();
// Static parking is placing aircraft (the airport parking controls are disabled meanwhile).
extern std::atomic<bool> staticParkingRunning;
