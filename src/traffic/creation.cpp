// Whether and when a new live aircraft is created: its path, the user's surroundings, the
// aircraft limit, blocked flights, registration data, livery and stand, then its creation
// request with the attitude it starts with.
#include "traffic/manager.h"
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "links/simlink.h"
#include "liveries/liveries.h"
#include "liveries/matching.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace {
constexpr double standReach = 0.029697624190064796; // 55 m
constexpr double standStill = 0.018898488120950324; // 35 m
constexpr std::size_t fullCreationQueue = 11;
const std::string noCallsign = "@@@@@@@@";

// The livery chosen per flight id, so that a flight seen again looks the same.
std::unordered_map<std::uint32_t, std::string_view> liveryCache;

double lf_distanceToUser(const PathPoint& p, const UserAircraft& user)
{
    return gf_distanceNm(p.latitude, p.longitude, user.latitude, user.longitude);
}

// True when the aircraft must wait for the user aircraft (its oldest point is dropped).
bool lf_inUsersWay(Act& act)
{
    const UserAircraft& user = gf_currentUserAircraft();
    const PathPoint& first = act.path.front();
    if (userOnGround.load()) {
        if (act.inUsersWay) {
            if (user.groundSpeed > 8.0)
                return true;
            if (!first.airborne && (first.speed > 8.0 || lf_distanceToUser(first, user) * metresPerNm < 500.0))
                return true;
        }
        return !first.airborne && COLLISION_USER_GND.value.load() &&
               lf_distanceToUser(first, user) < 0.08099352051835854;
    }
    if (!COLLISION_USER_AIR.value.load())
        return false;
    const double d = lf_distanceToUser(first, user);
    const double fromUser = gf_initialBearing({user.latitude, user.longitude}, {first.latitude, first.longitude});
    if (!first.airborne) {
        if (act.inUsersWay)
            return true;
        if (d <= 1.5 && user.altitudeAboveGround < 1000.0 &&
            gf_aheadOffsetFeet(d, user.heading, fromUser) <= 500.0) {
            act.inUsersWay = 1;
            return true;
        }
        return false;
    }
    const PathPoint& next = act.path[1];
    const double motion = gf_initialBearing({first.latitude, first.longitude}, {next.latitude, next.longitude});
    if (d <= 6.0 && std::abs(first.altitude - user.altitude) < 3000.0 &&
        gf_aheadOffsetFeet(d, motion, fromUser + std::numbers::pi) <= 4000.0) {
        act.inUsersWay = 1;
        return true;
    }
    return false;
}

bool lf_atLimit(const Act& act)
{
    const std::int32_t limit = MAX_LIVE.value.load();
    if (limit == MAX_LIVE.defaultValue)
        return false;
    const auto created = std::count_if(liveActs.begin(), liveActs.end(),
                                       [](const Act& a) { return a.base.status == statusCreated; });
    if (created + creationRequests.size() + liveCreationItems.size() < static_cast<std::size_t>(limit))
        return false;
    return lf_removeFarthest(lf_distanceToUser(act.path.front(), gf_currentUserAircraft()));
}

void lf_takeRegistrationData(ActHead& head)
{
    FlightIdent& ident = head.identity;
    if (ident.registration.empty())
        return;
    for (const std::string& spelling : gf_regcodeVariants(ident.registration)) {
        std::optional<DbRecord> record;
        if (!lf_findDbRecord(spelling, record) || !record)
            continue;
        if (!record->airl.empty())
            ident.airline = record->airl;
        if (!record->opr.empty())
            ident.airline = record->opr;
        if (!record->type.empty())
            ident.type = record->type;
        head.cargo = record->cargo;
        if (ident.callsign.empty() || ident.callsign == noCallsign)
            ident.callsign = ident.registration;
        return;
    }
}

// Refused when another aircraft holds the stand or stands too close beside it.
bool lf_standRefused(Act& act, const StandRecord& stand)
{
    if (gf_userStand(stand))
        return true;
    StandContext context{stand.standNumber, &act, true};
    for (Act& other : liveActs)
        if (&other != &act && lf_standWanted(context, other))
            break;
    if (!context.goAhead)
        return true;
    for (const std::uint32_t adjacent : stand.neighbours) {
        StandContext beside{adjacent, &act, true, &stand};
        for (Act& other : liveActs)
            if (&other != &act && lf_adjacentColliding(beside, other))
                break;
        if (!beside.goAhead)
            return true;
    }
    return false;
}

