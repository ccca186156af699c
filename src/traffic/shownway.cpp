// The way a shown aircraft follows: its path's trace and the points ahead of the path, with when
// the path was or is due along it.
#include "traffic/shownway.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
constexpr double traceStep = 0.5;         // metres the path moves before the trace takes a new point
constexpr std::size_t pointsAhead = 12;   // of the path's points, at most
constexpr double aheadTicks = 6000.0;     // the points ahead: up to a minute beyond the present
constexpr double strayShare = 1.5;        // of the fastest it flies: a report farther than that is astray
constexpr double strayMargin = 2000.0;    // metres the feed's positions and times may be off by
constexpr double farFromOrigin = 30000.0; // metres: the flat way is kept nearer its origin than this
constexpr double lowestCeiling = 20000.0; // feet: the fastest a class flies is higher up
constexpr double lastSpeedTicks = 500.0;  // the way's last speed: over this long ...
constexpr double shortestSpeedTicks = 50.0; // ... or as much of it as is known, at least this
constexpr double backwards = -0.5;
constexpr int curveSamples = 4;           // parts of the path's curve ahead of it
constexpr int arcSamples = 3;             // parts of a curve between the reports ahead
constexpr double shortestArc = 50.0;      // metres: a shorter way between reports is flown straight
constexpr double widestArc = 120.0 * degToRad;        // the cosine of a turn beyond which a point lies behind
constexpr double offTheWay = 50.0;        // metres: farther from the way near its place, it looks all along it

double lf_metres(Flat a, Flat b) { return gf_length({b.east - a.east, b.north - a.north}); }
Flat lf_flat(const WayPoint& p) { return {p.east, p.north}; }

// Moves the origin to the shown position, the way with it.
void lf_moveOrigin(ShownMotion& s)
{
    const double latitude = s.originLatitude + s.north / metresPerDegree;
    const double longitude = gf_wrapLongitude(s.originLongitude + s.east / s.eastScale);
    const double east = s.east, north = s.north;
    for (WayPoint& p : s.way) {
        p.east -= east;
        p.north -= north;
    }
    s.east = s.north = 0.0;
    s.originLatitude = latitude;
    s.originLongitude = longitude;
    s.eastScale = std::cos(latitude * degToRad) * metresPerDegree;
}

// The projection of a position onto the segment from a to b: the share along it and the metres
// from it.
std::pair<double, double> lf_onSegment(Flat at, const WayPoint& a, const WayPoint& b)
{
    const Flat ab{b.east - a.east, b.north - a.north};
    const double length2 = gf_dot(ab, ab);
    const Flat ap{at.east - a.east, at.north - a.north};
    const double share = length2 > 1e-9 ? std::clamp(gf_dot(ap, ab) / length2, 0.0, 1.0) : 0.0;
    return {share, lf_metres(at, {a.east + share * ab.east, a.north + share * ab.north})};
}

// The index of the point of the way at or before the place (0 when the place is before them all).
std::size_t lf_segmentAt(const ShownMotion& s, double place)
{
    std::size_t low = 0, high = gf_wayPoints(s); // the first point beyond the place lies in (low, high]
    while (high - low > 1) {
        const std::size_t middle = (low + high) / 2;
        (gf_wayPoint(s, middle).at <= place ? low : high) = middle;
    }
    return low;
}

// The ground under the points ahead that lie on the ground.
double lf_groundAltitude(const Act& act)
{
    if (act.onGround)
        return act.altitude;
    const double ground = gf_groundElevation(act);
    return std::isnan(ground) ? act.altitude : ground;
}

