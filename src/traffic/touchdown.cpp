// Where an approach touches down, and the even descent that brings it there. The feed's altitudes
// are pressure altitudes: on a high-pressure day an approach's last reports lie at or below the
// airport, and followed down the aircraft would flare and touch down kilometres short of where its
// reports reach the ground.
#include "traffic/motion.h"

#include "foundation/sizeclasses.h"
#include "traffic/traffic.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double heldAboveFlare = 20.0; // feet an approach keeps above the flare until it knows where it lands
constexpr double flareSeconds = 5.0;    // from its start the flare touches down after about this long
constexpr double rollOutBraking = 2.0;  // metres a second squared from the touch-down to the first ground report
constexpr double slowestFlight = 0.6;   // of its class's lift-off speed: slower, no aircraft flies

double lf_metres(double latitude, double longitude, const PathPoint& to)
{
    return gf_distanceNm(latitude, longitude, to.latitude, to.longitude) * metresPerNm;
}

// A point the aircraft reaches on the ground: reported there, or too slow for it to fly (below the
// airport's pressure altitude a roll-out's first reports may count as in the air).
bool lf_downThere(const Act& act, const PathPoint& p)
{
    const auto c = static_cast<std::int32_t>(gf_motionClassOf(act.base.head));
    return !p.airborne || (c != rotorcraftClass && p.speed < slowestFlight * gf_liftOffSpeed(c));
}

// Whether it is held above the ground until its reports reach it. With a park airport, an arrival
// there: the ground is the park airport's, and an approach to another field near it follows its
// reports down to that field. With none (the user in the air), any fixed-wing aircraft over the
// ground the simulator tells under it (a helicopter comes down where its reports do, as it does
// at the park airport).
bool lf_heldAboveGround(const Act& act)
{
    const auto park = gf_parkAirportPosition();
    if (!park)
        return !std::isnan(act.groundUnder) && !gf_isRotorcraft(act.base.head);
    const PathPoint& last = act.path.back();
    return act.landing && gf_withinNm(park->first, park->second, last.latitude, last.longitude, parkAirportReachNm);
}

// Metres before the first point on the ground at which the aircraft touched down: where braking from
// the speed before it brings it to the report's, but not before the report ahead of it.
double lf_rolledBefore(const PathPoint& before, const PathPoint& down, double leg)
{
    const double from = before.speed * knot, to = down.speed * knot;
    return std::clamp((from * from - to * to) / (2.0 * rollOutBraking), 0.0, leg);
}
} // namespace

std::optional<double> lf_approachStep(const Act& act, std::size_t next, double n)
{
    const double ground = gf_groundElevation(act);
    const double flareAltitude = ground + act.base.head.staticCgHeight + flareStartHeight;
    if (std::isnan(ground) || act.altitude <= flareAltitude || !lf_heldAboveGround(act))
        return std::nullopt;
    const std::deque<PathPoint>& path = act.path;
    const double toNext = lf_metres(act.latitude, act.longitude, path[next]);
    std::size_t down = next;
    double beyond = 0.0; // metres from the next point to the first ground point
    for (; down < path.size() && !lf_downThere(act, path[down]); ++down)
        if (down + 1 < path.size())
            beyond += lf_metres(path[down].latitude, path[down].longitude, path[down + 1]);
    if (down == path.size()) // not known yet: kept above the flare
        return (std::min(act.altitude, flareAltitude + heldAboveFlare) - act.altitude) / n;
    const PathPoint& before = path[down > 0 ? down - 1 : down]; // the point flown from is before the next
    const double leg = down == next ? toNext : lf_metres(before.latitude, before.longitude, path[down]);
    const double flare = before.speed * knot * flareSeconds;
    // The flare begins a flare's way short of the touch-down; where that is near, soon.
    const double way = std::max(toNext + beyond - lf_rolledBefore(before, path[down], leg) - flare, toNext / 10.0);
    // Right on its next point with the flare there or behind it, both are 0: as soon as anywhere.
    const double soon = way > 0.0 ? toNext / way : 10.0;
    return -(act.altitude - flareAltitude) * soon / n;
}
