// The ground step of a path step: whether a rolling aircraft takes off, the throttle on the
// ground, and the take-off itself with the take-off roll before it.
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/sizeclasses.h"
#include "foundation/timehelpers.h"
#include "links/simqueues.h"

#include <algorithm>

namespace {
constexpr double takeOffSpeed = 43.0; // knots: the front point of a rolling aircraft (a helicopter lifts at any)
constexpr double climbingRate = 256.0; // ft/min
constexpr std::int64_t slowClimbTicks = 220; // the climb-out's first 300 ticks gain only 80 steps
constexpr double stoppedSpeed = 5.0;         // knots
constexpr std::int64_t firstClimbTicks = 6000; // the first minute of the climb

// Ticks after the lift-off decision in which the climb-out gains less than its altitude step:
// the rotation, then the slow start of the climb.
std::int64_t lf_climbOutDelay(const Act& act)
{
    return static_cast<std::int64_t>(act.base.head.rotationTicks) + slowClimbTicks;
}

// Decides the take-off of a rolling aircraft and sets its climb step; true when it lifts off.
// `first`: the index of the first point ahead of the aircraft (1 at a path step, where the
// front is the point reached), due in n ticks.
bool lf_liftsOff(Act& act, std::size_t first, std::int64_t n)
{
    const std::deque<PathPoint>& path = act.path;
    const std::int32_t sizeClass = static_cast<std::int32_t>(gf_motionClassOf(act.base.head));
    const auto later = path.begin() + static_cast<std::ptrdiff_t>(first);
    if (sizeClass == rotorcraftClass) { // it climbs away from where it is, at any speed
        act.altitudeStep = act.base.head.accelLimit;
        return std::any_of(later, path.end(), [](const PathPoint& p) { return p.airborne != 0; });
    }
    const bool allAirborne = std::all_of(later, path.end(), [](const PathPoint& p) { return p.airborne != 0; });
    const bool someLevel =
        std::any_of(later, path.end(), [](const PathPoint& p) { return p.verticalSpeed <= climbingRate; });
    if (someLevel) {
        const double liftOff = gf_liftOffSpeed(sizeClass);
        if (!allAirborne || !std::all_of(later, path.end(), [liftOff](const PathPoint& p) { return p.speed >= liftOff; }))
            return false;
        act.altitudeStep = act.base.head.accelLimit;
        return true;
    }
    if (allAirborne) // at the next point's altitude when it falls due, after the rotation
        act.altitudeStep = std::max(later->altitude - act.altitude, 0.1) /
                           static_cast<double>(std::max<std::int64_t>(n - lf_climbOutDelay(act), 25));
    else
        act.altitudeStep = act.base.head.accelLimit;
    return true;
}

// Toward the first airborne point, the ticks that the roll goes on before the rotation, so that
// the climb at that point's rate reaches it when it falls due; 0 when it lifts off now.
std::int64_t lf_rollBeforeLiftOff(const Act& act)
{
    const PathPoint& front = act.path[0];
    const PathPoint& air = act.path[1];
    const bool rotorcraft = gf_isRotorcraft(act.base.head); // it rolls not at all
    if (front.airborne || !air.airborne || air.verticalSpeed <= climbingRate || rotorcraft)
        return 0;
    const double height = std::max(air.altitude - act.altitude, 0.0);
    const std::int64_t climb = lf_climbOutDelay(act) + std::llround(height / air.verticalSpeed * 6000.0);
    const std::int64_t roll = gf_ticksUntil(air) - climb;
    return roll < 100 ? 0 : roll;
}

// An even acceleration on a take-off roll from the front's speed to the next point's, over the
// segment that the steps cover in n ticks: the speed runs from q times the end speed to it, and
// each step is the way covered in its tick (from a stop, the first is not 0: an aircraft that
// does not move would not speed up).
void lf_accelerate(Act& act, std::int64_t n)
{
    const double u = act.path[0].speed;
    const double w = act.path[1].speed;
    if (n < 2 || w <= u || gf_curveSet(act))
        return;
    const double q = std::max(u, 0.0) / w;
    const double ticks = static_cast<double>(n);
    const double scale = 2.0 / (ticks * (1.0 + q)); // shares of the segment per tick at the end speed
    const double change = scale * (1.0 - q) / ticks;
    const double first = scale * q + change / 2.0;
    const double latitude = act.latStep * ticks;
    const double longitude = act.lonStep * ticks;
    act.latStep = latitude * first;
    act.lonStep = longitude * first;
    act.latStepChange = latitude * change;
    act.lonStepChange = longitude * change;
}

std::uint32_t lf_rollThrottle(const PathPoint& front, const PathPoint& next)
{
    if (front.speed >= 25.0 || next.speed >= 30.0)
        return 4;
    if (front.speed >= 20.0 || next.speed >= 25.0)
        return 2;
    if (front.speed >= 15.0 || next.speed >= 20.0)
        return 1;
    return 0;
}
} // namespace