void lf_parkAt(Act& act, StandRecord& stand)
{
    PathPoint& front = act.path.front();
    front.hold = 1;
    front.speed = 0.0;
    act.base.latitude = stand.latitude;
    act.base.longitude = stand.longitude;
    act.base.heading = stand.heading;
    act.base.standNumber = stand.standNumber;
    act.base.standCargo = stand.cargo;
    gf_setPhase(act, phaseAtStand);
    gf_holdStand(stand, act);
    gf_startParkedTime(act);
    act.firstStandDistance = act.latestStandDistance = 0.0;
    act.movingAwayCount = 0;
    lf_teachCargo(act);
    act.path.resize(1);
    act.path.front().latitude = stand.latitude;
    act.path.front().longitude = stand.longitude;
    act.path.front().track = stand.heading * radToDeg;
    const WeekSlot slot = gf_slotNow();
    if (lf_learnRealOption(stand.standNumber, act, false, slot, false))
        gf_noteLearned(act.base.head.flightId, slot.halfHour);
}

// Places a ground aircraft at the stand it stands at, or sets it moving. False when the
// decision must wait (its first point was dropped) or the aircraft was refused.
bool lf_placeOnGround(Act& act)
{
    std::deque<PathPoint>& path = act.path;
    const ParkAirport park = gf_parkAirport();
    const PathPoint* at = &path.front();
    bool standing = !parkStands.empty() && !park.code.empty() &&
                    gf_distanceNm(at->latitude, at->longitude, park.latitude, park.longitude) <= 5.0;
    if (standing && !path.front().hold) {
        standing = path[1].speed <= 5.0 && gf_distanceNm(path.front().latitude, path.front().longitude,
                                                         path.back().latitude, path.back().longitude) <= standStill;
        at = &path.back();
    }
    if (!standing) {
        gf_setPhase(act, phaseGround);
        return true;
    }
    StandRecord* stand = lf_findStandNear(at->latitude, at->longitude, act, standReach, path.front().hold != 0);
    if (stand == nullptr) {
        // Standing away from the stands, it waits for its newest report; with no more than its
        // standing reports it stands there (sparse reports would drop it point by point).
        if (path[1].hold && path.size() > 2) {
            path.pop_front();
            return false;
        }
        gf_setPhase(act, phaseGround);
        return true;
    }
    if (lf_standRefused(act, *stand)) {
        act.remove = 1;
        return false;
    }
    // Asked for only where the park maximum, counting the creations asked for, leaves room.
    if (!gf_parkRoomForOneMore()) {
        gf_logf("{:8}: {:8} max park reached, not shown", stand->id, act.callsign());
        gf_keepOut(act.base.head.flightId, at->latitude, at->longitude);
        act.remove = 1;
        return false;
    }
    const std::uint32_t number = stand->standNumber;
    lf_clearStand(act, *stand);
    if (StandRecord* same = gf_findStand(number))
        lf_parkAt(act, *same);
    return true;
}

// The simulator's answer names the object it made by its callsign: while a creation under this
// callsign awaits its answer, another would be taken for it.
bool lf_creationPending(const std::string& callsign)
{
    return std::any_of(liveActs.begin(), liveActs.end(), [&](const Act& other) {
        return other.base.status == statusQueued && other.base.objectId == 0 && other.callsign() == callsign;
    });
}

double lf_creationPitch(const PathPoint& p)
{
    if (!p.airborne)
        return 0.010471975511965976;
    double v = p.verticalSpeed;
    v = v > 0 ? std::min(v, 2400.0) : std::max(v, -3000.0) / 2;
    return (-3.0 - v / 600.0 * 2.2) * degToRad;
}

double lf_creationHeading(const Act& act)
{
    const PathPoint& first = act.path.front();
    double heading = first.track * degToRad;
    if (act.forcedHeadingSet)
        heading = act.forcedHeading;
    else if (act.phase == phaseAtStand)
        heading = act.base.heading;
    else if (act.path.size() >= 2 && !act.path[1].hold)
        heading = gf_initialBearing({first.latitude, first.longitude}, {act.path[1].latitude, act.path[1].longitude});
    if (heading > twoPi)
        heading -= twoPi;
    else if (heading < 0)
        heading += twoPi;
    return heading;
}
} // namespace

void gf_clearLiveryChoices() { liveryCache.clear(); }

