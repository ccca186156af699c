// The static renewal every 20 minutes: static aircraft whose options still hold stay, those
// whose time has passed go, new candidates fill the gap, and the live aircraft parked at the
// park airport count against the wanted number.
#include "traffic/parking.h"

#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/standoptions.h"
#include "foundation/texthelpers.h"
#include "liveries/liveries.h"

#include <fmt/format.h>

#include <algorithm>

std::vector<LiveStayer> liveStayers;
std::vector<StaticStayer> staticStayers;
std::vector<StaticRemoval> staticRemovals;

namespace {
void lf_addStaticStayer(const StaticAct& parked, std::uint8_t leaving)
{
    const FlightIdent& ident = parked.head.identity;
    staticStayers.push_back({ident.callsign, ident.optionCallsign, ident.optionSecond, ident.registration,
                             ident.airline, ident.type, parked.parkedSlot, parked.standNumber, leaving});
}

void lf_addRemoval(const StaticAct& parked)
{
    staticRemovals.push_back({parked.head.identity.callsign, parked.standNumber});
}

std::vector<StaticCandidate>::iterator lf_candidateAt(std::uint32_t standNumber)
{
    return std::find_if(standCandidates.begin(), standCandidates.end(),
                        [standNumber](const StaticCandidate& c) { return c.standNumber == standNumber; });
}

bool lf_sameAirlineType(const FlightIdent& ident, const std::string& airline, const std::string& type)
{
    return ident.airline == airline && ident.type == type;
}

// The aircraft stays when it was parked no earlier than the candidate's level allows.
void lf_stayOrGo(const StaticAct& parked, WeekSlot slot, std::vector<StaticCandidate>::iterator candidate)
{
    if (gf_slotLater(gf_slotBefore(slot, candidate->level), parked.parkedSlot)) {
        lf_addRemoval(parked);
        return;
    }
    lf_addStaticStayer(parked, 0);
    standCandidates.erase(candidate);
}

bool lf_neighbourStillFits(const StaticAct& parked, WeekSlot slot, std::uint32_t neighbour)
{
    const StandRecord* stand = gf_findStand(neighbour);
    if (!stand)
        return false;
    const double span = gf_wingspan(parked.head.identity.type);
    const double apart = gf_distanceNm(parked.latitude, parked.longitude, stand->latitude, stand->longitude);
    const auto candidate = std::find_if(standCandidates.begin(), standCandidates.end(), [&](const StaticCandidate& c) {
        return c.standNumber == neighbour && gf_wingspan(c.type) + span > apart;
    });
    if (candidate == standCandidates.end())
        return false;
    lf_stayOrGo(parked, slot, candidate);
    return true;
}

void lf_keepOrRemoveStatic(const StaticAct& parked, WeekSlot slot)
{
    const FlightIdent& ident = parked.head.identity;
    const auto seen = [](const std::string& callsign) {
        return !callsign.empty() && searchCallsigns.contains(callsign);
    };
    if (seen(ident.optionCallsign) || seen(ident.optionSecond)) {
        lf_addRemoval(parked);
        return;
    }
    if (const auto candidate = lf_candidateAt(parked.standNumber); candidate != standCandidates.end()) {
        if (lf_sameAirlineType(ident, candidate->airline, candidate->type) &&
            (gf_equalsStarred(candidate->callsign, ident.callsign) ||
             gf_equalsStarred(candidate->secondCallsign, ident.callsign))) {
            lf_addStaticStayer(parked, 0);
            standCandidates.erase(candidate);
        } else {
            lf_stayOrGo(parked, slot, candidate);
        }
        return;
    }
    if (const StandRecord* stand = gf_findStand(parked.standNumber))
        for (const std::uint32_t neighbour : stand->neighbours)
            if (lf_neighbourStillFits(parked, slot, neighbour))
                return;
    if (lf_standHasOption(slot, parked.standNumber, parked))
        lf_addStaticStayer(parked, 0);
    else
        lf_addRemoval(parked);
}

// The option that brought the aircraft does not hold in the next half hour.
bool lf_optionLeaves(const StaticStayer& stayer, const StandRecord& stand, WeekSlot slot)
{
    std::string callsign = stayer.callsign;
    if (!callsign.empty() && callsign.back() == '*')
        callsign.pop_back();
    const auto option = std::find_if(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
        return gf_optionOffered(o) && o.day == static_cast<std::int32_t>(slot.weekday) &&
               (o.callsign == callsign || o.secondCall == callsign) && o.airl == stayer.airline &&
               o.type == stayer.type;
    });
    if (option == stand.options.end())
        return false;
    if (slot.halfHour < 47)
        return !option->hh.test(slot.halfHour + 1);
    const auto nextDay = static_cast<std::int32_t>(slot.weekday % 7 + 1);
    return std::none_of(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
        return o.day == nextDay && o.airl == stayer.airline && o.type == stayer.type && o.hh.test(0);
    });
}

// Half hours from the parked slot forward to the slot, within one week.
std::int32_t lf_ageAt(WeekSlot parked, WeekSlot slot)
{
    const auto index = [](WeekSlot s) { return static_cast<std::int32_t>((s.weekday + 6) % 7 * 48 + s.halfHour); };
    return ((index(slot) - index(parked)) % 336 + 336) % 336;
}

void lf_removeLiveAt(std::uint32_t standNumber)
{
    for (Act& act : liveActs)
        if (gf_parkedAt(act, standNumber)) {
            lf_removeAircraft(act, "parked longest, renewal");
            return;
        }
}
} // namespace

