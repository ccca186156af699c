// The aircraft parked at the park airport: their counts and average parked times for the
// main window, the park maximum (and the live aircraft it keeps out), and the live aircraft
// that have stood too long.
#include "traffic/parking.h"

#include "app/mainwindow.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <set>

namespace {
std::uint32_t lf_parkedMinutes(const Act& act)
{
    const std::chrono::steady_clock::duration parked(gf_steadyTicks() - act.parkedSince);
    const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(parked).count();
    return static_cast<std::uint32_t>(std::max<std::int64_t>(0, minutes));
}

constexpr std::uint32_t heavyClass = 3;
// Reports of a standing aircraft scatter by a few metres, and their speeds and tracks say
// little: it has left when its reports went this much farther each time, several in a row,
// and this far in all (a push back or a taxi away).
constexpr double fartherEachTime = 0.0016198704103671706; // 3 m
constexpr std::uint32_t reportsLeaving = 3;
constexpr double leftDistance = 0.010799136069114472; // 20 m

// Reports silent this long: the flight has left the feed, and what it reports next is no
// longer that of the aircraft removed at its stand.
constexpr double silentSeconds = 600.0;

// A live aircraft removed for the park maximum: where it stood, and how its reports have moved
// from there since: the distance of the last one that moved, the reports in a row that went
// farther, and the time of the latest.
struct KeptOut {
    std::uint32_t flightId = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    double distance = 0.0;
    std::uint32_t farther = 0;
    double reportTime = std::numeric_limits<double>::quiet_NaN();
};
// Created again while it still stands there, it would push the next one out, and so on:
// it stays out until its reports show it leaving. Main-loop thread only.
std::vector<KeptOut> keptOut;
// Parked longer, a live aircraft goes at a renewal.
constexpr std::uint32_t heavyParkedMinutes = 180;
constexpr std::uint32_t parkedMinutes = 90;

// Half hours per aircraft, as the main window shows it; 0 without aircraft.
void lf_showFigure(std::atomic<float>& figure, std::int64_t sum, std::int32_t count)
{
    const float value = count > 0 ? static_cast<float>(sum) / static_cast<float>(2 * count) + 0.5f : 0.0f;
    if (figure.exchange(value) != value)
        gf_repaintBand(statisticsBand);
}

struct ParkedTime {
    std::uint32_t flightId = 0;
    std::uint32_t minutes = 0;
};

// The parked live aircraft, longest parked first.
std::vector<ParkedTime> lf_longestParkedFirst()
{
    std::vector<ParkedTime> parked;
    for (const Act& act : liveActs)
        if (gf_parked(act))
            parked.push_back({act.base.head.flightId, lf_parkedMinutes(act)});
    std::stable_sort(parked.begin(), parked.end(),
                     [](const ParkedTime& a, const ParkedTime& b) { return a.minutes > b.minutes; });
    return parked;
}
// A newcomer at a stand counts from the request of its creation on, though it is created only
// once it has settled: two asked for one after the other count each other. One whose creation
// was withdrawn, or that the simulator refused, counts for nothing.
bool lf_requestedAtStand(const Act& act)
{
    return act.phase == phaseAtStand && act.base.status == statusQueued && !act.base.removeWhenCreated && !act.remove;
}

std::int32_t lf_requestedCount()
{
    return static_cast<std::int32_t>(std::ranges::count_if(liveActs, lf_requestedAtStand));
}

// Not yet decided, standing on the ground at the park airport: about to be created at a stand.
bool lf_aboutToPark(const Act& act)
{
    const ParkAirport park = gf_parkAirport();
    if (act.base.status != statusNew || act.phase != phaseInitial || act.path.empty() || park.code.empty())
        return false;
    const PathPoint& p = act.path.back();
    return !p.airborne && p.speed <= 5.0 &&
           gf_distanceNm(p.latitude, p.longitude, park.latitude, park.longitude) <= parkAirportReachNm;
}

// A parked live aircraft that has stood this long may make place for an arrival: one shown only
// moments ago is not taken away again.
constexpr std::int64_t settledParkedSeconds = 60;

bool lf_parkedTooLong(const Act& act)
{
    return lf_parkedMinutes(act) > (act.base.head.sizeClass == heavyClass ? heavyParkedMinutes : parkedMinutes);
}

// A parked aircraft makes way for an arrival taxiing to a stand; for a newcomer that merely stands
// where it is first seen only once it has stood as long as a renewal keeps it: at a busy airport
// each aircraft shown at the start went a minute later for the next one seen standing.
bool lf_makesWay(const Act& act, bool forArrival)
{
    const std::chrono::steady_clock::duration parked(gf_steadyTicks() - act.parkedSince);
    return forArrival ? parked >= std::chrono::seconds(settledParkedSeconds) : lf_parkedTooLong(act);
}

bool lf_addStaticParkedTime(std::int64_t& sum, bool show, WeekSlot now, const StaticAct& parked)
{
    if (parked.status != statusCreated && parked.status != statusRemoving)
        return false;
    if (show && !gf_slotLater(parked.parkedSlot, now))
        sum += gf_slotDistance(parked.parkedSlot, now);
    return true;
}

} // namespace

std::int32_t lf_listRatio1(bool show)
{
    const WeekSlot now = gf_slotNow();
    std::int64_t sum = 0;
    std::int32_t count = 0;
    for (const StaticAct& parked : staticActs)
        count += lf_addStaticParkedTime(sum, show, now, parked) ? 1 : 0;
    if (show && !WEEK.value.load())
        lf_showFigure(mainWindow.staticAverageFit, sum, count);
    return count;
}

