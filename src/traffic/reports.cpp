// Report matching: which known aircraft a report belongs to, which reports are ignored,
// identity changes of created aircraft, ghosts, and new aircraft from unmatched reports.
#include "traffic/manager.h"
#include "traffic/motion.h"
#include "traffic/shownlimits.h"

#include "airports/airports.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "liveries/liveries.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {
// Reports just above the park airport are neither new aircraft nor first points.
bool lf_inNearField(double altitude)
{
    const ParkAirport park = gf_parkAirport();
    const double elevation = park.code.empty() ? -1000.0 : park.elevation;
    return altitude > 0.0 && altitude < 10000.0 && std::abs(altitude - elevation) <= 120.0;
}

// Degrees between two tracks, 0..180.
double lf_trackDifference(double a, double b)
{
    const double d = std::fmod(std::abs(a - b), 360.0);
    return d > 180.0 ? 360.0 - d : d;
}

// Where the aircraft stands or taxis: the airport it departs from, or where it landed.
void lf_noteGround(Act& act, const LiveReport& r)
{
    if (r.airborne)
        return;
    act.groundLatitude = r.latitude;
    act.groundLongitude = r.longitude;
}

// Seconds that a distance (nm) takes at a speed (kt); 15 s at no speed.
double lf_secondsFor(double distance, double speed) { return speed == 0.0 ? 15.0 : distance / speed * 3600.0; }

bool lf_reportIgnored(const LiveReport& r, const Act& act)
{
    const double t = r.timeStamp;
    const double t0 = act.reportTime;
    const double g = r.groundSpeed;
    const PathPoint& last = act.path.back();
    const double g0 = last.speed;
    if (t == t0 || t - t0 <= 1.0)
        return true;
    // A predicted point is no report: a report is never too fast or too slow for it (a take-off
    // predicted standing still would refuse every report of its climb).
    if (act.predictionCount >= 1)
        return false;
    if ((g > 5 && g0 >= 10 * g) || (g <= 5 && g0 >= 80))
        return true;
    // Much faster than the last: a garbage speed, unless the report moved like it (a take-off
    // roll from a stop, or after old positions sent again, which stand still).
    if (((g0 > 5 && g >= 10 * g0) || (g0 <= 5 && g >= 80)) &&
        gf_distanceNm(last.latitude, last.longitude, r.latitude, r.longitude) < g / 4.0 * (t - t0) / 3600.0)
        return true;
    const double turn = lf_trackDifference(r.track, last.track);
    if (r.airborne)
        // Without both tracks a flight may be turning: no steady repeat.
        return r.hasTrack && last.trackPresent && g > 120 && turn <= 1.0 && t - t0 <= lf_secondsFor(0.2429805615550756, g);
    return g <= 30 && turn <= 2.0 && t - t0 <= std::min(lf_secondsFor(0.010799136069114472, g), 15.0);
}

void lf_takeRoute(FlightIdent& ident, const FlightIdent& reported)
{
    if (!reported.departure.empty())
        ident.departure = reported.departure;
    if (!reported.destination.empty())
        ident.destination = reported.destination;
}

// Fills in the route fields the aircraft lacks: the same flight, better known. True when the
// route became complete.
bool lf_fillRoute(FlightIdent& ident, const FlightIdent& reported)
{
    const bool incomplete = ident.departure.empty() || ident.destination.empty();
    for (auto [own, given] : {std::pair{&ident.departure, &reported.departure},
                              std::pair{&ident.destination, &reported.destination}})
        if (own->empty())
            *own = *given;
    return incomplete && !ident.departure.empty() && !ident.destination.empty();
}

// True when the report gives a new route. It must carry both fields, both differing: a report
// without a route, or with half of one, says nothing about a route change.
bool lf_checkRoute(Act& act, const LiveReport& r)
{
    FlightIdent& ident = act.base.head.identity;
    const bool bothDiffer = ident.departure != r.ident.departure && ident.destination != r.ident.destination &&
                            !r.ident.departure.empty() && !r.ident.destination.empty();
    if (ident.departure.empty() || ident.destination.empty() || !bothDiffer)
        return false;
    lf_takeRoute(ident, r.ident);
    if (act.onGround && act.phase != phaseToStand && act.phase != phaseAtStand) {
        gf_setPhase(act, phaseGround);
        act.forcedHeading = act.heading;
    }
    return true;
}

// Holds the aircraft where it is while its old object is removed; it is created again
// under its new identity.
void lf_prepareLiveryChange(Act& act)
{
    const std::int64_t next = gf_now() + 1;
    if (act.path.empty())
        act.path.push_back({.latitude = act.latitude, .longitude = act.longitude, .altitude = act.altitude});
    if (act.phase != phaseAtStand) {
        PathPoint here = act.path.front();
        here.reportTick = 0;
        here.latitude = act.latitude;
        here.longitude = act.longitude;
        here.roll = act.bank;
        here.rollPresent = 1;
        here.altitude = act.altitude;
        here.tick = static_cast<std::uint32_t>(next);
        PathPoint& front = act.path.front();
        front.hold = front.latitude == act.latitude && front.longitude == act.longitude;
        act.path.push_front(here);
    } else {
        PathPoint former = act.path.front();
        former.reportTick = 0;
        if (act.path.size() >= 2) {
            gf_logf("{:8}: {} {} livery change stream.size: {} !", gf_standLogName(act.base.standNumber),
                    act.callsign(), gf_nowString(), act.path.size());
            act.path.resize(1);
        }
        act.path.front().hold = 1;
        act.path.front().track = act.heading * radToDeg;
        former.hold = 1;
        former.tick = static_cast<std::uint32_t>(next);
        act.path.push_front(former);
    }
    act.base.status = statusRecreate;
    act.removalAsked = gf_now();
}

