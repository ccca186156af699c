// What the simulator shows of a live aircraft, whatever its path does: it moves as an aircraft of its
// class can, keeps within a few seconds of its reports where they can be flown, is made again
// where its path is when they cannot, and what it does (its height, its events, its arrival) follows
// where it is shown, not its path.
#include "traffic/motion_fixture.h"

#include "foundation/sizeclasses.h"
#include "links/simids.h"
#include "traffic/shownlimits.h"

#include <cmath>
#include <functional>

namespace {
const LatLon lasVegas{36.0840, -115.1537};
constexpr double elevation = 2181.0;

// What a watcher saw of one shown aircraft, tick by tick.
struct Seen {
    double fastestChange = 0.0;  // knots a second
    double fastestTurn = 0.0;    // share of a 35-degree bank's rate (at least 4 degrees a second), in the air
    double fastestClimb = 0.0;   // feet a minute, up or down
    double slowestAir = 1e9;     // knots, in the air
    double fastestAir = 0.0;     // knots, in the air
    double fastestGround = 0.0;  // knots, on the ground
    double turned = 0.0;         // degrees in all, in the air
    double offCourse = 0.0;      // degrees its nose was off its first heading, in the air
    double mostBehind = 0.0;     // seconds of flight from its path, once settled
    double mostAhead = 0.0;      // seconds of flight ahead of its path, once settled
    double nearest = 1e9;        // metres to the watched point
    double farthest = 0.0;       // metres from its path, once settled
    double startSpeed = -1.0;    // knots, as created
    double liftOffApart = -1.0;  // metres between where its path and it left the ground
    bool rollSlowed = false;     // on its take-off roll it slowed down
    bool madeAgain = false;      // taken away to be created again where its path is ...
    double madeAgainAt = 0.0;    // ... after this many seconds
    double lowest = 1e9;         // feet above the park airport, in the air, after its first 10 s
    double lastApart = 0.0;      // metres from its path at the end
};

// A point along the bearing from a position, `seconds` on at the speed, due after `due` ticks.
PathPoint lf_after(LatLon from, double bearing, double knots, double seconds, std::int64_t due, double altitude)
{
    const LatLon at = gf_offset(from, bearing, knots * seconds / 3600.0);
    return {.latitude = at.first, .longitude = at.second, .altitude = altitude, .speed = knots, .trueAirSpeed = knots,
            .tick = static_cast<std::uint32_t>(gf_now() + due), .airborne = static_cast<std::uint8_t>(altitude > 0.0 ? 1 : 0)};
}
} // namespace