bool lf_standHasOption(WeekSlot slot, std::uint32_t standNumber, const StaticAct& parked)
{
    const StandRecord* stand = gf_findStand(standNumber);
    if (!stand)
        return false;
    const std::int32_t window = std::min(std::max(realFitLevel, softFitLevel), 47);
    const auto h = static_cast<std::int32_t>(slot.halfHour);
    const std::uint32_t previousDay = slot.weekday <= 1 ? 7 : slot.weekday - 1;
    for (const StandOption& option : stand->options) {
        if (!gf_optionOffered(option) || !lf_sameAirlineType(parked.head.identity, option.airl, option.type))
            continue;
        std::int32_t rest = -1;
        if (option.day == static_cast<std::int32_t>(slot.weekday) && testRange(option, h, window, rest))
            return true;
    }
    if (h - window >= 0)
        return false;
    // The window reaches back into the previous day.
    const std::int32_t rest = std::min(window - h, 46);
    for (const StandOption& option : stand->options) {
        std::int32_t unused = -1;
        if (gf_optionOffered(option) && option.day == static_cast<std::int32_t>(previousDay) &&
            lf_sameAirlineType(parked.head.identity, option.airl, option.type) &&
            testRange(option, 47, rest - 1, unused))
            return true;
    }
    return false;
}

namespace {
void lf_decideStatics(WeekSlot slot)
{
    for (const StaticAct& parked : staticActs)
        if (parked.status == statusCreated && !parked.linkedFlightKnown)
            lf_keepOrRemoveStatic(parked, slot);
    std::stable_sort(staticStayers.begin(), staticStayers.end(), [slot](const StaticStayer& a, const StaticStayer& b) {
        return lf_ageAt(a.parkedSlot, slot) < lf_ageAt(b.parkedSlot, slot);
    });
    for (StaticStayer& stayer : staticStayers) {
        const StandRecord* stand = gf_findStand(stayer.standNumber);
        if (stand && !stayer.optionSecond.empty() && stayer.callsign.find(stayer.optionCallsign) != std::string::npos)
            stayer.leaving = lf_optionLeaves(stayer, *stand, slot) ? 1 : 0;
    }
}
} // namespace

void lf_parkingAdjustments()
{
    const WeekSlot slot = lf_logStaticHeader();
    lf_clearStaticParking();
    disableControls();
    mainWindow.softMarker = false;
    staticRemovals.clear();
    staticStayers.clear();
    liveStayers.clear();
    standCandidates.clear();
    for (StandRecord& stand : parkStands) {
        stand.fit = stand.excluded = stand.neighbour = 0;
        std::int32_t number = 0;
        for (StandOption& option : stand.options) {
            option.seq = ++number;
            option.rejected = false;
        }
    }
    lf_excludeUserStands();
    const std::int32_t wanted = lf_wantedStaticCount();

    lf_listParkedLive();
    // With INITIAL_LOAD_ONLY the live aircraft keep their stands, however many there are.
    if (!INITIAL_LOAD_ONLY.value.load() && wanted >= 1 && liveStayers.size() > static_cast<std::size_t>(wanted)) {
        const std::size_t more = liveStayers.size() - static_cast<std::size_t>(wanted);
        gf_showStatus(fmt::format("Parking adjustments: {} more live ac than wanted", more), true);
        lf_removeLongestParked(more);
        lf_listParkedLive();
    }
    for (const LiveStayer& stayer : liveStayers)
        if (StandRecord* stand = gf_findStand(stayer.standNumber))
            lf_markStandAndNeighbours(*stand);
    const auto live = static_cast<std::int32_t>(liveStayers.size());
    if (wanted > live)
        lf_collectCandidates(slot, wanted, live);
    lf_decideStatics(slot);

    // A static aircraft whose option ends now is replaced by one under its departing callsign.
    for (auto stayer = staticStayers.begin(); stayer != staticStayers.end();) {
        if (!stayer->leaving) {
            ++stayer;
            continue;
        }
        standCandidates.push_back({0, static_cast<std::int32_t>(stayer->parkedSlot.halfHour), stayer->airline,
                                   stayer->type, stayer->standNumber, stayer->optionCallsign, stayer->optionSecond,
                                   stayer->registration, 0, 0});
        staticRemovals.push_back({stayer->callsign, stayer->standNumber});
        stayer = staticStayers.erase(stayer);
    }

    std::stable_sort(standCandidates.begin(), standCandidates.end(),
                     [](const StaticCandidate& a, const StaticCandidate& b) { return a.level < b.level; });
    auto excess =
        static_cast<std::int64_t>(liveStayers.size() + staticStayers.size() + standCandidates.size()) - wanted;
    for (; excess >= 1 && !(standCandidates.empty() && staticStayers.empty()); --excess) {
        if (!standCandidates.empty()) {
            standCandidates.pop_back();
            continue;
        }
        staticRemovals.push_back({staticStayers.back().callsign, staticStayers.back().standNumber});
        staticStayers.pop_back();
    }
    for (; !INITIAL_LOAD_ONLY.value.load() && excess >= 1 && !liveStayers.empty(); --excess) {
        lf_removeLiveAt(liveStayers.back().standNumber);
        liveStayers.pop_back();
    }

    std::stable_sort(standCandidates.begin(), standCandidates.end(),
                     [](const StaticCandidate& a, const StaticCandidate& b) { return a.level > b.level; });
    gf_showStatus(fmt::format("Parking adjustments: {} to be removed, {} to be added\n", staticRemovals.size(),
                              standCandidates.size()),
                  true);
    for (; !staticRemovals.empty(); staticRemovals.pop_back())
        for (StaticAct& parked : staticActs)
            // One being removed already is not sent again.
            if (parked.standNumber == staticRemovals.back().standNumber && parked.status == statusCreated)
                lf_removeAircraft(parked);
    if (!standCandidates.empty())
        disableControls();
}
