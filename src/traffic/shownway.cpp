// The way a shown aircraft follows: its path's trace and the points ahead of the path, with when
// the path was or is due along it.
#include "traffic/shownway.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
constexpr double traceStep = 0.5;         // metres the path moves before the trace takes a new point
constexpr std::size_t pointsAhead = 12;   // of the path's points, at most
constexpr double aheadTicks = 3000.0;     // the points ahead: up to half a minute beyond the present
constexpr double strayShare = 1.5;        // of the fastest it flies: a report farther than that is astray
constexpr double strayMargin = 2000.0;    // metres the feed's positions and times may be off by
constexpr double farFromOrigin = 30000.0; // metres: the flat way is kept nearer its origin than this
constexpr double lowestCeiling = 20000.0; // feet: the fastest a class flies is higher up
constexpr double lastStretch = 100.0;     // metres of the way's end whose way goes on beyond it
constexpr double lastSpeedTicks = 500.0;  // the way's last speed: over this long ...
constexpr double shortestSpeedTicks = 50.0; // ... or as much of it as is known, at least this
constexpr double backwards = -0.5;        // the cosine of a turn beyond which a point lies behind
constexpr int curveSamples = 3;           // parts of the path's curve ahead of it
constexpr int arcSamples = 3;             // parts of a curve between the reports ahead
constexpr double shortestArc = 50.0;      // metres: a shorter way between reports is flown straight
constexpr double widestArc = -0.5;        // the cosine of the most a curve turns (120 degrees)
constexpr std::size_t arcsAhead = 3;      // reports ahead joined by curves; beyond, the chords do
constexpr double offTheWay = 50.0;        // metres: farther from the way near its place, it looks all along it
constexpr double jumpTicks = 1000.0;      // later than reported its class would be there: the reports jumped

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
    s.aheadKey = {}; // its points are where the old origin put them
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

// The way the trace's end goes (a unit vector): its last stretch, or where only its end is left,
// the way the aircraft moves.
Flat lf_traceCourse(const ShownMotion& s)
{
    const std::size_t n = s.way.size();
    if (n >= 2) {
        const Flat leg{s.way[n - 1].east - s.way[n - 2].east, s.way[n - 1].north - s.way[n - 2].north};
        if (const double length = gf_length(leg); length >= 1e-6)
            return {leg.east / length, leg.north / length};
    }
    return {s.wayEast, s.wayNorth};
}

// Whether an aircraft of the way's class, in the air or at the speed, only goes on along its way:
// a fixed-wing aircraft flying or rolling fast never turns back (a helicopter can).
bool lf_onlyOn(const ShownMotion& s, bool airborne, double knots)
{
    return !gf_isRotorcraft(s) && (airborne || knots >= runwaySpeed);
}

// Whether the path, moving as it does, only goes on along its way.
bool lf_pathOnlyOn(const Act& act) { return lf_onlyOn(act.shown, !act.onGround, std::abs(act.keptSpeed)); }

// Whether the path's position lies back along the trace's end.
bool lf_backAlongTrace(const ShownMotion& s, Flat here)
{
    const WayPoint& last = s.way.back();
    return gf_dot({here.east - last.east, here.north - last.north}, lf_traceCourse(s)) <= -traceStep;
}

// Whether a point lies behind the end of the trace, turned more than a third of a circle from it.
bool lf_behindTrace(const ShownMotion& s, Flat at)
{
    const WayPoint& last = s.way.back();
    const Flat to{at.east - last.east, at.north - last.north};
    const double metres = gf_length(to);
    return metres > traceStep && gf_dot(to, lf_traceCourse(s)) < backwards * metres;
}

// A path that stepped back along its trace (a way laid anew from behind it): the trace ends where
// the path is now, at the nearest place on it.
bool lf_steppedBack(ShownMotion& s, Flat here)
{
    const std::size_t n = s.way.size();
    if (n < 2 || !lf_backAlongTrace(s, here))
        return false;
    std::size_t best = 0;
    double nearest = 1e18, share = 0.0; // the trace ends at the nearest place, and on to where the path is
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const auto [f, off] = lf_onSegment(here, s.way[k], s.way[k + 1]);
        if (off < nearest) {
            nearest = off;
            best = k;
            share = f;
        }
    }
    const double at = s.way[best].at + share * (s.way[best + 1].at - s.way[best].at) + nearest;
    s.way.erase(s.way.begin() + static_cast<std::ptrdiff_t>(best + 1), s.way.end());
    const WayPoint kept = s.way.back();
    s.way.push_back({here.east, here.north, at, kept.tick, kept.pathTick, kept.altitude, kept.pitch, kept.ground});
    return true;
}