TEST_F(Motion, TheShownAircraftMovesAsItsClassCanAndKeepsToItsPath)
{
    struct Case {
        const char* what;
        double heading; // degrees
        bool onGround;
        bool takeOff;
        double altitude; // feet of its first point; 0 on the ground
        double speed;    // knots of its first point
        std::function<std::vector<PathPoint>()> path; // the points after its first, due now
        std::int64_t ticks;
        std::function<void(const Seen&)> expect;
        double createdBehind = 0.0; // seconds: its object was made where its path was then
        std::uint32_t sizeClass = largeClass;
        double groundUnder = std::nan(""); // feet above the park airport of the ground the simulator tells under it
        bool park = true;                  // the user on the ground there; else in the air, with none
    };
    // Every 4 s at 180 kt, climbing, its reports' times up to 1.5 s off and one speed garbage.
    const auto unevenClimb = [] {
        std::vector<PathPoint> points;
        for (int k = 1; k <= 40; ++k) {
            PathPoint p = lf_after(lasVegas, 90.0, 180.0, 4.0 * k, 400 * k + (k % 3 - 1) * 150, 3000.0 + 100.0 * k);
            p.speed = k == 7 ? 13.0 : 180.0;
            points.push_back(p);
        }
        return points;
    };
    // Every 10 s at 250 kt while the feed's speed stands at 20 kt.
    const auto stuckSpeed = [] {
        std::vector<PathPoint> points;
        for (int k = 1; k <= 12; ++k) {
            PathPoint p = lf_after(lasVegas, 90.0, 250.0, 10.0 * k, 1000 * k, 6000.0);
            p.speed = p.trueAirSpeed = 20.0;
            p.reportTick = p.tick;
            points.push_back(p);
        }
        return points;
    };
    // Created at 170 kt, its next reports repeating a garbage 290 kt.
    const auto garbageAtStart = [] {
        std::vector<PathPoint> points;
        for (int k = 1; k <= 12; ++k) {
            PathPoint p = lf_after(lasVegas, 90.0, 170.0, 10.0 * k, 1000 * k, 4000.0);
            p.speed = k <= 2 ? 290.0 : 170.0;
            points.push_back(p);
        }
        return points;
    };
    // A final at 85 kt over the ground into a 35 kt wind: slower than it flies.
    const auto headwind = [] {
        std::vector<PathPoint> points;
        for (int k = 1; k <= 20; ++k) {
            PathPoint p = lf_after(lasVegas, 90.0, 85.0, 5.0 * k, 500 * k, 3500.0 - 60.0 * k);
            p.trueAirSpeed = 120.0;
            points.push_back(p);
        }
        return points;
    };
    // Taxiing, then the feed stands still and jumps 8 km ahead to 9,100 ft.
    const auto jump = [] {
        return std::vector<PathPoint>{Motion::point(gf_offset(lasVegas, 90.0, 0.05), 19.0, 1000),
                                      Motion::point(gf_offset(lasVegas, 90.0, 4.3), 250.0, 1200, 9100.0),
                                      Motion::point(gf_offset(lasVegas, 90.0, 6.0), 250.0, 3700, 9500.0)};
    };
    // A take-off roll from a stop: 500 m on at 80 kt, then 1 km on at 150 kt, then in the air.
    const auto roll = [] {
        return std::vector<PathPoint>{Motion::point(gf_offset(lasVegas, 90.0, 0.27), 80.0, 1500),
                                      Motion::point(gf_offset(lasVegas, 90.0, 0.81), 150.0, 2500),
                                      Motion::point(gf_offset(lasVegas, 90.0, 1.6), 160.0, 3500, 2800.0)};
    };
    // Created on its take-off roll at 120 kt: it lifts off 700 m on.
    const auto rolling = [] {
        return std::vector<PathPoint>{Motion::point(gf_offset(lasVegas, 90.0, 0.38), 140.0, 1000),
                                      Motion::point(gf_offset(lasVegas, 90.0, 1.4), 160.0, 3500, 2800.0)};
    };
    // At 250 kt a point 100 m away and 80 degrees off the nose, then on that way.
    const LatLon abeam = gf_offset(lasVegas, 80.0, 100.0 * metre);
    const auto pointAbeam = [&] {
        return std::vector<PathPoint>{Motion::point(abeam, 250.0, 100, 5000.0),
                                      Motion::point(gf_offset(abeam, 80.0, 2.0), 250.0, 3000, 5000.0)};
    };
    // Climbing out north at 150 kt, its path crawls at 50 kt for 20 s (it reached a report early and
    // waits for its time), then goes on at 150 kt.
    const auto crawl = [] {
        const LatLon slow = gf_offset(lasVegas, 0.0, 150.0 * 10.0 / 3600.0);
        const LatLon on = gf_offset(slow, 0.0, 50.0 * 20.0 / 3600.0);
        return std::vector<PathPoint>{Motion::point(slow, 150.0, 1000, 3000.0), Motion::point(on, 50.0, 3000, 3000.0),
                                      lf_after(on, 0.0, 150.0, 40.0, 7000, 3000.0),
                                      lf_after(on, 0.0, 150.0, 80.0, 11000, 3000.0)};
    };
    // North, its way turns sharply back to the south-west: it comes round behind it.
    const auto sharpTurn = [](double knots) {
        return [knots] {
            const LatLon corner = gf_offset(lasVegas, 0.0, knots * 10.0 / 3600.0);
            std::vector<PathPoint> points{Motion::point(corner, knots, 1000, 5000.0)};
            for (int k = 1; k <= 12; ++k)
                points.push_back(lf_after(corner, 240.0, knots, 10.0 * k, 1000 + 1000 * k, 5000.0));
            return points;
        };
    };
    // At 150 kt its reports stand still for 30 s, then jump 6 km ahead and fly on at 280 kt.
    const auto frozen = [] {
        std::vector<PathPoint> points{lf_after(lasVegas, 90.0, 150.0, 0.0, 3000, 5000.0)};
        for (int k = 0; k <= 8; ++k)
            points.push_back(lf_after(lasVegas, 90.0, 280.0, 45.0 + 10.0 * k, 4000 + 1000 * k, 9000.0));
        return points;
    };
    // Round a circle of 4 km at 280 kt while the feed's speed says 220: its path flies the positions.
    const auto slowFieldInATurn = [] {
        std::vector<PathPoint> points;
        const LatLon centre = gf_offset(lasVegas, 90.0, 4000.0 * metre);
        for (int k = 1; k <= 12; ++k) {
            const double angle = 270.0 + 280.0 * knot * 10.0 * k / 4000.0 * radToDeg; // round from the west, clockwise
            const LatLon at = gf_offset(centre, angle, 4000.0 * metre);
            PathPoint p{.latitude = at.first, .longitude = at.second, .altitude = 8000.0, .speed = 220.0, .trueAirSpeed = 220.0,
                        .tick = static_cast<std::uint32_t>(gf_now() + 1000 * k), .airborne = 1};
            points.push_back(p);
        }
        return points;
    };
    // East at 250 kt, its reports timed 15 s before its path is due at them.
    const auto reportsEarly = [] {
        std::vector<PathPoint> points;
        for (int k = 1; k <= 15; ++k) {
            PathPoint p = lf_after(lasVegas, 90.0, 250.0, 10.0 * k, 1000 * k, 5000.0);
            p.reportTick = p.tick - 1500;
            points.push_back(p);
        }
        return points;
    };
    // East at 250 kt, an old position sent again with a new time.
    const auto oldPositionAgain = [] {
        std::vector<PathPoint> points;
        for (int k = 1; k <= 15; ++k) {
            points.push_back(lf_after(lasVegas, 90.0, 250.0, 10.0 * (k == 3 ? 1 : k), 1000 * k, 5000.0));
        }
        return points;
    };
    // East at 250 kt, its last position sent again in the air, then on where it flew meanwhile.
    const auto positionHeld = [] {
        std::vector<PathPoint> points;
        for (int k = 1; k <= 15; ++k) {
            PathPoint p = lf_after(lasVegas, 90.0, 250.0, 10.0 * (k == 3 ? 2 : k), 1000 * k, 5000.0);
            p.hold = k == 3 ? 1 : 0;
            points.push_back(p);
        }
        return points;
    };
    // East at the speed.
    const auto straight = [](double knots, double altitude) {
        return [knots, altitude] {
            std::vector<PathPoint> points;
            for (int k = 1; k <= 15; ++k)
                points.push_back(lf_after(lasVegas, 90.0, knots, 10.0 * k, 1000 * k, altitude));
            return points;
        };
    };
    // At 120 kt, down from 1,200 ft above the field 300 ft every 10 s, on through the ground near it.
    const auto throughTheGround = [] {
        std::vector<PathPoint> points;
        for (int k = 1; k <= 12; ++k)
            points.push_back(lf_after(lasVegas, 90.0, 120.0, 10.0 * k, 1000 * k, elevation + 1200.0 - 300.0 * k));
        return points;
    };
    // At 140 kt on a final whose last reports lie 150 ft below the field (a high-pressure day), timed
    // 10 s before its path: shown ahead of its path, held above the ground as its path is.
    const auto belowTheField = [] {
        std::vector<PathPoint> points;
        for (int k = 1; k <= 12; ++k) {
            PathPoint p = lf_after(lasVegas, 90.0, 140.0, 5.0 * k, 500 * k, elevation - 150.0);
            p.reportTick = p.tick - 1000;
            points.push_back(p);
        }
        return points;
    };
    // Up or down 3,000 ft in 5 s, then level: no aircraft climbs or descends so.
    const auto zoom = [](double altitude) {
        return [altitude] {
            return std::vector<PathPoint>{lf_after(lasVegas, 0.0, 200.0, 5.0, 500, altitude),
                                          lf_after(lasVegas, 0.0, 200.0, 60.0, 6000, altitude)};
        };
    };
    // Taxiing an S at 15 kt, reported every 2 s: 60 degrees one way over four reports, straight on, and back.
    const auto taxiS = [] {
        std::vector<PathPoint> points;
        LatLon at = lasVegas;
        double track = 90.0;
        for (int k = 0; k < 60; ++k) {
            track += k % 12 < 4 ? 15.0 : k % 12 >= 6 && k % 12 < 10 ? -15.0 : 0.0;
            at = gf_offset(at, track, 15.0 * 2.0 / 3600.0);
            points.push_back(Motion::point(at, 15.0, 200 * (k + 1)));
        }
        return points;
    };
    // Taxiing east at 20 kt, reported every 10 s, whose feed jumps 600 m on in 2 s at a garbage 41 kt.
    const auto taxiJump = [] {
        std::vector<PathPoint> points;
        for (int k = 0; k <= 20; ++k)
            points.push_back(Motion::point(gf_offset(lasVegas, 90.0, 600.0 * metre + 20.0 * 10.0 * k / 3600.0),
                                           k == 0 ? 41.0 : 20.0, 200 + 1000 * k));
        return points;
    };
    // Taxiing east at 12 kt, then to a stop 30 m off to its right, where its reports stand.
    const auto stopAside = [] {
        std::vector<PathPoint> points;
        const LatLon turn = gf_offset(lasVegas, 90.0, 12.0 * 8.0 / 3600.0);
        for (int k = 1; k <= 4; ++k)
            points.push_back(Motion::point(gf_offset(lasVegas, 90.0, 12.0 * 2.0 * k / 3600.0), 12.0, 200 * k));
        const LatLon stop = gf_offset(turn, 150.0, 30.0 * metre);
        for (int k = 0; k < 3; ++k)
            points.push_back(Motion::point(stop, 0.0, 1400 + 1000 * k));
        return points;
    };
    const Case cases[] = {
        {"a climb-out whose reports come at uneven times", 90.0, false, false, 3000.0, 180.0, unevenClimb, 15000,
         [](const Seen& s) {
             EXPECT_LT(s.mostBehind, 10.0) << "seconds from its path";
             EXPECT_GT(s.slowestAir, 0.7 * 180.0) << "knots: no report's garbage speed slows it";
             EXPECT_LT(s.fastestAir, 1.3 * 180.0);
         }},
        {"a feed whose speed stands still while its positions fly", 90.0, false, false, 6000.0, 20.0, stuckSpeed, 9000,
         [](const Seen& s) {
             EXPECT_FALSE(s.madeAgain);
             EXPECT_GT(s.slowestAir, 0.75 * 250.0) << "knots: where the speed field stands still its positions' speed decides";
             EXPECT_LT(s.mostBehind, 8.5) << "seconds from its path, its reports' places averaged over their noisy times";
         }},
        {"created where its next speeds are garbage", 90.0, false, false, 4000.0, 170.0, garbageAtStart, 9000,
         [](const Seen& s) {
             // (its path runs its first leg at the garbage speed: it is kept within 5 s of that)
             EXPECT_LT(s.fastestAir, 1.5 * 170.0) << "knots: it starts near the speed its positions fly";
             EXPECT_LT(s.mostBehind, 10.0) << "seconds from its path";
         }},
        {"a final into a headwind", 90.0, false, false, 3500.0, 85.0, headwind, 9000,
         [](const Seen& s) {
             EXPECT_LT(s.fastestAir, 100.0) << "knots over the ground: it flies its air speed, the wind takes the rest";
             EXPECT_LT(s.mostBehind, 10.0) << "seconds from its path";
         }},
        {"taxiing, then 8 km ahead at 9,100 ft", 90.0, true, true, 0.0, 0.0, jump, 8000,
         [](const Seen& s) { EXPECT_TRUE(s.madeAgain) << "it cannot fly there in time: made again where its path is"; }},
        {"taxiing, its feed jumps 600 m on", 90.0, true, false, 0.0, 20.0, taxiJump, 12000,
         [](const Seen& s) { EXPECT_LE(s.fastestGround, 40.0 + 1e-6) << "knots: it taxis after its path, it does not race"; }},
        {"taxiing an S at 15 kt", 90.0, true, false, 0.0, 15.0, taxiS, 12000,
         [](const Seen& s) {
             EXPECT_LT(s.mostBehind, 5.0) << "seconds from its path: it keeps up round the bends";
             EXPECT_LT(s.farthest, 60.0) << "metres from its path";
         }},
        {"taxiing to a stop 30 m off to its right", 90.0, true, false, 0.0, 12.0, stopAside, 6000,
         [](const Seen& s) { EXPECT_LT(s.lastApart, 10.0) << "metres from where its path stands: it turns onto it, not 20 m past it"; }},
        {"a take-off roll from a stop", 90.0, true, true, 0.0, 0.0, roll, 4000,
         [](const Seen& s) {
             EXPECT_FALSE(s.rollSlowed) << "the roll speeds up to the lift-off";
             EXPECT_GE(s.liftOffApart, 0.0) << "it lifted off";
             EXPECT_LT(s.liftOffApart, 60.0) << "metres from where its path lifted off";
             EXPECT_LT(s.mostBehind, 8.0) << "seconds from its path: it sets off at the speed its next reports roll at";
         }},
        {"created on its take-off roll", 90.0, true, true, 0.0, 120.0, rolling, 4000,
         [](const Seen& s) { EXPECT_GT(s.startSpeed, 100.0) << "knots: it appears rolling, not standing on the runway"; }},
        {"a point abeam at 250 kt", 0.0, false, false, 5000.0, 250.0, pointAbeam, 4000,
         [](const Seen& s) {
             EXPECT_LT(s.turned, 300.0) << "degrees turned: a point abeam is not circled";
             EXPECT_LT(s.nearest, 2500.0) << "metres: it comes round to the point";
         }},
        {"ahead of a path that crawls", 0.0, false, false, 3000.0, 150.0, crawl, 9000,
         [](const Seen& s) {
             EXPECT_LT(s.offCourse, 5.0) << "degrees off its way: it slows down, it does not turn off to meet its path";
             EXPECT_GT(s.slowestAir, 75.0) << "knots: as slow as it flies";
         }},
        {"a way that turns back sharply", 0.0, false, false, 5000.0, 250.0, sharpTurn(250.0), 12000,
         [](const Seen& s) {
             // (its turn at 250 kt swings some 3 km wide of the corner; flying on, it was 7 km off)
             EXPECT_LT(s.farthest, 5000.0) << "metres from its path: it turns back onto its way at once";
             EXPECT_LT(s.mostBehind, 30.0) << "seconds from its path";
             EXPECT_FALSE(s.madeAgain) << "it flies on round the turn while its path goes back along it";
         }},
        {"reports frozen, then 6 km ahead", 90.0, false, false, 5000.0, 150.0, frozen, 12000,
         [](const Seen& s) {
             EXPECT_FALSE(s.madeAgain) << "from where they froze its reports can be flown: it is not made again";
             EXPECT_LT(s.mostBehind, 15.0) << "seconds from its path: it catches up";
         }},
        {"a turn whose reported speed lies low", 0.0, false, false, 8000.0, 220.0, slowFieldInATurn, 12000,
         [](const Seen& s) { EXPECT_LT(s.mostBehind, 3.5) << "seconds from its path: it flies as fast as its path round the turn"; }},
        {"created 8 s behind its path", 90.0, false, false, 12000.0, 250.0, straight(250.0, 12000.0), 15000,
         [](const Seen& s) { EXPECT_LT(s.mostAhead, 1.0) << "seconds ahead of its path: it catches up without running past it"; },
         8.0},
        {"a light aircraft at 100 kt, created 8 s behind its path", 90.0, false, false, 3000.0, 100.0,
         straight(100.0, 3000.0), 15000,
         [](const Seen& s) {
             EXPECT_LT(s.fastestAir, 130.0) << "knots: catching up 30 % over its reports' speed, it races";
             EXPECT_LT(s.mostBehind, 8.0) << "seconds from its path";
         },
         8.0, 0},
        {"a light turboprop at 295 kt, created 8 s behind its path", 90.0, false, false, 8000.0, 295.0,
         straight(295.0, 8000.0), 15000,
         [](const Seen& s) {
             EXPECT_FALSE(s.madeAgain) << "no top speed of its class holds it below its reports' speed";
             EXPECT_LT(s.mostBehind, 8.0) << "seconds from its path";
         },
         8.0, 0},
        {"reports timed 15 s before its path", 90.0, false, false, 5000.0, 250.0, reportsEarly, 12000,
         [](const Seen& s) {
             EXPECT_GT(s.mostAhead, 10.0) << "seconds ahead of its path: in the air its reports' times decide";
             EXPECT_LT(s.mostAhead, 17.0);
         }},
        {"an old position sent again in the air", 90.0, false, false, 5000.0, 250.0, oldPositionAgain, 12000,
         [](const Seen& s) {
             // (its path flies back to the old position and on again)
             EXPECT_LT(s.offCourse, 10.0) << "degrees off its way: a fast aircraft does not turn back with its path";
             EXPECT_LT(s.turned, 30.0) << "degrees turned in all";
         }},
        {"its last position sent again in the air", 90.0, false, false, 5000.0, 250.0, positionHeld, 12000,
         [](const Seen& s) { EXPECT_GT(s.slowestAir, 0.95 * 250.0) << "knots: it flies on, not waiting where its path does"; }},
        {"a descent on through the ground", 90.0, false, false, elevation + 1200.0, 120.0, throughTheGround, 12000,
         [](const Seen& s) { EXPECT_GE(s.lowest, 0.0) << "feet above the ground, in the air"; }},
        {"level below the hill the simulator tells under it", 90.0, false, false, elevation + 1000.0, 250.0,
         straight(250.0, elevation + 1000.0), 6000,
         [](const Seen& s) { EXPECT_GE(s.lowest, 1300.0) << "feet above the park airport, in the air"; },
         0.0, largeClass, 1300.0},
        {"a final below the field with no park airport, ahead of its path", 90.0, false, false, elevation + 100.0, 140.0,
         belowTheField, 6000,
         [](const Seen& s) { EXPECT_GT(s.lowest, 40.0) << "feet above the ground: it does not dip to its reports"; },
         0.0, largeClass, 0.0, false},
        {"up 3,000 ft in 5 s", 0.0, false, false, 5000.0, 200.0, zoom(8000.0), 3000,
         [](const Seen& s) { EXPECT_LE(s.fastestClimb, 7000.0 + 1e-6) << "feet a minute"; }},
        {"down 3,000 ft in 5 s", 0.0, false, false, 8000.0, 200.0, zoom(5000.0), 3000,
         [](const Seen& s) { EXPECT_LE(s.fastestClimb, 6000.0 + 1e-6) << "feet a minute"; }},
    };
    for (const Case& c : cases) {
        gf_testClearTraffic();
        gf_testPark(lasVegas, elevation);
        if (!c.park)
            gf_setParkAirport({});
        Act& added = addAct(c.sizeClass, lasVegas, c.heading, c.onGround ? phaseGround : phaseAirborne);
        const std::uint32_t id = added.base.head.flightId;
        added.altitude = c.onGround ? elevation : c.altitude;
        added.takeOff = c.takeOff ? 1 : 0;
        added.path.front().altitude = c.altitude;
        added.path.front().airborne = c.onGround ? 0 : 1;
        added.path.front().speed = c.speed;
        if (!std::isnan(c.groundUnder))
            added.groundUnder = elevation + c.groundUnder;
        for (const PathPoint& p : c.path())
            added.path.push_back(p);
        if (c.createdBehind > 0.0) {
            gf_noteCreation(added);
            const LatLon back = gf_offset(lasVegas, c.heading + 180.0, c.speed * c.createdBehind / 3600.0);
            added.shown.createdLatitude = back.first;
            added.shown.createdLongitude = back.second;
            added.shown.createdTick -= c.createdBehind / tickSeconds;
        }
        Seen seen;
        ShownMotion before{};
        std::vector<double> speeds; // each tick
        std::optional<LatLon> pathLiftOff, shownLiftOff;
        for (std::int64_t t = 0; t < c.ticks; ++t) {
            run(1);
            const Act* a = act(id);
            if (a == nullptr)
                break;
            if (a->base.status == statusRecreate) {
                seen.madeAgain = true;
                seen.madeAgainAt = static_cast<double>(t) * tickSeconds;
                break;
            }
            const ShownMotion& s = a->shown;
            if (!pathLiftOff && !a->onGround && c.onGround)
                pathLiftOff = LatLon{a->latitude, a->longitude};
            if (!shownLiftOff && !s.onGround && c.onGround)
                shownLiftOff = LatLon{s.latitude, s.longitude};
            speeds.push_back(s.speed);
            if (t == 0)
                seen.startSpeed = s.speed;
            if (speeds.size() > 50) // over half a second: a stop settling into place is no lurch
                seen.fastestChange = std::max(seen.fastestChange, std::abs(s.speed - speeds[speeds.size() - 51]) / 0.5);
            if (t > 0) {
                seen.fastestClimb = std::max(seen.fastestClimb, std::abs(s.altitude - before.altitude) / tickSeconds * 60.0);
                const double turn = std::abs(gf_angleDiff(before.heading, s.heading)) * radToDeg;
                if (!s.onGround) {
                    seen.turned += turn;
                    seen.offCourse = std::max(seen.offCourse, std::abs(gf_angleDiff(c.heading * degToRad, s.heading)) * radToDeg);
                    if (s.speed > 60.0)
                        seen.fastestTurn = std::max(seen.fastestTurn, turn / tickSeconds / std::max(764.0 / s.speed, 4.0));
                    seen.slowestAir = std::min(seen.slowestAir, s.speed);
                    if (t > 1000)
                        seen.lowest = std::min(seen.lowest, s.altitude - elevation);
                    seen.fastestAir = std::max(seen.fastestAir, s.speed);
                }
                if (s.onGround)
                    seen.fastestGround = std::max(seen.fastestGround, s.speed);
                seen.rollSlowed = seen.rollSlowed ||
                                  (s.onGround && before.onGround && a->takeOff && before.speed > 30.0 && s.speed < before.speed - 1e-9);
            }
            if (t > 3000) {
                seen.mostBehind = std::max(seen.mostBehind, std::abs(s.lag));
                seen.mostAhead = std::max(seen.mostAhead, -s.lag);
                seen.farthest = std::max(seen.farthest, gf_distanceNm(s.latitude, s.longitude, a->latitude, a->longitude) * metresPerNm);
            }
            seen.nearest = std::min(seen.nearest, gf_distanceNm(s.latitude, s.longitude, abeam.first, abeam.second) * metresPerNm);
            seen.lastApart = gf_distanceNm(s.latitude, s.longitude, a->latitude, a->longitude) * metresPerNm;
            before = s;
        }
        if (pathLiftOff && shownLiftOff)
            seen.liftOffApart = gf_distanceNm(*pathLiftOff, *shownLiftOff) * metresPerNm;
        SCOPED_TRACE(c.what);
        EXPECT_LE(seen.fastestChange, 8.0 + 1e-6) << "knots a second at most";
        EXPECT_LE(seen.fastestTurn, 1.0) << "turning at most as a 35-degree bank does, or 4 degrees a second";
        c.expect(seen);
    }
}

