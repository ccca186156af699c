// What an aircraft shown in the simulator can do: the rates of its speed and turn by motion class
// and phase, and the speeds between which it flies.
#include "traffic/shownlimits.h"

#include "foundation/sizeclasses.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {
constexpr double fastestTaxi = 40.0;  // knots: the most a fixed-wing aircraft taxis at off the runway
// By motion class (Light, Bizjet, Large, Heavy, HighPerf, Rotorcraft).
struct ClassLimits {
    double roll;      // knots a second, speeding up on the take-off roll
    double air;       // either way, in the air
    double taxi;      // speeding up, taxiing
    double braking;   // on the ground
    double slowest;   // knots of air speed in the air
    double fastest;   // knots over the ground
    double banked;    // degrees a second times knots: a turn at its bank (30 degrees, 34 for a helicopter)
    double taxiing;   // knots: the most it taxis at off the runway (a helicopter hover-taxis)
    NoseModel nose;   // but hovering
};
constexpr std::array<ClassLimits, 6> classLimits{{
    {4.0, 1.5, 2.5, 5.0, 45.0, 250.0, 655.0, fastestTaxi, NoseModel::alongWay},
    {6.0, 2.5, 2.0, 7.0, 90.0, 550.0, 655.0, fastestTaxi, NoseModel::alongWay},
    {5.0, 2.0, 2.0, 7.0, 110.0, 600.0, 655.0, fastestTaxi, NoseModel::alongWay},
    {4.0, 1.5, 1.5, 6.0, 120.0, 650.0, 655.0, fastestTaxi, NoseModel::alongWay},
    {8.0, 4.0, 3.0, 8.0, 110.0, 1000.0, 655.0, fastestTaxi, NoseModel::alongWay},
    {4.0, 3.0, 3.0, 5.0, 0.0, 200.0, 740.0, 200.0, NoseModel::ontoWay},
}};
constexpr double fastestRoll = 1.35;  // times its lift-off speed, the most it rolls at
constexpr double overReports = 40.0;  // knots over its reports' speed it may always fly
constexpr double fastestLow = 350.0;  // knots over the ground below 10,000 ft: 250 of air speed and a strong wind
constexpr double lowAltitude = 10000.0;
constexpr double windMargin = 30.0;     // knots of headwind allowed where the reports tell no air speed
constexpr double plannedBraking = 0.5;  // of its braking, to plan a stop with: room to spare
constexpr double slowestTurn = 3.5;       // degrees a second any aircraft may turn in the air
constexpr double groundSideForce = 0.25 * gravity; // metres a second squared in a turn on the ground
constexpr double hoverSpeed = 15.0;       // knots: slower, a helicopter hovers ...
constexpr double hoverTurn = 45.0;        // ... and may turn the way it moves this many degrees a second
// On the ground, where its path decides where it stands, turns off and lifts off, it is planned no
// farther than a few seconds from its path, and taxiing never ahead of it (the way there may turn off
// to a stand); in the air the path's own climb, turns and predictions may lie far off its reports.
constexpr double pathKept = 5.0, unbounded = std::numeric_limits<double>::infinity();
// Catching up faster than a quarter over its pace, it races; taxiing its taxi speed bounds it, and in
// its first climb it speeds up as fast as it can to its reports' climbing speeds.
constexpr double catchUp = 1.25;
constexpr Tuning taxiTuning{3.0, 4.0, 0.0, 1.0, 6.0, 0.0, 1.0, 0.5, 0.0, pathKept, false, unbounded};
constexpr Tuning runwayTuning{3.0, 4.0, 0.0, 1.0, 6.0, 0.0, 1.0, 0.5, pathKept, pathKept, true, catchUp};
constexpr Tuning hoverTuning{3.0, 4.0, 0.0, 1.0, 6.0, 0.0, 1.0, 0.5, unbounded, unbounded, false, catchUp};
constexpr Tuning climbTuning{6.0, 12.0, 1.5, 3.0, 100.0, 0.5, 0.0, 1.0, unbounded, unbounded, false, unbounded};
constexpr Tuning airTuning{6.0, 12.0, 1.5, 3.0, 100.0, 0.5, 0.0, 1.0, unbounded, unbounded, false, catchUp};

// The motion table: each class's rows, by phase. No aircraft rolls much faster than it lifts off, nor
// taxis at a runway's speed: a taxiing aircraft whose feed jumps ahead would race after it. In its
// first climb, at take-off thrust, it speeds up as on its roll and flies no slower than it lifted off.
using MotionTable = std::array<std::array<PhaseMotion, shownPhases>, classLimits.size()>;
MotionTable lf_motionTable()
{
    MotionTable table;
    for (std::size_t k = 0; k < classLimits.size(); ++k) {
        const ClassLimits& c = classLimits[k];
        const double braking = c.braking * plannedBraking;
        const double liftOff = gf_liftOffSpeed(static_cast<std::int32_t>(k));
        const double runway = std::max(fastestRoll * liftOff, c.taxiing);
        // A helicopter hover-taxis as a fixed-wing aircraft rolls on a runway.
        const Tuning& taxiing = c.taxiing > fastestTaxi ? runwayTuning : taxiTuning;
        const auto row = [&](double slowest, double fastest, double up, double down, TurnModel turn, const Tuning& tuning) {
            return PhaseMotion{{slowest, fastest, up, down, braking}, turn, turn == TurnModel::hovering ? NoseModel::kept : c.nose, tuning};
        };
        table[k] = {row(0.0, c.taxiing, c.taxi, c.braking, TurnModel::steered, taxiing),   // taxi
                    row(0.0, runway, c.roll, c.braking, TurnModel::steered, runwayTuning), // roll
                    row(0.0, runway, c.taxi, c.braking, TurnModel::steered, runwayTuning), // roll-out
                    row(std::max(c.slowest, liftOff), 0.0, std::max(c.air, c.roll), c.air, TurnModel::banked, climbTuning), // climb
                    row(c.slowest, 0.0, c.air, c.air, TurnModel::banked, airTuning),       // air
                    row(0.0, c.taxiing, c.taxi, c.braking, TurnModel::hovering, hoverTuning)}; // hover
    }
    return table;
}

