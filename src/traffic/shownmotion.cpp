// What the simulator shows of a live aircraft. The path's position (the Act's own latitude,
// longitude, altitude and heading) follows the reports as they come, with every jitter, jump and
// uneven timing of the feed: shown as it is, its speed and nose would change faster than any
// aircraft can. The shown aircraft moves along the way its path traces, planned five times a
// second (shownplan.cpp) and moved each tick by what the plan set: its speed, its turn, its climb.
// Every phase's motion passes through here; main-loop thread only.
#include "traffic/shownway.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double pitchRate = 4.0 * degToRad; // radians a second
constexpr double bankRate = 5.0 * degToRad;
constexpr double settleReach = 3.0;       // metres: a stopped aircraft this near its standing path slides into place ...
constexpr double settleSpeed = 0.5;       // ... at this many metres a second
constexpr double settledSpeed = 2.0;      // knots: slower, it has stopped
constexpr double farCreation = 20000.0;   // metres: created farther from its path, it starts where the path is
constexpr double heldBehind = 1.0;        // metres behind its path from which its events wait for it

// Phases in which the path's position is shown as it is: not yet moving, and the push back with
// its engine start (slow, backwards, along a path of its own).
bool lf_shownAsPath(const Act& act)
{
    return act.phase == phaseInitial || act.phase == phasePushBack || act.phase == phaseLeaving;
}

// Whether this object moves on its own along its way, rather than as its path or not yet at all.
bool lf_ownWay(const Act& a) { return a.shown.set && a.shown.objectId == a.base.objectId && !lf_shownAsPath(a) && !a.shown.way.empty(); }

void lf_setPosition(ShownMotion& s)
{
    s.latitude = s.originLatitude + s.north / metresPerDegree;
    s.longitude = gf_wrapLongitude(s.originLongitude + s.east / s.eastScale);
}

// Where its path is now, `along` metres along the way.
WayPoint lf_pathPoint(const Act& act, double along = 0.0)
{
    const Flat at = gf_flatOf(act.shown, act.latitude, act.longitude);
    const double now = static_cast<double>(gf_now());
    return {at.east, at.north, along, now, now, act.altitude, act.pitch, act.onGround};
}

// The events held for places it has reached go to the simulator (all when `all`).
void lf_releaseEvents(ShownMotion& s, bool all)
{
    while (!s.heldEvents.empty() && (all || s.heldEvents.front().at <= s.place)) {
        gf_sendEvent(s.objectId, s.heldEvents.front().eventId, s.heldEvents.front().value);
        s.heldEvents.pop_front();
    }
}

// Shown as the path is; its way starts there.
void lf_showPath(Act& act)
{
    ShownMotion& s = act.shown;
    lf_releaseEvents(s, true);
    const Flat at = gf_flatOf(s, act.latitude, act.longitude);
    s.east = at.east;
    s.north = at.north;
    s.latitude = act.latitude;
    s.longitude = act.longitude;
    s.altitude = s.targetAltitude = act.altitude;
    s.heading = act.heading;
    s.wayEast = std::sin(act.heading);
    s.wayNorth = std::cos(act.heading);
    s.pitch = s.targetPitch = act.pitch;
    s.bank = s.targetBank = act.bank;
    s.speed = s.targetSpeed = std::abs(act.keptSpeed);
    s.speedStep = s.turnStep = s.noseStep = s.climbStep = s.verticalRate = 0.0;
    s.onGround = act.onGround;
    s.standing = s.settling = 0;
    gf_startWay(s, lf_pathPoint(act));
}