// Whether the aircraft is still where its route departs from: its departure is the park airport,
// or it was last on the ground at that airport (taken to be so where the airport list does not
// know the code).
bool lf_atDeparture(const Act& act)
{
    const std::string& departure = act.base.head.identity.departure;
    if (departure == gf_parkAirport().iata)
        return true;
    if (std::isnan(act.groundLatitude))
        return false;
    bool known = false;
    for (const Airport& airport : airportList) {
        if (airport.iata != departure && airport.code != departure)
            continue;
        if (gf_withinNm(airport.lat, airport.lon, act.groundLatitude, act.groundLongitude, parkAirportReachNm))
            return true;
        known = true;
    }
    return !known;
}

// False stops the update: the report is not applied.
bool lf_checkIdentity(Act& act, const LiveReport& r)
{
    FlightIdent& ident = act.base.head.identity;
    // The feed mixes in records of the flight that brought the aircraft where it departs from: their
    // identity is not the aircraft's. Elsewhere a route back there is its next flight.
    if (!ident.departure.empty() && r.ident.destination == ident.departure && lf_atDeparture(act))
        return true;
    if (act.base.status == statusNew) {
        lf_takeRoute(ident, r.ident);
        if (ident.registration.empty())
            ident.registration = r.ident.registration;
        if (ident.callsign.empty())
            ident.callsign = r.ident.callsign;
        return true;
    }
    // A route filled in keeps the object, whatever it does; a created one gets the flight plan
    // its creation could not write.
    if (lf_fillRoute(ident, r.ident) && act.base.status == statusCreated && !act.flightPlanSet)
        lf_createFlightPlan(act);
    // A new identity is a new object: not while landing or rolling out, where it would stop on
    // the runway.
    if (act.base.status != statusCreated || act.phase < phaseGround || gf_landingFlagsSet(act) || act.landingRoll)
        return true;
    const std::string columns = gf_actColumns(act); // the log names it as it was
    const bool newRoute = lf_checkRoute(act, r);
    const std::string& callsign = r.ident.callsign;
    if (!callsign.empty() && callsign != ident.callsign && callsign != ident.registration) {
        // A ghost's report is refused while the flight it belongs to is shown.
        const bool ghost = callsign.back() == '_';
        if (ghost && lf_ghostOwnerExists(callsign))
            return false;
        ident.callsign = callsign;
        ident.optionCallsign = callsign;
        ident.optionSecond.clear();
        if (!ghost)
            lf_removeGhost(callsign);
    } else if (!newRoute) {
        return true;
    }
    if (!GUID_CHANGES.value.load())
        return true;
    if (LOG.value.load())
        lf_logIndented(gf_formatColumns(ident));
    lf_prepareLiveryChange(act);
    act.forcedHeading = act.heading;
    act.forcedHeadingSet = 1;
    gf_logf("{} removed, made again as {} for its new identity", columns, ident.callsign);
    removalQueue.push_back(act.base.objectId);
    return false;
}

void lf_newActFromReport(LiveReport& r)
{
    const auto sizeClass = static_cast<std::uint32_t>(gf_sizeCategory(r.ident.type));
    if ((sizeClass == 0 && !LIGHT_AIRCRAFT.value.load()) || (sizeClass == 5 && !HELICOPTERS.value.load()) ||
        (sizeClass == 4 && !HIGH_PERF_AIRCRAFT.value.load()))
        return;
    if (lf_inNearField(r.altitude))
        return;
    gf_decideGround(r, sizeClass, nullptr);
    FlightIdent ident = r.ident;
    ident.optionCallsign = ident.callsign;
    ident.optionSecond.clear();
    ident.word = 0;
    ActHead head(ident);
    head.sizeClass = sizeClass;
    head.flightId = r.hexid;
    liveActs.push_back(lf_newAct(std::move(head), {gf_pointOfReport(r)}, r.timeStamp));
    liveActs.back().category = r.category;
    lf_noteGround(liveActs.back(), r);
    gf_noteNews(liveActs.back(), r);
    gf_startMotionClass(liveActs.back());
}

