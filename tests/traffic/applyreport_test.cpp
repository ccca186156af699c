// Reports of created aircraft at and around their stand and while landing: when a report
// counts as leaving, the short stay of a landed aircraft, and reports against the heading.
#include "traffic/motion_fixture.h"

#include <fmt/format.h>

#include <algorithm>

namespace {
const LatLon stand{52.3086, 4.7639};
constexpr std::uint32_t bizjetClass = 1;

// A report `metres` from the position along the bearing.
PathPoint lf_reportAt(LatLon from, double bearingDegrees, double metres, double speed = 5.0)
{
    PathPoint p;
    std::tie(p.latitude, p.longitude) = gf_offset(from, bearingDegrees, metres * metre);
    p.speed = speed;
    p.tick = static_cast<std::uint32_t>(gf_now() + 300);
    return p;
}

// The aircraft flying at 250 kt and 5,000 ft over the stand, its trail starting there.
Act& lf_flying(Act& a)
{
    a.altitude = 5000.0;
    a.path.front() = {.latitude = stand.first, .longitude = stand.second, .altitude = 5000.0, .speed = 250.0,
                      .trueAirSpeed = 250.0, .tick = static_cast<std::uint32_t>(gf_now()), .airborne = 1};
    a.trail.last = a.path.front();
    a.trail.time = a.reportTime = 0.0;
    return a;
}
} // namespace

TEST_F(Motion, ALeavingAircraftHasLeftBeyondTwoAndThreeQuarterSpansAndFartherThanBeforeOrBeyondSix)
{
    struct Case {
        double largest, report; // spans
        bool left;
    };
    for (const Case c : {Case{0, 2.7, false}, Case{0, 2.8, true}, Case{3.0, 2.9, false}, Case{6.5, 5.9, false},
                         Case{6.5, 6.1, true}}) {
        gf_testClearTraffic();
        Act& a = addAct(largeClass, stand, 0.0, phaseLeaving);
        const double span = a.base.head.wingspan;
        a.largestLeaveDistance = c.largest * span;
        a.predictionCount = 2;
        lf_applyReport(a, lf_reportAt(stand, 0.0, c.report * span / metre));
        const std::string what = fmt::format("{} spans after {}", c.report, c.largest);
        EXPECT_EQ(a.phase, c.left ? phaseGround : phaseLeaving) << what;
        EXPECT_EQ(a.path.size(), c.left ? 2u : 1u) << what;
        EXPECT_EQ(a.predictionCount, c.left ? 0 : 2) << what;
        if (c.left)
            EXPECT_EQ(a.path.front().tick, static_cast<std::uint32_t>(gf_now() + 1)) << what;
        else
            EXPECT_NEAR(a.largestLeaveDistance, c.report * span, 1e-9) << what;
    }
}

TEST_F(Motion, AParkedAircraftLeavesAfterThreeStepsAwayOfHalfASpanOrOneJumpOfASpan)
{
    struct Case {
        const char* what;
        std::uint32_t sizeClass;
        std::vector<double> metres; // from the stand, in order
        int leaves;                 // the report that leaves, -1: none
    };
    // Half spans: 17.9 m Large, 32.4 m Heavy.
    const Case cases[] = {
        {"three steps to 12 m", largeClass, {1, 5, 9, 13}, 3},
        {"2 m nearer counts on", largeClass, {1, 5, 9, 7, 13}, 4},
        {"steps of 3 m or less do not count", largeClass, {1, 3.9, 6.8, 9.7, 12.6}, -1},
        {"a Heavy's three steps stay within its half span", heavyClass, {1, 5, 9, 13, 17.5}, 4},
        {"3 m nearer counts again", heavyClass, {1, 5, 9, 13, 9.5, 17, 21, 25}, 7},
        {"one jump beyond a span", largeClass, {1, 20}, 1},
        {"one jump within a span", largeClass, {1, 18}, -1},
        {"beyond 85 m at once", largeClass, {100}, 0},
    };
    for (const Case& c : cases) {
        gf_testClearTraffic();
        Act& a = addAct(c.sizeClass, stand, 0.0, phaseAtStand);
        std::tie(a.base.latitude, a.base.longitude) = stand;
        int left = -1;
        for (std::size_t i = 0; i < c.metres.size() && left < 0; ++i) {
            lf_applyReport(a, lf_reportAt(stand, 0.0, c.metres[i]));
            if (a.leavingStand)
                left = static_cast<int>(i);
        }
        EXPECT_EQ(left, c.leaves) << c.what;
        EXPECT_EQ(a.path.size(), c.leaves < 0 ? 1u : 2u) << c.what;
        EXPECT_TRUE(a.keepStand) << c.what;
    }
}

