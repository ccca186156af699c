// What a shown aircraft aims for until its next plan. Its speed is planned from when its reports put
// the aircraft along the way ahead: the speed that brings it where they put it a few seconds on,
// averaged over their noisy times (on the ground kept within a few seconds of its path), within the
// speeds its class can fly and what the known points ahead ask of it at its class's rates. It steers at a
// point a little ahead on the way, turning at most as its class can; its height and attitude are
// the path's where it is along the way, so that it comes down, touches down and lifts off where its
// path did.
#include "traffic/shownway.h"

#include "foundation/sizeclasses.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {
constexpr int smoothSamples = 2;        // each side
constexpr double flownAgrees = 0.3;     // the share by which the reported speed may differ from their positions'
constexpr double curveSeconds = 6.0;    // of flight over which the way's turn ahead is judged ...
constexpr double curveLeast = 200.0;    // ... metres at least
constexpr double slopeMetres = 100.0;   // of its path's trace over which its climb or descent is taken
constexpr double speedSettle = 1.0;     // s in which the speed comes to what it aims for, within its rates
constexpr double turnLooked = 4.0;      // turn radii farther along the way looked for a point it can turn to
constexpr double climbLimit = 7000.0 / 60.0;   // feet a second up ...
constexpr double descentLimit = 6000.0 / 60.0; // ... and down
constexpr double planSeconds = planTicks * tickSeconds;
constexpr double stopsLooked = 2000.0; // metres ahead in which stops are looked for
constexpr double pathSeconds = 5.0;    // ahead over which its path's speed is taken
constexpr double reachSeconds = 60.0;  // in which it catches up to within ...
constexpr double boundSeconds = 10.0;  // ... this many seconds of flight of its path, or is made again there
constexpr double keptUpSeconds = 30.0; // ahead in which a take-off roll looks for the speeds it must reach ...
constexpr double rollAhead = 4.0;      // ... while no more seconds ahead of its path than this
constexpr double leadSeconds = 15.0;   // a hovering helicopter keeps its nose where it points unless its reports put it this far on ...
constexpr double leadLeast = 25.0;     // ... farther off than this (metres) than it hovers about:
constexpr double facingTurn = 20.0;    // then it turns its nose toward its way this many degrees a second ...
constexpr double facing = 45.0;        // ... and speeds up only once its nose is this near it
constexpr double behindIt = 90.0;      // degrees off its nose beyond which its way lies behind it
constexpr double standReach = 50.0;    // metres from its next report within which it stands where its reports stand, ...
constexpr double creepLeast = 15.0;    // ... unless that lies farther on than this ...
constexpr double creepOff = 45.0;      // ... and within this many degrees of its nose

// Where it steers (lf_steer): the turn toward the point, how far off that point lies (metres), and
// whether it is the way's end, which does not move on as it comes nearer.
struct Steer {
    double error = 0.0, metres = 0.0;
    bool end = false;
};

// What one plan works with, found once.
struct Plan {
    double now;       // tick
    SpeedLimits limits;
    double reported;  // knots: the speed its reports give, at least as slow as it flies
    double path;      // knots: how fast its path moves on over the next seconds
    double catchUp;   // knots: the fastest at which it may catch up with its path
};

double lf_rate(double wanted, double seconds, double most) { return std::clamp(wanted / seconds, -most, most); }

// The share of its speed a ground aircraft keeps while its way lies `error` off its nose: what can
// stop turns slowly.
double lf_turningShare(double error) { return (1.0 + std::cos(error)) / 2.0; }

Plan lf_plan(const Act& act)
{
    const ShownMotion& s = act.shown;
    Plan plan{static_cast<double>(gf_now()), {}, 0.0, 0.0, 0.0};
    const PathPoint* next = act.path.empty() ? nullptr : &act.path.front();
    // Only a point in the air tells the wind.
    const bool flying = next && next->airborne;
    plan.limits = gf_speedLimits(act, flying ? next->speed : 0.0, flying ? next->trueAirSpeed : 0.0);
    plan.reported = std::max(gf_reportedSpeed(act), std::max(plan.limits.slowest, 1.0));
    // It catches up faster than its path moves on, which may race after reports that jumped.
    plan.path = (gf_placeAt(s, plan.now + pathSeconds / tickSeconds, &WayPoint::pathTick) - gf_pathPlace(s)) / pathSeconds / knot;
    const double pace = std::max(plan.reported, plan.path);
    plan.catchUp = std::min(gf_phaseMotion(s).tuning.catchUp * pace, plan.limits.fastest);
    return plan;
}