bool lf_matchLivery(Act& act)
{
    ActHead& head = act.base.head;
    if (!head.liveryTitle.empty())
        return true;
    if (const auto cached = liveryCache.find(head.flightId); cached != liveryCache.end()) {
        if (gf_isFailedTitle(cached->second)) {
            liveryCache.erase(cached);
        } else {
            head.liveryTitle = cached->second;
            if (LOG.value.load() && !act.forcedHeadingSet)
                gf_logf("          {} =c= {}", gf_formatColumns(head.identity), head.liveryTitle);
            return true;
        }
    }
    matchLiveryLive(act);
    if (head.liveryTitle.empty())
        return false;
    liveryCache[head.flightId] = head.liveryTitle;
    return true;
}

void lf_decideAll(Act& act)
{
    std::deque<PathPoint>& path = act.path;
    if (path.empty()) {
        act.remove = 1;
        return;
    }
    // Not shown yet, it starts at no report that the ones after it show to be astray.
    while (path.size() >= 3 && !gf_canReach(act, path[0], path[1]) && gf_canReach(act, path[1], path[2]))
        path.pop_front();
    const std::int64_t margin = !path.front().airborne && path.front().speed != 0.0 ? 300 : 100;
    if (gf_now() < static_cast<std::int64_t>(path.front().tick) - margin)
        return;
    FlightIdent& ident = act.base.head.identity;
    const bool ghost = !ident.callsign.empty() && ident.callsign.back() == '_';
    // A first report followed only by reports set aside: the newest, where it tells a new place.
    if (path.size() == 1)
        gf_takeNews(act);
    if (path.size() == 1 ||
        (ghost && std::find(ghostList.begin(), ghostList.end(), ident.callsign) != ghostList.end())) {
        gf_dropAct(act, path.size() == 1 ? "its path ran out" : "a ghost");
        return;
    }
    const bool anyAirborne = std::any_of(path.begin(), path.end(), [](const PathPoint& p) { return p.airborne; });
    const bool anyGround = std::any_of(path.begin(), path.end(), [](const PathPoint& p) { return !p.airborne; });
    if ((anyAirborne && anyGround) || lf_inUsersWay(act) ||
        (liveCreationItems.size() >= fullCreationQueue && act.phase == phaseInitial)) {
        path.pop_front();
        return;
    }
    const std::string blocked = BLOCK_CALLSIGN.getValue();
    if (lf_atLimit(act) || (!blocked.empty() && blocked == ident.callsign)) {
        gf_dropAct(act, !blocked.empty() && blocked == ident.callsign ? "its callsign is blocked" : "the live limit");
        return;
    }
    lf_takeRegistrationData(act.base.head);
    if (ident.callsign.empty() || ident.callsign == noCallsign || ident.callsign.size() > 8) {
        act.remove = 1;
        return;
    }
    if (ident.airline.empty() && !gf_airlineFromCallsign(ident))
        ident.airline = "PVT";
    if (noMatchSet.contains(gf_identText(ident)))
        gf_dropAct(act, "no livery");
    else if (ident.callsign.back() == '_' && lf_ghostOwnerExists(ident.callsign))
        gf_dropAct(act, "a ghost");
    else if (!lf_creationPending(ident.callsign))
        lf_decideAircraft(act);
}

void lf_decideAircraft(Act& act)
{
    std::deque<PathPoint>& path = act.path;
    if (path.size() >= 2 && path[1].hold) {
        path[0].hold = 1;
        path[0].speed = path[1].speed = 0.0;
        if (path.size() >= 3 && path[2].hold)
            path[2].speed = 0.0;
    } else {
        path[0].hold = 0;
    }
    if (act.phase == phaseInitial) {
        if (!lf_matchLivery(act)) {
            noMatchSet.insert(gf_identText(act.base.head.identity));
            act.remove = 1;
            return;
        }
        if (path.front().airborne)
            gf_setPhase(act, phaseAirborne);
        else if (!lf_placeOnGround(act))
            return;
    }
    if (!act.remove)
        staticConflictChecks.push_back(act.base.head.flightId);
    const PathPoint& first = path.front();
    act.latitude = first.latitude;
    act.longitude = first.longitude;
    act.pitch = lf_creationPitch(first);
    act.bank = first.rollPresent ? first.roll : 0.0;
    act.altitude = first.altitude;
    act.verticalRate = first.verticalSpeed;
    act.keptSpeed = first.speed;
    act.heading = lf_creationHeading(act);
    act.lastStepHeading = first.airborne ? 0.0 : act.heading;
    act.base.status = statusQueued;
    act.inUsersWay = 0;
    creationRequests.push_back(act.base.head.flightId);
    if (act.callsign().back() != '_')
        lf_removeGhost(act.callsign());
}
