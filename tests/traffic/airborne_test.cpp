// The airborne step: altitude and pitch steps, descent rates, lights by altitude, the
// approach and go-around, and the roll-out after touch-down.
#include "traffic/motion_fixture.h"

#include "app/mainloop.h"
#include "links/qnhreader.h"
#include "links/simids.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <future>
#include <numeric>

namespace {
const LatLon park{52.3086, 4.7639};
constexpr double largePitchRate = 0.00013089969389957473;
} // namespace

class Airborne : public Motion {
protected:
    // An aircraft of the class flying east at the altitude, height above ground given, with a
    // next point at the altitude and vertical speed 1000 ticks ahead.
    Act& flying(std::uint32_t sizeClass, double altitude, double height, double nextAltitude, double nextRate,
                double nmFromPark = 8.0)
    {
        const LatLon at = gf_offset(park, 270.0, nmFromPark);
        Act& a = addAct(sizeClass, at, 90.0, phaseAirborne);
        a.altitude = altitude;
        a.heightAboveGround = height;
        a.path = {point(at, 250.0, 0, altitude), point(gf_offset(at, 90.0, 0.6), 250.0, 1000, nextAltitude)};
        a.path[1].verticalSpeed = nextRate;
        return a;
    }
    static std::int64_t ticksToNext(const Act& a) { return static_cast<std::int64_t>(a.path[1].tick) - gf_now(); }
};

TEST_F(Airborne, NearTheGroundAClimbingAircraftClimbsAtLeastAFifthOfAFootPerTickButNoHigherThanItsNextPoint)
{
    struct Case {
        double height, next, step; // feet above the ground, the next point's altitude, feet per tick
        double rate = 0.0;         // the next point's reported vertical speed, ft/min
    };
    // A climb reported faster than the class's climb step (a Large's 3,600 ft/min) keeps up
    // with its reports, up to 6,000 ft/min.
    for (const Case& c : {Case{800, 3000, 0.0}, Case{800, 3050, 0.2}, Case{800, 3025, 0.2}, Case{800, 2900, -0.1},
                          Case{800, 3900, 0.6}, Case{1200, 3000, 0.0}, Case{1200, 3050, 0.05},
                          Case{1200, 3900, 0.6, 2000.0}, Case{1200, 3900, 0.8, 4800.0}, Case{800, 3900, 0.8, 4800.0},
                          Case{1200, 3900, 0.9, 9000.0}, Case{1200, 6000, 1.0, 9000.0}}) {
        Act& a = flying(largeClass, 3000.0, c.height, c.next, c.rate);
        lf_airborneStep(a);
        EXPECT_NEAR(a.altitudeStep, c.step, 1e-12)
            << c.height << " ft above the ground, next at " << c.next << " climbing " << c.rate << " ft/min";
        // Flown to the next point: a brisk climb levels off at its altitude, no balloon above it.
        Act& flown = flying(largeClass, 3000.0, c.height, c.next, c.rate);
        const std::uint32_t id = flown.base.head.flightId;
        double highest = 0.0;
        for (int t = 0; t < 800; ++t) {
            run(1);
            highest = std::max(highest, act(id)->altitude);
        }
        EXPECT_LE(highest, std::max(3000.0, c.next) + 1e-9) << c.height << " ft above the ground, next at " << c.next;
    }
}

