// The static parking calculation: how many static aircraft the park airport wants, and at
// which stands, from the stands' options at the present half hour or, widening, earlier.
#include "traffic/parking.h"

#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/scanthrottle.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

std::int32_t parkMaximum = 0;
std::int32_t realFitLevel = 0;
std::int32_t softFitLevel = -1;

namespace {
void lf_shuffleAndDrop(std::int32_t count, std::vector<FitRecord>& list)
{
    if (RANDOM.value.load())
        std::shuffle(list.begin(), list.end(), gf_randomEngine());
    for (; count > 0 && !list.empty(); --count)
        list.pop_back();
}

std::string lf_hours(std::int32_t halfHours) { return gf_formatNumber(halfHours * 0.5f + 0.5f); }

std::int32_t lf_countFit()
{
    return static_cast<std::int32_t>(
        std::count_if(parkStands.begin(), parkStands.end(), [](const StandRecord& s) { return s.fit != 0; }));
}

void lf_appendTo(std::vector<FitRecord>& to, std::vector<FitRecord>& from)
{
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
    from.clear();
}

// The last level's records join the collected ones. The surplus is drawn from that level
// (at random with RANDOM on), so the stands of lower levels are always kept.
void lf_takeLastLevel(std::vector<FitRecord>& collected, std::vector<FitRecord>& level, std::int32_t present,
                      std::int32_t wanted)
{
    const auto surplus = static_cast<std::int32_t>(collected.size() + level.size()) + present - wanted;
    if (surplus >= 1 && !level.empty())
        lf_shuffleAndDrop(surplus, level);
    lf_appendTo(collected, level);
    while (!collected.empty() && static_cast<std::int32_t>(collected.size()) + present > wanted)
        collected.pop_back();
}

void lf_logRound(bool soft, std::int32_t fitted, WeekSlot slot, std::int32_t level)
{
    const std::string week = WEEK.value.load() ? std::string(", week") : fmt::format(", day {}", slot.weekday);
    const std::string hours =
        fmt::format(", hh:{} or {} hrs fit: {} hour", slot.halfHour, lf_hours(slot.halfHour), lf_hours(level));
    gf_logf("{} {} position{} found, Max fit={} hours{}{}", fitted, soft ? "soft" : "real", fitted > 1 ? "s" : "",
            lf_hours(MAX_FIT.value.load()), week, hours);
}
bool lf_calcFits(WeekSlot slot, bool soft, std::int32_t wanted, std::vector<FitRecord>& found,
                 std::vector<FitRecord>& collected)
{
    const std::int32_t fitBefore = lf_countFit();
    const std::int32_t maxFit = MAX_FIT.value.load();
    std::int32_t level = 0;
    bool enough = false;
    for (;; ++level) {
        lf_searchStands(slot, soft, static_cast<std::uint32_t>(level), found, collected);
        if (lf_countFit() >= wanted) {
            enough = true;
            break;
        }
        lf_appendTo(collected, found);
        if (level >= maxFit)
            break;
    }
    if (soft) {
        softFitLevel = level;
    } else {
        realFitLevel = level;
        softFitLevel = -1;
    }
    const std::int32_t fitted = lf_countFit() - fitBefore;
    if (soft && fitted > 0)
        mainWindow.softMarker = true;
    if (fitted > 0)
        lf_logRound(soft, fitted, slot, level);
    return enough;
}

} // namespace

WeekSlot gf_staticWeekSlot() { return gf_slotNow(); }

WeekSlot lf_logStaticHeader()
{
    const WeekSlot slot = gf_staticWeekSlot();
    gf_logf("\n{} (utc) It is day {} ({}), {} hours", gf_clockTimeText(), slot.weekday, gf_dayName(slot.weekday),
            lf_hours(slot.halfHour));
    return slot;
}