// A path that stepped back along its trace (a way laid anew from behind it): the trace ends where
// the path is now, at the nearest place on it.
bool lf_steppedBack(ShownMotion& s, Flat here)
{
    const std::size_t n = s.way.size();
    if (n < 2)
        return false;
    const WayPoint& last = s.way[n - 1];
    const WayPoint& before = s.way[n - 2];
    const Flat leg{last.east - before.east, last.north - before.north};
    const double length = gf_length(leg);
    if (length < 1e-6 || gf_dot({here.east - last.east, here.north - last.north}, leg) / length > -traceStep)
        return false;
    std::size_t best = 0;
    double nearest = 1e18, share = 0.0;
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const auto [f, off] = lf_onSegment(here, s.way[k], s.way[k + 1]);
        if (off < nearest) {
            nearest = off;
            best = k;
            share = f;
        }
    }
    const double at = s.way[best].at + share * (s.way[best + 1].at - s.way[best].at);
    s.way.erase(s.way.begin() + static_cast<std::ptrdiff_t>(best + 1), s.way.end());
    const WayPoint kept = s.way.back();
    s.way.push_back({here.east, here.north, at, kept.tick, kept.pathTick, kept.altitude, kept.pitch, kept.ground});
    return true;
}

// The rest of the curve its path flies in the air to its next point, a few points along it, as the
// path will fly them: ahead of its path the shown aircraft follows the path's own curve, not the
// chord to the point.
void lf_curveAhead(Act& act, Flat& previous, double& at, double& tick, double& pathTick)
{
    ShownMotion& s = act.shown;
    if (!gf_curveSet(act) || act.curveLength <= 0.0 || act.path.empty() || act.curveProgress >= 1.0)
        return;
    const PathPoint& next = act.path.front();
    const double nextTick = next.reportTick != 0 ? next.reportTick : next.tick;
    const double startTick = tick, startPathTick = pathTick, progress = act.curveProgress;
    for (int k = 1; k < curveSamples; ++k) {
        const double f = static_cast<double>(k) / curveSamples;
        LatLon position;
        double heading = 0.0;
        if (!gf_interpolateSegment(act.curve, position, heading, lf_airCurveParameter(act, progress + (1.0 - progress) * f)))
            return;
        const Flat here = gf_flatOf(s, position.first, position.second);
        at += lf_metres(previous, here);
        previous = here;
        tick = std::max(tick, startTick + (nextTick - startTick) * f);
        pathTick = std::max(pathTick, startPathTick + (next.tick - startPathTick) * f);
        s.ahead.push_back({here.east, here.north, at, tick, pathTick, act.altitude, act.pitch, 0, 0});
    }
}

// The course at the k-th point of the path ahead (a unit vector): its report's track, else the way
// from the point before it to the one after it.
bool lf_courseAt(const Act& act, std::size_t k, const std::array<Flat, pointsAhead + 1>& flats, Flat before, Flat& course)
{
    const PathPoint& p = act.path[k];
    if (p.trackPresent) {
        course = gf_along(p.track * degToRad, 1.0);
        return true;
    }
    if (k + 1 >= act.path.size() || k + 1 > pointsAhead)
        return false;
    const Flat across{flats[k + 1].east - before.east, flats[k + 1].north - before.north};
    const double length = gf_length(across);
    if (length < 1.0)
        return false;
    course = {across.east / length, across.north / length};
    return true;
}

// Where a curve between two reports starts and ends: metres along the way, the reports' and the
// path's times, the altitudes.
struct ArcEnds {
    double at, tick, pathTick, altitude, endTick, endPathTick, endAltitude;
};