TEST_F(Motion, ALandedAircraftLeavingSoonAfterParkingIsTowed)
{
    struct Case {
        std::uint32_t sizeClass;
        std::int64_t parkedTicks;
        bool landed, towed;
    };
    const Case cases[] = {{heavyClass, 359999, true, true}, {heavyClass, 360000, true, false},
                          {largeClass, 149999, true, true}, {largeClass, 150000, true, false},
                          {bizjetClass, 89999, true, true}, {bizjetClass, 90000, true, false},
                          {lightClass, 100, true, false},   {heavyClass, 100, false, false}};
    for (const Case& c : cases) {
        gf_testClearTraffic();
        gf_testAddStand("A1", stand, 0.0, 40.0);
        Act& a = addAct(c.sizeClass, stand, 0.0, phaseAtStand);
        std::tie(a.base.latitude, a.base.longitude) = stand;
        a.base.standNumber = 1;
        a.previousPhase = phaseToStand; // it arrived there
        a.landed = c.landed;
        a.predictionCount = 1;
        a.path.front().tick = static_cast<std::uint32_t>(gf_now() - c.parkedTicks + 60480000);
        lf_applyReport(a, lf_reportAt(stand, 0.0, 180.0)); // beyond twice 85 m
        const std::string what = fmt::format("class {} parked {} ticks", c.sizeClass, c.parkedTicks);
        EXPECT_EQ(a.towed != 0, c.towed) << what;
        EXPECT_FALSE(a.landed) << what;
        EXPECT_EQ(a.path.front().tick, static_cast<std::uint32_t>(gf_now() + 1)) << what << ": its wait is over";
        EXPECT_EQ(a.predictionCount, 0) << what;
        EXPECT_EQ(a.phase, phaseAtStand) << what;
    }
}

TEST_F(Motion, ReportsWhileLandingAgainstTheHeadingAreDroppedOrTakeBackTheLastPoints)
{
    // The aircraft heads north; its path runs north 100 m apart; p lies from the last point
    // at the bearing and distance. Size: the path's size after the report.
    struct Case {
        const char* what;
        bool landing; // else rolling out after touch-down
        std::size_t points;
        double bearing, metres;
        std::int32_t predictions;
        std::size_t size;
    };
    const Case cases[] = {
        {"landing: 89 degrees off", true, 1, 89, 100, 0, 2},
        {"landing: 91 degrees off", true, 1, 91, 100, 0, 1},
        {"rolling: 149 degrees off", false, 1, 149, 100, 0, 2},
        {"rolling: 151 degrees off while predicting", false, 1, 151, 100, 2, 1},
        {"rolling: 151 degrees off restarts from here", false, 1, 151, 100, 0, 2},
        {"landing: 91 degrees off the last of two", true, 2, 91, 100, 0, 2},
        {"landing: 89 degrees off the last of two", true, 2, 89, 100, 0, 3},
        {"the one before is off too", true, 3, 150, 200, 0, 2},
        {"the one before is not", true, 3, 120, 100, 0, 3},
    };
    for (const Case& c : cases) {
        gf_testClearTraffic();
        const LatLon behind = gf_offset(stand, 180.0, 50.0 * metre);
        Act& a = addAct(largeClass, behind, 0.0, phaseGround);
        a.landing = c.landing;
        a.landingRoll = !c.landing;
        a.predictionCount = c.predictions;
        a.path.clear();
        for (std::size_t i = 0; i < c.points; ++i)
            a.path.push_back(point(gf_offset(stand, 0.0, 100.0 * metre * static_cast<double>(i)), 30.0,
                                   100 * static_cast<std::int64_t>(i)));
        const PathPoint last = a.path.back();
        lf_applyReport(a, lf_reportAt({last.latitude, last.longitude}, c.bearing, c.metres, 20.0));
        EXPECT_EQ(a.path.size(), c.size) << c.what;
        if (c.size > 1 && c.predictions == 0 && c.points == 1 && !c.landing && c.bearing > 150)
            EXPECT_NEAR(a.path.front().latitude, behind.first, 1e-9) << c.what << ": from the present position";
        else
            EXPECT_NEAR(a.path.front().latitude, stand.first, 1e-9) << c.what;
    }
}

