// The way to the next point in the air. Reports 15-25 s apart in a turn lie far round the
// turn from each other: flown as straight chords with the nose turned at the end of each, the
// aircraft would fly its turns sideways. It flies a curve instead, leaving along its heading
// and arriving along the flight's course at the next point, and its nose follows the curve.
#include "traffic/motion.h"

#include <cmath>

namespace {
constexpr double metresPerDegree = 111132.95;
constexpr double shortestCurve = 50.0;        // metres: a shorter way is flown straight
constexpr double widestTurn = 120.0 * degToRad; // the most one curve turns

struct Flat {
    double east, north; // metres
};

Flat lf_along(double bearing, double metres) { return {std::sin(bearing) * metres, std::cos(bearing) * metres}; }
double lf_cross(Flat a, Flat b) { return a.east * b.north - a.north * b.east; }

// The flight's course at the next point: its report's track, else the way from the front
// point to the point after it; NaN when neither is known.
double lf_courseAtNext(const Act& act)
{
    const PathPoint& next = act.path[1];
    if (next.trackPresent)
        return next.track * degToRad;
    if (act.path.size() < 3 || act.path[2].hold)
        return Act::nan;
    const PathPoint& front = act.path[0];
    const PathPoint& third = act.path[2];
    return gf_initialBearing({front.latitude, front.longitude}, {third.latitude, third.longitude});
}

// Where the tangents along the heading from here and along the course into the next point
// meet, when the curve between them turns one way by no more than the widest turn.
bool lf_tangentsMeet(Flat to, double heading, double course, Flat& control)
{
    const double length = std::hypot(to.east, to.north);
    const double chord = std::atan2(to.east, to.north);
    const double leaving = gf_angleDiff(heading, chord);
    const double arriving = gf_angleDiff(chord, course);
    if (leaving * arriving <= 0.0 || std::abs(leaving + arriving) > widestTurn)
        return false;
    const Flat out = lf_along(heading, 1.0);
    const Flat in = lf_along(course, 1.0);
    const double det = lf_cross(out, in);
    const double a = lf_cross(to, in) / det;
    const double b = lf_cross(out, to) / det;
    if (!(a > 0.05 * length && b > 0.05 * length && a < length && b < length))
        return false;
    control = lf_along(heading, a);
    return true;
}
} // namespace

double lf_flyToNext(Act& act, std::int64_t n)
{
    gf_resetCurve(act);
    const PathPoint& front = act.path[0];
    const PathPoint& next = act.path[1];
    act.targetBearing = gf_initialBearing({act.latitude, act.longitude}, {next.latitude, next.longitude});
    const double straight = gf_angleDiff(act.heading, act.targetBearing);
    const double eastScale = std::cos(act.latitude * degToRad) * metresPerDegree;
    const Flat to{gf_longitudeDelta(next.longitude, act.longitude) * eastScale,
                  (next.latitude - act.latitude) * metresPerDegree};
    const double length = std::hypot(to.east, to.north);
    // Touching down, flaring or leaving the ground the way is straight; so is a short one,
    // and one that would begin with a turn wider than the curve may make: the nose turns first.
    if (!front.airborne || !next.airborne || act.flareStage != 0 || length < shortestCurve ||
        std::abs(straight) > widestTurn / 2.0)
        return straight;
    double course = lf_courseAtNext(act);
    Flat control{};
    if (std::isnan(course) || !lf_tangentsMeet(to, act.heading, course, control)) {
        // An arc, as far round at its end from the way there as at its start.
        course = act.targetBearing + straight;
        control = lf_along(act.heading, length / (2.0 * std::cos(straight)));
    }
    act.curve = {act.latitude, act.longitude, 0.0, to.north, to.east, 1.0, control.east, control.north};
    act.curveProgress = 0.0;
    act.progressStep = 1.0 / static_cast<double>(n);
    const double turn = gf_angleDiff(act.heading, course);
    act.curveAngle = std::abs(turn) * radToDeg;
    return turn;
}
