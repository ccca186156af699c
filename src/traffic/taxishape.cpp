// Shaping of the taxi path (curves, midpoints) and the timing of the next ground point with
// the turn step that the time allows.
#include "traffic/motion.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double thirtyMetres = 30 * 0.0005399568034557236;
} // namespace

void lf_setCurve(Act& act)
{
    std::deque<PathPoint>& path = act.path;
    PathPoint& third = path[2];
    const PathPoint& next = path[1];
    if (third.speed == 0.0)
        third.speed = (path[0].speed + next.speed) / 2.0;
    CurveSegment& c = act.curve;
    c.refLatitude = act.latitude;
    c.refLongitude = act.longitude;
    c.t0 = 0.0;
    c.t1 = 1.0;
    const double reference = c.refLatitude > 180.0 ? c.refLatitude - 360.0 : c.refLatitude;
    const double eastScale = std::cos(reference * degToRad) * metresPerDegree;
    c.endNorth = (third.latitude - c.refLatitude) * metresPerDegree;
    c.endEast = eastScale * gf_longitudeDelta(third.longitude, c.refLongitude);
    if (!std::isnan(next.latitude) && !std::isnan(next.longitude)) {
        c.controlNorth = (next.latitude - c.refLatitude) * metresPerDegree;
        c.controlEast = eastScale * gf_longitudeDelta(next.longitude, c.refLongitude);
    }
    path.erase(path.begin() + 1);
}

void lf_insertMidpoint(Act& act)
{
    std::deque<PathPoint>& path = act.path;
    const PathPoint& front = path[0];
    const PathPoint& next = path[1];
    // From the ground to the first airborne point is the lift-off's segment, timed as one, also
    // where the way turns after it (a helicopter lifting off its pad).
    if (!front.airborne && next.airborne)
        return;
    PathPoint middle = front;
    middle.reportTick = 0;
    middle.latitude = (front.latitude + next.latitude) / 2.0;
    // Half the short way round, so that a segment across the ±180° meridian keeps its midpoint.
    middle.longitude = gf_wrapLongitude(front.longitude + gf_longitudeDelta(next.longitude, front.longitude) / 2.0);
    middle.speed = (front.speed + next.speed) / 2.0;
    middle.tick = static_cast<std::uint32_t>((static_cast<std::int64_t>(front.tick) + next.tick) / 2);
    middle.hold = 0;
    if (front.airborne && !next.airborne) {
        // A ground point's altitude 0 is the ground, not sea level: halfway down to the ground
        // under the aircraft (where that is unknown the midpoint keeps the front's altitude).
        if (const double ground = gf_groundElevation(act); !std::isnan(ground)) {
            middle.altitude = (front.altitude + ground) / 2.0;
            middle.airborne = 1;
        }
    } else {
        middle.altitude = std::max((front.altitude + next.altitude) / 2.0, 0.0);
        middle.airborne = middle.altitude > 0.0 ? 1 : 0;
    }
    path.insert(path.begin() + 1, middle);
}

void lf_splitSpeedChange(Act& act)
{
    const PathPoint& front = act.path[0];
    const PathPoint& next = act.path[1];
    if ((front.speed > 0.0 || next.speed > 0.0) && std::abs(front.speed - next.speed) > 5.0 &&
        gf_distanceNm(front.latitude, front.longitude, next.latitude, next.longitude) * metresPerNm >= 100.0)
        lf_insertMidpoint(act);
}

double lf_turnToNextLeg(const Act& act)
{
    if (act.path.size() < 3)
        return 0.0;
    const PathPoint& next = act.path[1];
    const PathPoint& third = act.path[2];
    return gf_angleDiff(act.heading, gf_initialBearing({next.latitude, next.longitude}, {third.latitude, third.longitude}));
}

void lf_timeGroundPoint(Act& act)
{
    PathPoint& front = act.path[0];
    PathPoint& next = act.path[1];
    const std::int64_t now = gf_now();
    if (next.hold) {
        const std::int64_t gap = std::max<std::int64_t>(static_cast<std::int64_t>(next.tick) - front.tick, 25);
        std::int64_t t = std::max<std::int64_t>(front.tick + gap, now + 25);
        if (act.predictionCount <= 0)
            t = std::clamp<std::int64_t>(t, static_cast<std::int64_t>(next.tick) - act.earlyDelay,
                                         static_cast<std::int64_t>(next.tick) + act.lateDelay);
        next.tick = static_cast<std::uint32_t>(std::max(t, now));
        return;
    }
    ActHead& head = act.base.head;
    head.turnStep = head.turnRate;
    const double d = gf_distanceNm(front.latitude, front.longitude, next.latitude, next.longitude);
    const std::int64_t n = std::max<std::int64_t>(gf_travelTicks(d, lf_segmentSpeed(act)), 25);
    if (gf_curveSet(act) || act.groundTurn) {
        const double theta = act.groundTurn ? act.groundTurnAngle : act.curveAngle;
        const double k = static_cast<double>(std::max<long long>(std::llround(theta / head.turnStep / 100.0), 1));
        if (theta != 0.0 && d > 0.0) {
            const double r = static_cast<double>(n) / k;
            if (theta <= 45.0) {
                if (r >= 1.2) {
                    const double m = std::min({r * thirtyMetres / d, r * 10.0 / theta, r});
                    if (m != 0.0)
                        head.turnStep /= m;
                } else {
                    head.turnStep /= r;
                }
            } else {
                head.turnStep *= std::min(r, std::min(theta, 90.0) / 30.0);
                if (theta >= 90.0) {
                    act.earlyDelay = std::max(act.earlyDelay, 2000);
                    act.lateDelay = std::max(act.lateDelay, 2000);
                }
            }
        }
    }
    const std::uint32_t own = next.tick;
    next.tick = lf_boundedTick(act, n);
    // A taxiing aircraft keeps to its reports' times: the feed's taxi speeds often exceed the
    // way its positions go, and one shown ahead of them runs out of points and runs on past
    // a turn that it then has to come back to.
    if (act.phase == phaseGround && !act.takeOff && !act.landing && !act.landingRoll && act.predictionCount <= 0)
        next.tick = std::max(next.tick, own);
}
