#pragma once
// What an aircraft shown in the simulator can do, by its motion class and phase: how fast its
// speed may change, how fast and slow it may go, how fast its nose may turn. One table.
#include "traffic/motion.h"
#include "traffic/motionclass.h"

inline constexpr double tickSeconds = 0.01;
inline constexpr double gravity = 9.80665;
inline constexpr double standstill = 0.5; // knots
inline constexpr double rollingSpeed = 60.0; // knots: on the ground only a runway sees this

// Knots and knots a second.
struct SpeedLimits {
    double slowest = 0.0, fastest = 0.0; // over the ground
    double up = 0.0, down = 0.0;         // by which the speed may rise or fall in a second
    double braking = 0.0;                // to plan a stop with, on the ground
};
// How its nose may turn: steered on the ground (as the side force its wheels bear allows), banked
// in the air, or as it likes, hovering.
enum class TurnModel : std::uint8_t { steered, banked, hovering };
// Where its nose points: the way it moves, coming round onto it (a helicopter), or where it pointed
// (a helicopter moving slowly goes any way it likes).
enum class NoseModel : std::uint8_t { alongWay, ontoWay, kept };
// How its speed and turns are planned.
struct Tuning {
    double horizon;         // s ahead at which the planned speed reaches the reports' place
    double smoothing;       // s over which the reports' places are averaged, or ...
    double reportsAveraged; // ... over this many report intervals
    double look;            // s of the way ahead at which it steers, ...
    double lookLeast;       // ... metres at least, ...
    double cutShare;        // ... and this share of how far it lies behind its path farther: it cuts corners
    double offShare;        // ... at least this share of how far it lies off its way
    double turnSeconds;     // in which the nose would come round onto its way
    double aheadKept;       // s of its path's time it is planned ahead of its path at most, ...
    double behindKept;      // ... and behind it (infinite: where its path decides nothing)
    bool rollsOn;           // on a runway: it rolls on as its path does, slowing only for a stop
    double catchUp;         // times the pace of its reports or its path at which it may catch up with it
};
// What an aircraft of one motion class can do in one phase, and how it is planned there: a row of the
// motion table. Its slowest is air speed (the wind adds or takes); where its fastest is 0 (in the air)
// its altitude decides.
struct PhaseMotion {
    SpeedLimits speeds;
    TurnModel turn = TurnModel::steered;
    NoseModel nose = NoseModel::alongWay;
    Tuning tuning{};
};
// The shown aircraft's row: by its class and its phase.
const PhaseMotion& gf_phaseMotion(const ShownMotion& s);
// Its phase, from what is shown: a helicopter moving slowly hovers; in the air it climbs out from its
// take-off or flies; on the ground it rolls to take off, rolls out on a runway (gf_onRunway) or taxis.
ShownPhase gf_shownPhase(const Act& act);
// In its phase; `airSpeed` and `groundSpeed` are the reported ones around it (knots, 0 when not known),
// which tell the wind.
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
// The fastest the shown aircraft can go round a way that turns by the curvature (radians a metre),
// knots, as its phase turns.
double gf_turnableSpeed(const Act& act, double curvature);
// Radians a second the nose may turn at the speed (knots), as the model turns.
double gf_turnLimit(const Act& act, double knots, TurnModel model);
// How its path turns: steered on the ground, banked in the air.
inline TurnModel gf_pathTurn(const Act& act) { return act.onGround ? TurnModel::steered : TurnModel::banked; }
inline bool gf_isRotorcraft(const ShownMotion& s) { return s.motionClass == rotorcraftClass; }