void lf_start(Act& act)
{
    ShownMotion& s = act.shown;
    const ShownMotion created = s;
    s = ShownMotion{};
    s.set = 1;
    s.objectId = act.base.objectId;
    gf_setMotionClass(s, gf_motionClassOf(act.base.head));
    s.createdTick = created.createdTick; // the bound on being elsewhere gives a new object its first minute
    // Made where its path was when its creation was asked for: it starts there, behind its path.
    const bool fromCreation = created.createdKnown &&
        gf_distanceNm(created.createdLatitude, created.createdLongitude, act.latitude, act.longitude) * metresPerNm < farCreation;
    gf_setOrigin(s, fromCreation ? created.createdLatitude : act.latitude, fromCreation ? created.createdLongitude : act.longitude);
    lf_showPath(act);
    if (fromCreation) {
        s.east = s.north = 0.0;
        s.latitude = created.createdLatitude;
        s.longitude = created.createdLongitude;
        s.altitude = s.targetAltitude = act.onGround ? act.altitude : created.createdAltitude;
        s.heading = created.createdHeading;
        s.wayEast = std::sin(s.heading);
        s.wayNorth = std::cos(s.heading);
        gf_startWay(s, {0.0, 0.0, 0.0, created.createdTick, created.createdTick, s.altitude, act.pitch, act.onGround});
    }
    // Moving, it goes as fast as its reports say from the start, but no faster than its plan aims
    // for: a repeated garbage speed would take a minute to bleed off. In the air it starts at the
    // speed it aims for: a garbage slow speed would leave it behind its path at once. Standing or
    // taxiing, it starts standing.
    const bool standing = act.path.empty() || (act.onGround && act.path.front().speed < runwaySpeed);
    s.speed = standing ? 0.0 : gf_reportedSpeed(act);
    s.rolling = act.onGround && s.speed >= rollingSpeed;
    gf_planShown(act);
    if (s.targetSpeed < s.speed || (!s.onGround && !standing)) {
        s.speed = s.targetSpeed;
        s.speedStep = 0.0;
    }
}

// Stopped beside its path, which stands: it slides the last metres into place while its nose
// turns to the path's at its class's rate.
void lf_settle(Act& act)
{
    ShownMotion& s = act.shown;
    const Flat at = gf_flatOf(s, act.latitude, act.longitude);
    const Flat off{at.east - s.east, at.north - s.north};
    const double distance = gf_length(off);
    const double share = std::min(1.0, settleSpeed * tickSeconds / std::max(distance, 1e-9));
    s.east += off.east * share;
    s.north += off.north * share;
    const double most = act.base.head.turnRate;
    s.heading = gf_normalHeading(s.heading + std::clamp(gf_angleDiff(s.heading, act.heading), -most, most));
    s.wayEast = std::sin(s.heading);
    s.wayNorth = std::cos(s.heading);
    s.speed = s.targetSpeed = s.speedStep = s.verticalRate = 0.0;
    s.altitude = act.altitude;
    s.pitch = act.pitch;
    s.bank = 0.0;
    lf_setPosition(s);
    if (share >= 1.0 && s.heading == act.heading) {
        s.latitude = act.latitude;
        s.longitude = act.longitude;
        s.settling = 0;
        s.standing = 1;
        gf_startWay(s, lf_pathPoint(act));
    }
}

void lf_startSettling(Act& act)
{
    ShownMotion& s = act.shown;
    s.settling = 1;
    s.way.back() = lf_pathPoint(act, s.way.back().at); // where it stands
}

// How far (metres) it has stopped from its path, which stands on the ground; infinite when either moves.
double lf_stoppedFromPath(const Act& act)
{
    const ShownMotion& s = act.shown;
    if (!s.onGround || !act.onGround || s.speed >= settledSpeed || s.way.empty() ||
        static_cast<double>(gf_now()) - s.way.back().tick < static_cast<double>(planTicks))
        return std::numeric_limits<double>::infinity();
    const Flat at = gf_flatOf(s, act.latitude, act.longitude);
    return gf_length({at.east - s.east, at.north - s.north});
}

double lf_toward(double value, double target, double most)
{
    return value + std::clamp(target - value, -most, most);
}