// Whether, its reports having jumped farther on than its class can fly in their time (within the
// minute since that fell due), it lies so far behind its path that, speeding up at its rate to the
// fastest its class flies, it would not come within the bound of it in time: then it is made again.
// A lag its rates made is flown off. The lag is in seconds of the path's own time. (Ahead of its
// path it slows down; taxiing it catches up at a taxi's speed.) A new object is given its first
// minute: a path that races on faster than its class flies would have it made again and again.
bool lf_outOfReach(const Act& act, const Plan& plan)
{
    const ShownMotion& s = act.shown;
    const bool jumped = plan.now >= s.jumpTick && plan.now - s.jumpTick < reachSeconds / tickSeconds;
    if (!jumped || (s.onGround && !gf_onRunway(act)) || s.lag <= boundSeconds ||
        plan.now - s.createdTick < reachSeconds / tickSeconds)
        return false;
    const double gap = gf_pathPlace(s) - s.place - boundSeconds * plan.path * knot;
    const double rising = std::clamp((plan.limits.fastest - s.speed) / std::max(plan.limits.up, 0.1), 0.0, reachSeconds);
    const double closed = (s.speed - plan.path) * rising + plan.limits.up * rising * rising / 2.0 +
                          (plan.limits.fastest - plan.path) * (reachSeconds - rising);
    return closed * knot < gap;
}

// The place of the first stop ahead on the ground (infinite when none): a farther stop asks less.
double lf_stopAhead(const ShownMotion& s)
{
    for (const WayPoint& p : s.ahead) {
        if (!p.ground || p.at > s.place + stopsLooked)
            break;
        if (p.stop && p.at >= s.place)
            return p.at;
    }
    return std::numeric_limits<double>::infinity();
}

// Where its reports stand near it: none ahead moves or flies, and the next lies within the few tens
// of metres the positions the feed sends of a standing aircraft wander. How far it has to go to
// stand where the next of them is (metres; infinite where they do not stand near it), and whether
// that lies on before its nose, beyond what they wander about it: the feed sends the last metres
// of a taxi onto a stand at a standing speed.
struct Stand {
    double metres = std::numeric_limits<double>::infinity();
    bool onBefore = false;
};

Stand lf_standHere(const Act& act)
{
    const ShownMotion& s = act.shown;
    if (act.path.empty() || std::any_of(act.path.begin(), act.path.end(), [](const PathPoint& p) { return p.airborne || p.speed >= standstill; }))
        return {};
    const Flat next = gf_flatOf(s, act.path.front().latitude, act.path.front().longitude);
    const Flat to{next.east - s.east, next.north - s.north};
    const double metres = gf_length(to);
    if (metres >= standReach)
        return {};
    const double before = gf_dot(to, {std::sin(s.heading), std::cos(s.heading)});
    return {metres, metres > creepLeast && before > std::cos(creepOff * degToRad) * metres};
}

// Where its reports put the aircraft at the tick, averaged over the seconds around it.
double lf_smoothPlace(const ShownMotion& s, double tick, double seconds)
{
    double sum = 0.0;
    for (int k = -smoothSamples; k <= smoothSamples; ++k)
        sum += gf_placeAt(s, tick + seconds / tickSeconds * k / (2.0 * smoothSamples));
    return sum / (2 * smoothSamples + 1);
}

// Seconds between the reports ahead, on average: their times are noisy by a share of that.
double lf_reportSeconds(const Act& act)
{
    std::uint32_t first = 0, last = 0, count = 0;
    for (std::size_t k = 0; k < act.path.size() && k < reportsAhead; ++k)
        if (const std::uint32_t t = act.path[k].reportTick; t != 0) {
            first = count == 0 ? t : first;
            last = t;
            ++count;
        }
    return count < 2 ? 0.0 : (last - first) * tickSeconds / (count - 1);
}

const Tuning& lf_tuning(const ShownMotion& s) { return gf_phaseMotion(s).tuning; }

