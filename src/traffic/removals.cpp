// Removals for other reasons than the live data: all static parked aircraft, the aircraft on
// the reserved stand, static aircraft whose real aircraft parks live, and queued creations.
#include "traffic/parking.h"

#include <algorithm>

void lf_removeStaticParked()
{
    std::vector<std::string> queued;
    for (StaticAct& parked : staticActs) {
        if (parked.status == statusCreated)
            lf_removeAircraft(parked);
        else if (parked.status == statusQueued)
            queued.push_back(parked.head.identity.callsign);
    }
    // Withdrawing a queued creation erases its record, so the table is walked again.
    for (const std::string& callsign : queued)
        if (!lf_cancelStaticCreation(callsign))
            for (StaticAct& parked : staticActs)
                if (parked.status == statusQueued && parked.head.identity.callsign == callsign)
                    parked.removeWhenCreated = 1;
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
        if (act.base.standNumber == number && act.phase == phaseAtStand && act.base.status == statusCreated) {
            lf_removeAircraft(act);
            return;
        }
}

namespace {
void lf_removeParkedByName(Act& act)
{
    if (!act.onGround || act.base.status != statusCreated)
        return;
    const FlightIdent& live = act.base.head.identity;
    for (StaticAct& parked : staticActs) {
        const FlightIdent& ident = parked.head.identity;
        if (parked.status == statusCreated &&
            (ident.callsign == live.callsign + "*" ||
             (!live.registration.empty() && ident.registration == live.registration))) {
            lf_removeAircraft(parked);
            return;
        }
    }
}
} // namespace

void gf_removeParkedByNameEach()
{
    if (staticActs.empty())
        return;
    for (Act& act : liveActs)
        lf_removeParkedByName(act);
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
        if (Act* act = gf_findAct(item->flightId))
            act->remove = 1;
        item = liveCreationItems.erase(item);
    }
    return found;
}

void gf_removeBlockedCallsign(const std::string& callsign)
{
    for (Act& act : liveActs)
        if (act.callsign() == callsign && act.base.status == statusCreated) {
            lf_removeAircraft(act);
            return;
        }
}
