// What the simulator shows of a live aircraft whose path makes moves no aircraft can: each tick
// its speed changes and its nose turns at most at its class's rates, it is never shown at twice
// its reported speed, and it leaves the ground only at its lift-off speed.
#include "traffic/motion_fixture.h"

#include "foundation/sizeclasses.h"
#include "traffic/shownlimits.h"

#include <cmath>

namespace {
const LatLon lasVegas{36.0840, -115.1537};

// What a watcher saw of one shown aircraft, tick by tick.
struct Seen {
    double fastestChange = 0.0;  // knots a second
    double fastestTurn = 0.0;    // degrees a second, in the air above 60 kt
    double fastest = 0.0;        // knots
    double slowestAir = 1e9;     // knots, in the air
    double turned = 0.0;         // degrees in all, in the air
    double liftOffSpeed = -1.0;  // knots when it first left the ground
    double nearest = 1e9;        // metres to the watched point
    bool fell = false;           // a roll slowed down before the lift-off
};
} // namespace

TEST_F(Motion, WhereThePathJumpsTheShownAircraftStillMovesAsAnAircraftCan)
{
    struct Case {
        const char* what;
        std::uint32_t sizeClass;
        double heading; // degrees
        bool onGround;
        std::vector<PathPoint> (*path)(); // the points after the one it stands at, due now
        double speed;   // knots reported, at most half of which it may be shown faster
        std::int64_t ticks;
        LatLon watched; // a point it must pass near, not circle
        bool takesOff;
    };
    // A taxiing aircraft whose feed stood still and then jumps 8 km ahead to 9,100 ft.
    const auto jump = [] {
        return std::vector<PathPoint>{Motion::point(gf_offset(lasVegas, 90.0, 0.05), 19.0, 1000),
                                      Motion::point(gf_offset(lasVegas, 90.0, 4.3), 250.0, 1200, 9100.0),
                                      Motion::point(gf_offset(lasVegas, 90.0, 6.0), 250.0, 3700, 9500.0)};
    };
    // A take-off roll from a stop toward a report 500 m on at 80 kt, the next 1 km on at 150 kt.
    const auto roll = [] {
        return std::vector<PathPoint>{Motion::point(gf_offset(lasVegas, 90.0, 0.27), 80.0, 1500),
                                      Motion::point(gf_offset(lasVegas, 90.0, 0.81), 150.0, 2500),
                                      Motion::point(gf_offset(lasVegas, 90.0, 1.6), 160.0, 3500, 2800.0)};
    };
    // At 250 kt a point 100 m away and 80 degrees off the nose, then on that way.
    const auto abeam = [] {
        const LatLon off = gf_offset(lasVegas, 80.0, 100.0 * metre);
        return std::vector<PathPoint>{Motion::point(off, 250.0, 100, 5000.0),
                                      Motion::point(gf_offset(off, 80.0, 2.0), 250.0, 3000, 5000.0)};
    };
    const Case cases[] = {
        {"taxiing, then 8 km ahead at 9,100 ft", largeClass, 90.0, true, jump, 250.0, 12000, {}, true},
        {"a take-off roll from a stop", largeClass, 90.0, true, roll, 160.0, 4000, {}, true},
        {"a point abeam at 250 kt", largeClass, 0.0, false, abeam, 250.0, 4000, gf_offset(lasVegas, 80.0, 100.0 * metre),
         false},
    };
    for (const Case& c : cases) {
        gf_testClearTraffic();
        gf_testPark(lasVegas, 2181.0);
        Act& added = addAct(c.sizeClass, lasVegas, c.heading, c.onGround ? phaseGround : phaseAirborne);
        const std::uint32_t id = added.base.head.flightId;
        added.altitude = c.onGround ? 2181.0 : 5000.0;
        added.takeOff = c.onGround && c.takesOff;
        added.path.front().altitude = c.onGround ? 0.0 : 5000.0;
        added.path.front().airborne = c.onGround ? 0 : 1;
        added.path.front().speed = c.onGround ? 0.0 : 250.0;
        for (const PathPoint& p : c.path())
            added.path.push_back(p);
        Seen seen;
        ShownMotion before{};
        for (std::int64_t t = 0; t < c.ticks && act(id) != nullptr; ++t) {
            run(1);
            const Act* a = act(id);
            if (a == nullptr)
                break;
            const ShownMotion& s = a->shown;
            if (t > 0) {
                seen.fastestChange = std::max(seen.fastestChange, std::abs(s.speed - before.speed) * 100.0);
                const double turn = std::abs(gf_angleDiff(before.heading, s.heading)) * radToDeg;
                if (!s.onGround) {
                    seen.turned += turn;
                    if (s.speed > 60.0)
                        seen.fastestTurn = std::max(seen.fastestTurn, turn * 100.0 / std::max(764.0 / s.speed, 4.0));
                    seen.slowestAir = std::min(seen.slowestAir, s.speed);
                }
                if (before.onGround && !s.onGround && seen.liftOffSpeed < 0.0)
                    seen.liftOffSpeed = s.speed;
                seen.fell = seen.fell || (s.onGround && before.onGround && a->takeOff && before.speed > 30.0 && s.speed < before.speed - 1e-9);
            }
            seen.fastest = std::max(seen.fastest, s.speed);
            seen.nearest = std::min(seen.nearest, gf_distanceNm(s.latitude, s.longitude, c.watched.first,
                                                                c.watched.second) * metresPerNm);
            before = s;
        }
        EXPECT_LE(seen.fastestChange, 7.01) << c.what << ": knots a second at most";
        EXPECT_LE(seen.fastestTurn, 1.0) << c.what << ": turning at most as a 35-degree bank does, or 4 degrees a second";
        EXPECT_LT(seen.fastest, 2.0 * c.speed) << c.what << ": never twice the reported speed";
        if (c.takesOff) {
            EXPECT_GE(seen.liftOffSpeed, 0.85 * gf_liftOffSpeed(static_cast<std::int32_t>(c.sizeClass)) - 1e-9)
                << c.what << ": knots at the lift-off";
            EXPECT_FALSE(seen.fell) << c.what << ": the roll speeds up evenly to the lift-off";
            EXPECT_GE(seen.slowestAir, gf_liftOffSpeed(static_cast<std::int32_t>(c.sizeClass)) * 0.85 - 1e-9) << c.what;
        } else {
            EXPECT_LT(seen.turned, 300.0) << c.what << ": degrees turned, a point abeam is not circled";
            EXPECT_LT(seen.nearest, 2500.0) << c.what << ": it comes round to the point";
        }
    }
}

