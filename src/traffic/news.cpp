// The latest report of a live aircraft, whether it became a point of its path or was set aside (a
// position sent again, one behind its path, at its stand, while it landed), and the path laid anew
// from it where the path runs out while such reports still come: they prove the aircraft is there.
#include "traffic/motion.h"

#include <cmath>

namespace {
constexpr double threeMetres = 0.0016198704103671706;
constexpr std::int64_t quietTicks = 7500; // after the last report came: the feed's gaps last up to 45 s
constexpr double slowestTaxi = 10.0;      // knots toward a report that gives no speed

// Where its reports last put it: its last report's position sent again by a feed that has lost
// it tells no new place.
bool lf_newPlace(const Act& act, const PathPoint& news)
{
    const PathPoint& last = act.trail.last;
    return std::isnan(act.trail.time) ||
           gf_distanceNm(last.latitude, last.longitude, news.latitude, news.longitude) > threeMetres;
}
} // namespace

void gf_noteNews(Act& act, const LiveReport& report)
{
    if (!std::isnan(act.newsTime) && report.timeStamp <= act.newsTime)
        return;
    act.news = gf_pointOfReport(report);
    act.newsTime = report.timeStamp;
}

bool gf_takeNews(Act& act)
{
    const std::int64_t now = gf_now();
    // The feed has been quiet for a while: the aircraft ends.
    const std::int64_t quietEnds = static_cast<std::int64_t>(act.news.tick) - reportLifetimeTicks + quietTicks;
    if (act.path.empty() || std::isnan(act.newsTime) || quietEnds < now || act.leftTheMargin)
        return false;
    const bool newer = act.newsTime > act.trail.time && (std::isnan(act.newsTaken) || act.newsTime > act.newsTaken);
    const PathPoint& last = act.path.back();
    PathPoint p = act.news;
    p.reportTick = 0;
    p.hold = 0;
    // Quiet only moments, or the feed has lost it, or it tells it in the air while it is shown on the
    // ground: on the ground it stands where it is, in the air (or taking off) it flies on as
    // predicted. Not yet shown, it is neither.
    const bool noNewPlace = !newer || !lf_newPlace(act, p) || (act.onGround && p.airborne);
    if (noNewPlace && act.base.status != statusCreated)
        return false;
    act.newsTaken = act.newsTime;
    act.predictionCount = 0;
    if (noNewPlace) {
        if (!act.onGround || act.takeOff)
            return lf_extendPath(act);
        p = last;
        p.reportTick = 0;
        p.speed = 0.0;
        p.hold = 1;
        if (!newer)
            p.tick = static_cast<std::uint32_t>(quietEnds);
    } else {
        const double d = gf_distanceNm(last.latitude, last.longitude, p.latitude, p.longitude);
        const double speed = std::max(p.speed, act.onGround ? slowestTaxi : 60.0);
        p.tick = static_cast<std::uint32_t>(std::max<std::int64_t>(p.tick, now + gf_travelTicks(d, speed)));
    }
    p.tick = static_cast<std::uint32_t>(std::max<std::int64_t>(p.tick, now + 100));
    act.path.push_back(p);
    return true;
}
