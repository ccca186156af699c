#pragma once
// Live aircraft put straight into a phase, a park airport with stands built in code, and
// the movement pass run tick by tick; what went to the simulator is read from its queues.
#include "links/simqueues.h"
#include "support/trafficacts.h"
#include "traffic/motion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr double metre = 1.0 / 1852.0; // nautical miles
inline constexpr std::uint32_t lightClass = 0, largeClass = 2, heavyClass = 3;

class Motion : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A created aircraft of the size class standing (on the ground) or flying at the
    // position, in the phase, with one point there due now; half span from the class.
    Act& addAct(std::uint32_t sizeClass, LatLon at, double headingDegrees, std::uint32_t phase,
                const std::string& callsign = "KLM1");
    // A helicopter hovering at the position and altitude (feet), its nose on the heading, the park
    // airport under it at the elevation (feet).
    Act& hovering(LatLon at, double headingDegrees, double altitude, double elevation);
    // A point at the position with the speed, due after the ticks.
    static PathPoint point(LatLon at, double speed, std::int64_t dueIn, double altitude = 0.0);
    // Runs the movement pass, one tick after the other.
    static void run(std::int64_t ticks);
    // The client events queued since the last call (taken out of the queue).
    static std::vector<ClientEventItem> takeEvents();
    static bool hasEvent(const std::vector<ClientEventItem>& events, std::uint32_t eventId, std::uint32_t value);
    // The live aircraft with the flight id, or null when it is gone.
    static Act* act(std::uint32_t flightId) { return gf_findAct(flightId); }
    // Half spans in nautical miles of the test types by class.
    static double halfSpan(std::uint32_t sizeClass);

    std::uint32_t nextFlightId = 0x400001;
};

// The park airport at the position and a stand (heading in degrees, radius in metres).
void gf_testPark(LatLon at, double elevation = 0.0);
StandRecord& gf_testAddStand(const std::string& name, LatLon at, double headingDegrees, double radiusMetres);

// A position the distance (nautical miles) from another along the bearing (degrees).
LatLon gf_offset(LatLon from, double bearingDegrees, double distanceNm);

// Nautical miles from a position to the nearest leg of a track (flat, near the origin).
inline double lf_offTrack(const std::vector<std::array<double, 3>>& track, LatLon origin, double latitude,
                          double longitude)
{
    const double east = std::cos(origin.first * degToRad) * 60.0;
    const auto x = [&](double lon) { return (lon - origin.second) * east; };
    const auto y = [&](double lat) { return (lat - origin.first) * 60.0; };
    double nearest = 1e9;
    for (std::size_t i = 1; i < track.size(); ++i) {
        const double ax = x(track[i - 1][1]), ay = y(track[i - 1][0]);
        const double dx = x(track[i][1]) - ax, dy = y(track[i][0]) - ay;
        const double px = x(longitude) - ax, py = y(latitude) - ay;
        const double length = dx * dx + dy * dy;
        const double f = length > 0.0 ? std::clamp((px * dx + py * dy) / length, 0.0, 1.0) : 0.0;
        nearest = std::min(nearest, std::hypot(px - f * dx, py - f * dy));
    }
    return nearest;
}
