// Removals for other reasons than the live data: all static parked aircraft, the aircraft on
// the reserved stand, static aircraft whose real aircraft parks live, and queued creations.
#include "traffic/parking.h"

#include <algorithm>

void lf_removeStaticParked()
{
    std::vector<std::pair<std::uint32_t, std::string>> queued;
    for (StaticAct& parked : staticActs) {
        if (parked.status == statusCreated)
            lf_removeAircraft(parked);
        else if (parked.status == statusQueued)
            queued.emplace_back(parked.head.flightId, parked.head.identity.callsign);
    }
    // Withdrawing a queued creation erases its record, so the table is not walked meanwhile.
    for (const auto& [flightId, callsign] : queued)
        lf_withdrawCreation(false, flightId, callsign);
}

// A record whose own creation was withdrawn is gone (static) or flagged (live); one that is
// still there has left for the simulator.
void lf_withdrawCreation(bool live, std::uint32_t flightId, const std::string& callsign)
{
    if (live) {
        lf_removeByCallsign(callsign);
        if (Act* act = gf_findAct(flightId); act && !act->remove)
            act->base.removeWhenCreated = 1;
    } else {
        lf_cancelStaticCreation(callsign);
        if (StaticAct* parked = gf_findStatic(flightId))
            parked->removeWhenCreated = 1;
    }
}

void lf_freeReservedStand()
{
    const std::string name = gf_reservedStandName();
    const StandRecord* stand = name.empty() ? nullptr : lf_findStandByName(name);
    if (!stand)
        return;
    const std::uint32_t number = stand->standNumber;
    for (StaticAct& parked : staticActs)
        if (parked.standNumber == number && parked.status == statusCreated) {
            lf_removeAircraft(parked);
            return;
        }
    for (Act& act : liveActs)
        if (gf_parkedAt(act, number)) {
            lf_removeAircraft(act, "on the reserved stand");
            return;
        }
}

void lf_removeParkedByName(Act& act)
{
    if (!act.onGround || act.base.status != statusCreated)
        return;
    for (StaticAct& parked : staticActs)
        if (parked.status == statusCreated && gf_sameAircraft(parked, act)) {
            lf_removeAircraft(parked);
            return;
        }
}

bool lf_removeByCallsign(const std::string& callsign)
{
    bool found = false;
    for (auto item = liveCreationItems.begin(); item != liveCreationItems.end();) {
        if (item->tailNumber != callsign) {
            ++item;
            continue;
        }
        found = true;
        // Flagged, not erased: callers walking the table neither skip nor revisit a record.
        if (Act* act = gf_findAct(item->flightId)) {
            gf_releaseStand(*act);
            act->remove = 1;
        }
        item = liveCreationItems.erase(item);
    }
    return found;
}