// How far ahead on the way it steers (metres). On the ground, off its way, it looks at least as far on
// as it lies off it, up to the way's known end: it comes back onto its way at a slant rather than aim
// at a point beside or behind it, and does not run on past where its path stops. In the air, behind
// its path, it looks farther ahead: it cuts the corners of a way it cannot follow in time.
double lf_look(const ShownMotion& s)
{
    const Tuning& t = lf_tuning(s);
    const double behind = std::max(gf_pathPlace(s) - s.place, 0.0);
    const double back = std::min(s.offWay, gf_wayPoint(s, gf_wayPoints(s) - 1).at - s.place) * t.offShare;
    return std::max({s.speed * knot * t.look, t.lookLeast, back}) + behind * t.cutShare;
}

// How much the way turns ahead (radians a metre), over the next seconds of flight or as far as it
// looks: the corners it cuts do not slow it.
double lf_curvatureAhead(const ShownMotion& s)
{
    const double half = std::max({s.speed * knot * curveSeconds, curveLeast, lf_look(s)}) / 2.0;
    const WayPoint a{s.east, s.north}; // from where it is: off its way, it comes back onto it at a slant
    const WayPoint b = gf_pointAt(s, s.place + half);
    const WayPoint c = gf_pointAt(s, s.place + 2.0 * half);
    const Flat first{b.east - a.east, b.north - a.north}, second{c.east - b.east, c.north - b.north};
    if (gf_length(first) < 1.0 || gf_length(second) < 1.0)
        return 0.0;
    return std::abs(std::atan2(gf_cross(first, second), gf_dot(first, second))) / half;
}

// Where its reports put the aircraft a horizon on (a place along the way), averaged over their
// noisy times, within what its phase keeps it of its path.
double lf_reportsPlace(const Act& act, const Plan& plan)
{
    const ShownMotion& s = act.shown;
    const Tuning& t = lf_tuning(s);
    const double smoothing = std::max(t.smoothing, t.reportsAveraged * lf_reportSeconds(act));
    const double then = plan.now + t.horizon / tickSeconds;
    const double place = lf_smoothPlace(s, then, smoothing);
    const auto kept = [&](double seconds) {
        return std::isinf(seconds) ? seconds : gf_placeAt(s, then + seconds / tickSeconds, &WayPoint::pathTick);
    };
    return std::clamp(place, kept(-t.behindKept), kept(t.aheadKept));
}

// What the known points ahead ask of the speed now (knots): braking at its class's rate, it is no
// faster than each point's most by the time it is there; speeding up at its class's rate, no slower
// than each point's least by the time it is due there. Below that least it is late, and speeds up
// at its full rate.
struct Profile {
    SpeedLimits limits;
    double least = 0.0, most = std::numeric_limits<double>::infinity();
    // No faster than `knots` once `metres` on.
    void ahead(double metres, double knots)
    {
        const double v = knots * knot;
        most = std::min(most, std::sqrt(v * v + 2.0 * limits.braking * knot * std::max(metres, 0.0)) / knot);
    }
    // No slower than `knots` once `seconds` on.
    void due(double seconds, double knots) { least = std::max(least, knots - limits.up * std::max(seconds, 0.0)); }
};

