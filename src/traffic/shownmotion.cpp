// What the simulator shows of a live aircraft. The path's position (the Act's own latitude,
// longitude, altitude and heading) follows the reports as they come, with every jitter, jump and
// uneven timing of the feed: shown as it is, its speed and nose would change faster than any
// aircraft can. The shown aircraft follows the path's position as an aircraft would: its speed
// changes at most at its class's rate for the phase, its nose turns at most at its class's rate
// for its speed, and a lead or lag is taken up through the speed, within a bounded share of the
// path's speed. Every phase's motion passes through here; main-loop thread only.
#include "traffic/shownlimits.h"

#include "foundation/sizeclasses.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {
constexpr double groundCatchUp = 4.0;  // s in which a lead or lag is to be taken up, on the ground ...
constexpr double airCatchUp = 12.0;    // ... and in the air
constexpr double groundTurnSeconds = 0.5; // in which the nose would come round onto its way, on the ground ...
constexpr double airTurnSeconds = 1.0;    // ... and in the air
constexpr double climbLimit = 7000.0 / 60.0;   // feet a second up ...
constexpr double descentLimit = 6000.0 / 60.0; // ... and down
constexpr double ownClimb = 1500.0 / 60.0;     // feet a second of a climb away ahead of its path
constexpr double raceAhead = 500.0;            // metres ahead of the roll of a path that races ahead
constexpr double pitchRate = 4.0 * degToRad;   // radians a second
constexpr double bankRate = 5.0 * degToRad;
constexpr double liftOffShare = 0.85;  // of its class's lift-off speed at which a rolling aircraft lifts off
constexpr double fastestRoll = 1.35;   // times its class's lift-off speed, the most it rolls at
constexpr double settleReach = 3.0;    // metres: a stopping aircraft this near its place slides into it ...
constexpr double settleSpeed = 0.5;    // ... at this many metres a second
constexpr double rollAhead = 100.0;    // metres a take-off roll may run ahead of its path ...
constexpr double rollAligned = 10.0 * degToRad; // ... along its way
constexpr double rollAside = 15.0;     // metres to the side of its nose within which a path behind it is on its runway
constexpr double longestJump = 600.0;  // knots: a path position that moved faster jumped
constexpr double crumbSpacing = 3.0;   // metres between the path positions kept on the ground
constexpr std::size_t crumbsKept = 100;
constexpr double airWayKnown = 5.0;    // knots of the path's speed in the air above which its way is known
constexpr double rightAngle = std::numbers::pi / 2.0;
constexpr double lookAhead = 1.0;      // s of the way ahead at which the shown aircraft steers on the ground

// Phases in which the path's position is shown as it is: not yet moving, and the push back with
// its engine start (slow, backwards, along a path of its own).
bool lf_shownAsPath(const Act& act)
{
    return act.phase == phaseInitial || act.phase == phasePushBack || act.phase == phaseLeaving;
}

Flat lf_flatTo(const ShownMotion& s, LatLon to, double eastScale)
{
    return {gf_longitudeDelta(to.second, s.longitude) * eastScale, (to.first - s.latitude) * metresPerDegree};
}

double lf_metres(LatLon a, LatLon b, double eastScale)
{
    return gf_length({gf_longitudeDelta(b.second, a.second) * eastScale, (b.first - a.first) * metresPerDegree});
}

void lf_clearCrumbs(ShownMotion& s)
{
    s.crumbs.clear();
    s.crumbsLength = 0.0;
}

void lf_dropCrumb(ShownMotion& s, double eastScale)
{
    if (s.crumbs.size() >= 2)
        s.crumbsLength = std::max(s.crumbsLength - lf_metres(s.crumbs[0], s.crumbs[1], eastScale), 0.0);
    s.crumbs.pop_front();
    if (s.crumbs.size() < 2)
        s.crumbsLength = 0.0;
}