// The course at a point of the path ahead (a unit vector): its report's track, else the way from the
// point before it to the one after it; none when neither is known.
bool lf_courseAt(const PathPoint& p, Flat before, const Flat* after, Flat& course)
{
    if (p.trackPresent) {
        course = gf_along(p.track * degToRad, 1.0);
        return true;
    }
    if (after == nullptr)
        return false;
    const Flat across{after->east - before.east, after->north - before.north};
    const double length = gf_length(across);
    if (length < 1.0)
        return false;
    course = {across.east / length, across.north / length};
    return true;
}

// A curve from `from`, leaving along `out`, to `to`, arriving along `in` (unit vectors), when it turns
// one way by no more than the widest turn: a few points along it join the points, from `start`
// toward `end` (its position is `to`).
bool lf_arc(std::vector<WayPoint>& points, Flat from, Flat out, Flat to, Flat in, const WayPoint& start, const WayPoint& end)
{
    const Flat chord{to.east - from.east, to.north - from.north};
    const double length = gf_length(chord);
    // It turns one way, leaving and arriving (both ahead of it), by no more than the widest turn.
    const double leaving = gf_cross(out, chord), arriving = gf_cross(chord, in);
    if (length < shortestArc || leaving * arriving <= 0.0 || gf_dot(out, chord) <= 0.0 || gf_dot(chord, in) <= 0.0 ||
        gf_dot(out, in) < widestArc)
        return false;
    const double det = gf_cross(out, in);
    const double a = gf_cross(chord, in) / det;
    const double b = gf_cross(out, chord) / det;
    if (!(a > 0.05 * length && b > 0.05 * length && a < length && b < length))
        return false;
    const Flat control{from.east + out.east * a, from.north + out.north * a};
    // The points part way, timed by their share of the chord (near enough on a gentle curve).
    Flat previous = from;
    double at = start.at;
    for (int k = 1; k < arcSamples; ++k) {
        const double u = static_cast<double>(k) / arcSamples;
        const Flat p{(1 - u) * (1 - u) * from.east + 2 * u * (1 - u) * control.east + u * u * to.east,
                     (1 - u) * (1 - u) * from.north + 2 * u * (1 - u) * control.north + u * u * to.north};
        at += lf_metres(previous, p);
        previous = p;
        points.push_back({p.east, p.north, at, start.tick + (end.tick - start.tick) * u,
                          start.pathTick + (end.pathTick - start.pathTick) * u,
                          start.altitude + (end.altitude - start.altitude) * u, 0.0, 0, 0});
    }
    return true;
}

// The point of the way at a report of the path.
WayPoint lf_reportPoint(const Act& act, const PathPoint& p, Flat at, bool last, double ground)
{
    // On the ground it stands where its reports stand, and where they end but on a runway (a
    // position sent again at a runway's speed is the feed's, not a stop).
    const bool slow = p.speed < runwaySpeed;
    const bool stop = !p.airborne && (p.speed < standstill || (slow && (p.hold || (last && !act.takeOff))));
    return {at.east, at.north, 0.0, gf_reportedTick(p), static_cast<double>(p.tick),
            p.airborne ? p.altitude : ground, act.pitch, static_cast<std::uint8_t>(p.airborne ? 0 : 1),
            static_cast<std::uint8_t>(stop ? 1 : 0)};
}

// What the points beyond the path's next one depend on: while it is the same, they are.
AheadKey lf_aheadKey(const Act& act)
{
    const PathPoint& front = act.path.front();
    const PathPoint& back = act.path.back();
    return {act.path.size(), front.tick, front.reportTick, back.tick, front.latitude, front.longitude, back.latitude,
            act.shown.motionClass, act.takeOff, act.onGround};
}

