// The ground part of a path step: the departure from a stand (pull out, or push back with
// its engine-start countdown), shaping of the taxi path ahead, and the hand-over of an
// aircraft that stops near a stand to the stand take.
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "links/simqueues.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {
constexpr double fiftyMetres = 0.02699784017278618;
constexpr double thirtyFiveMetres = 0.018898488120950324;
constexpr std::array<std::uint32_t, 7> taxiLights{1, 1, 0, 1, 0, 1, 0};

// A ground point at the position, moving at the speed, due at the tick.
PathPoint lf_groundPoint(const LatLon& position, double speed, std::int64_t tick)
{
    return {.latitude = position.first, .longitude = position.second, .speed = speed,
            .tick = static_cast<std::uint32_t>(tick)};
}

double lf_inCircle(double bearing)
{
    if (bearing > twoPi)
        return bearing - twoPi;
    return bearing < 0.0 ? bearing + twoPi : bearing;
}

void lf_logStandLine(const Act& act, const char* what)
{
    if (LOG.value.load())
        gf_logf("{:8}: {:8} {} {}", gf_standLogName(act.base.standNumber), act.callsign(), what, gf_clockTimeText());
}

// Taxi lights and engines on for leaving a stand or pad.
void lf_startEngines(Act& act)
{
    gf_queueLights(act.base.objectId, taxiLights);
    queueEngineStart(act.base.objectId);
    lf_queueThrottle(act.base, gf_isRotorcraft(act.base.head) ? 4 : 0);
    lf_queueFlaps(act.base, 1);
}

// The countdown of a push back: the swing of the tail, then the engine start.
void lf_pushCountdown(Act& act)
{
    --act.pushState;
    if (act.pushState == 1) {
        // The swing needs the midpoint, E and the end point; with fewer the push goes straight back.
        if (act.path.size() < 3)
            return;
        if (!act.pushDirectionKnown) {
            act.path.pop_back();
            return;
        }
        if (act.pushRight)
            act.path.back() = act.savedPushPoint;
        lf_setCurve(act);
        act.curveAngle = 90.0;
        act.progressStep = 1.0 / std::max<double>(std::llround(90.0 / act.base.head.turnStep / 100.0), 1.0);
        return;
    }
    if (act.pushState > 1)
        return;
    act.targetBearing = act.heading;
    queueEngineStart(act.base.objectId);
    lf_queueThrottle(act.base, 0);
    lf_queueFlaps(act.base, 1);
    gf_setPhase(act, phaseLeaving);
    act.pushState = 1;
    act.largestLeaveDistance = 900.0;
    act.predictionCount = 0;
    act.leavingStand = 0;
}

// A helicopter leaves its pad along its reports, lifting off toward the first in the air. They
// come half a minute ahead: it stays on the pad until they leave it.
void lf_leavePad(Act& act)
{
    act.leavingStand = 0;
    act.predictionCount = 0;
    gf_setPhase(act, phaseGround);
    lf_startEngines(act);
    std::deque<PathPoint>& path = act.path;
    if (std::any_of(path.begin(), path.end(), [](const PathPoint& p) { return p.airborne != 0; }))
        lf_beginTakeOff(act);
    const PathPoint& pad = path.front();
    const PathPoint& next = path[1];
    const double d = gf_distanceNm(pad.latitude, pad.longitude, next.latitude, next.longitude);
    const std::int64_t leaves = gf_ticksUntil(next) - gf_travelTicks(d, std::max(next.speed, 1.0));
    if (leaves > 25) {
        PathPoint stay = pad;
        stay.reportTick = 0;
        stay.speed = 0.0;
        stay.hold = 1;
        stay.tick = static_cast<std::uint32_t>(gf_now() + leaves);
        path.insert(path.begin() + 1, stay);
    }
    lf_logStandLine(act, "lifts off");
}

void lf_leaveStand(Act& act)
{
    act.earlyDelay = 3000;
    act.lateDelay = act.takeOff ? 5000 : 3000;
    if (!act.leavingStand)
        return;
    if (gf_isRotorcraft(act.base.head)) {
        lf_leavePad(act);
        return;
    }
    const PathPoint& last = act.path.back();
    const double bearing = gf_initialBearing({act.base.latitude, act.base.longitude}, {last.latitude, last.longitude});
    const long off = std::lround(gf_angleDiff(act.base.heading, bearing) * radToDeg);
    if (std::labs(off) < 90)
        lf_pullOut(act);
    else
        lf_pushBack(act);
}

void lf_shapePath(Act& act)
{
    std::deque<PathPoint>& path = act.path;
    if (path.size() < 3) {
        if (act.predictionCount <= 0)
            lf_splitSpeedChange(act);
    } else if (path[2].hold) {
        lf_splitSpeedChange(act);
    } else {
        const double a = std::abs(lf_turnToNextLeg(act)) * radToDeg;
        const PathPoint& front = path[0];
        const PathPoint& next = path[1];
        const double d = gf_distanceNm(front.latitude, front.longitude, next.latitude, next.longitude);
        const std::int64_t gap = std::max<std::int64_t>(static_cast<std::int64_t>(next.tick) - front.tick, 25);
        // A sharp turn on a slow, long segment is broken up first, a turn back included.
        if (a <= 3.0)
            lf_splitSpeedChange(act);
        else if (a > 45.0 && d > fiftyMetres && front.speed <= 43.0 && gap >= 600)
            lf_insertMidpoint(act);
        else if (a > 160.0 || (path[2].latitude == front.latitude && path[2].longitude == front.longitude))
            lf_splitSpeedChange(act);
        else {
            lf_setCurve(act);
            act.curveAngle = a;
        }
    }
    if (gf_curveSet(act)) {
        act.groundTurn = 0;
    } else {
        act.groundTurnAngle = std::abs(gf_angleDiff(act.heading, act.targetBearing)) * radToDeg;
        act.groundTurn = act.groundTurnAngle > 3.0 ? 1 : 0;
    }
}

