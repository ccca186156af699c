// What the stands learn from live aircraft: the half hours of a real option when an aircraft
// parks at or leaves a stand, of a soft option when it ends near the park airport without
// one; short gaps between two sightings of a flight are filled in.
#include "traffic/motion.h"

#include "app/mainwindow.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/standoptions.h"

#include <algorithm>
#include <exception>
#include <unordered_map>

namespace {
using FlightMap = std::unordered_map<std::uint32_t, LearnedFlight>;

std::uint32_t lf_nextDay(std::uint32_t weekday) { return weekday % 7 + 1; }
std::uint32_t lf_previousDay(std::uint32_t weekday) { return weekday == 1 ? 7 : weekday - 1; }

// The half hours between two sightings (1..5), or 0 when they are too far apart.
std::uint32_t lf_gap(WeekSlot from, WeekSlot to)
{
    for (std::uint32_t g = 1; g <= 5; ++g) {
        if (from.weekday == to.weekday && (from.halfHour + g) % 48 == to.halfHour)
            return g;
        if (to.weekday == lf_nextDay(from.weekday) && to.halfHour + 48 == from.halfHour + g)
            return g;
    }
    return 0;
}

// Marks the half hours between the flight's last sighting and this one, and this one.
void lf_fillGap(StandOptions& options, LearnedFlight& entry, WeekSlot slot, const Act& act, bool soft)
{
    const std::uint32_t g = lf_gap(entry.slot, slot);
    if (g == 0)
        return;
    const std::string& callsign = act.base.head.identity.callsign;
    if (entry.slot.weekday == slot.weekday) {
        bool marking = true;
        for (std::uint32_t back = g - 1; back >= 1 && marking; --back) {
            const bool yesterday = slot.halfHour < back;
            const WeekSlot at{yesterday ? lf_previousDay(slot.weekday) : slot.weekday,
                              yesterday ? slot.halfHour + 48 - back : slot.halfHour - back};
            marking = lf_updateOption(options, at, entry.option, callsign);
        }
        if (marking)
            lf_updateOption(options, slot, entry.option, callsign);
        entry.slot = slot;
        return;
    }
    // Across midnight: the new day gets an option of its own.
    const std::uint32_t number = gf_addSlotRecord(options, act.base.head.identity, soft, slot, callsign,
                                                  act.base.head.identity.registration);
    for (std::uint32_t back = g - 1; back >= 1; --back) {
        const bool earlierDay = slot.halfHour < back;
        const bool marked =
            earlierDay ? lf_updateOption(options, {entry.slot.weekday, slot.halfHour + 48 - back}, entry.option, "")
                       : lf_updateOption(options, {slot.weekday, slot.halfHour - back}, number, callsign);
        if (!marked)
            break;
    }
    entry = {slot, number};
}

// The learning common to real and soft options; see lf_learnRealOption.
bool lf_learnOption(StandRecord& stand, const Act& act, bool chain, WeekSlot slot, bool end, bool soft)
{
    const FlightIdent& ident = act.base.head.identity;
    const std::uint32_t flightId = act.base.head.flightId;
    FlightMap& flights = soft ? stand.softFlights : stand.realFlights;
    const auto option = std::find_if(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
        return o.seq != 0 && static_cast<std::uint32_t>(o.day) == slot.weekday && o.reg == ident.registration &&
               o.soft == soft;
    });
    if (option == stand.options.end()) {
        const std::uint32_t number = gf_addSlotRecord(stand.options, ident, soft, slot, ident.callsign, ident.registration);
        flights.try_emplace(flightId, LearnedFlight{slot, number});
        gf_countParkingEdit();
        return true;
    }
    if (option->hh.test(slot.halfHour)) {
        if (end)
            flights.erase(flightId);
        return false;
    }
    if (option->mark == 0)
        return false;
    option->hh.set(slot.halfHour);
    const std::uint32_t number = static_cast<std::uint32_t>(option->seq);
    if (chain) {
        const auto known = flights.find(flightId);
        if (known == flights.end()) {
            if (!end)
                flights.emplace(flightId, LearnedFlight{slot, number});
        } else {
            if (!(known->second.slot == slot))
                lf_fillGap(stand.options, known->second, slot, act, soft);
            if (end)
                flights.erase(known);
        }
    } else if (end) {
        flights.erase(flightId);
    }
    gf_countParkingEdit();
    return true;
}

bool lf_learnGuarded(std::uint32_t standNumber, const Act& act, bool chain, WeekSlot slot, bool end, bool soft)
{
    try {
        StandRecord* stand = gf_findStand(standNumber);
        return stand != nullptr && lf_learnOption(*stand, act, chain, slot, end, soft);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("Add {} option exception, hh_now: {}, {}", soft ? "soft" : "real", slot.halfHour,
                                 e.what()));
        return false;
    }
}
} // namespace

void gf_countParkingEdit()
{
    const std::int32_t count = ++apfEditCount;
    if (mainWindow.updateCount.exchange(static_cast<std::uint32_t>(count)) != static_cast<std::uint32_t>(count))
        gf_repaintBand(statisticsBand);
}

bool lf_learnRealOption(std::uint32_t standNumber, Act& act, bool chain, WeekSlot slot, bool end)
{
    const FlightIdent& ident = act.base.head.identity;
    if (parkStands.empty() || ident.registration.empty() || ident.callsign.empty())
        return false;
    return lf_learnGuarded(standNumber, act, chain, slot, end, false);
}

bool lf_learnSoftOption(std::uint32_t standNumber, const Act& act, bool chain, WeekSlot slot)
{
    if (parkStands.empty())
        return false;
    return lf_learnGuarded(standNumber, act, chain, slot, false, true);
}

void lf_learnSoftStand(Act& act)
{
    const ParkAirport park = gf_parkAirport();
    if (!LEARN_SOFT.value.load() || !gf_softLearningAllowed() || park.code.empty() || act.base.standNumber != 0 ||
        gf_distanceNm(act.latitude, act.longitude, park.latitude, park.longitude) > 5.0)
        return;
    const WeekSlot slot = gf_slotNow();
    const std::uint32_t flightId = act.base.head.flightId;
    const auto seen = std::find_if(parkStands.begin(), parkStands.end(),
                                   [flightId](const StandRecord& s) { return s.softFlights.contains(flightId); });
    if (seen != parkStands.end() && !(seen->softFlights.at(flightId).slot == slot) &&
        lf_learnSoftOption(seen->standNumber, act, true, slot)) {
        gf_noteLearned(flightId, slot.halfHour);
        return;
    }
    if (!lf_allowLearning(slot, flightId, false))
        return;
    const std::string& registration = act.base.head.identity.registration;
    for (StandRecord& s : parkStands)
        if (gf_findSlotAtHalfHour(s.options, slot.weekday, slot.halfHour, registration) != s.options.end())
            return;
    const StandRecord* stand = lf_chooseStand(slot, act, true);
    if (stand == nullptr || lf_learnSoftOption(stand->standNumber, act, false, slot))
        return;
    const auto entry = std::find_if(learningList.begin(), learningList.end(),
                                    [flightId](const LearnedHalfHour& e) { return e.flightId == flightId; });
    if (entry != learningList.end()) {
        *entry = learningList.back();
        learningList.pop_back();
    }
}
