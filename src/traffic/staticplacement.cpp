// Static aircraft placement: one stand candidate becomes a static parked aircraft with a
// livery, and its creation is queued behind the live ones.
#include "traffic/parking.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "liveries/liveries.h"

#include <fmt/format.h>

#include <algorithm>

std::uint32_t staticFlightIdCounter = 0;

namespace {
// A live aircraft at the stand, or at one beside it, keeps the candidate away.
bool lf_liveInTheWay(const StaticCandidate& candidate, const StandRecord* stand)
{
    const bool log = LOG.value.load();
    for (const Act& act : liveActs) {
        if (act.phase != phaseToStand && act.phase != phaseAtStand && !gf_onKeptPad(act))
            continue;
        const std::uint32_t at = act.base.standNumber;
        if (at == candidate.standNumber) {
            if (log)
                gf_logf("{:8}: no static parking for {}, live aircraft {} standing here",
                        gf_standLogName(candidate.standNumber), lf_staticCallsign(candidate, staticFlightIdCounter + 1),
                        act.callsign());
            return true;
        }
        if (stand && at != 0 && std::ranges::find(stand->neighbours, at) != stand->neighbours.end()) {
            if (log)
                gf_logf("{:8}: no static parking for {}, live aircraft {} is adjacent at {}, possibly colliding",
                        gf_standLogName(candidate.standNumber), lf_staticCallsign(candidate, staticFlightIdCounter + 1),
                        act.callsign(), gf_standLogName(at));
            return true;
        }
    }
    return false;
}
} // namespace

std::uint32_t gf_nextStaticFlightId()
{
    // 0 means "no aircraft" to the simulator link, so the ids run 1 .. 9999, then 1 again.
    // After the wrap an id still held by a static aircraft is passed over: its answers would
    // find the old record first.
    for (std::uint32_t tried = 1; tried < highestStaticFlightId; ++tried) {
        staticFlightIdCounter = staticFlightIdCounter + 1 >= highestStaticFlightId ? 1 : staticFlightIdCounter + 1;
        if (!gf_findStatic(staticFlightIdCounter))
            break;
    }
    return staticFlightIdCounter;
}

std::string lf_staticCallsign(const StaticCandidate& candidate, std::uint32_t flightId)
{
    std::string callsign = candidate.selector ? candidate.callsign : candidate.secondCallsign;
    while (!callsign.empty() && callsign.back() == '_')
        callsign.pop_back();
    if (callsign.empty())
        return fmt::format("{}{}*", candidate.airline, flightId);
    if (callsign.back() != '*')
        callsign += '*';
    return callsign;
}

void lf_placeStaticParked()
{
    if (parkStands.empty() || standCandidates.empty())
        return;
    // Placed only within the park maximum, counting the live aircraft about to park: a static
    // aircraft placed now would make way for them moments after it was shown.
    if (gf_parkFull()) {
        standCandidates.clear();
        return;
    }
    const StaticCandidate candidate = std::move(standCandidates.back());
    standCandidates.pop_back();
    StandRecord* stand = gf_findStand(candidate.standNumber);
    if (lf_liveInTheWay(candidate, stand))
        return;
    if (!stand) {
        gf_logMarked(fmt::format("stand with id {} not found", candidate.standNumber));
        return;
    }
    const std::uint32_t flightId = gf_nextStaticFlightId();
    FlightIdent ident;
    ident.airline = candidate.airline;
    ident.type = candidate.type;
    ident.callsign = lf_staticCallsign(candidate, flightId);
    ident.optionCallsign = candidate.callsign;
    ident.optionSecond = candidate.secondCallsign;
    ident.registration = candidate.registration;
    ActHead head(ident);
    head.sizeClass = static_cast<std::uint32_t>(gf_sizeCategory(ident.type));
    head.flightId = flightId;
    staticActs.emplace_back(std::move(head), stand->standNumber, stand->latitude, stand->longitude, stand->heading,
                            stand->cargo != 0);
    StaticAct& parked = staticActs.back();
    if (!matchLiveryParked(parked, *stand)) {
        staticActs.pop_back();
        return;
    }
    parked.linkedFlightKnown = candidate.linkedFlightKnown;
    parked.parkedSlot = gf_slotBefore(gf_slotNow(), candidate.level);
    parked.linkedFlightId = candidate.linkedFlightId;
    parked.status = statusQueued;
    // The stand is not marked occupied: a static aircraft makes way for a live one.

    CreationItem item;
    item.position.latitude = stand->latitude;
    item.position.longitude = stand->longitude;
    item.position.heading = stand->heading * radToDeg;
    item.position.onGround = 1;
    item.tailNumber = parked.head.identity.callsign;
    item.liveryTitle = parked.head.liveryTitle;
    item.flightId = flightId;
    staticCreationItems.push_back(std::move(item));
}
