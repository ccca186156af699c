// The airborne part of a path step: altitude, pitch, heading and bank steps toward the next
// point, lights and configuration by altitude, the approach to the park airport and the
// go-around.
#include "traffic/motion.h"

#include "foundation/sizeclasses.h"
#include "links/qnhreader.h"
#include "links/simqueues.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <unordered_map>

namespace {
constexpr double tenNm = 10.0;
constexpr double steepestClimb = 6000.0; // ft/min

double lf_pitchRate(std::uint32_t sizeClass)
{
    static const std::unordered_map<std::uint32_t, double> rates{
        {0, 0.00017453292519943296}, {1, 0.000148352986419518}, {2, 0.00013089969389957473},
        {3, 8.726646259971648e-05},  {4, 0.0005235987755982989}, {5, 0.0005235987755982989}};
    const auto found = rates.find(sizeClass);
    if (found == rates.end())
        throw std::out_of_range("invalid unordered_map<K, T> key");
    return found->second;
}

double lf_approachHeight(std::uint32_t sizeClass)
{
    return sizeClass >= 1 && sizeClass <= 3 ? 2050.0 : 625.0;
}

std::uint32_t lf_stepOrRotor(const Act& act, std::uint32_t step)
{
    return gf_isRotorcraft(act.base.head) ? 4 : step;
}

// A descent at a rate: the next point, the kept rate and the altitude step follow it.
void lf_descendAt(Act& act, double rate)
{
    act.path[1].verticalSpeed = rate;
    act.verticalRate = rate;
    act.altitudeStep = rate / 6000.0;
}

// Drops the ground points before the k-th point (1-based) when that point is airborne.
bool lf_skipToAirbornePoint(Act& act, std::size_t k)
{
    std::deque<PathPoint>& path = act.path;
    if (path.size() < k || !path[k - 1].airborne)
        return false;
    path.erase(path.begin() + 1, path.begin() + static_cast<std::ptrdiff_t>(k - 1));
    const PathPoint& front = path[0];
    PathPoint& next = path[1];
    const double d = gf_distanceNm(front.latitude, front.longitude, next.latitude, next.longitude);
    next.tick = lf_boundedTick(act, std::max<std::int64_t>(gf_travelTicks(d, lf_segmentSpeed(act)), 25));
    const double n = static_cast<double>(std::max<std::int64_t>(gf_ticksUntil(next), 25));
    act.altitudeStep =
        next.altitude > act.altitude ? std::min((next.altitude - act.altitude) / n, act.base.head.accelLimit) : 0.0;
    return true;
}

// An airborne aircraft whose front and next points are both on the ground.
void lf_airborneOverGroundPoints(Act& act, double n)
{
    double climb = 0.0;
    for (const PathPoint& p : act.path)
        climb += p.verticalSpeed;
    if (!act.landing && climb > 100.0) {
        const std::size_t last = std::min<std::size_t>(act.path.size() - 1, 10);
        for (std::size_t k = 3; k <= last; ++k)
            if (lf_skipToAirbornePoint(act, k)) {
                lf_queueGear(act.base, true);
                return;
            }
        lf_descendAt(act, std::max(act.path[1].verticalSpeed, 601.0));
    } else {
        lf_descendAt(act, lf_descentRate(act));
        // Not approaching, it comes down no later than its reports: at the next point at the latest.
        const double down = (gf_groundElevation(act) - act.altitude) / n;
        if (!act.landing && down < act.altitudeStep)
            lf_descendAt(act, down * 6000.0);
    }
    lf_queueGear(act.base, true);
}

// The largest altitude step of a climb in the air: the class's climb step, or the next point's
// reported climb where that is faster (a Large climbing at 4,500 ft/min fell 500 ft behind its
// reports), up to the steepest climb.
double lf_climbStep(const Act& act)
{
    return std::max(act.base.head.accelLimit, std::min(act.path[1].verticalSpeed, steepestClimb) / 6000.0);
}

// The altitude step from an airborne front point.
void lf_airAltitudeStep(Act& act, double n)
{
    const PathPoint& front = act.path[0];
    const PathPoint& next = act.path[1];
    const double climbStep = lf_climbStep(act);
    const double s = (next.altitude - act.altitude) / n; // the step that reaches the next point
    if (!next.airborne) {
        const ParkAirport park = gf_parkAirport();
        const std::int32_t qnh = currentQnh.load();
        if (qnh > 1013 && !park.code.empty())
            lf_descendAt(act, lf_descentRate(act));
        else // down where its reports touch down, with or without a park airport
            act.altitudeStep = (gf_groundElevation(act) - act.altitude) / n;
        lf_queueGear(act.base, true);
    } else if (act.landing) {
        if (front.altitude == next.altitude && act.heightAboveGround <= 1000.0 &&
            front.verticalSpeed + next.verticalSpeed <= 100.0)
            lf_descendAt(act, lf_descentRate(act));
        else
            act.altitudeStep = s;
    } else if (act.heightAboveGround > 1000.0 || s <= 0.0) {
        act.altitudeStep = std::min(s, climbStep);
    } else {
        // Near the ground a climbing aircraft climbs away briskly; level or descending it
        // follows its reports (an arrival to an airport without a parking file never begins
        // an approach and would climb away on its final).
        act.altitudeStep = std::min(climbStep, std::max(s, 0.2));
    }
}

void lf_altitudeStep(Act& act, double n)
{
    const PathPoint& next = act.path[1];
    if (act.path[0].airborne) {
        lf_airAltitudeStep(act, n);
        if (const std::optional<double> approach = lf_approachStep(act, 1, n)) {
            // Down toward the touch-down along it; kept up to it over reports in the air below it.
            act.altitudeStep = next.airborne ? std::max(act.altitudeStep, *approach) : *approach;
            act.verticalRate = act.altitudeStep * 6000.0;
        }
    } else if (next.airborne) {
        const double s = (next.altitude - act.altitude) / n;
        act.altitudeStep = next.altitude > act.altitude ? std::min(s, act.base.head.accelLimit) : 0.0;
    } else {
        lf_airborneOverGroundPoints(act, n);
    }
}

void lf_pitchStep(Act& act, double n)
{
    const double vs = act.path[1].verticalSpeed;
    const double x = vs < 0.0 ? std::max(vs, -3000.0) * 0.5 : std::min(vs, 2400.0);
    const double target = -0.05235987755982989 - x / 600.0 * 2.2 * degToRad;
    const double r = lf_pitchRate(gf_motionClassOf(act.base.head));
    act.pitchStep = std::clamp((target - act.pitch) / n, -r, r);
}

void lf_turnAndBank(Act& act, std::int64_t n)
{
    const PathPoint& next = act.path[1];
    const double low = act.landing ? 2000.0 : 1000.0;
    ActHead& head = act.base.head;
    head.turnStep = head.turnRate;
    act.steppedTurn = next.headingFromAdsb && next.rollPresent && next.headingPresent && act.heightAboveGround < low;
    double turn = 0.0;
    if (act.steppedTurn) {
        gf_resetCurve(act);
        turn = gf_angleDiff(act.heading, next.heading);
        act.headingStep = turn / static_cast<double>(n);
    } else {
        turn = lf_flyToNext(act, n);
        act.headingStep = 0.0;
    }
    if (next.rollPresent)
        act.bankStep = (next.roll - act.bank) / static_cast<double>(n);
    else
        act.bankStep = gf_bankStep(static_cast<std::int32_t>(gf_motionClassOf(act.base.head)), turn,
                                   static_cast<std::int32_t>(std::min<std::int64_t>(n, INT32_MAX)), act.bank);
}

void lf_configAboveApproach(Act& act)
{
    const double vs = act.path[0].verticalSpeed;
    gf_shrinkDelays(act);
    gf_queueCabinLights(act.base.objectId, 1);
    act.takeOff = act.landing = 0;
    const std::uint32_t throttle = act.base.throttleStep;
    if (vs <= -250.0 && throttle == 3)
        lf_queueThrottle(act.base, lf_stepOrRotor(act, 2));
    else if (vs > 400.0 && throttle == 4)
        lf_queueThrottle(act.base, lf_stepOrRotor(act, 3));
    const double height = act.heightAboveGround;
    if (height >= 2400.0) {
        lf_queueGear(act.base, false);
        lf_queueFlaps(act.base, 0);
    } else if (height >= 2000.0) {
        if (vs <= 100.0 && act.base.flapsStep == 0)
            lf_queueFlaps(act.base, 1);
    } else if (vs <= 100.0) {
        if (act.base.flapsStep == 0)
            lf_queueFlaps(act.base, 1);
        else if (act.base.flapsStep == 1)
            lf_queueFlaps(act.base, 2);
    }
}

void lf_approach(Act& act)
{
    const double vs = act.path[0].verticalSpeed;
    gf_queueCabinLights(act.base.objectId, 0);
    const ParkAirport park = gf_parkAirport();
    const bool near =
        !park.code.empty() && gf_distanceNm(act.latitude, act.longitude, park.latitude, park.longitude) <= tenNm;
    if (vs <= -250.0) {
        // A helicopter comes down where its reports come down: low and descending, it may be
        // circling at a few hundred feet, as police and news helicopters do for minutes.
        if (act.landing || !near || gf_isRotorcraft(act.base.head))
            return;
        lf_queueThrottle(act.base, lf_stepOrRotor(act, 1));
        lf_queueFlaps(act.base, 3);
        lf_queueGear(act.base, true);
        staticConflictChecks.push_back(act.base.head.flightId);
        act.landing = 1;
        act.goAround = 0;
        act.base.latitude = act.base.longitude = act.base.heading = 0.0;
        act.base.standNumber = 0;
        act.base.standCargo = 0;
        act.rotationCounter = 1;
        act.lateDelay = act.takeOff ? 5000 : 3000;
        act.earlyDelay = 3000;
        return;
    }
    if ((vs > 600.0 || (act.landing && !near)) && !act.goAround) {
        gf_shrinkDelays(act);
        lf_queueThrottle(act.base, 4);
        lf_queueGear(act.base, false);
        act.goAround = 1;
        act.landing = 0;
        lf_queueFlaps(act.base, 0);
        act.flareStage = 0;
    }
}

void lf_lightsAndConfiguration(Act& act)
{
    const std::uint32_t objectId = act.base.objectId;
    if (act.path[0].altitude >= 10000.0) {
        if (act.highLightsSet)
            return;
        act.highLightsSet = 1;
        act.lowLightsSet = 0;
        gf_queueLights(objectId, {1, 1, 0, 0, 0, 0, 1});
        lf_queueThrottle(act.base, lf_stepOrRotor(act, 3));
        lf_queueGear(act.base, false);
        lf_queueFlaps(act.base, 0);
        return;
    }
    if (!act.lowLightsSet) {
        act.lowLightsSet = 1;
        act.highLightsSet = 0;
        gf_queueLights(objectId, {1, 1, 1, 1, 1, 1, 1});
    }
    if (act.heightAboveGround > lf_approachHeight(gf_motionClassOf(act.base.head)))
        lf_configAboveApproach(act);
    else
        lf_approach(act);
}
} // namespace