// On the ground it brakes in time to stand at each stop of its path ahead; off its way it has as
// much room as it lies off it. Where its reports stand near it, it brakes to stand where they are
// and stays but where the next lies on before its nose: the positions the feed sends of a standing
// aircraft wander tens of metres, and driving after them, back onto its way, it would loop about
// its stand. Taxiing toward a point behind it or its way's end, it turns onto it no faster than it
// can: faster, it would circle about the point or pass it by. Rolling to take off,
// it is due at its path's reports at their speeds, and never slows unless its path stops ahead: the
// feed often stands still on the runway while its speed field rises, then jumps far along it or
// into the air, and the path's roll follows it late and fast; waiting for the path, the aircraft
// would fall seconds behind. Seconds ahead of its path it waits: it would lift off where its path
// still rolls.
void lf_groundProfile(Profile& f, const Act& act, const Plan& plan, const Steer& steer, bool taxiing)
{
    const ShownMotion& s = act.shown;
    const Stand stand = lf_standHere(act);
    const double stop = std::isinf(stand.metres) ? lf_stopAhead(s) : std::numeric_limits<double>::infinity();
    if (!std::isinf(stand.metres))
        f.ahead(s.speed < standstill && !stand.onBefore ? 0.0 : stand.metres, 0.0);
    else if (!std::isinf(stop))
        f.ahead(std::max(stop - s.place, s.offWay), 0.0);
    // The arc from the way it moves to the point curves by twice the sine of the turn over the distance.
    if (taxiing && (steer.end || std::abs(steer.error) > behindIt * degToRad))
        f.ahead(0.0, gf_turnableSpeed(act, 2.0 * std::abs(std::sin(steer.error)) / steer.metres));
    if (!act.takeOff)
        return;
    for (const PathPoint& p : act.path) {
        const double seconds = (p.tick - plan.now) * tickSeconds;
        if (seconds > keptUpSeconds || s.lag < -rollAhead)
            break;
        if (p.airborne || p.speed >= runwaySpeed)
            f.due(seconds, std::min(p.speed, plan.catchUp));
    }
    if (f.least > s.speed)
        f.least = std::min(plan.catchUp, s.speed + plan.limits.up * speedSettle) * lf_turningShare(steer.error);
    if (!taxiing && std::isinf(stop))
        f.due(0.0, s.speed);
}

// On the ground it drives back onto its way from beside it, and what can stop turns slowly where
// its way lies far off its nose: the speed (knots) that reaches where its reports put the aircraft a
// horizon on from where it is.
double lf_groundSpeed(const Act& act, const Plan& plan, const Steer& steer, Profile& f)
{
    const ShownMotion& s = act.shown;
    const Tuning& t = lf_tuning(s);
    double timed = (lf_reportsPlace(act, plan) - s.place + s.offWay) / t.horizon / knot;
    // On a runway ahead of its path it rolls on as its path does rather than stop for the path to
    // come: down ahead of its path, a touch-and-go stood on the runway and was left behind.
    if (t.rollsOn)
        timed = std::max(timed, std::min(plan.path, s.speed));
    lf_groundProfile(f, act, plan, steer, !t.rollsOn);
    return timed * lf_turningShare(steer.error);
}

// In the air it closes a gap to where its reports put it no faster than it can come back to their
// speed at its rates by the time it is there: faster, it would overshoot and swing about them. It
// flies no faster than it can turn round the way ahead, unless its reports or its path are: faster,
// it would swing wide, fall behind and speed up more. (Seconds behind its path, it cuts the corners.)
double lf_airSpeed(const Act& act, const Plan& plan, Profile& f)
{
    const ShownMotion& s = act.shown;
    const double horizon = lf_tuning(s).horizon;
    const double gap = lf_reportsPlace(act, plan) - s.place - plan.reported * knot * horizon;
    const double most = std::sqrt(2.0 * (gap > 0.0 ? plan.limits.down : plan.limits.up) * knot * std::abs(gap));
    if (s.lag < boundSeconds / 2.0)
        f.ahead(0.0, std::max({gf_turnableSpeed(act, lf_curvatureAhead(s)), plan.reported, plan.path}));
    return plan.reported + std::clamp(gap / horizon, -most, most) / knot;
}

// How far its nose points off the way toward the point it steers at (radians).
double lf_noseOff(const ShownMotion& s, double error) { return gf_angleDiff(s.heading, std::atan2(s.wayEast, s.wayNorth) + error); }

// Whether its reports lead a hovering helicopter off, whether it flies off or hover-taxis along a
// row of pads, rather than about where it hovers.
bool lf_leadsOff(const Act& act, const Plan& plan)
{
    const ShownMotion& s = act.shown;
    const WayPoint then = gf_pointAt(s, gf_placeAt(s, plan.now + leadSeconds / tickSeconds));
    return gf_length({then.east - s.east, then.north - s.north}) > leadLeast;
}

// A hovering helicopter led off turns its nose toward its way and speeds up only once it faces it:
// it does not set off or move on backwards or sideways. Hovering about, it keeps its nose, and on
// the ground it does not creep off behind it after the few metres its positions wander on a pad.
void lf_hover(Profile& f, Act& act, const Plan& plan, double error)
{
    ShownMotion& s = act.shown;
    if (s.phase != ShownPhase::hover)
        return;
    const double off = lf_noseOff(s, error);
    if (lf_leadsOff(act, plan)) {
        const double most = facingTurn * degToRad * planSeconds;
        s.noseStep = std::clamp(off, -most, most) / planSeconds * tickSeconds;
        if (std::abs(off) > facing * degToRad)
            f.ahead(0.0, s.speed);
    } else if (s.onGround && std::abs(off) > behindIt * degToRad)
        f.ahead(0.0, 0.0);
}