// Shown as the path is.
void lf_showPath(Act& act, double pathSpeed)
{
    ShownMotion& s = act.shown;
    s.latitude = act.latitude;
    s.longitude = act.longitude;
    s.altitude = s.groundAltitude = act.altitude;
    s.heading = act.heading;
    s.pitch = act.pitch;
    s.bank = act.bank;
    s.speed = pathSpeed;
    s.onGround = act.onGround;
    lf_clearCrumbs(s);
}

void lf_start(Act& act)
{
    ShownMotion& s = act.shown;
    const double passed = s.passedSpeed;
    s = ShownMotion{};
    s.set = 1;
    s.objectId = act.base.objectId;
    const auto sizeClass = static_cast<std::int32_t>(act.base.head.sizeClass);
    s.liftOffSpeed = gf_liftOffSpeed(sizeClass);
    s.maxBank = gf_maxBank(sizeClass);
    s.scaleLatitude = act.latitude;
    s.eastScale = std::cos(act.latitude * degToRad) * metresPerDegree;
    lf_showPath(act, 0.0);
    s.pathLatitude = act.latitude;
    s.pathLongitude = act.longitude;
    // Created where its path is, as fast as its path goes; on the ground as fast as the point it
    // stands at, or has just left, says.
    s.referenceSpeed = act.path.empty() ? 0.0 : gf_referenceSpeed(act, act.path.front());
    const SpeedBounds bounds = gf_speedBounds(act, s.referenceSpeed);
    const double standing = passed >= 0.0 ? passed : act.path.empty() || act.path.front().hold ? 0.0 : act.path.front().speed;
    s.speed = act.onGround ? std::min(standing, bounds.highest) : std::clamp(s.referenceSpeed, bounds.lowest, bounds.highest);
    const Flat moving = gf_along(s.heading, s.speed * knot);
    s.pathEast = moving.east;
    s.pathNorth = moving.north;
}

// The path position's velocity, smoothed (a jump of the path is no speed), and on the ground the
// way it went.
void lf_notePathMotion(Act& act, double eastScale)
{
    ShownMotion& s = act.shown;
    Flat moved{gf_longitudeDelta(act.longitude, s.pathLongitude) * eastScale,
               (act.latitude - s.pathLatitude) * metresPerDegree};
    s.pathLatitude = act.latitude;
    s.pathLongitude = act.longitude;
    if (gf_length(moved) > longestJump * knot * tickSeconds)
        moved = {};
    const double share = tickSeconds / pathSmoothing;
    s.pathEast += (moved.east / tickSeconds - s.pathEast) * share;
    s.pathNorth += (moved.north / tickSeconds - s.pathNorth) * share;
    if (moved.east == 0.0 && moved.north == 0.0 && std::abs(s.pathEast) + std::abs(s.pathNorth) < 1e-3)
        s.pathEast = s.pathNorth = 0.0; // a millimetre a second: it stands
    if (!s.onGround || !act.onGround) {
        lf_clearCrumbs(s);
        return;
    }
    const LatLon here{act.latitude, act.longitude};
    const double apart = s.crumbs.empty() ? 0.0 : lf_metres(s.crumbs.back(), here, eastScale);
    if (!s.crumbs.empty() && apart < crumbSpacing)
        return;
    s.crumbs.push_back(here);
    s.crumbsLength += apart;
    if (s.crumbs.size() > crumbsKept)
        lf_dropCrumb(s, eastScale);
}

// Where the shown aircraft steers, and how far it lies behind the path's position along the way
// to it (metres; negative: ahead of it).
struct Steer {
    double way = 0.0;       // radians
    double behind = 0.0;
    double wantedSpeed = 0.0; // knots
};