void lf_groundMove(Act& act, std::int64_t n)
{
    const PathPoint& front = act.path[0];
    const PathPoint& next = act.path[1];
    const bool rotorcraft = gf_isRotorcraft(act.base.head);
    if (act.takeOff && act.phase != phaseTakeOff && (rotorcraft || front.speed >= takeOffSpeed)) {
        if (const std::int64_t roll = lf_rollBeforeLiftOff(act); roll > 0)
            act.liftOffTick = static_cast<std::uint32_t>(gf_now() + roll);
        else if (lf_liftsOff(act, 1, n)) {
            lf_tookOff(act);
            gf_resetCurve(act);
        }
    }
    if (act.takeOff)
        lf_accelerate(act, n);
    if (gf_curveSet(act))
        act.progressStep = 1.0 / static_cast<double>(n);
    act.keptSpeed = act.phase == phasePushBack ? -next.speed : next.speed;
    if (!act.takeOff && !act.landing)
        gf_shrinkDelays(act);
    if (act.phase == phaseAirborne || act.phase == phaseAtStand) {
        gf_setPhase(act, phaseGround);
    } else if (act.takeOff) {
        lf_queueThrottle(act.base, rotorcraft ? 4 : lf_rollThrottle(front, next));
    } else if (act.landingRoll) {
        lf_landingRoll(act);
    } else {
        lf_queueThrottle(act.base, rotorcraft ? 4 : 0);
    }
    if (act.flareStage == 0 && !act.takeOff) {
        act.pitch = act.base.head.staticPitch;
        act.bank = act.pitchStep = act.bankStep = 0.0;
    }
}

void lf_placeRollStart(Act& act)
{
    std::deque<PathPoint>& path = act.path;
    if (!act.takeOff || act.phase == phaseTakeOff || act.predictionCount > 0 || path.size() < 2 ||
        path[0].airborne || path[0].speed > stoppedSpeed || path[1].hold || path[1].airborne ||
        path[1].speed < takeOffSpeed)
        return;
    const PathPoint& front = path[0];
    const PathPoint& next = path[1];
    const double d = gf_distanceNm(front.latitude, front.longitude, next.latitude, next.longitude);
    const std::int64_t wait = gf_ticksUntil(next) - gf_travelTicks(d, next.speed / 2.0);
    if (wait < 100)
        return;
    PathPoint stand = front;
    stand.reportTick = 0;
    stand.speed = 0.0;
    stand.hold = 1;
    stand.tick = static_cast<std::uint32_t>(gf_now() + wait);
    path.insert(path.begin() + 1, stand);
}

void lf_liftOffWhenDue(Act& act)
{
    if (act.liftOffTick == 0 || gf_now() < act.liftOffTick)
        return;
    act.liftOffTick = 0;
    if (act.takeOff && act.phase != phaseTakeOff && !act.path.empty() &&
        lf_liftsOff(act, 0, std::max<std::int64_t>(gf_ticksUntil(act.path[0]), 25)))
        lf_tookOff(act);
}

void lf_tookOff(Act& act)
{
    const ActHead& head = act.base.head;
    act.rotationCounter = static_cast<std::int32_t>(head.rotationTicks);
    act.pitchStep = (head.rotationPitch - act.pitch) / std::max<double>(head.rotationTicks, 1.0);
    act.bank = act.bankStep = 0.0;
    if (!act.takeOff)
        lf_beginTakeOff(act);
    gf_setPhase(act, phaseTakeOff);
    act.firstClimbEnd = static_cast<std::uint32_t>(gf_now() + firstClimbTicks);
    const FlightIdent& ident = head.identity;
    const bool outbound = !ident.departure.empty() && !ident.destination.empty() &&
                          ident.departure == gf_parkAirport().iata;
    lf_logIndented(fmt::format("{:8} took-off{} {}", ident.callsign, outbound ? " to " + ident.destination : "",
                               gf_clockTimeText()));
    if (act.landingRoll) {
        act.landingRoll = act.landing = act.landed = 0;
        act.flareStage = 0;
        lf_queueThrottle(act.base, 4);
        lf_queueSpoilers(act.base, true);
        lf_queueFlaps(act.base, 1);
    }
}

void lf_beginTakeOff(Act& act)
{
    if (act.towed)
        gf_logMarked(fmt::format("towed aircraft takes-off? {}", gf_formatColumns(act.base.head.identity)));
    act.takeOff = 1;
    // A take-off roll does not stand still: points at its back that hold were its last
    // position sent again.
    while (act.path.size() > 1 && act.path.back().hold)
        act.path.pop_back();
    lf_queueThrottle(act.base, 0);
    lf_queueSpoilers(act.base, false);
    lf_queueFlaps(act.base, 1);
    act.landing = act.landed = act.goAround = 0;
    act.flareStage = 0;
    gf_queueLights(act.base.objectId, {1, 1, 1, 1, 1, 1, 0});
    act.lateDelay = 5000;
    act.earlyDelay = 3000;
    if (!act.base.head.identity.airline.empty())
        lf_learnSoftStand(act);
}