TEST_F(Motion, ARollOutNeverSpeedsUpButATouchAndGoClimbsAwayAtItsReportsSpeedAndGoesAroundAtOnce)
{
    // Rolling out north, last reported at 41 kt, a report 100 m on: its speed on the path, and
    // whether the aircraft goes around (a touch-and-go's first report in its climb-out may follow
    // the roll-out's reports after a long gap). Through a gap the path's last point is predicted,
    // its speed a guess below the report's.
    struct Case {
        const char* what;
        bool predicted, airborne;
        double speed, climb; // knots, feet a minute
        double kept;
        bool goesAround;
    };
    const Case cases[] = {
        {"on the ground, faster", false, false, 60.0, 0.0, 41.0, false},
        {"on the ground, faster, after predictions", true, false, 60.0, 0.0, 41.0, false},
        {"in the air, level", false, true, 60.0, 0.0, 41.0, false},
        {"in the air, climbing away", false, true, 67.0, 704.0, 67.0, true},
    };
    for (const Case& c : cases) {
        gf_testClearTraffic();
        Act& a = addAct(0, stand, 0.0, phaseGround);
        a.landingRoll = 1;
        a.path.assign(1, point(stand, 41.0, 0));
        a.trail.last = a.path.back();
        a.trail.time = 1000.0;
        if (c.predicted)
            a.path.back().speed = 35.0;
        PathPoint p = lf_reportAt(stand, 0.0, 100.0, c.speed);
        p.airborne = c.airborne;
        p.altitude = c.airborne ? 250.0 : 0.0;
        p.verticalSpeed = c.climb;
        lf_applyReport(a, p);
        ASSERT_EQ(a.path.size(), 2u) << c.what;
        EXPECT_DOUBLE_EQ(a.path.back().speed, c.kept) << c.what;
        EXPECT_EQ(a.takeOff == 1 && a.landingRoll == 0, c.goesAround) << c.what;
    }
}

TEST_F(Motion, AReportWithinAHairOfTheLastPointIsTheSamePlaceAlsoAcrossTheDateLine)
{
    struct Case {
        double from, to; // longitudes
        bool same;
    };
    for (const Case c : {Case{4.7639, 4.7640, true}, Case{4.7639, 4.7643, false}, Case{179.99995, -179.99995, true},
                         Case{-179.99995, 179.99995, true}, Case{179.9999, -179.9997, false}}) {
        gf_testClearTraffic();
        Act& a = addAct(largeClass, {-16.5, c.from}, 90.0, phaseGround);
        lf_applyReport(a, point({-16.5, c.to}, 5.0, 300));
        const PathPoint& last = a.path.back();
        EXPECT_NEAR(last.longitude, c.same ? c.from : c.to, 1e-9) << c.from << " to " << c.to;
        EXPECT_EQ(last.hold, c.same ? 1 : 0) << c.from << " to " << c.to;
    }
}

TEST_F(Motion, AnAirborneReportBehindTheNoseIsAnOldPositionUnlessTheFlightsCourseLeadsThere)
{
    // Reports 20 s apart: legs of 1 nm on the bearings given, then a report 1 nm north of the
    // last, while the nose points south, half a minute behind the reports. Without a track the
    // course at the last report tells the flight's way: from one leg only a report back along
    // it is behind; from two the last leg turned on at their rate, as a turning flight flies.
    struct Case {
        const char* what;
        bool tracked;
        double track; // degrees
        std::vector<double> legs;
        bool kept;
    };
    const Case cases[] = {
        {"due north, its track 0", true, 0.0, {}, true},
        {"its track south", true, 180.0, {0.0}, false},
        {"no track, no leg", false, 0.0, {}, true},
        {"no track, the leg north", false, 0.0, {0.0}, true},
        {"no track, the leg 120 degrees off: a turn", false, 0.0, {120.0}, true},
        {"no track, the leg south: back along it", false, 0.0, {180.0}, false},
        {"no track, straight on south", false, 0.0, {180.0, 180.0}, false},
        {"no track, turning right 5.5 degrees a second", false, 0.0, {145.0, 255.0}, true},
        {"no track, turning left 5.5 degrees a second", false, 0.0, {35.0, 285.0}, false},
    };
    for (const Case& c : cases) {
        gf_testClearTraffic();
        Act& a = lf_flying(addAct(largeClass, stand, 180.0, phaseAirborne));
        for (const double leg : c.legs) {
            const PathPoint& last = a.path.back();
            const PathPoint p = point(gf_offset({last.latitude, last.longitude}, leg, 1.0), 250.0, 800, 5000.0);
            a.heading = leg * degToRad; // the nose leads there: no doubt about these
            a.reportTime += 20.0;
            lf_applyReport(a, p);
            ASSERT_EQ(a.path.back().latitude, p.latitude) << c.what;
        }
        a.heading = 180.0 * degToRad;
        a.reportTime += 20.0;
        const PathPoint& last = a.path.back();
        PathPoint p = point(gf_offset({last.latitude, last.longitude}, 0.0, 1.0), 250.0, 1600, 5000.0);
        p.track = c.track;
        p.trackPresent = c.tracked;
        lf_applyReport(a, p);
        EXPECT_EQ(a.path.back().latitude == p.latitude, c.kept) << c.what;
    }
}

