#pragma once
// The user aircraft block: what the simulator sends for the user aircraft (data definition
// 403), byte for byte. The link keeps the latest; the traffic manager copies it each second.
#include <cstdint>

struct UserAircraft {
    double latitude = 0.0;            // degrees
    double longitude = 0.0;           // degrees
    double pitch = 0.0;               // radians
    double bank = 0.0;                // radians
    double heading = 0.0;             // radians, true
    double altitude = 0.0;            // feet
    double altitudeAboveGround = 0.0; // feet
    double groundSpeed = 0.0;         // knots
    std::int64_t zuluSeconds = 0;     // of the day
    std::int64_t zuluDayOfYear = 0;   // 1 = 1 January
    std::int64_t zuluYear = 0;
    std::int64_t lightStates = 0;     // bit mask
};
static_assert(sizeof(UserAircraft) == 96, "the block is received as raw bytes");

// The small box north-east of 0,0 where positions that nobody knows end up.
inline bool gf_inNullBox(double latitude, double longitude)
{
    return latitude >= 0 && latitude <= 0.0009 && longitude >= 0 && longitude <= 0.05;
}

// The simulator reports about 0,0 until a flight is loaded.
inline bool gf_userPositionUnknown(double latitude, double longitude) { return gf_inNullBox(latitude, longitude); }