void lf_resolveType(LiveReport& r)
{
    const std::string sent = r.ident.type;
    if (r.ident.type.empty())
        r.ident.type = gf_dbTypeOfReg(r.ident.registration);
    if (!gf_isKnownAircraft(r.ident.type)) {
        r.ident.type = gf_dbTypeOfReg(r.ident.registration);
        if (r.ident.type.empty()) {
            // An aircraft that is there and never appears: the user is told why, once per flight.
            if (unknownTypeFlights.insert(r.hexid).second)
                gf_logf("          {:8} not shown, {}", r.ident.callsign.empty() ? r.ident.registration : r.ident.callsign,
                        sent.empty() ? "no type" : fmt::format("type \"{}\" unknown", sent));
            return;
        }
    }
    lf_newActFromReport(r);
}

// Another record shows the flight under a second hex id: the same callsign and type, where the
// callsign is a real one or that record's last report lies within what either's speed covers
// since. Where an aircraft sends no callsign the feed puts its type there, which two aircraft share.
bool lf_shownUnderAnotherId(const LiveReport& r)
{
    const std::string& callsign = r.ident.callsign;
    if (callsign.empty())
        return false;
    const PathPoint here = gf_pointOfReport(r);
    return std::any_of(liveActs.begin(), liveActs.end(), [&](const Act& act) {
        return act.callsign() == callsign && act.base.head.identity.type == r.ident.type &&
               (callsign != r.ident.type || gf_taxiReach(act.news, act.newsTime, here, r.timeStamp));
    });
}
} // namespace

PathPoint gf_pointOfReport(const LiveReport& r)
{
    return {.latitude = r.latitude,
            .longitude = r.longitude,
            .roll = r.roll,
            .rollPresent = r.hasRoll,
            .heading = r.heading,
            .headingPresent = r.hasHeading,
            .altitude = r.altitude,
            .speed = r.groundSpeed,
            .track = r.track,
            .trackPresent = r.hasTrack,
            .verticalSpeed = r.verticalSpeed,
            .trueAirSpeed = r.trueAirSpeed,
            .tick = static_cast<std::uint32_t>(r.expiry),
            .reportTick = static_cast<std::uint32_t>(r.expiry),
            .airborne = r.airborne,
            .hold = 0,
            .headingFromAdsb = r.headingFromAdsb};
}

void gf_setPhase(Act& act, std::uint32_t phase)
{
    if (act.phase == phase)
        return;
    act.previousPhase = act.phase;
    act.phase = phase;
}

bool lf_updateAct(LiveReport& r, Act& act)
{
    if (act.base.head.flightId != r.hexid)
        return false;
    if ((act.base.status == statusRecreate && !act.madeAgain) || act.base.status == statusRemoving)
        return true;
    if (r.reach == beyondMargin) {
        // Gone beyond the margin: it flies out the points it has and ends, not predicted unless
        // a later report brings it back.
        if (act.base.status == statusNew)
            act.remove = 1;
        else
            act.predictionCount = -1;
        act.leftTheMargin = 1;
        return true;
    }
    act.leftTheMargin = 0;
    if (gf_holdOutlier(act, r))
        return true;
    const double readerAltitude = r.altitude;
    gf_decideGround(r, gf_motionClassOf(act.base.head), &act);
    gf_noteNews(act, r);
    if (!act.path.empty() && lf_reportIgnored(r, act))
        return true;
    if (act.base.status == statusNew && lf_inNearField(readerAltitude))
        return true;
    if (!lf_checkIdentity(act, r))
        return true;
    // Back within the margin: the flight may be predicted through its gaps again.
    if (act.predictionCount < 0)
        act.predictionCount = 0;
    act.reportTime = r.timeStamp;
    if (r.category != 0)
        act.category = r.category;
    lf_noteGround(act, r);
    lf_applyReport(act, gf_pointOfReport(r));
    gf_updateMotionClass(act);
    return true;
}

void lf_processReport(LiveReport report)
{
    for (Act& act : liveActs)
        if (lf_updateAct(report, act))
            return;
    if (report.reach != withinRadius)
        return; // a flight followed beyond the radius that is no longer shown
    if (lf_shownUnderAnotherId(report))
        return;
    if (lf_keptOutAtStand(report))
        return;
    lf_resolveType(report);
}

bool lf_ghostOwnerExists(const std::string& callsign)
{
    if (callsign.empty())
        return false;
    const std::string_view owner(callsign.data(), callsign.size() - 1);
    for (const Act& act : liveActs)
        if (act.base.status != statusRemoving && act.callsign() == owner)
            return true;
    return false;
}

void lf_removeGhost(const std::string& callsign)
{
    const std::string ghostCallsign = callsign + "_";
    for (Act& ghost : liveActs) {
        if (ghost.callsign() != ghostCallsign || ghost.base.status == statusRemoving)
            continue;
        if (LOG.value.load()) {
            if (ghost.phase == phaseAtStand)
                gf_logf("{:8}: {:8} is a ghost and will be removed, continue with {}",
                        gf_standLogName(ghost.base.standNumber), ghostCallsign, callsign);
            else
                gf_logf("          {:8} is a ghost and will be removed, continue with {}", ghostCallsign, callsign);
        }
        ghostList.push_back(ghostCallsign);
        if (ghost.base.status != statusNew)
            lf_removeAircraft(ghost, "ghost");
        else
            ghost.remove = 1;
        return;
    }
}
