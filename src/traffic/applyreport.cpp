// An accepted report extends the aircraft's path: by phase it becomes a new point at the
// back, records a push direction, or starts the departure from a stand.
#include "traffic/manager.h"
#include "traffic/motion.h"
#include "traffic/shownlimits.h"

#include "foundation/settingscatalogue.h"
#include "links/simqueues.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr std::size_t longestPath = 200;
constexpr double rollingSpeed = 43.0;              // knots: a report this fast on the ground is on its take-off roll
constexpr double nearStand = 0.0458963282937365;   // 85 m
constexpr double farFromStand = 0.10799136069114472; // 200 m
constexpr double threeMetres = 0.0016198704103671706;
constexpr double holdReach = 0.011879049676025918; // 22 m
constexpr double samePlace = 0.00015;              // degrees
constexpr double steepestDescent = 2000.0;         // feet per minute down to a landing
constexpr double hoverKnots = 10.0;                // a helicopter this slow may hover where it was
constexpr double climbingAway = 100.0;             // feet per minute: a go-around climbs faster

// A report climbing faster than a landing does: a go-around's or a touch-and-go's.
bool lf_climbsAway(const PathPoint& p) { return p.verticalSpeed > climbingAway; }

double lf_distance(const PathPoint& a, const PathPoint& b)
{
    return gf_distanceNm(a.latitude, a.longitude, b.latitude, b.longitude);
}

// Degrees between a direction (radians) and the bearing from a point to p.
double lf_offDirection(double direction, const PathPoint& from, const PathPoint& p)
{
    const double bearing = gf_initialBearing({from.latitude, from.longitude}, {p.latitude, p.longitude});
    return std::abs(gf_angleDiff(direction, bearing)) * radToDeg;
}

double lf_offHeading(const Act& act, const PathPoint& from, const PathPoint& p)
{
    return lf_offDirection(act.heading, from, p);
}

// The course the flight flies at its last report: its last reported leg, turned on by half
// the turn that it makes over that leg at the rate of its last two legs (turning 5 degrees a
// second, reported 20 s apart, a flight turns 100 degrees from leg to leg). NaN before two
// legs are known.
double lf_courseAtLastReport(const ReportTrail& trail)
{
    const double turn = std::clamp(trail.turnRate * trail.legSeconds / 2.0, -twoPi / 4.0, twoPi / 4.0);
    return trail.course + turn;
}

// A report became a point of the path: the trail moves on to it.
void lf_noteReport(Act& act, const PathPoint& p)
{
    ReportTrail& trail = act.trail;
    const double seconds = act.reportTime - trail.time;
    if (seconds > 0.0 && !gf_samePosition(p, trail.last)) { // false while the time is NaN
        const double course = gf_initialBearing({trail.last.latitude, trail.last.longitude}, {p.latitude, p.longitude});
        trail.turnRate = std::isnan(trail.course) ? Act::nan
                                                  : gf_angleDiff(trail.course, course) / ((trail.legSeconds + seconds) / 2.0);
        trail.course = course;
        trail.legSeconds = seconds;
    }
    if (seconds > 0.0)
        trail.climb = p.airborne && trail.last.airborne ? (p.altitude - trail.last.altitude) / seconds * 60.0 : Act::nan;
    trail.last = p;
    trail.time = act.reportTime;
}

// A point behind an airborne aircraft going this way (radians) is an old position sent again
// with a new time, unless the flight's own course leads there from its last report as well:
// a real turn, which the heading, following the reports half a minute behind, does not show
// yet. The course is the report's track, or without one the course flown at the last report.
// While only one reported leg is known, its turn is not: only a report back along the leg is
// behind it.
bool lf_goesBack(double heading, const Act& act, const PathPoint& p)
{
    if (lf_offDirection(heading, act.path.back(), p) < 100.0)
        return false;
    const ReportTrail& trail = act.trail;
    const PathPoint& from = std::isnan(trail.time) ? act.path.back() : trail.last;
    // So long after its last report it may have turned round (a light aircraft circling through a gap
    // in its reports).
    const double turnBack = std::numbers::pi / gf_turnLimit(act, std::max(p.speed, from.speed), gf_pathTurn(act));
    if (from.reportTick != 0 && (static_cast<double>(p.reportTick) - from.reportTick) / 100.0 > turnBack)
        return false;
    if (p.trackPresent)
        return lf_offDirection(p.track * degToRad, from, p) >= 100.0;
    if (!std::isnan(trail.turnRate))
        return lf_offDirection(lf_courseAtLastReport(trail), from, p) >= 100.0;
    return !std::isnan(trail.course) && lf_offDirection(trail.course, from, p) >= 150.0;
}