// The points beyond the path's next one, which stays the first of them: where its reports put it
// (metres along the way from the next point), curving in the air from report to report as the
// aircraft turns, leaving each along its course and arriving at the next along the course there.
void lf_buildBeyond(Act& act)
{
    ShownMotion& s = act.shown;
    s.beyond.clear();
    const double ground = lf_groundAltitude(act);
    const std::size_t n = std::min(act.path.size(), pointsAhead);
    std::array<Flat, pointsAhead + 1> flats;
    for (std::size_t k = 0; k < n + 1 && k < act.path.size(); ++k)
        flats[k] = gf_flatOf(s, act.path[k].latitude, act.path[k].longitude);
    // Metres a second an aircraft of its class could fly.
    const double fastest = gf_fastestOverGround(act, lowestCeiling) * knot;
    const auto after = [&](std::size_t k) { return k + 1 < act.path.size() && k + 1 <= pointsAhead ? &flats[k + 1] : nullptr; };
    WayPoint from = lf_reportPoint(act, act.path.front(), flats[0], n == 1, ground);
    std::size_t kept = 0;
    Flat leg{};
    const bool course = lf_courseAt(act.path.front(), flats[0], after(0), leg);
    for (std::size_t k = 1; k < n; ++k) {
        const PathPoint& p = act.path[k];
        // In the air a point the path does not wait at (its last position sent again) is no target ...
        if (p.hold && lf_onlyOn(s, p.airborne, 0.0))
            continue;
        // ... nor one behind it that an aircraft this fast cannot turn back to (an old position sent again).
        const Flat f = flats[k];
        const Flat step{f.east - flats[kept].east, f.north - flats[kept].north};
        const double metres = gf_length(step);
        if (lf_onlyOn(s, p.airborne, p.speed) && (course || kept > 0) && gf_dot(step, leg) < backwards * metres)
            continue;
        // Due when its report put the aircraft there (the path's time where no report did), but no
        // sooner than its class can fly there: two points timed alike would be a jump.
        WayPoint point = lf_reportPoint(act, p, f, k + 1 == act.path.size(), ground);
        const double flown = from.tick + metres / fastest / tickSeconds;
        if (flown > point.tick + jumpTicks)
            s.jumpTick = std::max(s.jumpTick, point.tick);
        point.tick = std::max(point.tick, flown);
        point.pathTick = std::max(point.pathTick, from.pathTick + metres / fastest / tickSeconds);
        Flat arriving{};
        const bool arc = p.airborne && k <= arcsAhead && (course || kept > 0) &&
                         lf_courseAt(p, flats[kept], after(k), arriving) &&
                         lf_arc(s.beyond, flats[kept], leg, f, arriving, from, point);
        leg = arc ? arriving : Flat{step.east / std::max(metres, 1e-9), step.north / std::max(metres, 1e-9)};
        const WayPoint& before = s.beyond.empty() ? from : s.beyond.back();
        point.at = before.at + lf_metres(lf_flat(before), f);
        s.beyond.push_back(point);
        from = point;
        kept = k;
        if (point.tick > act.path.front().tick + aheadTicks)
            break;
    }
}

// The rest of the curve its path flies in the air to its next point, a few points along it, as the
// path will fly them: ahead of its path the shown aircraft follows the path's own curve, not the
// chord to the point.
void lf_curveAhead(Act& act, const WayPoint& present, const WayPoint& next)
{
    ShownMotion& s = act.shown;
    if (!gf_curveSet(act) || act.curveLength <= 0.0 || act.curveProgress >= 1.0)
        return;
    const double progress = act.curveProgress;
    Flat previous = lf_flat(present);
    double at = present.at;
    for (int k = 1; k < curveSamples; ++k) {
        const double f = static_cast<double>(k) / curveSamples;
        LatLon position;
        double heading = 0.0;
        if (!gf_interpolateSegment(act.curve, position, heading, lf_airCurveParameter(act, progress + (1.0 - progress) * f)))
            return;
        const Flat here = gf_flatOf(s, position.first, position.second);
        at += lf_metres(previous, here);
        previous = here;
        // Its height goes on from the path's toward the next point's along the curve, as the path's does.
        s.ahead.push_back({here.east, here.north, at, present.tick + (next.tick - present.tick) * f,
                           present.pathTick + (next.pathTick - present.pathTick) * f,
                           present.altitude + (next.altitude - present.altitude) * f, act.pitch, 0, 0});
    }
}

