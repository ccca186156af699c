#pragma once
// What an aircraft shown in the simulator can do, by its class and phase: how fast its speed may
// change, how fast its nose may turn, and the speeds within which it may catch up with its path.
#include "traffic/motion.h"

inline constexpr double tickSeconds = 0.01;
inline constexpr double gravity = 9.80665;
inline constexpr double standstill = 0.5;    // knots
inline constexpr double pathSmoothing = 1.0; // s: the path position's velocity is smoothed over about this

// Knots and knots a second.
struct SpeedBounds {
    double lowest = 0.0, highest = 0.0; // within which the shown speed may catch up with the path
    double up = 0.0, down = 0.0;        // by which it may rise or fall in a second
};
SpeedBounds gf_speedBounds(const Act& act, double pathSpeed);
// Radians a second the nose may turn at the speed (knots).
double gf_turnLimit(const Act& act, double knots);
// The speed of the path around the point flown to, from several reports (knots).
double gf_referenceSpeed(const Act& act, const PathPoint& passed);
// Metres from the shown position to the first of the next points where the path stops; infinite
// when none is near.
double gf_stopDistance(const Act& act, double eastScale);
