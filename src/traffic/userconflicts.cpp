// Aircraft in the user's way, once a second: in the air, those whose line passes close to the
// user aircraft; on the ground, those the user aircraft would touch.
#include "traffic/parking.h"

#include "links/simlink.h"

#include <cmath>
#include <numbers>
#include <optional>

namespace {
constexpr double groundCheckHeight = 500.0; // feet above the ground
constexpr double groundCheckRange = 1.0;    // nautical miles
constexpr double groundLineOffset = 50.0;   // feet
constexpr double airCheckRange = 4.0;       // nautical miles
constexpr double airCheckLevels = 1000.0;   // feet
constexpr double airLineOffset = 700.0;     // feet

// The user position at which the static parked aircraft were last tested.
std::optional<LatLon> lastCheckedUser;

// Where the simulator shows a live aircraft (where its path is before it has moved).
struct Seen {
    double latitude, longitude, altitude, heading;
    bool onGround;
};
Seen lf_seen(const Act& act)
{
    const ShownMotion& s = act.shown;
    if (!s.set)
        return {act.latitude, act.longitude, act.altitude, act.heading, act.onGround != 0};
    return {s.latitude, s.longitude, s.altitude, s.heading, s.onGround != 0};
}

bool lf_touchesUser(const UserAircraft& user, double userRadius, double latitude, double longitude, double radius)
{
    return gf_distanceNm(user.latitude, user.longitude, latitude, longitude) <= (userRadius + radius) * 1.1;
}
} // namespace

bool lf_userAirConflict(Act& act)
{
    if (act.base.status != statusCreated)
        return false;
    const Seen s = lf_seen(act);
    const UserAircraft& user = gf_currentUserAircraft();
    const LatLon from{user.latitude, user.longitude};
    const LatLon to{s.latitude, s.longitude};
    const double distance = gf_distanceNm(from, to);
    const double bearing = gf_initialBearing(from, to);
    bool inTheWay = false;
    if (s.onGround)
        // Ahead of the user aircraft on its line, while it is low and near: not behind it.
        inTheWay = user.altitudeAboveGround < groundCheckHeight && distance <= groundCheckRange &&
                   gf_aheadOffsetFeet(distance, user.heading, bearing) <= groundLineOffset;
    else
        // The aircraft's own line comes close to the user aircraft: it flies toward it, not away.
        inTheWay = distance <= airCheckRange && std::abs(s.altitude - user.altitude) < airCheckLevels &&
                   gf_aheadOffsetFeet(distance, s.heading, bearing + std::numbers::pi) <= airLineOffset;
    if (inTheWay)
        lf_removeAircraft(act, "in the user's way");
    return inTheWay;
}

void lf_userGroundConflict()
{
    const UserAircraft& user = gf_currentUserAircraft();
    const double userRadius = gf_userAircraftInfo().halfWingspan;
    for (Act& act : liveActs)
        if (const Seen s = lf_seen(act); act.base.status == statusCreated && s.onGround &&
            lf_touchesUser(user, userRadius, s.latitude, s.longitude, act.base.head.wingspan)) {
            lf_removeAircraft(act, "in the user's way");
            return;
        }
    // Static aircraft stand still: they are tested again only after the user has moved.
    const LatLon position{user.latitude, user.longitude};
    if (lastCheckedUser == position)
        return;
    lastCheckedUser = position;
    for (StaticAct& parked : staticActs)
        if (parked.status == statusCreated &&
            lf_touchesUser(user, userRadius, parked.latitude, parked.longitude, parked.head.wingspan)) {
            lf_removeAircraft(parked);
            return;
        }
}