// The speed it aims for: the least wins over the most.
void lf_planSpeed(Act& act, const Plan& plan, const Steer& steer)
{
    ShownMotion& s = act.shown;
    Profile f{plan.limits, plan.limits.slowest, plan.catchUp};
    lf_hover(f, act, plan, steer.error);
    const double timed = s.onGround ? lf_groundSpeed(act, plan, steer, f) : lf_airSpeed(act, plan, f);
    s.targetSpeed = std::max({std::min(timed, f.most), f.least, 0.0});
    s.speedStep = std::clamp((s.targetSpeed - s.speed) / speedSettle, -plan.limits.down, plan.limits.up) * tickSeconds;
}

// Where it steers: the turn (radians) from the way it moves to the way toward a point a little ahead
// on the way, and how far off that point lies. In the air that point lies outside the circle it turns
// on at its fastest turn: a point inside it would be circled, or flown away from. Where the way bends
// back sharper than it can turn, it steers farther along the way, at the first point it can turn to;
// with none, straight on.
Steer lf_steer(Act& act)
{
    ShownMotion& s = act.shown;
    const double look = lf_look(s);
    // On the ground, and a hovering helicopter, turns as tight as it needs: no point lies inside its turn.
    const TurnModel turn = gf_phaseMotion(s).turn;
    const double radius = turn == TurnModel::banked ? s.speed * knot / gf_turnLimit(act, s.speed, turn) : 0.0;
    const Flat way{s.wayEast, s.wayNorth};
    // A bounded search: a class without a turn rate gives no radius to step by.
    for (int k = 0; k <= 2.0 * turnLooked; ++k) {
        const double ahead = look + k * radius / 2.0;
        const WayPoint aim = gf_pointAt(s, s.place + ahead);
        const Flat to{aim.east - s.east, aim.north - s.north};
        const double metres = gf_length(to);
        if (metres < 0.1)
            return {};
        const double error = std::atan2(gf_cross(to, way), gf_dot(to, way));
        const double side = error > 0.0 ? 1.0 : -1.0; // the centre lies right of the way it moves for a right turn
        const Flat centre{side * s.wayNorth * radius, -side * s.wayEast * radius};
        if (gf_length({to.east - centre.east, to.north - centre.north}) >= radius)
            return {error, metres, aim.at >= gf_wayPoint(s, gf_wayPoints(s) - 1).at};
    }
    return {};
}

void lf_planTurn(Act& act, double error)
{
    ShownMotion& s = act.shown;
    const PhaseMotion& row = gf_phaseMotion(s);
    const double seconds = row.tuning.turnSeconds;
    const double most = gf_turnLimit(act, s.speed, row.turn);
    const double rate = lf_rate(error, seconds, most);
    s.turnStep = rate * tickSeconds;
    s.turnCos = std::cos(s.turnStep);
    s.turnSin = std::sin(s.turnStep);
    switch (row.nose) {
    case NoseModel::alongWay:
        s.noseStep = s.turnStep;
        break;
    case NoseModel::ontoWay:
        s.noseStep = lf_rate(gf_angleDiff(s.heading, std::atan2(s.wayEast, s.wayNorth)) + error, seconds, most) * tickSeconds;
        break;
    case NoseModel::kept:
        s.noseStep = 0.0;
        break;
    }
    // Banked as its turn needs (a negative bank turns right).
    s.targetBank = s.onGround ? 0.0 : std::clamp(-std::atan(s.speed * knot * rate / gravity), -s.maxBank, s.maxBank);
}

// The lowest it may be shown in the air: on the ground under it, as the simulator tells it (the park
// airport's elevation is not the ground everywhere around it), else at the park airport the airport's.
double lf_floor(const Act& act)
{
    const double cg = act.base.head.staticCgHeight;
    if (!std::isnan(act.groundUnder))
        return act.groundUnder + cg;
    const ParkAirport park = gf_parkAirport();
    if (park.code.empty() || !gf_withinNm(act.shown.latitude, act.shown.longitude, park.latitude, park.longitude, parkAirportReachNm))
        return -std::numeric_limits<double>::infinity();
    return park.elevation + cg;
}