constexpr double flownLeast = 20.0;      // s at least of reports ahead whose positions' speed is taken

const ClassLimits& lf_limits(const Act& act) { return classLimits.at(std::min<std::uint32_t>(gf_motionClassOf(act.base.head), 5)); }
} // namespace

const PhaseMotion& gf_phaseMotion(const ShownMotion& s)
{
    static const MotionTable table = lf_motionTable();
    return table.at(std::min<std::size_t>(s.motionClass, classLimits.size() - 1)).at(static_cast<std::size_t>(s.phase));
}

ShownPhase gf_shownPhase(const Act& act)
{
    const ShownMotion& s = act.shown;
    if (gf_isRotorcraft(s) && s.speed < hoverSpeed)
        return ShownPhase::hover;
    if (!s.onGround)
        return act.takeOff ? ShownPhase::climb : ShownPhase::air;
    return act.takeOff ? ShownPhase::roll : gf_onRunway(act) ? ShownPhase::rollOut : ShownPhase::taxi;
}

SpeedLimits gf_speedLimits(const Act& act, double groundSpeed, double airSpeed)
{
    const ShownMotion& s = act.shown;
    SpeedLimits l = gf_phaseMotion(s).speeds;
    // The slowest it flies holds for its air speed: over the ground the wind adds or takes.
    const double wind = airSpeed > 0.0 && groundSpeed > 0.0 ? groundSpeed - airSpeed : -windMargin;
    l.slowest = l.slowest > 0.0 ? std::max(l.slowest + wind, 0.5 * l.slowest) : 0.0;
    l.fastest = l.fastest > 0.0 ? l.fastest : gf_fastestOverGround(act, s.altitude);
    return l;
}

bool gf_onRunway(const Act& act) { return act.takeOff || act.shown.rolling || gf_fieldSpeed(act) >= rollingSpeed; }

double gf_fastestOverGround(const Act& act, double altitude)
{
    const double fastest = lf_limits(act).fastest;
    // No limit holds it below the speed its own reports fly.
    return std::max(altitude < lowAltitude ? std::min(fastest, fastestLow) : fastest, gf_fieldSpeed(act) + overReports);
}

double gf_slowestInTheAir(const Act& act) { return lf_limits(act).slowest; }

double gf_fieldSpeed(const Act& act)
{
    // The middle one of the next three reported speeds: a garbage speed decides nothing.
    std::array<double, 3> speeds{};
    std::size_t n = 0;
    for (; n < speeds.size() && n < act.path.size(); ++n)
        speeds[n] = act.path[n].speed;
    std::sort(speeds.begin(), speeds.begin() + static_cast<std::ptrdiff_t>(n));
    return n == 0 ? act.shown.speed : speeds[n / 2];
}

double gf_flownSpeed(const Act& act)
{
    const PathPoint* first = nullptr;
    const PathPoint* last = nullptr;
    double metres = 0.0;
    for (std::size_t k = 0; k < act.path.size() && k < reportsAhead; ++k) {
        const PathPoint& p = act.path[k];
        if (!p.airborne)
            return 0.0;
        if (p.reportTick == 0 || (last && p.reportTick <= last->reportTick))
            continue;
        if (last)
            metres += gf_distanceNm(last->latitude, last->longitude, p.latitude, p.longitude) * metresPerNm;
        first = first ? first : &p;
        last = &p;
    }
    const double seconds = first ? (last->reportTick - first->reportTick) * tickSeconds : 0.0;
    return seconds < flownLeast ? 0.0 : metres / seconds / knot;
}

double gf_turnableSpeed(const Act& act, double curvature)
{
    if (curvature <= 1e-9)
        return 1e9;
    const double classRate = act.base.head.turnRate / tickSeconds;
    switch (gf_phaseMotion(act.shown).turn) {
    case TurnModel::steered:
        return std::min(classRate, std::sqrt(groundSideForce * curvature)) / (knot * curvature);
    case TurnModel::hovering:
        return hoverTurn * degToRad / (knot * curvature);
    case TurnModel::banked:
        break;
    }
    const double banked = lf_limits(act).banked;
    const double knots = std::max(std::sqrt(banked * degToRad / (knot * curvature)), slowestTurn * degToRad / (knot * curvature));
    return std::min(knots, classRate / (knot * curvature));
}

double gf_turnLimit(const Act& act, double knots, TurnModel model)
{
    const double classRate = act.base.head.turnRate / tickSeconds;
    switch (model) {
    case TurnModel::steered:
        return std::min(classRate, groundSideForce / std::max(knots * knot, 0.1));
    case TurnModel::hovering:
        return hoverTurn * degToRad;
    case TurnModel::banked:
        break;
    }
    const double banked = lf_limits(act).banked;
    return std::min(classRate, std::max(banked / std::max(knots, 1.0), slowestTurn) * degToRad);
}
