// The path step: when the front point of a created aircraft falls due, the next segment is
// planned and the reached point dropped; a path that runs out is extended by predictions,
// and an aircraft without any is removed.
#include "traffic/motion.h"
#include "traffic/shownlimits.h"

#include "foundation/settingscatalogue.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double predictedClimb = 1500.0; // feet a minute of a first climb on predictions
constexpr double circling = 90.0;         // degrees the tracks of the reports ahead turn in all, circling

// Where the way to the next point starts: a taxiing aircraft that is not at its front point
// (it came back from a guess beyond it) turns its nose onto the way it goes from where it is.
LatLon lf_wayFrom(const Act& act, const PathPoint& front, const PathPoint& next)
{
    constexpr double oneMetre = 1.0 / metresPerNm;
    const bool taxiing = act.onGround && (act.phase == phaseGround || act.phase == phaseToStand);
    if (taxiing && gf_distanceNm(act.latitude, act.longitude, next.latitude, next.longitude) > oneMetre)
        return {act.latitude, act.longitude};
    return {front.latitude, front.longitude};
}

// Whether the tracks of the reports ahead turn by a quarter circle or more: a flight circling (a
// news helicopter over a scene) between reports seconds apart.
bool lf_circles(const Act& act)
{
    double turned = 0.0;
    const PathPoint* last = nullptr;
    for (std::size_t k = 0; k < act.path.size() && k < reportsAhead; ++k) {
        const PathPoint& p = act.path[k];
        if (p.reportTick == 0 || !p.trackPresent)
            continue;
        if (last)
            turned += std::abs(gf_angleDiff(last->track * degToRad, p.track * degToRad)) * radToDeg;
        last = &p;
    }
    return turned >= circling;
}

// Airborne timing of the next point (a Rotorcraft hovers at a hold point as on the ground).
void lf_timeAirPoint(Act& act)
{
    PathPoint& front = act.path[0];
    PathPoint& next = act.path[1];
    if (next.hold) {
        if (gf_isRotorcraft(act.base.head))
            lf_timeGroundPoint(act);
        return;
    }
    const double d = gf_distanceNm(front.latitude, front.longitude, next.latitude, next.longitude);
    double speed = lf_segmentSpeed(act);
    // Reports of a flight that circles lie closer together than its speed flies round the circle:
    // timed by that speed, the path would run its whole delay ahead of them, half a circle on.
    // Their positions time the way.
    if (const double flown = lf_circles(act) ? gf_flownSpeed(act) : 0.0; flown > 0.0)
        speed = std::min(speed, flown);
    if (act.landing && !next.airborne)
        speed = front.speed > 0.0 ? front.speed : 100.0;
    next.tick = lf_boundedTick(act, std::max<std::int64_t>(gf_travelTicks(d, speed), 25));
}

// Whether the aircraft's class may be shown at all.
bool lf_classShown(std::uint32_t sizeClass)
{
    switch (sizeClass) {
    case 0:
        return LIGHT_AIRCRAFT.value.load();
    case 4:
        return HIGH_PERF_AIRCRAFT.value.load();
    case rotorcraftClass:
        return HELICOPTERS.value.load();
    default:
        return true;
    }
}

// A shown flight is followed beyond the radius out to the margin, through gaps as well; not
// while the user's position is unknown.
bool lf_pastTheMargin(const Act& act)
{
    const UserAircraft& user = gf_currentUserAircraft();
    return !gf_userPositionUnknown(user.latitude, user.longitude) &&
           gf_distanceNm(user.latitude, user.longitude, act.latitude, act.longitude) >=
               lateralRadiusNm.load() + shownMarginNm - 0.5;
}

// How many points a path without reports is predicted ahead; 0: none.
std::int32_t lf_predictionsWanted(const Act& act)
{
    if (!lf_classShown(act.base.head.sizeClass))
        return 0;
    if (act.onGround)
        return act.phase == phaseAtStand || act.phase == phaseLeaving || act.phase == phasePushBack ? 1 : 10;
    return lf_pastTheMargin(act) ? 0 : 8;
}

// Why a path that could not be extended ends.
const char* lf_endReason(const Act& act)
{
    if (!lf_classShown(act.base.head.sizeClass))
        return "its kind is not shown";
    return lf_pastTheMargin(act) ? "left the radius" : "its path ran out";
}

// Radians a second a flight in the air is predicted to turn on: as its last two reported legs
// turned (a helicopter circling over a scene, an airliner turning onto its approach), no faster than
// it can.
double lf_turnOn(const Act& act, double knots)
{
    const double rate = act.trail.turnRate;
    if (std::isnan(rate))
        return 0.0;
    const double most = gf_turnLimit(act, knots, gf_pathTurn(act));
    return std::clamp(rate, -most, most);
}

double lf_takeOffSpeed(double last, double& verticalSpeed)
{
    if (last <= 30.0)
        return 40.0;
    if (last <= 60.0)
        return 80.0;
    if (last <= 100.0)
        return 110.0;
    if (last <= 140.0) {
        verticalSpeed = 600.0;
        return 150.0;
    }
    if (last <= 160.0) {
        verticalSpeed = 1200.0;
        return 170.0;
    }
    verticalSpeed = 2400.0;
    return 180.0;
}