// A report of a landing or a roll-out. A fixed-wing aircraft's first report on the ground is its
// touch-down (on a take-off it is the roll), also where no landing was flagged (at another field than
// the park airport, or with none): one behind the last report in the air takes that report back, not
// the touch-down.
bool lf_landingReport(const Act& act, const PathPoint& p)
{
    const bool touchDown = !p.airborne && !act.takeOff && !act.path.empty() && act.path.back().airborne &&
                           !gf_isRotorcraft(act.base.head);
    return act.landing || act.landingRoll || touchDown;
}

// A ground report after an airborne one lands the aircraft only when it can have come down
// in between at 2000 ft/min: from the last report's altitude, by the reports' own times (the
// points predicted through a gap in the reports are no reports). A ground flag that flips
// lands nothing.
bool lf_landsIt(const Act& act, const PathPoint& p)
{
    const ReportTrail& trail = act.trail;
    if (p.airborne || std::isnan(trail.time) || !trail.last.airborne)
        return true;
    const double minutes = (act.reportTime - trail.time) / 60.0;
    const double ground = gf_groundElevation(act);
    return std::isnan(ground) || trail.last.altitude - ground <= steepestDescent * minutes;
}

bool lf_standingTest(Act& act, PathPoint& p)
{
    if (act.path.empty())
        return true;
    const PathPoint& last = act.path.back();
    // In the air the last report's position sent again after the path was predicted on beyond
    // it is as old as one sent again at once: flown back to, the aircraft would turn round.
    const bool repeated = p.airborne && !std::isnan(act.trail.time) && gf_samePosition(p, act.trail.last);
    const bool same = gf_samePosition(p, last) || repeated;
    if (same)
        p.hold = 1;
    // A helicopter may hover where it was; one whose speed says it flies on is an old position
    // sent again while the feed lost it, dropped as for any aircraft in the air.
    if (gf_isRotorcraft(act.base.head))
        return !(same && p.airborne && p.speed >= hoverKnots);
    const bool flyingObject = p.airborne || (act.base.status == statusCreated && !act.onGround);
    if (same) {
        if (flyingObject || (act.takeOff && p.speed > 0 && last.speed >= 30.0))
            return false;
        p.speed = 0.0;
        return true;
    }
    if (std::abs(p.latitude - last.latitude) <= samePlace &&
        std::abs(gf_longitudeDelta(p.longitude, last.longitude)) <= samePlace) {
        if (flyingObject || (act.takeOff && p.speed > 0 && last.speed >= 50.0))
            return false;
        const std::uint32_t due = p.tick;
        p = last;
        p.tick = due;
        p.speed = 0.0;
        p.hold = 1;
        return true;
    }
    if (p.speed != 0.0 || (!act.takeOff && !p.airborne))
        return true;
    return last.speed < 50.0;
}

// On the approach a report on the ground followed by one in the air that does not climb away was
// no touch-down (at the airport's altitude at approach speed, then below it, where a pressure
// altitude puts the runway's threshold): the path flies over it at the height of the ground.
void lf_undoEarlyTouchDown(Act& act, const PathPoint& p)
{
    PathPoint& last = act.path.back();
    const double ground = gf_groundElevation(act);
    if (!act.landing || !p.airborne || last.airborne || lf_climbsAway(p) || std::isnan(ground))
        return;
    last.airborne = 1;
    last.altitude = ground;
    // The descent planned toward it is planned again (the front point is the one flown to),
    // unless the flare has begun.
    const double n = std::max<double>(static_cast<double>(gf_ticksUntil(act.path.front())), 25.0);
    if (act.flareStage == 0 && act.base.status == statusCreated)
        if (const std::optional<double> step = lf_approachStep(act, 0, n))
            act.altitudeStep = std::max(act.altitudeStep, *step);
}

