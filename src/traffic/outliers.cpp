// A report of an aircraft standing or taxiing that no aircraft could have reached from its last one
// is held: taken back by a later report, it was a glitch of the feed (one or two reports) and is
// dropped; confirmed by two more, the aircraft moved there unseen and they go on.
#include "traffic/manager.h"
#include "traffic/motion.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr double fastestTaxi = 30.0;  // knots a standing or taxiing aircraft is taken to move at, at least ...
constexpr double reachShare = 1.5;    // ... with this to spare ...
constexpr double reachMargin = 100.0; // ... and these metres for the feed's scatter
constexpr std::uint32_t confirmingReports = 2; // after the first out of reach

bool lf_reachable(const PathPoint& from, double fromTime, const PathPoint& to, double toTime)
{
    const double knots = std::max({from.speed, to.speed, fastestTaxi}) * reachShare;
    const double metres = gf_distanceNm(from.latitude, from.longitude, to.latitude, to.longitude) * metresPerNm;
    return metres <= knots * knot * std::abs(toTime - fromTime) + reachMargin;
}

// Shown standing or taxiing, and its last report (held or not) and this one on the ground.
bool lf_standsOrTaxis(const Act& act, const PathPoint& p)
{
    return act.base.status == statusCreated && act.onGround && !act.takeOff && !act.landingRoll &&
           !gf_landingFlagsSet(act) && !p.airborne && !act.news.airborne && !std::isnan(act.newsTime);
}
} // namespace

bool gf_holdOutlier(Act& act, const LiveReport& report)
{
    const PathPoint p = gf_pointOfReport(report);
    if (!lf_standsOrTaxis(act, p) || lf_reachable(act.news, act.newsTime, p, report.timeStamp)) {
        act.outlierTime = Act::nan; // taken back: it stands or taxies where it did
        return false;
    }
    if (std::isnan(act.outlierTime)) {
        act.outlier = p;
        act.outlierTime = report.timeStamp;
        act.outliersSince = 0;
        return true;
    }
    if (++act.outliersSince < confirmingReports)
        return true;
    act.reportTime = std::exchange(act.outlierTime, Act::nan);
    lf_applyReport(act, act.outlier);
    return false;
}
