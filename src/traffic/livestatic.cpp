// A new live aircraft against the static parked ones: when its real aircraft is one that a
// static aircraft stands for, the static aircraft goes, so no aircraft is shown twice.
#include "traffic/parking.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"

namespace {
// The identity word's mark: the coupled-callsign search was made for this flight.
constexpr std::uint64_t coupledSearched = 1;

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

bool gf_checkStaticConflict(std::uint32_t flightId, WeekSlot slot)
{
    Act* act = gf_findAct(flightId);
    if (!act)
        return false;
    FlightIdent& ident = act->base.head.identity;
    if ((ident.word & coupledSearched) == 0) {
        lf_searchForCoupledCsAroundThisTime(slot, *act);
        ident.word |= coupledSearched;
    }
    if (ident.callsign.empty())
        return true;
    const LiveContext context{act, ident.callsign.substr(0, ident.callsign.size() - 1), act->onGround != 0};
    for (StaticAct& parked : staticActs)
        if (lf_newLiveAircraft(context, parked) == 1) {
            lf_removeAircraft(parked);
            break;
        }
    return true;
}