TEST_F(Airborne, AnAirCurveIsFlownAlongItsLengthAtTheReportedSpeedsBankedAndNosedIntoItsTurn)
{
    constexpr double none = Act::nan;
    struct Case {
        double heading, track;   // degrees (the next point lies due east); track none: not reported
        double speed, nextSpeed; // reported at the front and the next point, knots
        double in, out;          // the speed at the curve's start and end, times its mean
        int side;                // the turn: +1 right, -1 left
    };
    // A curve lopsided by a heading 0.3 degrees and a track 2 degrees off the way, either way;
    // arcs either way without a track; a wider curve; a reported speed up, and one of garbage.
    for (const Case& c : {Case{89.7, 92.0, 250, 250, 1.0, 1.0, 1}, Case{90.3, 88.0, 250, 250, 1.0, 1.0, -1},
                          Case{80.0, none, 250, 250, 1.0, 1.0, 1}, Case{100.0, none, 250, 250, 1.0, 1.0, -1},
                          Case{75.0, 110.0, 250, 250, 1.0, 1.0, 1},
                          Case{89.7, 92.0, 200, 250, 8.0 / 9.0, 10.0 / 9.0, 1}, Case{89.7, 92.0, 250, 40, 1.2, 0.8, 1}}) {
        const std::string name = fmt::format("from {} to {} at {} to {} kt", c.heading, c.track, c.speed, c.nextSpeed);
        Act& a = flying(largeClass, 5000.0, 5000.0, 5000.0, 0.0);
        const std::uint32_t id = a.base.head.flightId;
        a.heading = c.heading * degToRad;
        a.path[0].speed = c.speed;
        a.path[1].speed = c.nextSpeed;
        a.path[1].trackPresent = std::isnan(c.track) ? 0 : 1;
        a.path[1].track = c.track;
        const PathPoint next = a.path[1];
        // Metres a tick over each stretch between the ticks where the path's place is worked out
        // (the shown aircraft looks at it a few times a second), and the tick each stretch ends.
        std::vector<std::pair<double, double>> steps;
        double wrongTurn = 0.0, bank = 0.0;
        std::int64_t ticks = 0, stretch = 0;
        for (LatLon at{a.latitude, a.longitude};;) {
            const double heading = act(id)->heading;
            run(1);
            ++ticks;
            ++stretch;
            const Act& flown = *act(id);
            const double metres = gf_distanceNm(at.first, at.second, flown.latitude, flown.longitude) * metresPerNm;
            if (metres > 0.0) {
                steps.emplace_back(metres / static_cast<double>(stretch), static_cast<double>(ticks) - stretch / 2.0);
                stretch = 0;
                wrongTurn = std::max(wrongTurn, -c.side * gf_angleDiff(heading, flown.heading));
            }
            at = {flown.latitude, flown.longitude};
            if (ticks >= 200 && bank == 0.0)
                bank = flown.bank;
            if (gf_now() >= static_cast<std::int64_t>(flown.path.front().tick) || ticks > 5000)
                break; // the next point falls due on the coming tick
        }
        const Act& arrived = *act(id);
        EXPECT_LT(gf_distanceNm(arrived.latitude, arrived.longitude, next.latitude, next.longitude) * metresPerNm, 1.0)
            << name << ": at the next point when it is due";
        const auto n = static_cast<double>(ticks);
        double mean = 0.0;
        for (const auto& [perTick, when] : steps)
            mean += perTick / static_cast<double>(steps.size());
        double worst = 0.0;
        for (const auto& [perTick, when] : steps) {
            const double wanted = c.in + (c.out - c.in) * when / n;
            worst = std::max(worst, std::abs(perTick / mean / wanted - 1.0));
        }
        EXPECT_LT(worst, 0.02) << name << ": the speed from " << steps.front().first / mean << " to "
                               << steps.back().first / mean << " times the mean";
        EXPECT_LT(wrongTurn, 1e-12) << name << ": the nose turned against the turn";
        EXPECT_GT(-c.side * bank, 0.0) << name << ": banked " << bank << " (left is positive)";
    }
    // A way across north: from a heading of 350 to a point at 10 degrees, reported on a track of
    // 25. The curve arrives along the track, where an arc would arrive at 30.
    Act& a = flying(largeClass, 5000.0, 5000.0, 5000.0, 0.0);
    const std::uint32_t id = a.base.head.flightId;
    a.heading = 350.0 * degToRad;
    const LatLon next = gf_offset({a.latitude, a.longitude}, 10.0, 0.6);
    a.path[1].latitude = next.first;
    a.path[1].longitude = next.second;
    a.path[1].trackPresent = 1;
    a.path[1].track = 25.0;
    run(2);
    while (gf_now() + 1 < static_cast<std::int64_t>(act(id)->path.front().tick))
        run(1);
    EXPECT_NEAR(act(id)->heading * radToDeg, 25.0, 1.0) << "a curve across north arrives along the reported track";

    // Reported on straight east after a jump of the feed left its heading 40 degrees off: each curve
    // arrives nearer the way on, where a mirrored arc would arrive 40 degrees off the other way and
    // the path would weave on.
    Act& jumped = flying(largeClass, 5000.0, 5000.0, 5000.0, 0.0);
    const std::uint32_t jumpedId = jumped.base.head.flightId;
    jumped.heading = 50.0 * degToRad;
    const LatLon from{jumped.latitude, jumped.longitude};
    jumped.path.resize(1);
    for (int k = 1; k <= 4; ++k) {
        jumped.path.push_back(point(gf_offset(from, 90.0, 0.6 * k), 250.0, 1000 * k, 5000.0));
        jumped.path.back().trackPresent = 1;
        jumped.path.back().track = 90.0;
    }
    std::vector<double> offAtPoints; // as it sets off, then at the first and second point
    for (std::size_t left = jumped.path.size(); left > 1 && offAtPoints.size() < 3;) {
        run(1);
        if (act(jumpedId)->path.size() < left) {
            left = act(jumpedId)->path.size();
            offAtPoints.push_back(std::abs(gf_angleDiff(act(jumpedId)->heading, 90.0 * degToRad)) * radToDeg);
        }
    }
    ASSERT_EQ(offAtPoints.size(), 3U);
    EXPECT_LT(offAtPoints[1], 15.0) << "off its way at the first point";
    EXPECT_LT(offAtPoints[2], 5.0) << "off its way at the second point";
}