// In the air: along the path's way, a lead or lag along it taken up through the speed and one to
// its side through the way, in time. Ahead of a path that crawls it flies on along the path's way
// (as slow as it flies), rather than turn to meet the path.
Steer lf_steerInAir(const ShownMotion& s, Flat off, Flat nose)
{
    const double behind = gf_dot(off, nose);
    const double pathSpeed = gf_length({s.pathEast, s.pathNorth});
    if (pathSpeed < airWayKnown * knot) {
        // A hovering path: straight to it.
        const Flat wanted{s.pathEast + off.east / airCatchUp, s.pathNorth + off.north / airCatchUp};
        const double speed = gf_length(wanted) / knot;
        return {speed > standstill ? std::atan2(wanted.east, wanted.north) : s.heading, behind, speed};
    }
    const Flat along{s.pathEast / pathSpeed, s.pathNorth / pathSpeed};
    const double ahead = gf_dot(off, along);
    const Flat aside{(off.east - ahead * along.east) / airCatchUp, (off.north - ahead * along.north) / airCatchUp};
    const double speed = std::max(pathSpeed + ahead / airCatchUp, 0.0);
    const double onWay = std::max(speed, pathSpeed);
    return {std::atan2(along.east * onWay + aside.east, along.north * onWay + aside.north), behind,
            gf_length({along.east * speed + aside.east, along.north * speed + aside.north}) / knot};
}

// On the ground: along the way the path went (the taxiways), at a point a second ahead on it.
Steer lf_steerOnGround(ShownMotion& s, Flat off, Flat nose, double pathSpeed, double eastScale)
{
    // Passed are the positions within reach, those nearer the aircraft than the one after them,
    // and, on a take-off roll run a little ahead of its path along the runway, which it cannot
    // turn back to, those behind it.
    const double reach = std::max(crumbSpacing, s.speed * knot * lookAhead);
    bool ranAhead = false;
    if (s.rolling && !s.crumbs.empty()) {
        const Flat to = lf_flatTo(s, s.crumbs.back(), eastScale);
        const double ahead = gf_dot(to, nose);
        ranAhead = ahead < 0.0 && ahead > -raceAhead && std::abs(gf_cross(to, nose)) < rollAside;
    }
    while (!s.crumbs.empty()) {
        const Flat to = lf_flatTo(s, s.crumbs.front(), eastScale);
        const double first = gf_length(to);
        const bool behindIt = ranAhead && gf_dot(to, nose) < 0.0;
        if (first >= reach && !behindIt && (s.crumbs.size() < 2 || gf_length(lf_flatTo(s, s.crumbs[1], eastScale)) > first))
            break;
        lf_dropCrumb(s, eastScale);
    }
    Flat aim = off;
    double behind = gf_length(off);
    if (!s.crumbs.empty()) {
        aim = lf_flatTo(s, s.crumbs.front(), eastScale);
        const Flat last = lf_flatTo(s, s.crumbs.back(), eastScale);
        behind = gf_length(aim) + s.crumbsLength + gf_length({off.east - last.east, off.north - last.north});
    } else if (gf_dot(off, nose) < 0.0) {
        // Ahead of the path's position it goes on its way, slower, rather than turn back to it.
        const double speed = std::max(pathSpeed - behind / groundCatchUp, 0.0);
        return {s.heading, -behind, speed};
    }
    const double speed = std::max(pathSpeed + behind / groundCatchUp, 0.0);
    return {gf_length(aim) > 0.1 ? std::atan2(aim.east, aim.north) : s.heading, behind, speed};
}

// A take-off roll whose path races on along the ground toward a point in the air far ahead (the
// feed jumped from the taxiway to the climb-out): it lifts off as an aircraft does and climbs away
// on its own until its path is up as high.
bool lf_takesOffAlone(const Act& act, double behind)
{
    return act.shown.rolling && act.onGround && behind > raceAhead && !act.path.empty() && act.path.back().airborne;
}

void lf_moveVertically(Act& act, double behind)
{
    ShownMotion& s = act.shown;
    if (s.onGround) {
        // A rolling aircraft leaves the ground at its lift-off speed, wherever its path has lifted off.
        const double liftOff = liftOffShare * s.liftOffSpeed;
        // (Up, or a helicopter's path down below the airport's ground, where the feed puts some.)
        const bool pathUp = !act.onGround && std::abs(act.altitude - s.groundAltitude) > 0.5;
        s.climbsAlone = !pathUp && lf_takesOffAlone(act, behind);
        if (s.speed < liftOff || !(pathUp || s.climbsAlone)) {
            if (act.onGround)
                s.groundAltitude = act.altitude;
            s.altitude = s.groundAltitude;
            return;
        }
        s.onGround = 0;
    }
    double wanted = act.altitude;
    if (s.climbsAlone) {
        wanted = act.onGround ? s.altitude + ownClimb * tickSeconds : std::max(act.altitude, s.altitude);
        s.climbsAlone = act.altitude < s.altitude;
    }
    s.altitude += std::clamp(wanted - s.altitude, -descentLimit * tickSeconds, climbLimit * tickSeconds);
    if (act.onGround && !s.climbsAlone && s.altitude <= act.altitude + 0.01) {
        s.onGround = 1;
        s.groundAltitude = s.altitude = act.altitude;
    }
}

