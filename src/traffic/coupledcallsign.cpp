// The other leg of a live flight: the stand option that names the flight together with a
// second callsign around this time gives the aircraft both callsigns, which the checks
// against static parked aircraft compare.
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/standoptions.h"

#include <algorithm>
#include <exception>

namespace {
bool lf_holdsInWindow(const StandOption& option, std::uint32_t first, std::uint32_t last)
{
    for (std::uint32_t h = first; h <= last; ++h)
        if (option.hh.test(h))
            return true;
    return false;
}
} // namespace

void lf_searchForCoupledCsAroundThisTime(WeekSlot slot, Act& act)
{
    try {
        FlightIdent& ident = act.base.head.identity;
        const std::int32_t window = act.base.head.sizeClass == 3 ? 14 : 10;
        const std::int32_t h = static_cast<std::int32_t>(slot.halfHour);
        const auto first = static_cast<std::uint32_t>(std::max(h - window, 0));
        const auto last = static_cast<std::uint32_t>(std::min(h + window, 47));
        std::string key = ident.callsign;
        if (!key.empty() && key.back() == '_')
            key.pop_back();
        for (const StandRecord& stand : parkStands)
            for (const StandOption& option : stand.options) {
                if (!gf_optionOffered(option) || static_cast<std::uint32_t>(option.day) != slot.weekday ||
                    option.airl != ident.airline || option.secondCall.empty() ||
                    (key != option.callsign && key != option.secondCall) || !lf_holdsInWindow(option, first, last))
                    continue;
                ident.optionCallsign = option.callsign;
                ident.optionSecond = option.secondCall;
                if (LOG.value.load())
                    gf_logf("          [{} from couple \"{}:{}\" at stand {}]", ident.callsign, ident.optionCallsign,
                            ident.optionSecond, gf_standLogName(stand.standNumber));
                return;
            }
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("lf_searchForCoupledCsAroundThisTime {}", e.what()));
    }
}