std::int32_t lf_listRatio2(bool show)
{
    const WeekSlot now = gf_slotNow();
    std::int64_t sum = 0;
    std::int32_t count = 0;
    for (const Act& act : liveActs)
        if (gf_parked(act)) {
            ++count;
            sum += gf_slotDistance(act.base.parkedSlot, now);
        }
    if (show)
        lf_showFigure(mainWindow.liveAverageFit, sum, count);
    return count;
}

void lf_enforceMaxPark(std::int32_t extra, bool arrival)
{
    std::int32_t live = lf_listRatio2(true) + extra + lf_requestedCount();
    // A maximum below 1 means none (no park airport, or one without stands).
    if (parkMaximum < 1)
        return;
    if (!INITIAL_LOAD_ONLY.value.load() && live > parkMaximum) {
        for (const ParkedTime& parked : lf_longestParkedFirst()) {
            Act* act = gf_findAct(parked.flightId);
            if (act == nullptr || !lf_makesWay(*act, arrival))
                continue;
            gf_logf("{:}: {:8} max park exceeded, removed", gf_standLogName(act->base.standNumber), act->callsign());
            gf_keepOut(act->base.head.flightId, act->latitude, act->longitude);
            lf_removeAircraft(*act, "");
            --live; // its place is the newcomer's: the statics are weighed without it
            break;
        }
    }
    const std::int32_t statics = lf_listRatio1(false);
    if (statics + live <= parkMaximum)
        return;
    // The static aircraft placed last goes.
    StaticAct* latest = nullptr;
    for (StaticAct& parked : staticActs)
        if (parked.status == statusCreated && (!latest || gf_slotLater(parked.parkedSlot, latest->parkedSlot)))
            latest = &parked;
    if (latest)
        lf_removeAircraft(*latest);
}

bool gf_parkRoomForOneMore()
{
    if (parkMaximum < 1 || INITIAL_LOAD_ONLY.value.load())
        return true;
    const auto excess = lf_listRatio2(false) + lf_requestedCount() + 1 - parkMaximum;
    const auto mayGo =
        std::ranges::count_if(liveActs, [](const Act& act) { return gf_parked(act) && lf_makesWay(act, false); });
    return excess <= 0 || mayGo >= excess;
}

void gf_keepOut(std::uint32_t flightId, double latitude, double longitude)
{
    std::erase_if(keptOut, [flightId](const KeptOut& k) { return k.flightId == flightId; });
    keptOut.push_back({flightId, latitude, longitude});
}

bool gf_parkFull()
{
    if (parkMaximum < 1)
        return false;
    const auto live = std::ranges::count_if(liveActs, [](const Act& act) {
        return gf_parked(act) || lf_requestedAtStand(act) || lf_aboutToPark(act);
    });
    const auto statics = std::ranges::count_if(staticActs, [](const StaticAct& parked) {
        return parked.status == statusQueued || parked.status == statusCreated || parked.status == statusRemoving;
    });
    return live + statics >= parkMaximum;
}

bool lf_keptOutAtStand(const LiveReport& report)
{
    const auto kept = std::ranges::find(keptOut, report.hexid, &KeptOut::flightId);
    if (kept == keptOut.end())
        return false;
    if (report.timeStamp - kept->reportTime > silentSeconds) {
        keptOut.erase(kept);
        return false;
    }
    kept->reportTime = report.timeStamp;
    // Measured from the stand: a stray report is followed by one nearer again, which starts
    // the count afresh from there, instead of setting a mark the leaving aircraft must pass.
    const double d = gf_distanceNm(report.latitude, report.longitude, kept->latitude, kept->longitude);
    if (d > kept->distance + fartherEachTime) {
        ++kept->farther;
        kept->distance = d;
    } else if (d < kept->distance - fartherEachTime) {
        kept->farther = 0;
        kept->distance = d;
    }
    if (kept->farther < reportsLeaving || kept->distance < leftDistance)
        return true;
    keptOut.erase(kept); // it leaves: shown again
    return false;
}

void lf_forgetKeptOut() { keptOut.clear(); }

void lf_listParkedLive()
{
    liveStayers.clear();
    const bool initialOnly = INITIAL_LOAD_ONLY.value.load();
    for (Act& act : liveActs) {
        if (!gf_parked(act))
            continue;
        if (act.keepStand) {
            liveStayers.push_back({act.callsign(), act.base.standNumber, 0});
            continue;
        }
        if (!initialOnly && lf_parkedTooLong(act))
            lf_removeAircraft(act, "parked too long");
        else
            liveStayers.push_back({act.callsign(), act.base.standNumber, lf_parkedMinutes(act)});
    }
    // Shortest parked first: the renewal removes from the end.
    std::stable_sort(liveStayers.begin(), liveStayers.end(),
                     [](const LiveStayer& a, const LiveStayer& b) { return a.minutes < b.minutes; });
}

void lf_removeLongestParked(std::size_t count)
{
    std::set<std::uint32_t> chosen;
    for (const ParkedTime& parked : lf_longestParkedFirst())
        if (chosen.size() < count)
            chosen.insert(parked.flightId);
    for (Act& act : liveActs)
        if (chosen.contains(act.base.head.flightId)) {
            gf_logf("live parked {} at {} removed", gf_formatColumns(act.base.head.identity),
                    gf_standLogName(act.base.standNumber));
            lf_removeAircraft(act, "parked longest, renewal");
        }
}