bool lf_applyLandingReport(Act& act, PathPoint& p)
{
    if (act.path.empty())
        return true;
    lf_undoEarlyTouchDown(act, p);
    // Rolling out, an old position sent again is dropped; once the reports have slowed to taxi
    // speed, it holds the aircraft there as it holds a taxiing one.
    const bool standing = gf_samePosition(p, act.path.back());
    if (standing && !(act.landingRoll && gf_standsOrTaxis(p)))
        return false;
    if (standing) {
        p.speed = 0.0;
    } else if (act.path.size() == 1) {
        const double off = lf_offHeading(act, act.path.back(), p);
        if (act.landing) {
            if (off >= 90.0)
                return false;
        } else if (off >= 150.0) {
            if (act.predictionCount > 0)
                return false;
            PathPoint& only = act.path.front();
            only.latitude = act.latitude;
            only.longitude = act.longitude;
            only.tick = static_cast<std::uint32_t>(gf_now() + 1);
        }
    } else if (lf_offHeading(act, act.path.back(), p) >= 90.0) {
        act.path.pop_back();
        if (act.path.size() >= 2 && lf_offHeading(act, act.path.back(), p) >= 90.0)
            act.path.pop_back();
    }
    if (act.predictionCount > 0) {
        act.predictionCount = 0;
        gf_setDelays(act);
    }
    const PathPoint& last = act.path.back();
    if (gf_samePosition(p, last)) {
        p.hold = 1;
    } else {
        p.hold = 0;
        // A landing's reports never speed up from the last one (the points predicted since then
        // slow down by a guess); one that climbs away keeps its speed.
        const double reported = std::isnan(act.trail.time) ? last.speed : act.trail.last.speed;
        if (p.speed > reported && p.speed > 40.0 && !lf_climbsAway(p))
            p.speed = reported;
    }
    return true;
}

void lf_leavingStand(Act& act)
{
    if (act.predictionCount >= 1) {
        if (act.phase == phaseAtStand && !act.path.empty()) {
            if (act.landed) {
                const std::int64_t e = gf_now() - act.path.front().tick + 60480000;
                const std::uint32_t c = gf_motionClassOf(act.base.head);
                if ((c == 3 && e < 360000) || (c == 2 && e < 150000) || (c == 1 && e < 90000))
                    act.towed = 1;
                act.landed = 0;
            }
            // Its wait at the stand is over, also for one first seen parked: the reports that
            // follow fall due at their own times, not a week on.
            act.path.front().tick = static_cast<std::uint32_t>(gf_now() + 1);
        }
        act.predictionCount = 0;
        gf_setDelays(act);
    }
    StandRecord* stand = gf_findStand(act.base.standNumber);
    if (stand == nullptr)
        return;
    const WeekSlot slot = gf_slotNow();
    if (!act.base.head.identity.airline.empty() && stand->cargo == act.base.head.cargo &&
        lf_learnRealOption(stand->standNumber, act, true, slot, true))
        gf_noteLearned(act.base.head.flightId, slot.halfHour);
    // A helicopter waits on its pad for its reports' time: the pad is free once it has left it.
    if (gf_isRotorcraft(act.base.head))
        gf_keepPad(act);
    else
        gf_releaseStand(act);
}

// Phases 5 and 6: reports at or near the stand; false drops the point.
bool lf_reportAtStand(Act& act, PathPoint& p)
{
    act.keepStand = 1;
    const double d = gf_distanceNm(act.base.latitude, act.base.longitude, p.latitude, p.longitude);
    const double reach = act.previousPhase == phaseToStand ? 2 * nearStand : nearStand;
    const double span = act.base.head.wingspan;
    if (d <= reach) {
        act.arrivedTicks = gf_systemTicks();
        if (act.firstStandDistance == 0.0 && act.latestStandDistance == 0.0) {
            act.firstStandDistance = act.latestStandDistance = d;
            act.movingAwayCount = 0;
            return false;
        }
        if (d <= act.latestStandDistance + threeMetres) {
            if (d <= act.latestStandDistance - threeMetres)
                act.movingAwayCount = 0;
            return false;
        }
        ++act.movingAwayCount;
        act.latestStandDistance = d;
        const double away = d - act.firstStandDistance;
        if (!((act.movingAwayCount >= 3 && away >= span / 2) || away > span))
            return false;
    } else if (act.phase == phaseToStand) {
        gf_releaseStand(act);
        gf_setPhase(act, phaseGround);
        p.hold = 0;
        return true;
    } else if (d > farFromStand) {
        // It left its stand unseen (a glitch of the feed would have been held as an outlier): it
        // stands there until this report falls due, and is then made again where it puts it.
        gf_releaseStand(act);
        gf_setPhase(act, phaseGround);
        p.hold = 1;
        p.speed = 0.0;
        act.path.assign(1, p);
        act.predictionCount = 0;
        act.remakeTick = p.tick;
        return false;
    }
    p.hold = 0;
    act.leavingStand = 1;
    if (act.previousPhase != phaseAtStand) {
        lf_leavingStand(act);
        gf_setPhase(act, phaseAtStand);
    }
    return true;
}