TEST_F(Motion, WhatTheUserSeesFollowsTheShownAircraftNotItsPath)
{
    gf_testPark(lasVegas, elevation);
    // Created where its path was 400 m back along its way, climbing out at 160 kt: its path has
    // moved on by the time the simulator has made it.
    const LatLon created = gf_offset(lasVegas, 270.0, 400.0 * metre);
    Act& added = addAct(largeClass, lasVegas, 90.0, phaseAirborne);
    const std::uint32_t id = added.base.head.flightId;
    added.altitude = added.path.front().altitude = 3000.0;
    added.path.front().airborne = 1;
    added.path.front().speed = 160.0;
    for (int k = 1; k <= 10; ++k)
        added.path.push_back(lf_after(lasVegas, 90.0, 160.0, 5.0 * k, 500 * k, 3000.0));
    const LatLon path{added.latitude, added.longitude};
    added.latitude = created.first;
    added.longitude = created.second;
    gf_noteCreation(added);
    added.latitude = path.first;
    added.longitude = path.second;
    run(1);
    EXPECT_LT(gf_distanceNm(act(id)->shown.latitude, act(id)->shown.longitude, created.first, created.second) * metresPerNm,
              5.0)
        << "first shown where it was created, not where its path is now";
    takeEvents();
    // The gear goes up and the landing lights go off where its path did so: once the shown
    // aircraft is there.
    lf_queueGear(act(id)->base, false);
    gf_queueLights(act(id)->base.objectId, {1, 1, 0, 0, 0, 0, 1});
    const std::vector<ClientEventItem> atOnce = takeEvents();
    EXPECT_FALSE(hasEvent(atOnce, ceGear, 0)) << "held while it is shown behind its path";
    EXPECT_FALSE(hasEvent(atOnce, ceLandingLights, 0)) << "held while it is shown behind its path";
    bool raised = false, lightsOff = false;
    for (int t = 0; t < 2000 && !raised; ++t) {
        run(1);
        const std::vector<ClientEventItem> sent = takeEvents();
        raised = hasEvent(sent, ceGear, 0);
        lightsOff = lightsOff || hasEvent(sent, ceLandingLights, 0);
    }
    EXPECT_TRUE(raised) << "sent once it reaches the place";
    EXPECT_TRUE(lightsOff) << "with the gear";
    EXPECT_GT(act(id)->shown.place, 350.0) << "metres along its way by then";
}