// The path's height at a place of the way. Beyond the path's place in the air, but for an approach,
// the height the way ahead has there, from the path's toward the reports ahead: a path late on a
// steep descent would hold the aircraft ahead of it high above its reports. On an approach, where
// the way ahead comes down to the ground or below the height of a flare (the pressure altitudes of a
// high-pressure day), or where it is not known, it climbs or comes down on as its path does now: the
// path decides how it comes down and where it lifts off. `floor`: the lowest it may be shown.
WayPoint lf_heightAt(const Act& act, double place, double floor)
{
    const ShownMotion& s = act.shown;
    const double path = gf_pathPlace(s);
    WayPoint there = gf_pointAt(s, place);
    if (place <= path)
        return there;
    // Past where its reports come down to the ground a fixed-wing aircraft is down, also ahead of its
    // path: an approach slower than the slowest it flies would have it float on above the runway
    // until its path lands. (A helicopter slows down as far as it needs.)
    if (there.ground && !gf_isRotorcraft(s)) {
        there.altitude = std::isfinite(floor) ? floor : there.altitude;
        return there;
    }
    if (!act.landing && !s.way.back().ground) {
        const auto next = std::find_if(s.ahead.begin(), s.ahead.end(), [place](const WayPoint& p) { return p.at >= place; });
        if (next != s.ahead.end() && !next->ground && next->altitude > floor + flareStartHeight)
            return there;
    }
    if (s.way.size() < 2)
        return gf_pointAt(s, path);
    WayPoint p = s.way.back();
    std::size_t k = s.way.size() - 1;
    while (k > 0 && path - s.way[k - 1].at < slopeMetres)
        --k;
    const WayPoint& from = s.way[k > 0 ? k - 1 : 0];
    if (!p.ground && path - from.at > 1.0)
        p.altitude += (p.altitude - from.altitude) / (path - from.at) * (place - path);
    return p;
}

// Its height and attitude are the path's where it will be at the next plan, never below the ground.
void lf_planHeight(Act& act)
{
    ShownMotion& s = act.shown;
    const double floor = lf_floor(act);
    const WayPoint here = lf_heightAt(act, s.place, floor);
    const WayPoint next = lf_heightAt(act, s.place + s.speed * knot * planSeconds, floor);
    // On a runway from its touch-down until it slows to taxi.
    s.rolling = here.ground && (s.rolling || !s.onGround) && s.speed >= runwaySpeed;
    s.onGround = here.ground;
    s.phase = gf_shownPhase(act);
    s.targetPitch = s.onGround ? act.base.head.staticPitch : next.pitch;
    if (s.onGround) {
        s.targetAltitude = s.altitude = here.altitude;
        s.climbStep = 0.0;
        return;
    }
    s.targetAltitude = std::max(next.altitude, floor);
    s.climbStep = std::clamp((s.targetAltitude - s.altitude) / planSeconds, -descentLimit, climbLimit) * tickSeconds;
}
} // namespace

double gf_reportedSpeed(const Act& act)
{
    const double field = gf_fieldSpeed(act);
    // In the air some feeds send one speed for minutes while their positions fly on: where the
    // positions of the reports ahead disagree with it, they decide.
    const double flown = gf_flownSpeed(act);
    return flown > 0.0 && std::abs(flown - field) > flownAgrees * flown ? flown : field;
}

bool gf_planShown(Act& act)
{
    ShownMotion& s = act.shown;
    gf_traceThePath(act);
    gf_findPlace(s);
    gf_dropPassed(s);
    // Its height first: whether it is on the ground decides the limits it is planned with.
    lf_planHeight(act);
    const Plan plan = lf_plan(act);
    s.lag = (plan.now - gf_pointAt(s, s.place).pathTick) * tickSeconds;
    if (lf_outOfReach(act, plan))
        return false;
    const Steer steer = lf_steer(act);
    lf_planTurn(act, steer.error);
    lf_planSpeed(act, plan, steer);
    return true;
}
