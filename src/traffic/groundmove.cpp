// The ground step of a path step: whether a rolling aircraft takes off, the throttle on the
// ground, and the take-off itself with the take-off roll before it.
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/sizeclasses.h"
#include "foundation/timehelpers.h"
#include "links/simqueues.h"

#include <algorithm>

namespace {
constexpr double takeOffSpeed = 43.0; // knots: the front point of a rolling aircraft
constexpr double climbingRate = 256.0; // ft/min

// Decides the take-off of a rolling aircraft and sets its climb step; true when it lifts off.
bool lf_liftsOff(Act& act, std::int64_t n)
{
    const std::deque<PathPoint>& path = act.path;
    const std::int32_t sizeClass = static_cast<std::int32_t>(act.base.head.sizeClass);
    const auto later = path.begin() + 1;
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
    if (allAirborne)
        act.altitudeStep = std::max(path[1].altitude - act.altitude, 0.1) / static_cast<double>(n);
    else
        act.altitudeStep = act.base.head.accelLimit;
    return true;
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
    const bool rotorcraft = act.base.head.sizeClass == rotorcraftClass;
    if (act.takeOff && act.phase != phaseTakeOff && front.speed >= takeOffSpeed && lf_liftsOff(act, n))
        lf_tookOff(act);
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

void lf_tookOff(Act& act)
{
    const ActHead& head = act.base.head;
    act.rotationCounter = static_cast<std::int32_t>(head.rotationTicks);
    act.pitchStep = (head.rotationPitch - act.pitch) / std::max<double>(head.rotationTicks, 1.0);
    act.bank = act.bankStep = 0.0;
    if (!act.takeOff)
        lf_beginTakeOff(act);
    gf_setPhase(act, phaseTakeOff);
    const FlightIdent& ident = head.identity;
    const bool outbound = !ident.departure.empty() && !ident.destination.empty() &&
                          ident.departure == gf_parkAirport().iata;
    lf_logIndented(fmt::format("{:8} took-off{} {}", ident.callsign, outbound ? " to " + ident.destination : "",
                               gf_clockTimeText()));
    gf_resetCurve(act);
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
    lf_queueThrottle(act.base, 0);
    lf_queueSpoilers(act.base, false);
    lf_queueFlaps(act.base, 1);
    act.landing = act.landed = act.goAround = 0;
    act.flareStage = 0;
    queueLights(act.base.objectId, {1, 1, 1, 1, 1, 1, 0});
    act.lateDelay = 5000;
    act.earlyDelay = 3000;
    if (!act.base.head.identity.airline.empty())
        lf_learnSoftStand(act);
}