void lf_goAround(Act& act)
{
    gf_setPhase(act, phaseGround);
    act.takeOff = 1;
    lf_queueThrottle(act.base, 3);
    lf_queueSpoilers(act.base, true);
    lf_queueFlaps(act.base, 1);
    act.landing = act.landed = act.landingRoll = 0;
    gf_queueLights(act.base.objectId, {1, 1, 1, 1, 1, 1, 0});
    gf_setDelays(act);
}

// A new point falls due after the last one.
void lf_timeAfterLast(const Act& act, PathPoint& p)
{
    if (!act.path.empty() && p.tick <= act.path.back().tick)
        p.tick = act.path.back().tick + 1;
}

// Trims standing points that the new point makes pointless and times it after the last.
void lf_prepareAppend(Act& act, PathPoint& p)
{
    std::deque<PathPoint>& path = act.path;
    if (!p.airborne && !path.empty() && path.back().hold) {
        if (p.hold) {
            if (std::all_of(path.begin(), path.end(), [](const PathPoint& point) { return point.hold != 0; }))
                path.resize(1);
        } else {
            for (std::size_t k = 3; k <= 7 && path.size() >= k; ++k) {
                const std::size_t index = path.size() - k + 1;
                if (path[index].hold)
                    continue;
                const bool soon = (static_cast<std::int64_t>(path.back().tick) - path[index].tick) / 100 < 15;
                if (soon || lf_distance(p, path[index]) <= holdReach)
                    path.resize(index + 1);
                break;
            }
        }
    }
    lf_timeAfterLast(act, p);
}

// At take-off speed and not slowing down: one report so shows a take-off roll that reports
// 15-25 s apart may show only once. Only from a stop or a taxi; first seen rolling, only when
// it speeds up from its last report (its predicted points roll out); never after a touch-down
// (a roll-out's point held or predicted is no stop), nor for a helicopter, which air-taxis.
bool lf_rollStarts(const Act& act, const PathPoint& last, const PathPoint& p)
{
    if (gf_isRotorcraft(act.base.head) || p.speed < rollingSpeed)
        return false;
    if (act.groundState == groundTaxied)
        return p.speed >= last.speed;
    return act.groundState == groundRolling && !last.hold && p.speed >= act.trail.last.speed + 10.0;
}

// A take-off roll whose reports slow to taxi speed on the ground was given up: the aircraft taxis
// again, timed and shown as taxiing.
void lf_rejectTakeOff(Act& act, const PathPoint& p)
{
    if (act.takeOff && act.onGround && act.phase != phaseTakeOff && !p.airborne && p.speed < runwaySpeed &&
        act.trail.last.speed >= rollingSpeed && !act.trail.last.airborne)
        act.takeOff = 0;
}

// A stray report (one no aircraft of its class could reach from the point before it, nor leave for
// this one, which that point reaches) leaves the path: it would fly out to it and back. The point it
// flies to now stays.
void lf_dropStray(Act& act, const PathPoint& p)
{
    std::deque<PathPoint>& path = act.path;
    const std::size_t n = path.size();
    if (n >= 2 && !gf_canReach(act, path[n - 2], path[n - 1]) && !gf_canReach(act, path[n - 1], p) &&
        gf_canReach(act, path[n - 2], p))
        path.pop_back();
}