TEST_F(Airborne, APathCirclingBetweenItsReportsReachesThemAtTheirOwnTimes)
{
    // A news helicopter circling at 55 kt on a circle of 250 m, reported every 20 s: each report
    // lies 127 degrees round from the last, a chord its speed flies in 16 s. Timed by that speed the
    // path would reach each report 4 s earlier than the last, up to its delay of 30 s: half a circle.
    Act& a = hovering(park, 0.0, 1500.0, 0.0);
    const std::uint32_t id = a.base.head.flightId;
    a.earlyDelay = a.lateDelay = 3000;
    a.path.front().speed = 55.0;
    const double radius = 250.0 / metresPerNm;
    const LatLon centre = gf_offset(park, 90.0, radius);
    for (int k = 1; k <= 8; ++k) {
        const double round = 270.0 + 127.0 * k; // from the centre; flown clockwise, tracks 90 degrees on
        a.path.push_back(point(gf_offset(centre, round, radius), 55.0, 2000 * k, 1500.0));
        a.path.back().reportTick = a.path.back().tick;
        a.path.back().trackPresent = 1;
        a.path.back().track = std::fmod(round + 90.0, 360.0);
    }
    std::vector<std::pair<std::uint32_t, std::int64_t>> reached; // each report's own tick, and when reached
    const std::int64_t end = gf_now() + 20000;
    for (std::size_t left = a.path.size(); left > 1 && gf_now() < end;) {
        const std::uint32_t own = act(id)->path[0].reportTick; // the point reached when the front moves on
        run(1);
        if (act(id)->path.size() < left) {
            left = act(id)->path.size();
            reached.emplace_back(own, gf_now());
        }
    }
    ASSERT_GE(reached.size(), 6U);
    for (std::size_t k = 1; k < reached.size(); ++k)
        EXPECT_NEAR(static_cast<double>(reached[k].second - reached[k].first) / 100.0, 0.0, 3.0)
            << "seconds from its own time at report " << k;
}