TEST_F(Motion, AHelicopterTurnsTowardItsWayBeforeItMovesOff)
{
    // Hovering for 20 s, its nose north; its path then leads away south-east: flying off at 30 kt,
    // or hover-taxiing along a row of pads at 8 kt (it went on backwards before). Or led off south,
    // behind it, at once: it turns about before it speeds up, rather than setting off backwards.
    struct Row {
        double knots;
        LatLon from;
        double bearing = 135.0; // degrees of its way off
        int held = 4;           // reports, 5 s apart, at where it hovers first
        std::uint32_t id = 0;
        double worst = 0.0, fastest = 0.0; // degrees between its nose and the way it moves, above 5 kt
        LatLon before{};
    };
    Row rows[] = {{30.0, lasVegas}, {8.0, gf_offset(lasVegas, 0.0, 3000.0 * metre)},
                  {8.0, gf_offset(lasVegas, 90.0, 3000.0 * metre), 175.0, 0}};
    for (Row& r : rows) {
        Act& added = hovering(r.from, 0.0, 2600.0, elevation);
        r.id = added.base.head.flightId;
        r.before = r.from;
        for (int k = 1; k <= r.held; ++k)
            added.path.push_back(Motion::point(r.from, 0.0, 500 * k, 2600.0));
        for (int k = 1; k <= 12; ++k)
            added.path.push_back(lf_after(r.from, r.bearing, r.knots, 5.0 * k, 500 * (r.held + k), 2600.0));
    }
    for (int t = 0; t < 6000; t += 50) {
        run(50);
        for (Row& r : rows) {
            if (act(r.id) == nullptr)
                continue;
            const ShownMotion& s = act(r.id)->shown;
            const LatLon now{s.latitude, s.longitude};
            r.fastest = std::max(r.fastest, s.speed);
            if (s.speed > 5.0 && gf_distanceNm(r.before, now) * metresPerNm > 2.0)
                r.worst = std::max(r.worst, std::abs(gf_angleDiff(s.heading, gf_initialBearing(r.before, now))) * radToDeg);
            r.before = now;
        }
    }
    for (const Row& r : rows) {
        EXPECT_GT(r.fastest, 0.8 * r.knots) << r.knots << " kt to " << r.bearing << ": it moved off";
        EXPECT_LT(r.worst, 50.0) << r.knots << " kt to " << r.bearing << ": degrees off its nose it moved";
    }
}