std::int32_t lf_wantedStaticCount()
{
    const auto n = static_cast<std::int64_t>(parkStands.size());
    const std::int64_t p = parking_percentage.value.load();
    const auto wanted =
        n != 1 && (n > 3 || p >= 50) ? static_cast<std::int32_t>(std::lround(static_cast<double>(p * n) / 100.0)) : 1;
    parkMaximum = wanted;
    mainWindow.maxPark = wanted;
    return wanted;
}

void gf_clearStandMarks()
{
    for (StandRecord& stand : parkStands)
        stand.fit = stand.excluded = stand.neighbour = 0;
}

void lf_excludeUserStands()
{
    const std::string reserved = gf_reservedStandName();
    if (StandRecord* stand = reserved.empty() ? nullptr : lf_findStandByName(reserved))
        stand->excluded = 1;
    const UserAircraft& user = gf_currentUserAircraft();
    const std::string under = lf_standNameAt(user.latitude, user.longitude);
    if (StandRecord* stand = under.empty() || under == reserved ? nullptr : lf_findStandByName(under))
        stand->excluded = 1;
}

void lf_collectCandidates(WeekSlot slot, std::int32_t wanted, std::int32_t present)
{
    std::vector<FitRecord> collected, level;
    collected.reserve(512);
    level.reserve(512);
    if (lf_calcFits(slot, false, wanted, level, collected))
        lf_takeLastLevel(collected, level, present, wanted);
    const bool softAllowed = PARK_SOFT.value.load() || PARK_FAKE.value.load();
    if (static_cast<std::int32_t>(collected.size()) + present < wanted && softAllowed &&
        lf_calcFits(slot, true, wanted, level, collected))
        lf_takeLastLevel(collected, level, present, wanted);
    for (FitRecord& fit : collected)
        standCandidates.push_back({0, fit.level, std::move(fit.airline), std::move(fit.type), fit.standNumber,
                                   std::move(fit.callsign), std::move(fit.secondCallsign),
                                   std::move(fit.registration), fit.selector, 0});
}

void lf_calcStaticParking()
{
    const WeekSlot slot = lf_logStaticHeader();
    gf_showStatus("Making changes to airport parking parameters is disabled while static parking takes place ...",
                  false);
    standCandidates.clear();
    liveStayers.clear();
    staticStayers.clear();
    liveStayers.reserve(64);
    staticStayers.reserve(256);
    mainWindow.staticAverageFit = -1.0f;
    mainWindow.liveAverageFit = -1.0f;
    mainWindow.softMarker = false;
    gf_repaintBand(statisticsBand);
    lf_clearStaticParking();
    gf_clearStandMarks();
    lf_excludeUserStands();

    const std::int32_t wanted = lf_wantedStaticCount();
    const auto present = static_cast<std::int32_t>(standCandidates.size());
    if (wanted > present)
        lf_collectCandidates(slot, wanted, present);
    const auto byLevel = [](const StaticCandidate& a, const StaticCandidate& b) { return a.level < b.level; };
    std::stable_sort(standCandidates.begin(), standCandidates.end(), byLevel);
    if (standCandidates.size() > static_cast<std::size_t>(std::max(wanted, 0)))
        standCandidates.resize(static_cast<std::size_t>(std::max(wanted, 0)));

    const auto count = static_cast<std::int64_t>(standCandidates.size());
    const auto stands = static_cast<std::int64_t>(parkStands.size());
    const auto percent = stands == 0 ? 0 : std::lround(static_cast<double>(count * 100) / static_cast<double>(stands));
    if (count > 0) {
        gf_logf("{} positions ({}% vs wanted {}%, with Max fit={} hours)\n", count, percent,
                parking_percentage.value.load(), lf_hours(MAX_FIT.value.load()));
        std::stable_sort(standCandidates.begin(), standCandidates.end(),
                         [](const StaticCandidate& a, const StaticCandidate& b) { return a.level > b.level; });
        disableControls();
    } else {
        gf_log("no parking positions found");
        enableControls();
    }
}
