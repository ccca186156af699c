// Who yields at a stand: static parked aircraft always give way to live ones; between live
// aircraft the newcomer wins unless it is a ghost or the parked one keeps its stand; an
// aircraft parked beside stays only when the two wingspans fit.
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"

namespace {
bool lf_logging() { return LOG.value.load(); }


// The callsign less its ghost mark; empty when it carries none.
std::string lf_ghostOf(const std::string& callsign)
{
    return !callsign.empty() && callsign.back() == '_' ? callsign.substr(0, callsign.size() - 1) : std::string();
}

bool lf_isGhost(const std::string& callsign) { return !callsign.empty() && callsign.back() == '_'; }

// A static aircraft at the stand makes place: removed, or its queued creation withdrawn.
bool lf_makesPlaceFor(const Act& act, const StandRecord& stand, StaticAct& parked)
{
    if (parked.standNumber != stand.standNumber || (parked.status != statusCreated && parked.status != statusQueued))
        return false;
    const FlightIdent& ident = parked.head.identity;
    const std::string line = fmt::format("{:8}: {:8} {} makes place for{} {} {} {}", stand.id, ident.callsign,
                                         gf_airlineTypeText(ident), gf_sameAircraft(parked, act) ? " the same live version" : "",
                                         act.callsign(), gf_airlineTypeText(act.base.head.identity), gf_clockTimeText());
    if (parked.status == statusCreated) {
        if (lf_logging())
            gf_log(line);
        lf_removeAircraft(parked);
        return true;
    }
    if (lf_logging())
        gf_log("queued " + line);
    // Copies: the record goes with its creation.
    lf_withdrawCreation(false, parked.head.flightId, std::string(ident.callsign));
    return true;
}

bool lf_adjacentStaticRemoved(const Act& act, const StandRecord& stand, std::uint32_t adjacent, StaticAct& parked)
{
    if (parked.standNumber != adjacent || parked.status != statusCreated ||
        parked.head.wingspan + act.base.head.wingspan <=
            gf_distanceNm(parked.latitude, parked.longitude, stand.latitude, stand.longitude))
        return false;
    if (lf_logging())
        gf_logf("{:8}: {:8} removed by adjacent parking {} at {}", gf_standLogName(adjacent), parked.head.identity.callsign,
                act.callsign(), stand.id);
    lf_removeAircraft(parked);
    return true;
}
} // namespace

bool lf_collisionAvoidance(const Act& live, StaticAct& parked)
{
    if (parked.status != statusCreated ||
        gf_distanceNm(live.latitude, live.longitude, parked.latitude, parked.longitude) >
            (parked.head.wingspan + live.base.head.wingspan) * 1.1)
        return false;
    if (lf_logging())
        gf_logf("{:8}: {:8} removed for collision avoidance with live {}", gf_standLogName(parked.standNumber),
                parked.head.identity.callsign, live.callsign());
    lf_removeAircraft(parked);
    return true;
}

bool lf_standWanted(StandContext& context, Act& other)
{
    if (!gf_parkedAt(other, context.standNumber))
        return false;
    const std::string stand = gf_standLogName(context.standNumber);
    const std::string& mine = context.newcomer->callsign();
    const std::string& theirs = other.callsign();
    // A ghost is its flight's callsign followed by "_", nothing else.
    const bool logging = lf_logging();
    if (mine == theirs) {
        if (logging)
            gf_logf("{:8}: {:8} ac with same callsign {} wants it, remove existing ... ", stand, theirs, mine);
        lf_removeAircraft(other, "its stand taken by the same callsign");
    } else if (lf_ghostOf(mine) == theirs && !theirs.empty()) {
        if (logging)
            gf_logf("{:8}: {:8} ghost {} wants it, but don't do it ... ", stand, theirs, mine);
        context.goAhead = false;
    } else if (lf_ghostOf(theirs) == mine && !mine.empty()) {
        if (logging)
            gf_logf("{:8}: {:8} ghost, replace by {}", stand, theirs, mine);
        lf_removeAircraft(other, "ghost");
    } else if (lf_isGhost(theirs) && !lf_isGhost(mine)) {
        if (logging)
            gf_logf("{:8}: {:8} ghost, replace by {}", stand, theirs, mine);
        lf_removeAircraft(other, "ghost");
    } else if (!lf_isGhost(theirs) && lf_isGhost(mine)) {
        if (logging)
            gf_logf("{:8}: {:8} ghost {} wants it, refused ", stand, theirs, mine);
        context.goAhead = false;
    } else if (other.keepStand) {
        if (logging)
            gf_logf("{:8}: {:8} other live {} wants it? {} ", stand, theirs, mine, gf_clockTimeText());
        context.goAhead = false;
    } else {
        if (logging)
            gf_logf("{:8}: {:8} removed because of new {}", stand, theirs, mine);
        lf_removeAircraft(other, "its stand taken by a newcomer");
    }
    return true;
}

bool lf_adjacentColliding(StandContext& context, Act& other)
{
    const Act& newcomer = *context.newcomer;
    if (!gf_parkedAt(other, context.standNumber) || other.callsign() == newcomer.callsign() ||
        context.stand == nullptr)
        return false;
    const StandRecord& stand = *context.stand;
    const double apart = gf_distanceNm(other.latitude, other.longitude, stand.latitude, stand.longitude);
    const double spans = other.base.head.wingspan + newcomer.base.head.wingspan;
    const std::string adjacent = gf_standLogName(context.standNumber);
    if (spans > apart) {
        if (lf_logging())
            gf_logf("{:8}: {:8} at adjacent and colliding, {} blocks live {} parking", adjacent, other.callsign(),
                    other.callsign(), newcomer.callsign());
        context.goAhead = false;
        return true;
    }
    if (lf_logging())
        gf_logf("{:8}: {:8} stays, while live {} at adjacent, and possibly colliding {}, is parking, but wingspans fit {}",
                adjacent, other.callsign(), newcomer.callsign(), stand.id, gf_clockTimeText());
    return false;
}

void lf_clearStand(Act& act, StandRecord& stand)
{
    for (StaticAct& parked : staticActs)
        if (lf_makesPlaceFor(act, stand, parked))
            break;
    for (const std::uint32_t adjacent : stand.neighbours)
        for (StaticAct& parked : staticActs)
            if (lf_adjacentStaticRemoved(act, stand, adjacent, parked))
                break;
}