// One tick of what the last plan set.
void lf_step(ShownMotion& s)
{
    s.speed = s.speedStep >= 0.0 ? std::min(s.speed + s.speedStep, std::max(s.targetSpeed, s.speed))
                                 : std::max(s.speed + s.speedStep, std::min(s.targetSpeed, s.speed));
    s.speed = std::max(s.speed, 0.0);
    const double east = s.wayEast, north = s.wayNorth;
    s.wayEast = east * s.turnCos + north * s.turnSin;
    s.wayNorth = north * s.turnCos - east * s.turnSin;
    s.heading += s.noseStep; // a small step: back into [0, 2π) without a division
    s.heading = s.heading < 0.0 ? s.heading + twoPi : s.heading >= twoPi ? s.heading - twoPi : s.heading;
    const double metres = s.speed * knot * tickSeconds;
    s.east += s.wayEast * metres;
    s.north += s.wayNorth * metres;
    const double before = s.altitude;
    if (s.onGround)
        s.altitude = s.targetAltitude;
    else
        s.altitude = s.climbStep >= 0.0 ? std::min(s.altitude + s.climbStep, std::max(s.targetAltitude, s.altitude))
                                        : std::max(s.altitude + s.climbStep, std::min(s.targetAltitude, s.altitude));
    s.verticalRate = (s.altitude - before) / tickSeconds * 60.0;
    s.pitch = lf_toward(s.pitch, s.targetPitch, pitchRate * tickSeconds);
    s.bank = lf_toward(s.bank, s.targetBank, bankRate * tickSeconds);
    lf_setPosition(s);
}
} // namespace

void gf_moveShown(Act& act)
{
    ShownMotion& s = act.shown;
    if (!s.set || s.objectId != act.base.objectId)
        lf_start(act);
    if (lf_shownAsPath(act)) {
        lf_showPath(act);
        return;
    }
    // Standing where its path stands: nothing moves (most of the parked aircraft, every tick).
    if (s.standing) {
        if (act.latitude == s.latitude && act.longitude == s.longitude && act.heading == s.heading && act.onGround)
            return;
        s.standing = 0;
        gf_startWay(s, lf_pathPoint(act));
    }
    if (s.settling) {
        const Flat path = gf_flatOf(s, act.latitude, act.longitude);
        const WayPoint& stood = s.way.back();
        if (path.east == stood.east && path.north == stood.north && act.onGround) {
            lf_settle(act);
            return;
        }
        s.settling = 0; // its path moves on
    }
    if (gf_planTick(act)) {
        const double length = gf_length({s.wayEast, s.wayNorth});
        s.wayEast /= length;
        s.wayNorth /= length;
        if (lf_stoppedFromPath(act) < settleReach) {
            lf_startSettling(act);
            lf_settle(act);
            return;
        }
        if (!gf_planShown(act)) {
            gf_createAgain(act, "out of reach of its path");
            return;
        }
        lf_releaseEvents(s, false);
    }
    lf_step(s);
}

void gf_noteCreation(Act& act)
{
    gf_noteCreation(act, {.latitude = act.latitude, .longitude = act.longitude, .altitude = act.altitude,
                          .heading = act.heading * radToDeg});
}

void gf_noteCreation(Act& act, const ScInitPosition& at)
{
    ShownMotion& s = act.shown;
    s.createdLatitude = at.latitude;
    s.createdLongitude = at.longitude;
    s.createdAltitude = at.altitude;
    s.createdHeading = at.heading / radToDeg;
    s.createdTick = static_cast<double>(gf_now());
    s.createdKnown = 1;
    s.set = 0;
}

void gf_settleShown(Act& act)
{
    ShownMotion& s = act.shown;
    if (lf_ownWay(act)) {
        lf_startSettling(act);
        return;
    }
    lf_showPath(act);
    s.speed = s.targetSpeed = 0.0;
    s.standing = 1;
}

bool gf_holdEvent(Act& act, std::uint32_t eventId, std::uint32_t value)
{
    ShownMotion& s = act.shown;
    if (!lf_ownWay(act) || gf_pathPlace(s) - s.place < heldBehind)
        return false;
    s.heldEvents.push_back({gf_pathPlace(s), eventId, value});
    return true;
}
