// A report of an aircraft standing or taxiing that no aircraft could have reached from its last one
// is held: taken back by a later report, it was a glitch of the feed (one or two reports) and is
// dropped; confirmed by two more, the aircraft moved there unseen and they go on.
#include "traffic/manager.h"
#include "traffic/motion.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {
// The report held of each aircraft (by flight id), with the reports out of reach since; rare, so
// kept beside the records rather than in each.
struct Held {
    PathPoint point;
    double time = 0.0;
    std::uint32_t since = 0;
};
std::unordered_map<std::uint32_t, Held> held;

constexpr double fastestTaxi = 30.0;  // knots a standing or taxiing aircraft is taken to move at, at least ...
constexpr double reachShare = 1.5;    // ... with this to spare ...
constexpr double reachMargin = 100.0; // ... and these metres for the feed's scatter
constexpr std::uint32_t confirmingReports = 2; // after the first out of reach

// Shown standing or taxiing, and its last report (held or not) and this one on the ground.
bool lf_standsOrTaxis(const Act& act, const PathPoint& p)
{
    return act.base.status == statusCreated && act.onGround && !act.takeOff && !act.landingRoll &&
           !gf_landingFlagsSet(act) && !p.airborne && !act.news.airborne && !std::isnan(act.newsTime);
}
} // namespace

bool gf_taxiReach(const PathPoint& from, double fromTime, const PathPoint& to, double toTime)
{
    const double knots = std::max({from.speed, to.speed, fastestTaxi}) * reachShare;
    const double reach = (knots * knot * std::abs(toTime - fromTime) + reachMargin) / metresPerNm;
    return gf_withinNm(from.latitude, from.longitude, to.latitude, to.longitude, reach);
}

bool gf_holdOutlier(Act& act, const LiveReport& report)
{
    const PathPoint p = gf_pointOfReport(report);
    const std::uint32_t flightId = act.base.head.flightId;
    if (!lf_standsOrTaxis(act, p) || gf_taxiReach(act.news, act.newsTime, p, report.timeStamp)) {
        if (!held.empty())
            held.erase(flightId); // taken back: it stands or taxies where it did
        return false;
    }
    const auto [first, isNew] = held.try_emplace(flightId, Held{p, report.timeStamp, 0});
    if (isNew || ++first->second.since < confirmingReports)
        return true;
    const Held confirmed = first->second;
    held.erase(first);
    act.reportTime = confirmed.time;
    lf_applyReport(act, confirmed.point);
    return false;
}

void gf_forgetHeldOutliers() { held.clear(); }
