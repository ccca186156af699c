// A report of an aircraft standing or taxiing that no aircraft could have reached from its last one
// is held until the next report: taken back by it, it was a glitch of the feed and is dropped;
// confirmed by it, the aircraft moved there unseen and both go on.
#include "traffic/manager.h"
#include "traffic/motion.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double fastestTaxi = 30.0;  // knots a standing or taxiing aircraft is taken to move at, at least ...
constexpr double reachShare = 1.5;    // ... with this to spare ...
constexpr double reachMargin = 100.0; // ... and these metres for the feed's scatter

bool lf_reachable(const PathPoint& from, double fromTime, const PathPoint& to, double toTime)
{
    const double knots = std::max({from.speed, to.speed, fastestTaxi}) * reachShare;
    const double metres = gf_distanceNm(from.latitude, from.longitude, to.latitude, to.longitude) * metresPerNm;
    return metres <= knots * knot * std::abs(toTime - fromTime) + reachMargin;
}

// Shown standing or taxiing, and its last report and this one on the ground.
bool lf_standsOrTaxis(const Act& act, const PathPoint& p)
{
    return act.base.status == statusCreated && act.onGround && !act.takeOff && !act.landingRoll &&
           !gf_landingFlagsSet(act) && !p.airborne && !act.trail.last.airborne && !std::isnan(act.trail.time);
}
} // namespace

bool gf_holdOutlier(Act& act, const LiveReport& report)
{
    const PathPoint p = gf_pointOfReport(report);
    if (!std::isnan(act.outlierTime)) {
        const PathPoint held = act.outlier;
        const double heldTime = act.outlierTime;
        act.outlierTime = Act::nan;
        if (!lf_reachable(act.trail.last, act.trail.time, p, report.timeStamp) &&
            lf_reachable(held, heldTime, p, report.timeStamp)) {
            act.reportTime = heldTime;
            lf_applyReport(act, held);
        }
        return false;
    }
    if (!lf_standsOrTaxis(act, p) || lf_reachable(act.trail.last, act.trail.time, p, report.timeStamp))
        return false;
    act.outlier = p;
    act.outlierTime = report.timeStamp;
    return true;
}
