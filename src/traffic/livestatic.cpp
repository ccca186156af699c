// A new live aircraft against the static parked ones: when its real aircraft is one that a
// static aircraft stands for, the static aircraft goes, so no aircraft is shown twice.
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