void lf_attitude(Act& act, double turnRate)
{
    ShownMotion& s = act.shown;
    const double pitch = s.onGround && !act.onGround ? act.base.head.staticPitch : act.pitch;
    s.pitch += std::clamp(pitch - s.pitch, -pitchRate * tickSeconds, pitchRate * tickSeconds);
    // Banked as its turn needs (a negative bank turns right).
    const double bank = s.onGround || turnRate == 0.0 ? 0.0 : std::clamp(-std::atan(s.speed * knot * turnRate / gravity), -s.maxBank, s.maxBank);
    s.bank += std::clamp(bank - s.bank, -bankRate * tickSeconds, bankRate * tickSeconds);
}

// Stopping near the path's position, which stands: it slides the last metres into place while its
// nose turns to the path's at its class's rate.
bool lf_settle(Act& act, double pathSpeed, double distance)
{
    ShownMotion& s = act.shown;
    if (!s.onGround || !act.onGround || pathSpeed >= standstill || s.speed >= 2.0 || distance >= settleReach)
        return false;
    const double share = std::min(1.0, settleSpeed * tickSeconds / std::max(distance, 1e-9));
    s.latitude += (act.latitude - s.latitude) * share;
    s.longitude = gf_wrapLongitude(s.longitude + gf_longitudeDelta(act.longitude, s.longitude) * share);
    const double most = act.base.head.turnRate;
    s.heading = gf_normalHeading(s.heading + std::clamp(gf_angleDiff(s.heading, act.heading), -most, most));
    s.speed = 0.0;
    s.altitude = s.groundAltitude = act.altitude;
    s.pitch = act.pitch;
    s.bank = 0.0;
    lf_clearCrumbs(s);
    return true;
}

// The speed (knots) the shown aircraft wants now.
double lf_targetSpeed(const Act& act, const Steer& steer, const SpeedBounds& bounds, double error, double stop,
                      double pathSpeed)
{
    const ShownMotion& s = act.shown;
    double target = std::clamp(steer.wantedSpeed, bounds.lowest, bounds.highest);
    if (bounds.lowest == 0.0) {
        // What can stop turns slowly where its way lies far off its nose, and can brake to the
        // path's speed by the time it reaches the path's position, and to a stop where the path stops.
        target *= (1.0 + std::cos(error)) / 2.0; // half as fast turning a right angle, stopped turning round
        const double brake = 1.6 * bounds.down * knot; // twice a braking with room to spare
        const double toPath = std::sqrt(std::pow(pathSpeed * knot, 2) + brake * std::max(steer.behind, 0.0));
        target = std::min({target, toPath / knot, std::sqrt(brake * stop) / knot});
    }
    // A take-off roll along its way speeds up evenly to the lift-off, however unevenly its path
    // rolls, unless the path stops; run ahead of its path it holds its speed: it never brakes
    // (but where its path is far behind it has gone astray).
    if (s.rolling && pathSpeed >= standstill && std::abs(error) < rollAligned && steer.behind > -raceAhead) {
        const double up = steer.behind > -rollAhead ? std::min(s.speed + bounds.up * tickSeconds, bounds.highest) : 0.0;
        target = std::max({target, s.speed, up});
    }
    // No aircraft rolls on the ground much faster than it lifts off.
    if (s.onGround && act.base.head.sizeClass != rotorcraftClass)
        target = std::min(target, fastestRoll * s.liftOffSpeed);
    return target;
}

