#include "foundation/standoptions.h"

#include "foundation/log.h"
#include "liveries/liveries.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {
void lf_checkHalfHour(std::int64_t halfHour)
{
    if (halfHour < 0 || halfHour >= 48)
        throw std::out_of_range("invalid bitset position");
}

bool lf_hasHalfHour(const std::bitset<48>& hours, std::int64_t halfHour)
{
    lf_checkHalfHour(halfHour);
    return hours.test(static_cast<std::size_t>(halfHour));
}

void lf_setHalfHour(std::bitset<48>& hours, std::int64_t halfHour)
{
    lf_checkHalfHour(halfHour);
    hours.set(static_cast<std::size_t>(halfHour));
}

bool lf_isNumber(const StandOption& option, std::uint32_t number)
{
    return option.seq != 0 && static_cast<std::uint32_t>(option.seq) == number;
}

std::string_view lf_withoutGhostMark(std::string_view callsign)
{
    if (!callsign.empty() && callsign.back() == '_')
        callsign.remove_suffix(1);
    return callsign;
}

template <typename Options>
auto lf_findSlot(Options& options, std::uint32_t weekday, std::uint32_t halfHour, std::string_view registration)
{
    // A half hour outside the day matches nothing.
    if (halfHour >= 48)
        return options.end();
    const std::size_t before = halfHour == 0 ? 47 : halfHour - 1;
    const std::size_t after = halfHour == 47 ? 0 : halfHour + 1;
    for (auto it = options.begin(); it != options.end(); ++it) {
        const StandOption& option = *it;
        if (option.seq == 0 || option.day != static_cast<std::int32_t>(weekday) || option.soft ||
            option.reg != registration)
            continue;
        if (option.hh.test(halfHour) || option.hh.test(before) || option.hh.test(after))
            return it;
    }
    return options.end();
}
} // namespace

bool gf_optionOffered(const StandOption& option) { return option.seq != 0 && !option.rejected; }

bool gf_slotMatches(std::string_view key, const FlightIdent& ident, const StandOption& option)
{
    if (option.seq == 0 || option.soft)
        return false;
    return key == option.callsign || key == option.secondCall ||
           (ident.airline == option.airl && ident.type == option.type);
}

bool gf_containsSlotMatch(const StandOptions& options, std::string_view key, const FlightIdent& ident)
{
    if (key.empty())
        return false;
    for (const StandOption& option : options)
        if (gf_slotMatches(key, ident, option))
            return true;
    return false;
}

StandOptions::iterator gf_findSlotAtHalfHour(StandOptions& options, std::uint32_t weekday, std::uint32_t halfHour,
                                             std::string_view registration)
{
    return lf_findSlot(options, weekday, halfHour, registration);
}

StandOptions::const_iterator gf_findSlotAtHalfHour(const StandOptions& options, std::uint32_t weekday,
                                                   std::uint32_t halfHour, std::string_view registration)
{
    return lf_findSlot(options, weekday, halfHour, registration);
}

bool testRange(const StandOption& option, std::int32_t start, std::int32_t count, std::int32_t& rest)
{
    rest = -1;
    try {
        const std::int64_t s = start;
        const std::int64_t n = count;
        const std::int64_t last = std::max<std::int64_t>(s - n, 0);
        for (std::int64_t h = s; h >= last; --h)
            if (lf_hasHalfHour(option.hh, h))
                return true;
        if (s - n < 0)
            rest = static_cast<std::int32_t>(std::min<std::int64_t>(n - s, 46));
        return false;
    } catch (const std::out_of_range& e) {
        gf_log(fmt::format("{}exception {} in testRange, start: {}, offset: {}", errorMarker, e.what(), start, count));
        return false;
    }
}

std::uint32_t gf_addSlotRecord(StandOptions& options, const FlightIdent& ident, bool soft, WeekSlot slot,
                               std::string_view callsign, const std::string& registration)
{
    const std::string ownCallsign(lf_withoutGhostMark(callsign));
    std::bitset<48> hours;
    lf_setHalfHour(hours, slot.halfHour);

    std::int32_t last = 0;
    for (const StandOption& option : options)
        last = std::max(last, option.seq);
    const std::int32_t number = last + 1;

    std::string airline = ident.airline;
    std::string type = ident.type;
    if (!registration.empty()) {
        std::optional<DbRecord> record;
        for (const std::string& variant : gf_regcodeVariants(registration))
            if (lf_findDbRecord(variant, record)) {
                airline = record->airl;
                type = record->type;
                break;
            }
    }

    StandOption option;
    option.airl = std::move(airline);
    option.type = std::move(type);
    option.reg = registration;
    option.callsign = ownCallsign;
    option.hh = hours;
    option.seq = number;
    option.day = static_cast<std::int32_t>(slot.weekday);
    option.mark = 1;
    option.soft = soft;
    options.push_back(std::move(option));
    return static_cast<std::uint32_t>(number);
}

bool lf_updateOptionEntry(WeekSlot slot, std::uint32_t number, std::string_view callsign, StandOption& option)
{
    if (!lf_isNumber(option, number))
        return false;
    lf_setHalfHour(option.hh, slot.halfHour);
    if (callsign.empty())
        return true;
    if (option.callsign.empty())
        option.callsign = callsign;
    else if (callsign != option.callsign && callsign != option.secondCall)
        option.secondCall = callsign;
    return true;
}

bool lf_updateOption(StandOptions& options, WeekSlot slot, std::uint32_t number, std::string_view callsign)
{
    const std::string_view ownCallsign = lf_withoutGhostMark(callsign);
    try {
        for (StandOption& option : options)
            if (lf_updateOptionEntry(slot, number, ownCallsign, option))
                return true;
        return false;
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("Update Option exception {} {}", gf_dayHourText(slot), e.what()));
        return false;
    }
}