double lf_rollOutSpeed(double last)
{
    if (last >= 140.0)
        return 100.0;
    if (last >= 100.0)
        return 80.0;
    if (last >= 80.0)
        return 60.0;
    if (last >= 60.0)
        return 30.0;
    return 20.0;
}
} // namespace

std::int64_t gf_ticksUntil(const PathPoint& point) { return static_cast<std::int64_t>(point.tick) - gf_now(); }

std::int64_t gf_travelTicks(double distanceNm, double speedKnots)
{
    return std::llround(distanceNm / speedKnots * ticksPerHour);
}

double lf_segmentSpeed(const Act& act)
{
    const PathPoint& front = act.path[0];
    const PathPoint& next = act.path[1];
    if (front.speed != 0.0 || next.speed != 0.0)
        return std::max((front.speed + next.speed) / 2.0, 1.0);
    const double d = gf_distanceNm(front.latitude, front.longitude, next.latitude, next.longitude);
    const std::int64_t gap = std::max<std::int64_t>(static_cast<std::int64_t>(next.tick) - front.tick, 25);
    return std::max(d * ticksPerHour / static_cast<double>(gap), 1.0);
}

std::uint32_t lf_boundedTick(const Act& act, std::int64_t n)
{
    const std::int64_t now = gf_now();
    std::int64_t tick = now + n;
    if (act.predictionCount <= 0) {
        const std::int64_t own = act.path[1].tick;
        if (act.takeOff || now < act.firstClimbEnd)
            // A take-off, its roll and its first minute of climb (past the height where its
            // configuration is done), is shown at its reports' own times, however their speeds and
            // positions disagree; one that fell behind catches up at no more than twice its speed.
            tick = std::max(own, now + std::max<std::int64_t>(n / 2, 25));
        else
            tick = std::clamp(tick, own - act.earlyDelay, own + act.lateDelay);
    }
    return static_cast<std::uint32_t>(std::max(tick, now));
}

void gf_shrinkDelays(Act& act)
{
    if (act.earlyDelay > 1000)
        act.earlyDelay = std::max(act.earlyDelay - 100, 1000);
    if (act.lateDelay > 1000)
        act.lateDelay = std::max(act.lateDelay - 100, 1000);
}

void gf_resetCurve(Act& act)
{
    constexpr double none = Act::nan;
    act.curve.t0 = act.curve.t1 = none;
    act.curve.controlEast = act.curve.controlNorth = none;
    act.curveProgress = act.curveEvaluated = 0.0;
    act.curveLength = 0.0;
}

bool gf_curveSet(const Act& act) { return !std::isnan(act.curve.controlEast) && !std::isnan(act.curve.controlNorth); }

void lf_groundStep(Act& act)
{
    for (;;) {
        while (act.path.size() >= 2) {
            if (act.onGround || !act.path[1].hold || gf_isRotorcraft(act.base.head)) {
                lf_phaseStep(act);
                return;
            }
            act.path.pop_front(); // an airborne aircraft does not wait at a hold point
        }
        if (act.path.empty() || (!lf_extendPath(act) && !gf_takeNews(act)))
            break;
    }
    if (act.phase != phaseAtStand)
        lf_learnSoftStand(act);
    lf_removeAircraft(act, lf_endReason(act));
}

void lf_phaseStep(Act& act)
{
    gf_resetCurve(act);
    {
        const PathPoint& front = act.path[0];
        PathPoint& next = act.path[1];
        if (!next.hold && gf_samePosition(front, next))
            next.hold = 1;
        if (!next.hold)
            act.targetBearing = gf_initialBearing(lf_wayFrom(act, front, next), {next.latitude, next.longitude});
    }
    if (act.onGround) {
        lf_placeRollStart(act);
        lf_groundHandling(act);
    } else
        lf_timeAirPoint(act);
    // The ground handling may have laid a new path; it always leaves two points or more.
    const PathPoint& next = act.path[1];
    act.latStepChange = act.lonStepChange = 0.0;
    act.liftOffTick = 0;
    if (next.hold) {
        act.latStep = act.lonStep = 0.0;
        if (!act.takeOff && !act.landing)
            gf_shrinkDelays(act);
    } else {
        // The airborne step may skip ground points, so the steps aim at the next point it leaves.
        if (!act.onGround)
            lf_airborneStep(act);
        const PathPoint& target = act.path[1];
        const std::int64_t n = std::max<std::int64_t>(gf_ticksUntil(target), 25);
        act.latStep = (target.latitude - act.latitude) / static_cast<double>(n);
        act.lonStep = gf_longitudeDelta(target.longitude, act.longitude) / static_cast<double>(n);
        if (act.onGround)
            lf_groundMove(act, n);
    }
    act.path.pop_front();
}