double gf_groundElevation(const Act& act)
{
    // The ground the simulator tells under the shown aircraft: a field near the park airport may lie
    // hundreds of feet above or below it.
    if (!std::isnan(act.groundUnder))
        return act.groundUnder;
    const ParkAirport park = gf_parkAirport();
    if (!park.code.empty()) {
        // Not told yet: the park airport's where the aircraft is there, or shown (too high to be told,
        // it needs a ground all the same, and that is the nearest known); not yet shown elsewhere, none.
        const PathPoint* first = act.path.empty() ? nullptr : &act.path.front();
        const bool there = first && gf_withinNm(first->latitude, first->longitude, park.latitude, park.longitude,
                                                parkAirportReachNm);
        return act.base.status != statusNew || there ? park.elevation : Act::nan;
    }
    if (act.groundElevationKnown)
        return act.groundElevation;
    return act.base.status == statusCreated ? act.altitude - act.heightAboveGround : Act::nan;
}

double lf_descentRate(const Act& act)
{
    if (act.heightAboveGround <= 100.0)
        return -600.0;
    const double mean = (act.path[0].verticalSpeed + act.path[1].verticalSpeed) / 2.0;
    return std::min(mean - (currentQnh.load() - 1013) * 6.0, -601.0);
}

void lf_airborneStep(Act& act)
{
    if (act.phase != phaseTakeOff && act.phase != phaseAirborne)
        gf_setPhase(act, phaseAirborne);
    act.verticalRate = act.path[1].verticalSpeed;
    act.keptSpeed = act.path[1].trueAirSpeed;
    const std::int64_t n = std::max<std::int64_t>(gf_ticksUntil(act.path[1]), 25);
    if (act.flareStage == 0)
        lf_altitudeStep(act, static_cast<double>(n));
    // Skipping to an airborne point may have brought another point forward.
    const std::int64_t m = std::max<std::int64_t>(gf_ticksUntil(act.path[1]), 25);
    if (act.flareStage == 0 && act.phase != phaseTakeOff)
        lf_pitchStep(act, static_cast<double>(m));
    lf_turnAndBank(act, m);
    lf_lightsAndConfiguration(act);
}