// The points ahead of the path's present position: the rest of its way to its next point (its
// curve, in the air), that point, and those beyond it.
void lf_buildAhead(Act& act)
{
    ShownMotion& s = act.shown;
    s.ahead.clear();
    if (act.path.empty())
        return;
    const AheadKey key = lf_aheadKey(act);
    if (!(key == s.aheadKey)) {
        lf_buildBeyond(act);
        s.aheadKey = key;
    }
    const WayPoint& present = s.way.back();
    const double fastest = gf_fastestOverGround(act, lowestCeiling) * knot;
    const PathPoint& front = act.path.front();
    Flat at = gf_flatOf(s, front.latitude, front.longitude);
    // A next point behind the way's end (a late report the path turns back to) is taken where the
    // way ends: the aircraft goes on to the points beyond.
    bool behind = lf_pathOnlyOn(act) && lf_behindTrace(s, at);
    if (behind)
        at = lf_flat(present);
    const double metres = lf_metres(lf_flat(present), at);
    WayPoint next = lf_reportPoint(act, front, at, act.path.size() == 1, lf_groundAltitude(act));
    next.tick = std::max(next.tick, present.tick + metres / fastest / tickSeconds);
    next.pathTick = std::max(next.pathTick, present.pathTick + metres / fastest / tickSeconds);
    if (behind) { // as high as the way's end, too
        next.altitude = present.altitude;
        next.pitch = present.pitch;
        next.ground = present.ground;
    } else {
        lf_curveAhead(act, present, next);
    }
    const WayPoint& before = s.ahead.empty() ? present : s.ahead.back();
    next.at = before.at + lf_metres(lf_flat(before), at);
    s.ahead.push_back(next);
    // Those beyond follow on from the next point: their times no sooner than it allows. Behind the
    // way's end, the first of them are passed over like the next point.
    double tick = next.tick, pathTick = next.pathTick;
    const WayPoint* last = &s.ahead.back();
    for (const WayPoint& p : s.beyond) {
        if (behind && lf_behindTrace(s, lf_flat(p)))
            continue;
        behind = false;
        WayPoint q = p;
        q.at = last->at + lf_metres(lf_flat(*last), lf_flat(p));
        tick = q.tick = std::max(q.tick, tick);
        pathTick = q.pathTick = std::max(q.pathTick, pathTick);
        s.ahead.push_back(q);
        last = &s.ahead.back();
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
    s.aheadKey = {};
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
    // A path going back to a late report is not traced: the aircraft flies on along its way until
    // the path comes ahead again.
    if (lf_pathOnlyOn(act) && lf_backAlongTrace(s, here)) {
        s.way.back().altitude = act.altitude; // it climbs on with its path
        s.way.back().pitch = act.pitch;
        lf_buildAhead(act);
        return;
    }
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
    // Within the way it may have come since the last plan, the nearest place on it; on the ground,
    // where that is far off, the nearest anywhere on it, back too (its way to a stand was laid anew).
    // In the air, off its way, twice as far on again as it lies off it: it cut a bend of its way and
    // comes back onto it farther on.
    const double reach = s.place + std::max(2.0 * s.speed * knot, 20.0) + (s.onGround ? 0.0 : 2.0 * s.offWay);
    double best = s.place, nearest = 1e18;
    const auto nearestFrom = [&](std::size_t first, bool all) {
        for (std::size_t k = first; k + 1 < n; ++k) {
            const WayPoint& a = gf_wayPoint(s, k);
            if (!all && a.at > reach)
                break;
            const WayPoint& b = gf_wayPoint(s, k + 1);
            const auto [share, off] = lf_onSegment(here, a, b);
            if (off < nearest) {
                nearest = off;
                best = a.at + share * (b.at - a.at);
            }
        }
    };
    nearestFrom(lf_segmentAt(s, s.place), false);
    const bool lost = s.onGround && nearest > offTheWay;
    if (lost)
        nearestFrom(0, true);
    if (n >= 2 && best >= gf_wayPoint(s, n - 1).at) { // beyond the last point: on along the last leg
        const WayPoint& a = gf_wayPoint(s, n - 2);
        const WayPoint& b = gf_wayPoint(s, n - 1);
        const Flat leg{b.east - a.east, b.north - a.north};
        const double length = gf_length(leg);
        if (length > 1e-6)
            best = std::max(best, b.at + gf_dot({here.east - b.east, here.north - b.north}, leg) / length);
    }
    s.place = lost ? best : std::max(s.place, best);
    s.offWay = nearest < 1e17 ? nearest : 0.0;
}

WayPoint gf_pointAt(const ShownMotion& s, double place)
{
    const std::size_t n = gf_wayPoints(s);
    const std::size_t k = lf_segmentAt(s, place);
    const WayPoint& a = gf_wayPoint(s, k);
    if (k + 1 >= n) {
        // Beyond the way's end: on the way it went over its last stretch (not the last few metres,
        // whose way is any way where the path crawls).
        WayPoint p = a;
        std::size_t j = k;
        while (j > 0 && a.at - gf_wayPoint(s, j).at < lastStretch)
            --j;
        const WayPoint& b = gf_wayPoint(s, j);
        const double length = gf_length({a.east - b.east, a.north - b.north});
        if (length > 1e-6) {
            const double f = (place - a.at) / length;
            p.east += (a.east - b.east) * f;
            p.north += (a.north - b.north) * f;
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
    return gf_withinNm(from.latitude, from.longitude, to.latitude, to.longitude, (fastest * seconds + strayMargin) / metresPerNm);
}


void gf_dropPassed(ShownMotion& s)
{
    while (s.way.size() >= 2 && s.way[1].at <= s.place)
        s.way.pop_front();
}