TEST_F(Motion, AHoveringHelicopterKeepsItsNoseWhileItsPositionsJitter)
{
    // Hovering, reported at 2 kt, each position up to 8 m from the last in any direction, every 2 s;
    // standing on a pad, its next position 20 m behind it at 1 kt, then standing there. It does not
    // turn about, and on the pad it does not creep off backwards after its positions (it did).
    struct Row {
        bool onGround;
        std::uint32_t id = 0;
        double turned = 0.0, heading = 40.0 * degToRad, backwards = 0.0; // degrees; metres in 3 s
        std::vector<LatLon> track{};
    };
    Row rows[] = {{false}, {true}};
    for (Row& r : rows) {
        const LatLon at = r.onGround ? gf_offset(lasVegas, 90.0, 3000.0 * metre) : lasVegas;
        Act& added = r.onGround ? addAct(rotorcraftClass, at, 40.0, phaseGround, "N672CG") : hovering(at, 40.0, 2600.0, elevation);
        r.id = added.base.head.flightId;
        for (int k = 1; k <= 30; ++k)
            added.path.push_back(r.onGround ? Motion::point(gf_offset(at, 220.0, 20.0 * metre), k == 1 ? 1.0 : 0.0, 5000 * k)
                                            : Motion::point(gf_offset(at, (k * 137) % 360, (k % 3 + 1) * 2.7 * metre), 2.0,
                                                            200 * k, 2600.0));
    }
    for (int t = 0; t < 12000; ++t) {
        run(1);
        for (Row& r : rows) {
            if (act(r.id) == nullptr || (!r.onGround && t >= 5000))
                continue;
            const ShownMotion& s = act(r.id)->shown;
            r.turned += std::abs(gf_angleDiff(r.heading, s.heading));
            r.heading = s.heading;
            r.track.push_back({s.latitude, s.longitude});
            if (r.track.size() > 300) {
                const LatLon from = r.track[r.track.size() - 301];
                const double moved = gf_distanceNm(from, r.track.back()) / metre;
                if (std::abs(gf_angleDiff(s.heading, gf_initialBearing(from, r.track.back()))) > 90.0 * degToRad)
                    r.backwards = std::max(r.backwards, moved);
            }
        }
    }
    for (const Row& r : rows) {
        EXPECT_LT(r.turned * radToDeg, 20.0) << r.onGround << ": degrees its nose turned";
        if (r.onGround) {
            EXPECT_LT(r.backwards, 1.0) << "metres it moved backwards in 3 s";
        }
    }
}

