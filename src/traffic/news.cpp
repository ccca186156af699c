// The latest report of a live aircraft that tells where it is, whether it became a point of its path
// or was set aside (at its stand, while it landed, too soon after the last), and the path laid anew
// from it where the path runs out while such reports still come: they prove the aircraft is there.
// A feed that has lost the aircraft sends its last position again, or an older one: no news.
#include "traffic/motion.h"

#include <cmath>

namespace {
constexpr double threeMetres = 0.0016198704103671706;
constexpr std::int64_t quietTicks = 7500; // after the last news came: the feed's gaps last up to 45 s
constexpr double slowestTaxi = 10.0;      // knots toward a report that gives no speed
constexpr double movingKnots = 5.0;       // a report this fast at its last place is that place sent again

// Where its reports last put it: its last report's position sent again by a feed that has lost
// it tells no new place.
bool lf_newPlace(const Act& act, const PathPoint& news)
{
    const PathPoint& last = act.trail.last;
    return std::isnan(act.trail.time) ||
           gf_distanceNm(last.latitude, last.longitude, news.latitude, news.longitude) > threeMetres;
}

// Its last place sent again while its speed says it moves on: the feed coasts.
bool lf_coasting(const Act& act, const PathPoint& p)
{
    return !std::isnan(act.newsTime) && p.speed >= movingKnots &&
           gf_distanceNm(act.news.latitude, act.news.longitude, p.latitude, p.longitude) <= threeMetres;
}
} // namespace

void gf_noteNews(Act& act, const LiveReport& report)
{
    if (!std::isnan(act.newsTime) && report.timeStamp <= act.newsTime)
        return;
    const PathPoint p = gf_pointOfReport(report);
    // Neither restarts the quiet nor is a place for the path to go on to.
    if (lf_coasting(act, p) || gf_goesBack(act, p))
        return;
    act.news = p;
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