// A curve from `from`, leaving along `out`, to `to`, arriving along `in` (unit vectors), when it turns
// one way by no more than the widest turn: a few points along it join the points ahead.
bool lf_arc(ShownMotion& s, Flat from, Flat out, Flat to, Flat in, const ArcEnds& ends)
{
    const double outLength = gf_length(out);
    if (outLength < 1e-9)
        return false;
    out = {out.east / outLength, out.north / outLength};
    const Flat chord{to.east - from.east, to.north - from.north};
    const double length = gf_length(chord);
    const double leaving = std::atan2(gf_cross(out, chord), gf_dot(out, chord));
    const double arriving = std::atan2(gf_cross(chord, in), gf_dot(chord, in));
    if (leaving * arriving <= 0.0 || std::abs(leaving + arriving) > widestArc)
        return false;
    const double det = gf_cross(out, in);
    const double a = gf_cross(chord, in) / det;
    const double b = gf_cross(out, chord) / det;
    if (!(a > 0.05 * length && b > 0.05 * length && a < length && b < length))
        return false;
    const Flat control{from.east + out.east * a, from.north + out.north * a};
    // The points part way, timed by their share of the chord (near enough on a gentle curve).
    Flat previous = from;
    double at = ends.at;
    for (int k = 1; k < arcSamples; ++k) {
        const double u = static_cast<double>(k) / arcSamples;
        const Flat p{(1 - u) * (1 - u) * from.east + 2 * u * (1 - u) * control.east + u * u * to.east,
                     (1 - u) * (1 - u) * from.north + 2 * u * (1 - u) * control.north + u * u * to.north};
        at += lf_metres(previous, p);
        previous = p;
        s.ahead.push_back({p.east, p.north, at, ends.tick + (ends.endTick - ends.tick) * u,
                           ends.pathTick + (ends.endPathTick - ends.pathTick) * u,
                           ends.altitude + (ends.endAltitude - ends.altitude) * u, 0.0, 0, 0});
    }
    return true;
}

void lf_buildAhead(Act& act)
{
    ShownMotion& s = act.shown;
    s.ahead.clear();
    const WayPoint& present = s.way.back();
    const double now = static_cast<double>(gf_now());
    const double ground = lf_groundAltitude(act);
    const std::size_t n = std::min(act.path.size(), pointsAhead);
    std::array<Flat, pointsAhead + 1> flats;
    for (std::size_t k = 0; k < n + 1 && k < act.path.size(); ++k)
        flats[k] = gf_flatOf(s, act.path[k].latitude, act.path[k].longitude);
    // Metres an aircraft of its class could fly between two reports, with the feed's errors.
    const double fastest = gf_fastestOverGround(act, lowestCeiling) * knot;
    const auto reachable = [&](std::size_t a, std::size_t b) {
        const double seconds = std::abs(static_cast<double>(act.path[b].tick) - act.path[a].tick) * tickSeconds;
        return lf_metres(flats[a], flats[b]) <= fastest * strayShare * seconds + strayMargin;
    };
    Flat previous = lf_flat(present);
    double at = present.at, tick = present.tick, pathTick = present.pathTick;
    lf_curveAhead(act, previous, at, tick, pathTick);
    std::size_t kept = n;
    Flat leg{s.wayEast, s.wayNorth};
    for (std::size_t k = 0; k < n; ++k) {
        const PathPoint& p = act.path[k];
        // A stray report is no target (one that no aircraft of its class could reach from the one
        // before it nor leave for the one after it, while that one can be reached)...
        if (kept != n && k + 1 < act.path.size() && !reachable(kept, k) && !reachable(k, k + 1) && reachable(kept, k + 1))
            continue;
        // ... nor, in the air, a point the path does not wait at (its last position sent again) ...
        if (p.hold && p.airborne && s.motionClass != rotorcraftClass)
            continue;
        // ... nor one behind it that an aircraft this fast cannot turn back to (an old position sent again).
        const Flat f = flats[k];
        const Flat step{f.east - previous.east, f.north - previous.north};
        const double metres = gf_length(step);
        const bool fast = s.motionClass != rotorcraftClass && (p.airborne || std::max(p.speed, s.speed) >= runwaySpeed);
        if (fast && gf_dot(step, leg) < backwards * metres * gf_length(leg))
            continue;
        // Due when its report put the aircraft there (the path's time where no report did), but no
        // sooner than its class can fly there: two points timed alike would be a jump.
        const double due = p.reportTick != 0 ? p.reportTick : p.tick;
        const double dueTick = std::max(due, tick + metres / fastest / tickSeconds);
        const double duePathTick = std::max(static_cast<double>(p.tick), pathTick + metres / fastest / tickSeconds);
        // In the air the way curves round from report to report as the aircraft turns, leaving
        // each along the way it came and arriving at the next along the course there.
        Flat course{};
        if (p.airborne && metres > shortestArc && lf_courseAt(act, k, flats, previous, course) &&
            lf_arc(s, previous, leg, f, course,
                   {at, tick, pathTick, s.ahead.empty() ? present.altitude : s.ahead.back().altitude, dueTick, duePathTick,
                    p.altitude}))
            leg = course;
        else if (metres > traceStep)
            leg = step;
        at = (s.ahead.empty() ? present.at : s.ahead.back().at) + lf_metres(s.ahead.empty() ? lf_flat(present) : lf_flat(s.ahead.back()), f);
        tick = dueTick;
        pathTick = duePathTick;
        // On the ground it stands where its reports stand, and where they end but on a runway (a
        // position sent again at a runway's speed is the feed's, not a stop).
        const bool slow = p.speed < runwaySpeed;
        const bool last = k + 1 == act.path.size();
        const bool stop = !p.airborne && (p.speed < standstill || (slow && (p.hold || (last && !act.takeOff))));
        s.ahead.push_back({f.east, f.north, at, tick, pathTick, p.airborne ? p.altitude : ground, act.pitch,
                           static_cast<std::uint8_t>(p.airborne ? 0 : 1), static_cast<std::uint8_t>(stop ? 1 : 0)});
        previous = f;
        kept = k;
        if (tick > now + aheadTicks)
            break;
    }
}
} // namespace