TEST_F(Airborne, AHoveringHelicopterKeepsItsHeadingWhileItsPositionsJitterByAFewMetres)
{
    const LatLon spot = gf_offset(park, 270.0, 3.0);
    Act& a = addAct(rotorcraftClass, spot, 40.0, phaseAirborne);
    const std::uint32_t id = a.base.head.flightId;
    a.altitude = a.heightAboveGround = 500.0;
    a.path = {point(spot, 0.0, 0, 500.0)};
    for (int i = 1; i <= 6; ++i)
        a.path.push_back(point(gf_offset(spot, 67.0 * i, 4.0 * metre), 1.0, 1000 * i, 500.0));
    double turned = 0.0, banked = 0.0, farthest = 0.0;
    for (int t = 0; t < 5000; ++t) { // until the reports run out
        run(1);
        const Act& hovering = *act(id);
        turned = std::max(turned, std::abs(gf_angleDiff(40.0 * degToRad, hovering.heading)));
        banked = std::max(banked, std::abs(hovering.bank));
        farthest = std::max(farthest, gf_distanceNm(spot.first, spot.second, hovering.latitude, hovering.longitude));
    }
    EXPECT_LT(turned * radToDeg, 1.0) << "degrees off its heading";
    EXPECT_LT(banked * radToDeg, 1.0) << "degrees of bank";
    EXPECT_NEAR(farthest / metre, 4.0, 0.5) << "metres from the spot at most: it still goes where it is reported";
}

TEST_F(Airborne, ThePitchFollowsTheVerticalSpeedAtMostTheClassRatePerTick)
{
    for (const auto& [rate, degrees] : {std::pair{2400.0, -11.8}, std::pair{-3000.0, 2.5}, std::pair{-4000.0, 2.5}}) {
        Act& a = flying(largeClass, 5000.0, 3000.0, 5000.0, rate);
        a.pitch = (degrees > 0.0 ? -10.0 : 10.0) * degToRad;
        lf_airborneStep(a);
        EXPECT_DOUBLE_EQ(std::abs(a.pitchStep), largePitchRate) << "from level, the rate limits";
        Act& near = flying(largeClass, 5000.0, 3000.0, 5000.0, rate);
        near.pitch = (degrees + 0.01) * degToRad;
        lf_airborneStep(near);
        EXPECT_NEAR((near.pitch + near.pitchStep * static_cast<double>(ticksToNext(near))) * radToDeg, degrees, 1e-9)
            << rate << " ft/min";
    }
}

TEST_F(Airborne, LowTheNoseStepsTheShortWayToAReportedAdsbHeadingHigherItKeepsToItsWay)
{
    struct Case {
        double height, from, to; // feet above the ground, degrees
        bool stepped;
    };
    for (const Case& c : {Case{800, 350, 10, true}, Case{800, 10, 350, true}, Case{800, 90, 120, true},
                          Case{1200, 90, 120, false}}) {
        Act& a = flying(largeClass, 3000.0, c.height, 3000.0, 0.0);
        const std::uint32_t id = a.base.head.flightId;
        a.heading = c.from * degToRad;
        PathPoint& next = a.path[1];
        next.heading = c.to * degToRad;
        next.headingPresent = next.rollPresent = next.headingFromAdsb = 1;
        const std::int64_t ticks = ticksToNext(a);
        double turned = 0.0;
        for (std::int64_t t = 0; t < ticks; ++t) {
            const double before = act(id)->heading;
            run(1);
            turned += gf_angleDiff(before, act(id)->heading);
        }
        const double wanted = c.stepped ? gf_angleDiff(c.from * degToRad, c.to * degToRad) : 0.0; // on its way east
        EXPECT_NEAR(turned * radToDeg, wanted * radToDeg, 0.5) << c.from << " to " << c.to << " at " << c.height;
    }
}

