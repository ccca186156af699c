// The per-tick update of a moving aircraft: a step along its curve or straight segment, the
// turn toward its target, the landing flare and nose lowering, rotation and climb-out.
#include "traffic/motion.h"

#include "foundation/log.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double flarePitch = -0.06981317007977318; // -4 degrees, nose up
constexpr double flareCeiling = 400.0;               // feet above the ground

// Turns the heading toward the target by at most turnStep, the short way.
void lf_turnToward(Act& act, double target)
{
    const double d = gf_angleDiff(act.heading, target);
    if (std::abs(d) <= halfDegree)
        return;
    const double step = std::min(act.base.head.turnStep, std::abs(d));
    act.heading = gf_normalHeading(act.heading + (d > 0 ? step : -step));
}

// Moves a value toward a target by a step, not beyond it; the last step lands on the
// target even when the sum of the steps falls a rounding short of it.
double lf_moveToward(double value, double step, double target)
{
    if (std::abs(target - value) <= std::abs(step) * (1.0 + 1e-9))
        return target;
    const double moved = value + step;
    return step >= 0 ? std::min(moved, target) : std::max(moved, target);
}

void lf_followSegment(Act& act)
{
    if (gf_curveSet(act)) {
        const double progress = std::min(act.curveProgress + act.progressStep, 0.999999);
        act.curveProgress = progress;
        // Where on its air curve the path is, is worked out when it is looked at: by the shown
        // aircraft's plan, or by the path step when the point falls due.
        if (act.curveLength > 0.0 && !gf_pathLookedAt(act))
            return;
        // A ground curve steps by its parameter, an air curve by its length.
        const double at = act.curveLength > 0.0 ? lf_airCurveParameter(act, progress) : progress;
        LatLon position;
        double curveHeading = 0.0;
        if (!gf_interpolateSegment(act.curve, position, curveHeading, at)) {
            gf_logf("{} error in curve at index: {:.2F}", act.callsign(), at);
            return;
        }
        if (act.curveLength > 0.0) // in the air the nose is along the curve, which leaves along it
            act.heading = gf_normalHeading(curveHeading);
        else
            lf_turnToward(act, act.phase == phasePushBack ? gf_normalHeading(curveHeading + std::numbers::pi) : curveHeading);
        act.curveEvaluated = progress;
        act.curveParameter = at;
        act.latitude = position.first;
        act.longitude = position.second;
        return;
    }
    switch (act.phase) {
    case phaseToStand:
        lf_turnToward(act, act.targetBearing);
        break;
    case phasePushBack:
    case phaseLeaving:
    case phaseGround:
        if (act.groundTurn)
            lf_turnToward(act, act.targetBearing);
        break;
    case phaseTakeOff:
    case phaseAirborne:
        // In the air the nose turns onto the way to the next point, unless it steps toward a
        // reported heading.
        if (!act.onGround && !act.steppedTurn) {
            lf_turnToward(act, act.targetBearing);
            break;
        }
        [[fallthrough]];
    default:
        act.heading = gf_normalHeading(act.heading + act.headingStep);
    }
    if (act.phase != phaseLeaving) {
        act.latitude += act.latStep;
        act.longitude += act.lonStep;
    }
}

// The flare stages, each taken once as its height above the ground is reached.
void lf_flare(Act& act)
{
    if (!act.groundElevationKnown) {
        const ParkAirport park = gf_parkAirport();
        if (!park.code.empty()) {
            act.groundElevation = park.elevation;
            act.groundElevationKnown = 1;
        }
    }
    act.groundHeight = act.altitude - act.groundElevation;
    const double height = std::min(act.heightAboveGround, act.groundHeight);
    if (height > flareCeiling)
        return;
    const double cg = act.base.head.staticCgHeight;
    PathPoint& front = act.path.front();
    if (act.flareStage == 0 && height <= cg + flareStartHeight) {
        act.flareStage = 1;
        act.pitchStep = (flarePitch - act.pitch) / std::max<double>(act.base.head.flareTicks, 1.0);
        act.altitudeStep = -0.1;
        front.verticalSpeed = -601.0;
        landingFlag = true;
    }
    if (act.flareStage == 1 && height <= cg + 20.0) {
        act.flareStage = 2;
        act.altitudeStep = -0.075;
        front.verticalSpeed = -450.0;
    }
    if (act.flareStage == 2 && height <= cg + 10.0) {
        act.flareStage = 3;
        lf_queueThrottle(act.base, 0);
        act.altitudeStep = -0.05;
        front.verticalSpeed = -300.0;
    }
    if (act.flareStage == 3 && height <= cg + 3.0) {
        act.flareStage = 4;
        act.altitudeStep = -0.025;
        front.verticalSpeed = -150.0;
    }
}

