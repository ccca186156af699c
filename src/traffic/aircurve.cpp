// The way to the next point in the air. Reports 15-25 s apart in a turn lie far round the
// turn from each other: flown as straight chords with the nose turned at the end of each, the
// aircraft would fly its turns sideways. It flies a curve instead, leaving along its heading
// and arriving along the flight's course at the next point, and its nose follows the curve.
// It moves along the curve by its length, at a speed that changes only as the reported speeds
// do: equal steps of the curve's parameter would fly a lopsided curve fast at one end and slow
// at the other.
#include "traffic/motion.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double shortestCurve = 50.0;        // metres: a shorter way is flown straight
constexpr double widestTurn = 120.0 * degToRad; // the most one curve turns
constexpr double hoverSpeed = 10.0 * metresPerNm / ticksPerHour; // metres per tick (10 kt)
constexpr double straighterShare = 0.25; // of the way, the control point's distance when an arc would weave
constexpr double speedChange = 1.5; // the most the speed changes along one curve (times)

double lf_eastScale(const Act& act) { return std::cos(act.latitude * degToRad) * metresPerDegree; } // metres per degree east

// The way from the aircraft to a point.
Flat lf_flatTo(const Act& act, const PathPoint& p)
{
    return {gf_longitudeDelta(p.longitude, act.longitude) * lf_eastScale(act), (p.latitude - act.latitude) * metresPerDegree};
}

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
    const Flat out = gf_along(heading, 1.0);
    const Flat in = gf_along(course, 1.0);
    const double det = gf_cross(out, in);
    const double a = gf_cross(to, in) / det;
    const double b = gf_cross(out, to) / det;
    if (!(a > 0.05 * length && b > 0.05 * length && a < length && b < length))
        return false;
    control = gf_along(heading, a);
    return true;
}

// Metres along the curve per unit of its parameter, at the parameter.
double lf_curveRate(const CurveSegment& c, double t)
{
    return 2.0 * std::hypot((1.0 - t) * c.controlEast + t * (c.endEast - c.controlEast),
                            (1.0 - t) * c.controlNorth + t * (c.endNorth - c.controlNorth));
}

// Metres along the curve between two parameters (Simpson's rule, for short spans).
double lf_curveMetres(const CurveSegment& c, double from, double to)
{
    return (to - from) / 6.0 * (lf_curveRate(c, from) + 4.0 * lf_curveRate(c, (from + to) / 2.0) + lf_curveRate(c, to));
}

double lf_curveLength(const CurveSegment& c)
{
    constexpr int spans = 32;
    double metres = 0.0;
    for (int i = 0; i < spans; ++i)
        metres += lf_curveMetres(c, static_cast<double>(i) / spans, static_cast<double>(i + 1) / spans);
    return metres;
}

// The speeds at the curve's ends as multiples of its mean speed, in the ratio of the reported
// speeds there; an unknown speed is taken as the other, and a garbage one changes the speed
// along the curve by half at most.
void lf_curveSpeeds(Act& act, double from, double to)
{
    from = from > 0.0 ? from : to;
    to = to > 0.0 ? to : from;
    const double ratio = from > 0.0 ? std::clamp(to / from, 1.0 / speedChange, speedChange) : 1.0;
    act.curveSpeedIn = 2.0 / (1.0 + ratio);
    act.curveSpeedOut = 2.0 * ratio / (1.0 + ratio);
}

// The share of the air curve's length flown once the share of its time has passed.
double lf_lengthShare(const Act& act, double share)
{
    return share * (act.curveSpeedIn + (act.curveSpeedOut - act.curveSpeedIn) * share / 2.0);
}
} // namespace

double lf_airCurveParameter(const Act& act, double share)
{
    const CurveSegment& c = act.curve;
    const double from = act.curveParameter;
    const double metres = act.curveLength * (lf_lengthShare(act, share) - lf_lengthShare(act, act.curveEvaluated));
    double t = from;
    for (int i = 0; i < 2; ++i) { // Newton's method; the first step is already within millimetres
        const double off = lf_curveMetres(c, from, t) - metres;
        const double rate = lf_curveRate(c, t);
        if (std::abs(off) < 1e-6 || !(rate > 0.0))
            break;
        t -= off / rate;
    }
    return std::clamp(t, from, 1.0);
}

double lf_flyToNext(Act& act, std::int64_t n)
{
    gf_resetCurve(act);
    const PathPoint& front = act.path[0];
    const PathPoint& next = act.path[1];
    act.targetBearing = gf_initialBearing({act.latitude, act.longitude}, {next.latitude, next.longitude});
    const double straight = gf_angleDiff(act.heading, act.targetBearing);
    const Flat to = lf_flatTo(act, next);
    const double length = std::hypot(to.east, to.north);
    // Positions a few metres apart (a hover, or a jitter of the reported position): the nose
    // keeps its heading rather than swing round to each.
    if (length < hoverSpeed * static_cast<double>(n)) {
        act.targetBearing = act.heading;
        return 0.0;
    }
    // Touching down, flaring or leaving the ground the way is straight.
    if (!front.airborne || !next.airborne || act.flareStage != 0)
        return straight;
    // So is a short one, and one that would begin with a turn wider than the curve may make (after
    // the feed froze and jumped ahead, the point may lie abeam or behind): the path goes straight
    // there, and what is shown turns onto it as the aircraft can.
    if (length < shortestCurve || std::abs(straight) > widestTurn / 2.0)
        return straight;
    double course = lf_courseAtNext(act);
    Flat control{};
    if (std::isnan(course) || !lf_tangentsMeet(to, act.heading, course, control)) {
        // An arc, as far round at its end from the way there as at its start: a turn flown on. But
        // where the flight's course there lies nearer the way there than that (it flies straight on
        // after a jump of the feed), the arc would leave the heading's error mirrored, and each curve
        // after it would weave as far the other way: it arrives nearer the way there, each curve a
        // third as far off as the last.
        const double arc = act.targetBearing + straight;
        const bool weaves = std::abs(gf_angleDiff(course, act.targetBearing)) < std::abs(gf_angleDiff(course, arc));
        control = gf_along(act.heading, weaves ? length * straighterShare : length / (2.0 * std::cos(straight)));
        course = std::atan2(to.east - control.east, to.north - control.north);
    }
    act.curve = {act.latitude, act.longitude, 0.0, to.north, to.east, 1.0, control.east, control.north};
    act.curveProgress = act.curveEvaluated = act.curveParameter = 0.0;
    act.progressStep = 1.0 / static_cast<double>(n);
    act.curveLength = lf_curveLength(act.curve);
    lf_curveSpeeds(act, front.speed, next.speed);
    const double turn = gf_angleDiff(act.heading, course);
    act.curveAngle = std::abs(turn) * radToDeg;
    return turn;
}
