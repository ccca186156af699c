// A new live aircraft against the static parked ones: when its real aircraft is one that a
// static aircraft stands for, the static aircraft goes, so no aircraft is shown twice. The
// aircraft to check wait in the static-conflict list, one is taken a second.
#include "traffic/parking.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"

namespace {
const char* lf_where(const LiveContext& context) { return context.onGround ? "on ground" : "airborne"; }

bool lf_eitherField(const std::string& callsign, const FlightIdent& parked)
{
    return !callsign.empty() && (callsign == parked.optionCallsign || callsign == parked.optionSecond);
}
} // namespace

std::int32_t lf_newLiveAircraft(const LiveContext& context, const StaticAct& parked)
{
    if (parked.status != statusCreated)
        return 0;
    const bool log = LOG.value.load();
    const FlightIdent& live = context.act->base.head.identity;
    const FlightIdent& ident = parked.head.identity;
    const std::string stand = gf_standLogName(parked.standNumber);
    if (parked.linkedFlightKnown && parked.linkedFlightId == context.act->base.head.flightId) {
        if (log)
            gf_logf("{:8}: {:8} removed, new {} {} has same hexid", stand, ident.callsign, live.callsign,
                    lf_where(context));
        return 1;
    }
    if (!live.registration.empty() && live.registration == ident.registration) {
        if (log)
            gf_logf("{:8}: {:8} {} removed, new {} {} has same regcode {}", stand, ident.callsign, ident.registration,
                    live.callsign, lf_where(context), live.registration);
        return 1;
    }
    const bool ghost = !live.callsign.empty() && live.callsign.back() == '_';
    if (lf_eitherField(live.callsign, ident) || lf_eitherField(live.optionSecond, ident) ||
        (ghost && lf_eitherField(context.callsignStem, ident))) {
        if (log)
            gf_logf("{:8}: {:8} \"{} {}\" removed, new {} {} \"{} {}\" has {} callsign {}", stand, ident.callsign,
                    ident.optionCallsign, ident.optionSecond, live.callsign, lf_where(context), live.optionCallsign,
                    live.optionSecond, ident.optionCallsign == live.callsign ? "same" : "coupled", live.callsign);
        return 1;
    }
    return 0;
}

std::deque<std::uint32_t> staticConflictChecks;

bool gf_sameAircraft(const StaticAct& parked, const Act& live)
{
    const FlightIdent& a = parked.head.identity;
    const FlightIdent& b = live.base.head.identity;
    return a.callsign == b.callsign + "*" || (!b.registration.empty() && a.registration == b.registration);
}

// One identifier a second: the first static parked aircraft that stands for the new live one
// leaves. An aircraft removed since its identifier was pushed is simply dropped, so that the
// identifiers behind it are not held up.
void lf_checkStaticConflict()
{
    if (staticConflictChecks.empty())
        return;
    Act* act = gf_findAct(staticConflictChecks.front());
    staticConflictChecks.pop_front();
    if (!act)
        return;
    FlightIdent& ident = act->base.head.identity;
    if ((ident.word & coupledSearched) == 0) {
        lf_searchForCoupledCsAroundThisTime(gf_slotNow(), *act);
        ident.word |= coupledSearched;
    }
    if (ident.callsign.empty())
        return;
    // Checked before its creation was answered, the aircraft's own flag is not set yet.
    const bool onGround = act->onGround != 0 || (!act->path.empty() && !act->path.front().airborne);
    const LiveContext context{act, ident.callsign.substr(0, ident.callsign.size() - 1), onGround};
    for (StaticAct& parked : staticActs)
        if (lf_newLiveAircraft(context, parked) == 1) {
            lf_removeAircraft(parked);
            return;
        }
}