// The altitude moves by the step; a climb toward an airborne point levels off at its
// altitude (near the ground the climb step is brisker than the reports' own climb).
void lf_climb(Act& act, double step)
{
    const double before = act.altitude;
    act.altitude += step;
    if (step > 0.0 && !act.path.empty() && act.path.front().airborne)
        act.altitude = std::min(act.altitude, std::max(before, act.path.front().altitude));
}

// In the air outside the climb-out: pitch, bank and altitude move by their steps; during
// the flare the nose comes up no further than the flare pitch.
void lf_airborneAttitude(Act& act)
{
    act.pitch += act.pitchStep;
    if (act.flareStage != 0)
        act.pitch = std::max(act.pitch, flarePitch);
    act.bank += act.bankStep;
    lf_climb(act, act.altitudeStep);
}

void lf_lowerNose(Act& act)
{
    const double staticPitch = act.base.head.staticPitch;
    act.pitch += act.pitchStep;
    const bool passed = act.pitchStep >= 0 ? act.pitch >= staticPitch : act.pitch <= staticPitch;
    if (passed) {
        act.pitch = staticPitch;
        act.pitchStep = act.bank = act.bankStep = 0.0;
        act.noseLowering = 0;
        act.flareStage = 0;
    }
    act.bank += act.bankStep;
}

// The take-off is over: the aircraft flies on as in the air, where a touch-down counts.
void lf_endClimbOut(Act& act)
{
    lf_queueThrottle(act.base, gf_isRotorcraft(act.base.head) ? 4 : 3);
    gf_setPhase(act, phaseAirborne);
    act.rotationCounter = 1;
}

// A helicopter often flies far below 800 ft: its climb-out ends at the height of the first
// report in the air ahead, or once none is (it comes down).
bool lf_helicopterClimbedOut(const Act& act)
{
    if (!gf_isRotorcraft(act.base.head))
        return false;
    const auto air = std::find_if(act.path.begin(), act.path.end(), [](const PathPoint& p) { return p.airborne != 0; });
    return air == act.path.end() || act.altitude >= air->altitude;
}

// Rotation for rotationTicks ticks, then the climb-out toward the climb pitch.
void lf_climbOut(Act& act)
{
    const ActHead& head = act.base.head;
    const std::int32_t counter = act.rotationCounter--;
    if (counter >= 1) {
        act.onGround = 0;
        act.pitch = lf_moveToward(act.pitch, act.pitchStep, head.rotationPitch);
        return;
    }
    act.bank += act.bankStep;
    const double pitchUp = (head.climbPitch - head.rotationPitch) / std::max<double>(head.pitchUpTicks, 1.0);
    act.pitch = lf_moveToward(act.pitch, pitchUp, head.climbPitch);
    if (counter > -100 && counter < 0)
        lf_climb(act, act.altitudeStep / 10.0);
    else if (counter > -200 && counter <= -100)
        lf_climb(act, act.altitudeStep / 5.0);
    else if (counter > -300 && counter <= -200)
        lf_climb(act, act.altitudeStep / 2.0);
    else if (counter <= -300) {
        if (counter == -300)
            lf_queueGear(act.base, false);
        lf_climb(act, act.altitudeStep);
        if (counter < -300 && act.pitch == head.climbPitch) {
            act.pitchStep = 0.0;
            if (act.heightAboveGround >= 800.0) {
                lf_endClimbOut(act);
                return;
            }
        }
    }
    if (lf_helicopterClimbedOut(act)) {
        // Its take-off is over too: a touch-down then rolls out as any other.
        act.takeOff = 0;
        act.pitchStep = 0.0;
        act.altitudeStep = std::min(act.altitudeStep, 0.0); // no higher until its next point is planned
        lf_endClimbOut(act);
    }
}
} // namespace

void lf_followCurve(Act& act)
{
    lf_followSegment(act);
    if (act.phase != phaseTakeOff && !act.onGround) {
        if (act.landing)
            lf_flare(act);
        lf_airborneAttitude(act);
    }
    if (act.noseLowering)
        lf_lowerNose(act);
    if (act.phase == phaseTakeOff)
        lf_climbOut(act);
    act.longitude = gf_wrapLongitude(act.longitude);
}