// The turn (radians) this tick toward the way, at most the class's rate for the speed. A point
// behind the aircraft and inside the circle it turns on is passed, not circled: it flies on
// straight until it can turn onto it.
double lf_turn(const Act& act, double error, const Steer& steer)
{
    const ShownMotion& s = act.shown;
    // The nose comes round onto the way evenly, in about a second or two, rather than swing past it.
    const double rate = gf_turnLimit(act, s.speed);
    double turn = std::clamp(error / (s.onGround ? groundTurnSeconds : airTurnSeconds) * tickSeconds,
                             -rate * tickSeconds, rate * tickSeconds);
    if (!s.onGround && act.base.head.sizeClass != rotorcraftClass && std::abs(error) > rightAngle) {
        const double ahead = steer.wantedSpeed * knot * airCatchUp;
        const Flat aim = gf_along(steer.way, ahead);
        const double radius = s.speed * knot / rate;
        const double side = turn > 0.0 ? 1.0 : -1.0;
        const Flat centre = gf_along(s.heading + side * rightAngle, radius);
        if (gf_length({aim.east - centre.east, aim.north - centre.north}) < radius)
            turn = 0.0;
    }
    return turn;
}
} // namespace

void gf_moveShown(Act& act)
{
    ShownMotion& s = act.shown;
    if (!s.set || s.objectId != act.base.objectId)
        lf_start(act);
    // Standing where its path stands: nothing moves (most of the parked aircraft, every tick).
    if (s.speed == 0.0 && s.pathEast == 0.0 && s.pathNorth == 0.0 && s.latitude == act.latitude &&
        s.longitude == act.longitude && s.heading == act.heading && s.onGround && act.onGround)
        return;
    if (std::abs(s.latitude - s.scaleLatitude) > 0.01) {
        s.scaleLatitude = s.latitude;
        s.eastScale = std::cos(s.latitude * degToRad) * metresPerDegree;
    }
    const double eastScale = s.eastScale;
    lf_notePathMotion(act, eastScale);
    const double pathSpeed = gf_length({s.pathEast, s.pathNorth}) / knot;
    const Flat off = lf_flatTo(s, {act.latitude, act.longitude}, eastScale);
    if (lf_shownAsPath(act)) {
        lf_showPath(act, pathSpeed);
        return;
    }
    if (lf_settle(act, pathSpeed, gf_length(off)))
        return;

    const bool ground = s.onGround && act.onGround;
    const Flat nose = gf_along(s.heading, 1.0); // the way it moves, a metre long
    const Steer steer = ground ? lf_steerOnGround(s, off, nose, pathSpeed, eastScale) : lf_steerInAir(s, off, nose);
    const double error = gf_angleDiff(s.heading, steer.way);
    const SpeedBounds bounds = gf_speedBounds(act, pathSpeed);
    const double stop = ground ? gf_stopDistance(act, eastScale) : std::numeric_limits<double>::infinity();
    s.rolling = s.onGround && act.takeOff &&
                (s.rolling || (pathSpeed >= runwaySpeed && s.speed >= runwaySpeed && std::abs(error) < rollAligned));
    const double target = lf_targetSpeed(act, steer, bounds, error, stop, pathSpeed);
    s.speed = std::max(s.speed + std::clamp(target - s.speed, -bounds.down * tickSeconds, bounds.up * tickSeconds), 0.0);

    const double turn = lf_turn(act, error, steer);
    s.heading = gf_normalHeading(s.heading + turn);
    const double metres = s.speed * knot * tickSeconds;
    // On along the way it moved at the start of the tick (it turns a fraction of a degree a tick).
    s.latitude += nose.north * metres / metresPerDegree;
    s.longitude = gf_wrapLongitude(s.longitude + nose.east * metres / eastScale);
    lf_moveVertically(act, steer.behind);
    lf_attitude(act, turn / tickSeconds);
}

void gf_notePointPassed(Act& act, const PathPoint& passed)
{
    act.shown.referenceSpeed = gf_referenceSpeed(act, passed);
    act.shown.passedSpeed = passed.hold ? 0.0 : passed.speed;
}