TEST_F(Airborne, TheDescentRateFollowsThePointsAndTheQnh)
{
    struct Case {
        std::int32_t qnh;
        double front, next, height, rate;
    };
    for (const Case& c : {Case{1020, -700, -800, 500, -792}, Case{1020, -700, -800, 90, -600},
                          Case{1013, -400, -400, 500, -601}}) {
        currentQnh = c.qnh;
        Act& a = flying(largeClass, 2000.0, c.height, 1500.0, c.next);
        a.path[0].verticalSpeed = c.front;
        EXPECT_DOUBLE_EQ(lf_descentRate(a), c.rate) << c.qnh << " hPa, " << c.height << " ft";
    }
}

TEST_F(Airborne, TheApproachBeginsBelowTheClassApproachHeightWithin10Nm)
{
    gf_testPark(park, 0.0);
    struct Case {
        std::uint32_t sizeClass;
        double nm, rate; // from the park airport; the front point's feet per minute
        bool approaching;
    };
    for (const Case& c : {Case{heavyClass, 8.0, -500.0, true}, Case{lightClass, 8.0, -500.0, false},
                          Case{heavyClass, 9.9, -500.0, true}, Case{heavyClass, 10.1, -500.0, false},
                          Case{heavyClass, 8.0, -250.0, true}, Case{heavyClass, 8.0, -249.0, false}}) {
        const std::uint32_t sizeClass = c.sizeClass;
        const bool approaching = c.approaching;
        Act& a = flying(sizeClass, 2000.0, 2000.0, 1500.0, -500.0, c.nm);
        a.path[0].verticalSpeed = c.rate;
        a.base.standNumber = 4;
        lf_airborneStep(a);
        EXPECT_EQ(a.landing, approaching ? 1 : 0) << "class " << sizeClass << ", " << c.nm << " nm, " << c.rate;
        EXPECT_EQ(a.base.standNumber, approaching ? 0u : 4u) << "an approaching aircraft gives up its stand";
        EXPECT_EQ(hasEvent(takeEvents(), ceFlaps, 16383), approaching);
        EXPECT_EQ(!staticConflictChecks.empty() && staticConflictChecks.back() == a.base.head.flightId, approaching);
    }
}

TEST_F(Airborne, AnApproachThatClimbsAwayGoesAroundOnce)
{
    gf_testPark(park, 0.0);
    for (const auto& [rate, goesAround] : {std::pair{600.0, false}, std::pair{601.0, true}}) {
        Act& a = flying(largeClass, 1500.0, 1500.0, 2500.0, 1500.0);
        a.landing = 1;
        a.path[0].verticalSpeed = rate;
        lf_airborneStep(a);
        EXPECT_EQ(a.goAround, goesAround ? 1 : 0) << rate << " ft/min";
        takeEvents();
    }
    Act& a = flying(largeClass, 1500.0, 1500.0, 2500.0, 1500.0);
    a.landing = 1;
    a.flareStage = 0;
    a.path[0].verticalSpeed = 900.0;
    lf_airborneStep(a);
    EXPECT_EQ(a.goAround, 1);
    EXPECT_EQ(a.landing, 0);
    const std::vector<ClientEventItem> first = takeEvents();
    EXPECT_TRUE(hasEvent(first, ceThrottle, 16383));
    EXPECT_TRUE(hasEvent(first, ceGear, 0));
    a.landing = 1; // a report brought it back into the approach
    lf_airborneStep(a);
    EXPECT_FALSE(hasEvent(takeEvents(), ceGear, 0)) << "only once";
}