Flat gf_flatOf(const ShownMotion& s, double latitude, double longitude)
{
    return {gf_longitudeDelta(longitude, s.originLongitude) * s.eastScale, (latitude - s.originLatitude) * metresPerDegree};
}

void gf_setOrigin(ShownMotion& s, double latitude, double longitude)
{
    s.originLatitude = latitude;
    s.originLongitude = longitude;
    s.eastScale = std::cos(latitude * degToRad) * metresPerDegree;
    s.way.clear();
    s.ahead.clear();
}

void gf_startWay(ShownMotion& s, const WayPoint& start)
{
    s.way.clear();
    s.ahead.clear();
    s.way.push_back(start);
    s.place = start.at;
}

void gf_traceThePath(Act& act)
{
    ShownMotion& s = act.shown;
    if (gf_length({s.east, s.north}) > farFromOrigin)
        lf_moveOrigin(s);
    const Flat here = gf_flatOf(s, act.latitude, act.longitude);
    lf_steppedBack(s, here);
    WayPoint& last = s.way.back();
    const double moved = lf_metres(lf_flat(last), here);
    const double now = static_cast<double>(gf_now());
    if (moved >= traceStep || last.ground != act.onGround)
        s.way.push_back({here.east, here.north, last.at + moved, now, now, act.altitude, act.pitch, act.onGround});
    else { // up or down where it stands
        last.altitude = act.altitude;
        last.pitch = act.pitch;
    }
    lf_buildAhead(act);
}

std::size_t gf_wayPoints(const ShownMotion& s) { return s.way.size() + s.ahead.size(); }

const WayPoint& gf_wayPoint(const ShownMotion& s, std::size_t k)
{
    return k < s.way.size() ? s.way[k] : s.ahead[k - s.way.size()];
}

void gf_findPlace(ShownMotion& s)
{
    const std::size_t n = gf_wayPoints(s);
    const Flat here{s.east, s.north};
    // Within the way it may have come since the last plan, the nearest place on it.
    const double reach = s.place + std::max(2.0 * s.speed * knot, 20.0);
    double best = s.place, nearest = 1e18;
    for (std::size_t k = lf_segmentAt(s, s.place); k + 1 < n; ++k) {
        const WayPoint& a = gf_wayPoint(s, k);
        if (a.at > reach && nearest < offTheWay)
            break;
        const WayPoint& b = gf_wayPoint(s, k + 1);
        const auto [share, off] = lf_onSegment(here, a, b);
        if (off < nearest) {
            nearest = off;
            best = a.at + share * (b.at - a.at);
        }
    }
    if (n >= 2 && best >= gf_wayPoint(s, n - 1).at) { // beyond the last point: on along the last leg
        const WayPoint& a = gf_wayPoint(s, n - 2);
        const WayPoint& b = gf_wayPoint(s, n - 1);
        const Flat leg{b.east - a.east, b.north - a.north};
        const double length = gf_length(leg);
        if (length > 1e-6)
            best = std::max(best, b.at + gf_dot({here.east - b.east, here.north - b.north}, leg) / length);
    }
    s.place = std::max(s.place, best);
}

