#pragma once
// What an aircraft shown in the simulator can do, by its motion class and phase: how fast its
// speed may change, how fast and slow it may go, how fast its nose may turn. One table.
#include "traffic/motion.h"

inline constexpr double tickSeconds = 0.01;
inline constexpr double gravity = 9.80665;
inline constexpr double standstill = 0.5; // knots
inline constexpr double rollingSpeed = 60.0; // knots: on the ground only a runway sees this
inline constexpr double overReports = 40.0; // knots over its reports' speed it may always fly, to catch up with them

// Knots and knots a second.
struct SpeedLimits {
    double slowest = 0.0, fastest = 0.0; // over the ground
    double up = 0.0, down = 0.0;         // by which the speed may rise or fall in a second
    double braking = 0.0;                // to plan a stop with, on the ground
};
// In the phase the shown aircraft is in (on the ground or in the air, on a take-off roll or in
// its first climb); `airSpeed` and `groundSpeed` are the reported ones around it (knots, 0 when
// not known), which tell the wind.
SpeedLimits gf_speedLimits(const Act& act, double groundSpeed, double airSpeed);
// On the ground, whether it is on a runway: on its take-off roll, rolling out from its touch-down
// (or created so), or its reports at a speed only a runway sees. Elsewhere on the ground it taxis.
bool gf_onRunway(const Act& act);
// The fastest it flies over the ground at the altitude (knots), never below its reports' speed.
double gf_fastestOverGround(const Act& act, double altitude);
// Knots of air speed: the slowest its class flies.
double gf_slowestInTheAir(const Act& act);
// Knots: the speed its next reports give.
double gf_fieldSpeed(const Act& act);
// Knots: how fast the positions of the reports ahead move, from the first to the last of them over
// their times; 0 unless all lie in the air, over 20 s or more.
double gf_flownSpeed(const Act& act);
// The fastest it can go round a way that turns by the curvature (radians a metre), knots: in the
// air as it banks, on the ground as it steers.
double gf_turnableSpeed(const Act& act, double curvature);
// Radians a second the nose may turn at the speed (knots).
double gf_turnLimit(const Act& act, double knots);
// The motion class of an aircraft: its size class where the reference data list its type, else
// what the feed shows of it: its emitter category, raised where it flies faster or higher than that
// class does. It never falls.
std::uint32_t gf_motionClass(const Act& act);
// Makes a new aircraft move as its motion class, in its path, its events and its shown motion alike;
// for an unlisted type, again each time its reports show it faster or higher.
void gf_startMotionClass(Act& act);
void gf_updateMotionClass(Act& act);
// Sets the shown motion's class and what it keeps of it.
void gf_setMotionClass(ShownMotion& s, std::uint32_t motionClass);
inline bool gf_isRotorcraft(const ShownMotion& s) { return s.motionClass == rotorcraftClass; }
bool gf_typeListed(const Act& act);