TEST_F(Airborne, AboveTheApproachHeightTheThrottleComesBackDescendingAndFromFullClimbingSlowly)
{
    struct Case {
        double rate;            // the front point's feet per minute
        std::uint32_t from, to; // throttle steps
    };
    for (const Case& c : {Case{-250, 3, 2}, Case{-249, 3, 3}, Case{-500, 4, 4}, Case{401, 4, 3}, Case{400, 4, 4}}) {
        Act& a = flying(largeClass, 5000.0, 5000.0, 5000.0, 0.0);
        a.path[0].verticalSpeed = c.rate;
        a.base.throttleStep = c.from;
        lf_airborneStep(a);
        EXPECT_EQ(a.base.throttleStep, c.to) << c.rate << " ft/min from step " << c.from;
    }
}

TEST_F(Airborne, Crossing10000FeetSetsEachLightSetOnceEachWay)
{
    const LatLon at = gf_offset(park, 270.0, 30.0);
    Act& a = addAct(largeClass, at, 90.0, phaseAirborne);
    const std::uint32_t id = a.base.head.flightId;
    a.altitude = 8000.0;
    a.heightAboveGround = 2500.0;
    const double altitudes[] = {8000, 9000, 10500, 11500, 12000, 10800, 9500, 8000, 7000};
    a.path.clear();
    for (int i = 0; i < 9; ++i) // 1 nm every 14.4 s: 250 kt
        a.path.push_back(point(gf_offset(at, 90.0, 1.0 * i), 250.0, 1440 * i, altitudes[i]));
    int cruise = 0, low = 0;
    for (int t = 0; t < 14000; ++t) {
        run(1);
        for (const ClientEventItem& e : takeEvents()) {
            cruise += e.eventId == ceCabinLights && e.value == 1 && act(id)->highLightsSet && !act(id)->lowLightsSet;
            low += e.eventId == ceLandingLights && e.value == 1;
        }
    }
    EXPECT_EQ(low, 2) << "below 10000 ft at the start and after the descent";
    EXPECT_EQ(cruise, 1);
}

TEST_F(Airborne, TheRollOutEndsAt15DegreesOffTheRunwayOrSlowedToTaxiAndRetractsBelow90Knots)
{
    std::vector<SimRequest> requests;
    static std::vector<SimRequest>* recorded = nullptr;
    static bool heldByCaller = false;
    recorded = &requests;
    simRequestSeam = [](const SimRequest& r) {
        // The request goes out under the queue mutex: no other thread can take it meanwhile.
        heldByCaller = !std::async(std::launch::async, [] {
                            const bool got = simQueues.mutex.try_lock();
                            if (got)
                                simQueues.mutex.unlock();
                            return got;
                        }).get();
        recorded->push_back(r);
        return true;
    };
    struct Case {
        double offDegrees, speed;
        bool ended, retracted;
    };
    // Slowed below 30 kt by its reports, the roll ends whatever the heading.
    for (const Case& c : {Case{14.9, 95, false, false}, Case{15.0, 95, true, true}, Case{3.0, 90, false, true},
                          Case{3.0, 25, true, true}}) {
        requests.clear();
        heldByCaller = false;
        Act& a = addAct(largeClass, park, 0.0, phaseGround);
        a.landingRoll = 1;
        a.rollOutHeading = 1.0;
        a.heading = 1.0 + c.offDegrees * degToRad;
        a.path.front().speed = c.speed;
        a.groundState = c.speed < runwaySpeed ? groundTaxied : groundLanded;
        lf_landingRoll(a);
        EXPECT_EQ(a.landingRoll, c.ended ? 0 : 1) << c.offDegrees << " degrees";
        EXPECT_EQ(hasEvent(takeEvents(), ceSpoilers, 0), c.retracted) << c.speed << " kt";
        ASSERT_EQ(requests.size(), c.retracted ? 1u : 0u);
        if (c.retracted) {
            EXPECT_EQ(requests.front().id, defSpoilersThrottles);
            EXPECT_EQ(requests.front().values, (std::array<double, 3>{0.0, 0.0, 0.0}));
            EXPECT_TRUE(heldByCaller);
        }
    }
    simRequestSeam = nullptr;
}