TEST_F(Motion, AnUnlistedTypeTakesItsMotionClassFromWhatTheFeedShows)
{
    struct Case {
        const char* type;
        std::uint8_t category; // A1..A7 as 1..7
        double speed, altitude;
        std::uint32_t motionClass;
    };
    const Case cases[] = {
        {"ZZJ9", 0, 470.0, 35000.0, 2}, // a jet by its speed and height
        {"ZZB2", 0, 210.0, 12000.0, 1},
        {"ZZL1", 0, 110.0, 4500.0, 0},
        {"ZZJ9", 3, 110.0, 4500.0, 2},  // the category says more than a slow stretch
        {"ZZJ1", 1, 420.0, 31000.0, 2}, // a light jet flies as fast and high as a jet does
        {"ZZH1", 7, 110.0, 1500.0, 5},
        {"ZZH2", 7, 160.0, 1500.0, 5},  // a fast helicopter is still one
    };
    for (const Case& c : cases) {
        gf_testClearTraffic();
        Act& a = addAct(0, lasVegas, 0.0, phaseAirborne);
        a.base.head.identity.type = c.type;
        a.category = c.category;
        a.path.front().speed = c.speed;
        a.path.front().altitude = c.altitude;
        a.shown.set = 1;
        gf_startMotionClass(a); // as made from its first report
        // The path, its events and the shown aircraft move by the one class.
        EXPECT_EQ(gf_motionClassOf(a.base.head), c.motionClass) << c.type << " category " << int(c.category);
        EXPECT_EQ(a.shown.motionClass, c.motionClass) << c.type;
        EXPECT_EQ(a.base.head.rotationTicks, gf_rotationTicks(static_cast<std::int32_t>(c.motionClass))) << c.type;
    }
}

TEST_F(Motion, AFirstClimbsSlowestHoldsForItsAirSpeed)
{
    Act& a = addAct(largeClass, lasVegas, 90.0, phaseTakeOff);
    a.takeOff = 1;
    gf_setMotionClass(a.shown, largeClass);
    a.shown.onGround = 0;
    a.shown.phase = gf_shownPhase(a);
    // 115 kt over the ground into a 30 kt wind is its lift-off speed and more through the air.
    EXPECT_LE(gf_speedLimits(a, 115.0, 145.0).slowest, 115.0);
    EXPECT_GT(gf_speedLimits(a, 115.0, 115.0).slowest, 115.0) << "in still air it is too slow";
}