// An aircraft whose path ends standing still near it may be taking a stand.
void lf_offerStand(Act& act)
{
    if (!act.path.back().hold || act.phase != phaseGround || !staticParkingActive.load())
        return;
    const std::uint32_t before = act.previousPhase;
    if (!act.towed && (before == phasePushBack || before == phaseLeaving || before == phaseAtStand))
        return; // it has just left a stand
    if (act.predictionCount > 0) {
        lf_takeStand(act, act.landed != 0);
        return;
    }
    const PathPoint& last = act.path.back();
    if (act.path[1].speed <= 5.0 &&
        gf_distanceNm(act.latitude, act.longitude, last.latitude, last.longitude) <= thirtyFiveMetres)
        lf_takeStand(act, false);
}
} // namespace

void lf_groundHandling(Act& act)
{
    switch (act.phase) {
    case phasePushBack:
        lf_pushCountdown(act);
        break;
    case phaseLeaving:
        break;
    case phaseAtStand:
        lf_leaveStand(act);
        break;
    default:
        if (!act.path[1].hold)
            lf_shapePath(act);
        lf_offerStand(act);
    }
    lf_timeGroundPoint(act);
}

void lf_pullOut(Act& act)
{
    act.leavingStand = 0;
    act.predictionCount = 0;
    const ActHead& head = act.base.head;
    const LatLon ahead =
        gf_destinationPoint({act.base.latitude, act.base.longitude}, act.base.heading, 2.0 * head.wingspan * feetPerNm);
    act.path.front().speed = head.pushSpeed;
    const double d = gf_distanceNm(act.latitude, act.longitude, ahead.first, ahead.second);
    const PathPoint point = lf_groundPoint(ahead, head.pushSpeed, gf_now() + gf_travelTicks(d, head.pushSpeed));
    act.path.resize(1);
    act.path.push_back(point);
    gf_setPhase(act, phaseGround);
    act.targetBearing = act.heading;
    act.groundTurn = 0; // straight out; any turn of the arrival is over
    lf_startEngines(act);
    lf_logStandLine(act, "pull out");
}

void lf_pushBack(Act& act)
{
    act.predictionCount = 0;
    const double back = lf_inCircle(act.base.heading + std::numbers::pi);
    const StandRecord* stand = gf_findStand(act.base.standNumber);
    if (stand == nullptr)
        return; // asked again at the next path step
    const ActHead& head = act.base.head;
    const double speed = head.pushSpeed;
    const LatLon present{act.latitude, act.longitude};
    const LatLon e = gf_destinationPoint(present, back, 2.5 * stand->radius * feetPerNm);
    act.path.front().speed = speed;
    act.targetBearing = act.heading;
    act.groundTurn = 0; // the push follows its own path; any turn of the arrival is over
    const std::int64_t now = gf_now();
    const std::int64_t tE = gf_travelTicks(gf_distanceNm(present, e), speed);
    act.path.resize(1);
    act.path.push_back(lf_groundPoint(e, speed, now + tE));
    lf_insertMidpoint(act);
    const PathPoint& middle = act.path[1];
    const double aside = head.wingspan * feetPerNm;
    const LatLon r = gf_destinationPoint(e, lf_inCircle(back + std::numbers::pi / 2), aside);
    const LatLon l = gf_destinationPoint(e, lf_inCircle(back - std::numbers::pi / 2), aside);
    const std::int64_t sideTick =
        now + tE / 2 + gf_travelTicks(gf_distanceNm(middle.latitude, middle.longitude, r.first, r.second), speed);
    act.savedPushPoint = lf_groundPoint(r, speed, sideTick);
    act.path.push_back(lf_groundPoint(l, speed, sideTick));
    gf_queueLights(act.base.objectId, taxiLights);
    gf_setPhase(act, phasePushBack);
    act.pushState = 2;
    lf_logStandLine(act, "push back");
}

void lf_pathToStand(Act& act, double latitude, double longitude, double heading)
{
    PathPoint& last = act.path.back();
    const bool same = last.latitude == latitude && last.longitude == longitude;
    const double speed = act.base.head.pushSpeed;
    const std::int64_t t = std::max<std::int64_t>(
        gf_travelTicks(gf_distanceNm(last.latitude, last.longitude, latitude, longitude), speed), 100);
    last.speed = speed;
    const PathPoint& front = act.path.front();
    const std::int64_t due = static_cast<std::int64_t>(front.tick) + t;
    PathPoint stand{.latitude = latitude,
                    .longitude = longitude,
                    .roll = act.bank,
                    .rollPresent = 1,
                    .altitude = act.altitude,
                    .speed = speed,
                    .track = heading * radToDeg,
                    .trueAirSpeed = speed,
                    .tick = static_cast<std::uint32_t>(due),
                    .hold = static_cast<std::uint8_t>(same ? 1 : 0),
                    .headingFromAdsb = front.headingFromAdsb};
    act.path.push_back(stand);
    stand.speed = stand.trueAirSpeed = 0.0;
    stand.hold = 1;
    stand.tick = static_cast<std::uint32_t>(due + 50);
    act.path.push_back(stand);
    act.targetBearing = heading;
    if (act.predictionCount > 0) {
        act.predictionCount = 0;
        act.earlyDelay = 3000;
        act.lateDelay = act.takeOff ? 5000 : 3000;
    }
}