TEST_F(Motion, AStrayReportInTheAirLeavesThePathAndAJumpTheFeedKeepsTo)
{
    // East at 250 kt, reports 10 s apart; one lies 8 nm north of the line.
    const auto on = [](int k) { return gf_offset(stand, 90.0, 250.0 * 10.0 * k / 3600.0); };
    const LatLon away = gf_offset(on(3), 0.0, 8.0);
    const struct {
        const char* what;
        std::vector<LatLon> reports;
        bool strayKept;
    } cases[] = {
        {"a stray report", {on(1), on(2), away, on(4)}, false},
        {"a stray report right after the point its path flies to", {away, on(4)}, false},
        {"a jump the feed keeps to", {on(1), on(2), away, gf_offset(on(4), 0.0, 8.0)}, true},
    };
    for (const auto& c : cases) {
        gf_testClearTraffic();
        Act& a = lf_flying(addAct(largeClass, stand, 90.0, phaseAirborne));
        for (const LatLon& at : c.reports) {
            a.reportTime += 10.0;
            lf_applyReport(a, point(at, 250.0, 1000 * static_cast<std::int64_t>(a.reportTime / 10.0), 5000.0));
        }
        const bool strayKept = std::any_of(a.path.begin(), a.path.end(), [&](const PathPoint& p) {
            return p.latitude == away.first && p.longitude == away.second;
        });
        EXPECT_EQ(strayKept, c.strayKept) << c.what;
        EXPECT_EQ(a.path.back().latitude, c.reports.back().first) << c.what;
    }
}

TEST_F(Motion, ATaxiAndATakeOffRollFromAStopKeepToTheirReportsTimes)
{
    // A stop, then a report 300 m on due in 40 s: taxiing at 20 kt, whose speed would bring it
    // there in 29 s; or at 80 kt, which starts the take-off roll from the stop. Neither is shown
    // moving off before its report's time allows, nor the taxi there before its report's time.
    for (const double speed : {20.0, 80.0}) {
        gf_testClearTraffic();
        Act& a = addAct(largeClass, stand, 0.0, phaseGround);
        const std::uint32_t id = a.base.head.flightId;
        a.path.front().hold = 1;
        a.groundState = groundTaxied;
        PathPoint p = lf_reportAt(stand, 0.0, 300.0, speed);
        p.tick = static_cast<std::uint32_t>(gf_now() + 4000);
        lf_applyReport(a, p);
        const bool roll = speed > 43.0;
        EXPECT_EQ(a.takeOff, roll ? 1 : 0) << speed;
        // Rolling, it speeds up evenly from the stop toward the report; it waits at the stop for
        // the time that takes.
        const std::int64_t waits = roll ? 4000 - 2 * static_cast<std::int64_t>(300.0 / (speed * metresPerNm / 3600.0) * 100.0) - 100 : 0;
        run(2);
        if (!roll) {
            EXPECT_GE(act(id)->path.front().tick, p.tick) << speed << ": the taxi point falls due at its report's time";
        }
        run(std::max<std::int64_t>(waits, 0));
        EXPECT_LT(gf_distanceNm(act(id)->shown.latitude, act(id)->shown.longitude, stand.first, stand.second) * metresPerNm,
                  roll ? 0.5 : 300.0)
            << speed << ": moved off the stop before its time";
    }
}