TEST_F(Motion, AheadOfAPathThatCrawlsInTheAirTheShownAircraftFliesOnAlongItsWay)
{
    // Climbing out north at 150 kt, its path crawls at 50 kt for 20 s (it reached a report early
    // and waits for its time), then goes on at 150 kt: the shown aircraft, which flies no slower
    // than its class can, keeps on north ahead of it until the path catches up.
    gf_testClearTraffic();
    gf_testPark(lasVegas, 2181.0);
    Act& a = addAct(largeClass, lasVegas, 0.0, phaseAirborne);
    a.altitude = a.path.front().altitude = 3000.0;
    a.path.front().airborne = 1;
    a.path.front().speed = 150.0;
    a.path.push_back(Motion::point(gf_offset(lasVegas, 0.0, 5.0), 150.0, 12000, 3000.0));
    double offCourse = 0.0, slowest = 1e9;
    for (int t = 0; t < 6000; ++t) {
        const double knots = t >= 1000 && t < 3000 ? 50.0 : 150.0;
        a.latitude += knots * knot * tickSeconds / metresPerDegree;
        gf_moveShown(a);
        offCourse = std::max(offCourse, std::abs(gf_angleDiff(0.0, a.shown.heading)) * radToDeg);
        slowest = std::min(slowest, a.shown.speed);
    }
    EXPECT_LT(offCourse, 5.0) << "degrees off its way";
    EXPECT_GE(slowest, 110.0 - 1e-9) << "knots: as slow as it flies";
    EXPECT_LT(std::abs(gf_distanceNm(a.latitude, a.longitude, a.shown.latitude, a.shown.longitude) * metresPerNm), 300.0)
        << "metres from its path once it caught up";
}