void gf_startAtPresent(Act& act)
{
    std::deque<PathPoint>& path = act.path;
    if (act.phase != phaseGround && act.phase != phaseAirborne)
        return;
    const std::int64_t now = gf_now();
    std::size_t passed = 0;
    while (passed + 2 < path.size() && static_cast<std::int64_t>(path[passed + 1].tick) <= now &&
           path[passed + 1].airborne == path.front().airborne)
        ++passed;
    if (passed == 0)
        return;
    const PathPoint& before = path[passed - 1];
    const PathPoint& here = path[passed];
    if (!gf_samePosition(before, here))
        act.heading = gf_initialBearing({before.latitude, before.longitude}, {here.latitude, here.longitude});
    act.latitude = here.latitude;
    act.longitude = here.longitude;
    if (here.airborne)
        act.altitude = here.altitude;
    path.erase(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(passed));
    path.front().tick = static_cast<std::uint32_t>(now);
}

bool lf_extendPath(Act& act)
{
    if (act.phase == phaseToStand)
        lf_arrivedAtStand(act);
    if (act.predictionCount < 0)
        return false;
    if (act.predictionCount == 1) {
        act.predictionCount = -1;
        return false;
    }
    if (act.predictionCount > 1) {
        --act.predictionCount;
    } else {
        const std::int32_t wanted = lf_predictionsWanted(act);
        if (wanted == 0)
            return false;
        act.predictionCount = wanted;
    }
    lf_predictPoint(act);
    return true;
}

void lf_predictPoint(Act& act)
{
    PathPoint p = act.path.back();
    p.reportTick = 0; // a prediction, no report
    const PathPoint& last = act.path.back();
    const double interval = act.onGround ? 3.0 : 8.0; // seconds
    // At its last point the roll-out ends if it has slowed to taxi speed: it stops there. First
    // seen rolling and not taking off, it rolls out as well: its touch-down came before it was.
    const bool firstSeenRolling = act.groundState == groundRolling && !act.takeOff;
    const bool rollingOut = act.landing || (act.landingRoll && !gf_rollOutSlowed(act, last)) || firstSeenRolling;
    if (last.hold || act.phase == phaseAtStand) {
        p.speed = 0.0;
    } else if (act.onGround && !rollingOut) {
        if (act.takeOff && !last.airborne)
            p.speed = lf_takeOffSpeed(last.speed, p.verticalSpeed);
        else if (act.takeOff) // its path has lifted off: it climbs on at its reported speed
            p.speed = last.speed;
        else // faster than taxiing it is on a runway: it rolls on rather than stop dead there
            p.speed = last.speed >= runwaySpeed ? last.speed : 0.0;
    } else if (act.onGround) {
        p.speed = lf_rollOutSpeed(last.speed);
        p.verticalSpeed = 0.0;
    } else if (!(act.landing && act.predictionCount - 1 < 4)) {
        // The counter still holds this prediction: a landing aircraft keeps its speed for the last few.
        p.speed = std::max(last.speed * (act.landing ? 0.9 : 0.95), 1.0);
    }
    // In the air it flies on no slower than it can (a feed that lost it often sends a garbage speed),
    // turning on as its reports last turned; else straight on along the heading.
    const bool fliesOn = !act.onGround && !act.landing;
    if (fliesOn)
        p.speed = std::max(p.speed, gf_slowestInTheAir(act));
    const double turn = fliesOn ? lf_turnOn(act, p.speed) * interval : 0.0;
    p.track = gf_normalHeading(act.heading + turn) * radToDeg;
    p.trackPresent = 1;
    if (p.speed > 0.0) {
        const double feet = interval * 100.0 * p.speed * feetPerNm / ticksPerHour;
        const LatLon to = gf_destinationPoint({last.latitude, last.longitude}, act.heading + turn / 2.0, feet);
        p.latitude = to.first;
        p.longitude = to.second;
    }
    p.hold = gf_samePosition(p, last) ? 1 : 0;
    if (!act.onGround && act.landing && act.flareStage == 0) {
        p.verticalSpeed = -667.0;
        p.altitude -= 10.005 * interval;
    } else if (act.phase == phaseTakeOff) {
        // A ground point's altitude is 0: the climb starts from the ground under the aircraft. It
        // climbs on at 1,500 ft a minute, or no faster than its reports last climbed.
        const double ground = gf_groundElevation(act);
        const double climb = act.trail.climb;
        p.verticalSpeed = std::isnan(climb) ? predictedClimb : std::clamp(climb, 0.0, predictedClimb);
        p.altitude = (last.airborne ? last.altitude : std::isnan(ground) ? act.altitude : ground) +
                     p.verticalSpeed / 60.0 * interval;
    }
    if (p.altitude <= 0.0)
        p.altitude = 0.0;
    p.airborne = p.altitude > 0.0 ? 1 : 0;
    std::int64_t due = static_cast<std::int64_t>(last.tick) + static_cast<std::int64_t>(interval * 100.0);
    // The stand keeps its mark: only its aircraft frees it, on leaving it or on removal (another
    // aircraft may hold it already once this one has left).
    if (act.phase == phaseLeaving || act.phase == phaseAtStand)
        due = static_cast<std::int64_t>(last.tick) + (act.phase == phaseLeaving ? leavingWait : 60480000);
    p.tick = static_cast<std::uint32_t>(due);
    act.path.push_back(p);
}