void lf_append(Act& act, PathPoint& p)
{
    lf_prepareAppend(act, p);
    lf_dropStray(act, p);
    lf_rejectTakeOff(act, p);
    if (!act.takeOff && act.onGround && act.base.status == statusCreated && !act.path.empty()) {
        const PathPoint& last = act.path.back();
        if (act.landingRoll) {
            // Two reports in the air, or one climbing away: a touch-and-go's climb-out may come
            // after a long gap, while the roll-out would otherwise stop on the runway.
            if (p.airborne && (last.airborne || lf_climbsAway(p)))
                lf_goAround(act);
        } else if (act.phase == phaseGround && (p.airborne || lf_rollStarts(act, last, p))) {
            lf_beginTakeOff(act);
        }
    }
    act.path.push_back(p);
    lf_noteReport(act, p);
    if (act.path.size() == 2 && act.path.front().hold && !p.hold) {
        act.path.front().tick = static_cast<std::uint32_t>(gf_now() + 1);
        // A take-off roll starts from the stop, where it waits for its reports' time.
        act.path.front().speed = act.takeOff && !p.airborne ? 0.0 : p.speed;
    }
}
} // namespace

bool gf_goesBack(const Act& act, const PathPoint& p)
{
    if (act.path.empty())
        return false;
    // Not moved yet: the way it goes is its last report's.
    if (act.phase == phaseInitial)
        return p.airborne && act.path.back().trackPresent && lf_goesBack(act.path.back().track * degToRad, act, p);
    return !act.onGround && !lf_landingReport(act, p) && lf_goesBack(act.heading, act, p);
}

void gf_setDelays(Act& act)
{
    act.earlyDelay = 3000;
    act.lateDelay = act.takeOff ? 5000 : 3000;
}

void lf_applyReport(Act& act, PathPoint p)
{
    // Before a point at its last position is held at speed 0.
    act.groundState = gf_groundStateAfter(act.groundState, p);
    if (act.path.size() > longestPath) {
        if (act.base.status == statusNew)
            act.remove = 1;
        else
            lf_removeAircraft(act, "path too long");
        return;
    }
    switch (act.phase) {
    case phaseInitial: { // the points stay untrimmed until the aircraft is decided
        if (!gf_goesBack(act, p) && lf_landsIt(act, p) && lf_standingTest(act, p)) {
            lf_timeAfterLast(act, p);
            act.path.push_back(p);
            lf_noteReport(act, p);
        }
        return;
    }
    case phasePushBack:
        if (act.pushState == 2) {
            if (p.trackPresent || p.headingPresent) {
                const double track = p.trackPresent ? p.track * degToRad : p.heading;
                act.pushRight = gf_angleDiff(act.heading, track) > 0.0;
                act.pushDirectionKnown = 1;
            }
        }
        return;
    case phaseLeaving: {
        const double d = gf_distanceNm(act.latitude, act.longitude, p.latitude, p.longitude);
        const double span = act.base.head.wingspan;
        if (!((d > 2.75 * span && d > act.largestLeaveDistance) || d > 6.0 * span)) {
            act.largestLeaveDistance = d;
            // Reported there still (the engines start, the taxi waits), it waits on from this report.
            if (act.predictionCount > 0)
                act.path.back().tick = std::max(act.path.back().tick, static_cast<std::uint32_t>(p.tick + leavingWait));
            return;
        }
        p.hold = 0;
        if (act.predictionCount > 0) {
            if (!act.path.empty())
                act.path.front().tick = static_cast<std::uint32_t>(gf_now() + 1);
            act.predictionCount = 0;
            gf_setDelays(act);
        }
        act.pushState = 0;
        gf_setPhase(act, phaseGround);
        break;
    }
    case phaseToStand:
    case phaseAtStand:
        if (act.base.status < statusCreated || !lf_reportAtStand(act, p))
            return;
        break;
    default:
        if (!lf_landsIt(act, p))
            return;
        if (lf_landingReport(act, p)) {
            if (!lf_applyLandingReport(act, p))
                return;
            break;
        }
        // A take-off's report takes the place of the points guessed beyond the one it moves to.
        if (act.takeOff && act.predictionCount > 0 && act.path.size() > 1)
            act.path.resize(1);
        if (!lf_standingTest(act, p))
            return;
        if (gf_goesBack(act, p))
            return;
        if (act.predictionCount > 0) {
            act.predictionCount = 0;
            gf_setDelays(act);
        }
        break;
    }
    lf_append(act, p);
}
