// The stand search of static parking: per stand, one option that holds at the half hour
// `level` steps before the slot, keeping static aircraft apart and every aircraft unique.
#include "traffic/parking.h"

#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "foundation/standoptions.h"
#include "foundation/texthelpers.h"
#include "liveries/liveries.h"

#include <fmt/format.h>

#include <algorithm>

namespace {
// The first created static aircraft at the stand.
const StaticAct* lf_createdStaticAt(std::uint32_t standNumber)
{
    for (const StaticAct& parked : staticActs)
        if (parked.standNumber == standNumber && parked.status == statusCreated)
            return &parked;
    return nullptr;
}

// The option's aircraft would touch a created static aircraft at a neighbour stand.
bool lf_clashes(const StandRecord& stand, const StandOption& option)
{
    const double span = gf_wingspan(option.type);
    for (const std::uint32_t number : stand.neighbours) {
        const StaticAct* parked = lf_createdStaticAt(number);
        if (parked && gf_wingspan(parked->head.identity.type) + span >
                          gf_distanceNm(parked->latitude, parked->longitude, stand.latitude, stand.longitude))
            return true;
    }
    return false;
}

std::vector<std::uint32_t> lf_holdingOptions(const StandRecord& stand, bool soft, WeekSlot shifted, bool anyDay)
{
    std::vector<std::uint32_t> numbers;
    if ((stand.heli && !HELICOPTERS.value.load()) || stand.neighbour)
        return numbers;
    for (const StandOption& option : stand.options)
        if (gf_optionOffered(option) && option.soft == soft &&
            (anyDay || option.day == static_cast<std::int32_t>(shifted.weekday)) && option.hh.test(shifted.halfHour) &&
            !lf_clashes(stand, option))
            numbers.push_back(static_cast<std::uint32_t>(option.seq));
    return numbers;
}

bool lf_sameAirlineType(const FlightIdent& ident, const StandOption& option)
{
    return ident.airline == option.airl && ident.type == option.type;
}

// A static aircraft already at this stand keeps the option it was placed for.
std::uint32_t lf_chooseOption(const StandRecord& stand, std::vector<std::uint32_t>& numbers)
{
    if (!RANDOM.value.load() || numbers.size() == 1)
        return numbers.front();
    for (const StaticAct& parked : staticActs) {
        if (parked.standNumber != stand.standNumber)
            continue;
        const FlightIdent& ident = parked.head.identity;
        for (const StandOption& option : stand.options)
            if ((gf_equalsStarred(option.callsign, ident.callsign) ||
                 gf_equalsStarred(option.secondCall, ident.callsign)) &&
                lf_sameAirlineType(ident, option))
                return static_cast<std::uint32_t>(option.seq);
    }
    std::shuffle(numbers.begin(), numbers.end(), gf_randomEngine());
    return numbers.front();
}

bool lf_inSearchSet(const std::string& callsign)
{
    return !callsign.empty() && (searchCallsigns.contains(callsign) || searchCallsigns.contains(callsign + "_"));
}

bool lf_sameText(const std::string& a, const std::string& b) { return !a.empty() && a == b; }

// The option's aircraft is already in use: found earlier, pending, parked live or seen live.
bool lf_rejected(const StandOption& option, const std::vector<FitRecord>& collected,
                 const std::vector<FitRecord>& found)
{
    const auto sameRegistration = [&option](const FitRecord& fit) { return lf_sameText(option.reg, fit.registration); };
    if (std::any_of(collected.begin(), collected.end(), sameRegistration) ||
        std::any_of(found.begin(), found.end(), sameRegistration))
        return true;
    if (lf_inSearchSet(option.callsign) || lf_inSearchSet(option.secondCall))
        return true;
    const auto usesCallsign = [&option](const std::string& callsign) {
        return lf_sameText(callsign, option.callsign) || lf_sameText(callsign, option.secondCall);
    };
    if (std::any_of(standCandidates.begin(), standCandidates.end(), [&](const StaticCandidate& c) {
            return usesCallsign(c.callsign) || lf_sameText(option.reg, c.registration);
        }))
        return true;
    return std::any_of(liveStayers.begin(), liveStayers.end(),
                       [&](const LiveStayer& stayer) { return usesCallsign(stayer.callsign); });
}

// 1: the aircraft carries the option's first callsign (it stays past the next half hour),
// 0: its second callsign.
std::uint8_t lf_callsignSelector(const StandRecord& stand, const StandOption& option, WeekSlot slot)
{
    if (option.secondCall.empty())
        return 1;
    if (slot.halfHour < 47)
        return option.hh.test(slot.halfHour + 1) ? 1 : 0;
    const std::int32_t nextDay = static_cast<std::int32_t>(slot.weekday % 7 + 1);
    return std::any_of(stand.options.begin(), stand.options.end(),
                       [&](const StandOption& o) {
                           return gf_optionOffered(o) && o.day == nextDay && o.airl == option.airl &&
                                  o.type == option.type &&
                                  o.hh.test(0);
                       })
               ? 1
               : 0;
}
} // namespace

void lf_searchStands(WeekSlot slot, bool soft, std::uint32_t level, std::vector<FitRecord>& found,
                     const std::vector<FitRecord>& collected)
{
    const WeekSlot shifted = gf_slotBefore(slot, static_cast<std::int32_t>(level));
    try {
        const bool anyDay = WEEK.value.load();
        for (StandRecord& stand : parkStands) {
            if (stand.excluded || stand.fit)
                continue;
            std::vector<std::uint32_t> numbers = lf_holdingOptions(stand, soft, shifted, anyDay);
            if (numbers.empty())
                continue;
            const std::uint32_t chosen = lf_chooseOption(stand, numbers);
            const auto option = std::find_if(
                stand.options.begin(), stand.options.end(),
                [chosen](const StandOption& o) { return gf_optionOffered(o) && static_cast<std::uint32_t>(o.seq) == chosen; });
            if (option == stand.options.end())
                continue;
            if (lf_rejected(*option, collected, found)) {
                option->rejected = true; // for this round of placing only: the option stays the user's
                continue;
            }
            found.push_back({option->airl, option->type, stand.standNumber, static_cast<std::int32_t>(level),
                             option->reg, option->callsign, option->secondCall,
                             lf_callsignSelector(stand, *option, slot)});
            lf_markStandAndNeighbours(stand);
        }
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("exception in lf_searchStands, day: {}, offset {}: {}", gf_dayHourText(shifted), level,
                                 e.what()));
    }
}
