// Whether a report is on the ground, where the traffic manager knows more than the reader: the
// aircraft's last report, and what kind of aircraft it is.
#include "traffic/manager.h"
#include "traffic/motion.h"
#include "traffic/shownlimits.h"

#include "foundation/sizeclasses.h"

#include <cmath>

namespace {
// A fixed-wing aircraft reported at a taxi's speed within this many feet of the park airport's
// elevation is on the ground there, whatever its altitude says (with a QNH other than the standard
// one the pressure altitude of a taxiing aircraft may read well above the field): one stray report
// starts no take-off. Climbing as a climb-out does it has left the ground, as the reader judges.
constexpr double fieldHeight = 1000.0;
constexpr double airTaxiSpeed = 43.0; // knots

// Whether the report flies by what the aircraft's last one was: it lies farther from it than a taxi
// goes, where the outlier hold does not already judge that (the aircraft shown on the ground); or
// it is the last report's position in the air sent again, which is no news of a landing (a feed
// standing still for a minute on a climb, its speed at 20 kt).
bool lf_fliesOn(const LiveReport& r, const Act* act)
{
    if (!act || std::isnan(act->newsTime) || (act->base.status == statusCreated && act->onGround))
        return false;
    const PathPoint p = gf_pointOfReport(r);
    return (act->news.airborne && gf_samePosition(act->news, p)) || !gf_taxiReach(act->news, act->newsTime, p, r.timeStamp);
}
} // namespace

void gf_decideGround(LiveReport& r, std::uint32_t sizeClass, const Act* act)
{
    const bool rotorcraft = sizeClass == rotorcraftClass || r.category == rotorcraftCategory;
    const auto fly = [&r] {
        r.airborne = 1;
        r.altitude = r.readAltitude;
    };
    // A helicopter faster than it air-taxis flies, at its altitude, even about the park airport's
    // height (over lower ground nearby, or with a QNH other than the standard one).
    if (rotorcraft && !r.airborne && r.readAltitude > 0.0 && r.groundSpeed > airTaxiSpeed)
        fly();
    const ParkAirport park = gf_parkAirport();
    // With no park airport the reader had no ground to measure against and went by the speed
    // alone, which the feed gets wrong at times: a report farther from the last than a taxi goes
    // flies (not yet shown, the aircraft then starts in the air), and so does one that sends the
    // last position in the air again. Shown on the ground, a report beyond a taxi is the feed's
    // jump, held until others confirm it.
    if (!r.airborne && r.readAltitude > 0.0 && park.code.empty() && lf_fliesOn(r, act))
        fly();
    if (!r.airborne || r.groundSpeed >= runwaySpeed || r.verticalSpeed >= liftOffClimb || rotorcraft || park.code.empty())
        return;
    if (std::abs(r.altitude - park.elevation) <= fieldHeight &&
        gf_distanceNm(r.latitude, r.longitude, park.latitude, park.longitude) <= parkAirportReachNm) {
        r.airborne = 0;
        r.altitude = 0.0;
    }
}