WayPoint gf_pointAt(const ShownMotion& s, double place)
{
    const std::size_t n = gf_wayPoints(s);
    const std::size_t k = lf_segmentAt(s, place);
    const WayPoint& a = gf_wayPoint(s, k);
    if (k + 1 >= n) {
        // Beyond the way's end: on along its last leg.
        WayPoint p = a;
        if (k >= 1) {
            const WayPoint& b = gf_wayPoint(s, k - 1);
            const double length = a.at - b.at;
            if (length > 1e-6) {
                const double f = (place - a.at) / length;
                p.east += (a.east - b.east) * f;
                p.north += (a.north - b.north) * f;
            }
        }
        p.at = place;
        return p;
    }
    const WayPoint& b = gf_wayPoint(s, k + 1);
    const double length = b.at - a.at;
    const double f = length > 1e-9 ? std::clamp((place - a.at) / length, 0.0, 1.0) : 0.0;
    return {a.east + (b.east - a.east) * f, a.north + (b.north - a.north) * f, place, a.tick + (b.tick - a.tick) * f,
            a.pathTick + (b.pathTick - a.pathTick) * f, a.altitude + (b.altitude - a.altitude) * f, a.pitch + (b.pitch - a.pitch) * f,
            static_cast<std::uint8_t>(a.ground && (b.ground || f < 1.0))};
}

double gf_placeAt(const ShownMotion& s, double tick, double WayPoint::*clock)
{
    const std::size_t n = gf_wayPoints(s);
    if (n == 0)
        return s.place;
    // The first point due at or after the tick.
    std::size_t low = 0, high = n;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (gf_wayPoint(s, middle).*clock < tick)
            low = middle + 1;
        else
            high = middle;
    }
    const std::size_t k = low;
    if (k == 0)
        return gf_wayPoint(s, 0).at;
    if (k == n) {
        // After the last point known the path goes on as its predictions do: at the way's last
        // speed where that is faster than taxiing, else it stands there.
        const WayPoint& b = gf_wayPoint(s, n - 1);
        std::size_t j = n - 1;
        while (j > 0 && b.*clock - gf_wayPoint(s, j).*clock < lastSpeedTicks)
            --j;
        const WayPoint& a = gf_wayPoint(s, j);
        const double speed = b.*clock - a.*clock >= shortestSpeedTicks ? (b.at - a.at) / (b.*clock - a.*clock) : 0.0;
        return speed >= runwaySpeed * knot * tickSeconds ? b.at + speed * (tick - b.*clock) : b.at;
    }
    const WayPoint& a = gf_wayPoint(s, k - 1);
    const WayPoint& b = gf_wayPoint(s, k);
    const double ticks = b.*clock - a.*clock;
    return ticks > 0.0 ? a.at + (b.at - a.at) * (tick - a.*clock) / ticks : b.at;
}

double gf_pathPlace(const ShownMotion& s) { return s.way.back().at; }

bool gf_canReach(const Act& act, const PathPoint& from, const PathPoint& to)
{
    const double fastest = gf_fastestOverGround(act, std::max(from.altitude, to.altitude)) * knot * strayShare;
    const double seconds = std::abs(static_cast<double>(to.tick) - from.tick) * tickSeconds;
    return gf_distanceNm(from.latitude, from.longitude, to.latitude, to.longitude) * metresPerNm <=
           fastest * seconds + strayMargin;
}


void gf_dropPassed(ShownMotion& s)
{
    while (s.way.size() >= 2 && s.way[1].at <= s.place)
        s.way.pop_front();
}
