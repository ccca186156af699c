// Leaving the stand (pull out, push back to E, R or L), the path onto a stand, taxi shaping
// (midpoints, speed splits, curves) and the turn step that a curve's time allows.
#include "traffic/motion_fixture.h"

#include <cmath>

namespace {
const LatLon standPosition{52.3086, 4.7639};

double lf_metresApart(LatLon a, LatLon b) { return gf_distanceNm(a, b) * metresPerNm; }
} // namespace

class Ground : public Motion {
protected:
    // An aircraft parked at a stand heading east, whose newest report lies along the bearing.
    Act& parkedLeaving(double reportBearing, std::uint32_t sizeClass = largeClass)
    {
        StandRecord& stand = gf_testAddStand("B7", standPosition, 90.0, 20.0);
        Act& a = addAct(sizeClass, standPosition, 90.0, phaseAtStand);
        a.base.latitude = standPosition.first;
        a.base.longitude = standPosition.second;
        a.base.heading = 90.0 * degToRad;
        a.base.standNumber = stand.standNumber;
        a.leavingStand = 1;
        a.path = {point(standPosition, 0.0, 0), point(gf_offset(standPosition, reportBearing, 0.02), 3.0, 1000)};
        return a;
    }
    // An arrival taxiing at 5 kt from where it is, heading north, onto stand B7 heading east; its flight id.
    std::uint32_t arrival(LatLon from)
    {
        const StandRecord& stand = gf_testAddStand("B7", standPosition, 90.0, 20.0);
        Act& a = addAct(largeClass, from, 0.0, phaseToStand);
        a.base.latitude = standPosition.first;
        a.base.longitude = standPosition.second;
        a.base.heading = stand.heading;
        a.base.standNumber = stand.standNumber;
        a.path = {point(from, 5.0, 0)};
        lf_pathToStand(a, standPosition.first, standPosition.second, stand.heading);
        return a.base.head.flightId;
    }
};

TEST_F(Ground, AReportWithin90DegreesOfTheStandHeadingPullsOutOtherwiseItPushesBack)
{
    for (const auto& [bearing, phase] : {std::pair{160.0, phaseGround}, std::pair{20.0, phaseGround},
                                         std::pair{180.0, phasePushBack}, std::pair{0.0, phasePushBack}}) {
        gf_testClearTraffic();
        const std::uint32_t id = parkedLeaving(bearing).base.head.flightId;
        run(1);
        EXPECT_EQ(act(id)->phase, phase) << "report at " << bearing << " degrees";
        EXPECT_EQ(act(id)->leavingStand, phase == phaseGround ? 0 : 1);
    }
}

TEST_F(Ground, AHeavyPullsOutOneSpanAheadAtItsPushSpeed)
{
    Act& a = parkedLeaving(90.0, heavyClass);
    a.base.head.wingspan = 0.018;
    const std::int64_t now = gf_now();
    lf_groundStep(a);
    ASSERT_EQ(a.path.size(), 1u) << "the reached point is dropped";
    const PathPoint& out = a.path.front();
    EXPECT_NEAR(gf_distanceNm(standPosition, {out.latitude, out.longitude}), 0.036, 1e-9);
    EXPECT_NEAR(gf_initialBearing(standPosition, {out.latitude, out.longitude}) * radToDeg, 90.0, 1e-6);
    EXPECT_EQ(static_cast<std::int64_t>(out.tick) - now, 4320);
    EXPECT_EQ(a.keptSpeed, 3.0);
}

TEST_F(Ground, APushBackEndsStraightBackAtEOrHalfASpanToTheRightOrLeft)
{
    enum class Way { unknown, right, left };
    for (const Way way : {Way::unknown, Way::right, Way::left}) {
        gf_testClearTraffic();
        const std::uint32_t id = parkedLeaving(270.0).base.head.flightId;
        run(1);
        ASSERT_EQ(act(id)->phase, phasePushBack);
        act(id)->pushDirectionKnown = way != Way::unknown;
        act(id)->pushRight = way == Way::right;
        const LatLon e = gf_offset(standPosition, 270.0, 2.5 * 20.0 * metre);
        const double side = way == Way::right ? 0.0 : 180.0;
        const LatLon end = way == Way::unknown ? e : gf_offset(e, side, halfSpan(largeClass));
        double turnedMost = 0.0;
        for (int t = 0; t < 20000 && act(id)->phase == phasePushBack; ++t) {
            const double before = act(id)->heading;
            run(1);
            turnedMost = std::max(turnedMost, std::abs(gf_angleDiff(before, act(id)->heading)));
        }
        EXPECT_EQ(act(id)->phase, phaseLeaving) << "the engines started";
        run(3000);
        EXPECT_LT(lf_metresApart({act(id)->latitude, act(id)->longitude}, end), 0.5) << static_cast<int>(way);
        EXPECT_LE(turnedMost, act(id)->base.head.turnRate * 3.0 + 1e-12) << "the tail swings, the aircraft does not spin";
    }
}

TEST_F(Ground, ThePathOntoAStandTakesAtLeast100TicksAndHolds50More)
{
    Act& a = addAct(largeClass, standPosition, 90.0, phaseToStand);
    const std::uint32_t front = a.path.front().tick;
    lf_pathToStand(a, standPosition.first, standPosition.second, 45.0 * degToRad);
    ASSERT_EQ(a.path.size(), 3u);
    EXPECT_EQ(a.path[1].tick, front + 100);
    EXPECT_EQ(a.path[1].hold, 1) << "already on the stand position";
    EXPECT_EQ(a.path[2].tick, front + 150);
    EXPECT_EQ(a.path[2].speed, 0.0);
    EXPECT_EQ(a.path[2].hold, 1);
    EXPECT_DOUBLE_EQ(a.targetBearing, 45.0 * degToRad);
}

TEST_F(Ground, ASpeedChangeOver100MetresGetsAMidpointHalfwayInTime)
{
    struct Case {
        double metres, from, to;
        bool split;
    };
    for (const Case& c : {Case{100.01, 10.0, 20.0, true}, Case{99.0, 10.0, 20.0, false}, Case{150.0, 10.0, 15.0, false},
                          Case{150.0, 0.0, 0.0, false}}) {
        Act a = gf_testAct(1, statusCreated, 1, "KLM1", standPosition.first, standPosition.second);
        a.path = {point(standPosition, c.from, 0), point(gf_offset(standPosition, 0.0, c.metres * metre), c.to, 0)};
        a.path[0].tick = 101;
        a.path[1].tick = 104;
        lf_splitSpeedChange(a);
        ASSERT_EQ(a.path.size(), c.split ? 3u : 2u) << c.metres << " m " << c.from << "-" << c.to;
        if (c.split) {
            EXPECT_EQ(a.path[1].tick, 102u);
            EXPECT_DOUBLE_EQ(a.path[1].speed, 15.0);
            EXPECT_EQ(a.path[1].airborne, 0);
        }
    }
}

TEST_F(Ground, TheTurnStepFitsTheTimeTheCurveTakesAndWideTurnsWidenTheDelays)
{
    // A Large aircraft (turn rate 0.0012217304763960306) at 10 kt. Up to 45 degrees the step
    // shrinks by the least of r x 30 m / d, r x 10 / angle and r (r: ticks per step of the
    // rate), or by r below 1.2; beyond, it grows by r up to angle / 30.
    struct Case {
        double angle;
        std::int64_t ticks;
        double factor;
        std::int32_t delays;
    };
    const double turnRate = 0.0012217304763960306;
    for (const Case& c : {Case{90.0, 2000, 2000.0 / 737.0, 2000}, Case{30.0, 2000, 0.421844, 1000},
                          Case{45.0, 2000, 0.828, 1000}, Case{30.0, 250, 0.984, 1000}}) {
        gf_testClearTraffic();
        Act& a = addAct(largeClass, standPosition, 0.0, phaseGround);
        const double d = static_cast<double>(c.ticks) * 10.0 / 360000.0;
        a.path = {point(standPosition, 10.0, 0), point(gf_offset(standPosition, 0.0, d), 10.0, c.ticks)};
        a.curve.controlEast = a.curve.controlNorth = 1.0; // a curve is set
        a.curveAngle = c.angle;
        lf_timeGroundPoint(a);
        EXPECT_NEAR(a.base.head.turnStep / turnRate, c.factor, 1e-4) << c.angle << " degrees, " << c.ticks;
        EXPECT_EQ(a.earlyDelay, c.delays);
        EXPECT_EQ(a.lateDelay, c.delays);
        EXPECT_EQ(static_cast<std::int64_t>(a.path[1].tick) - gf_now(), c.ticks);
    }
}

TEST_F(Ground, ASharpTurnOnASlowLongSegmentGetsAMidpointAFastOneACurveUpTo160Degrees)
{
    struct Case {
        double turn, speed;
        bool curve;
        double metres; // from the stand to the point ahead after the step
    };
    // The midpoint stays as the next point; the curve takes the corner point away; a turn
    // back at speed is left to the ground turn.
    for (const Case& c : {Case{50.0, 20.0, false, 30.0}, Case{50.0, 50.0, true, 0.0}, Case{170.0, 20.0, false, 30.0},
                          Case{170.0, 50.0, false, 60.0}}) {
        gf_testClearTraffic();
        Act& a = addAct(largeClass, standPosition, 0.0, phaseGround);
        const LatLon next = gf_offset(standPosition, 0.0, 60.0 * metre);
        const LatLon third = gf_offset(next, c.turn, 0.1);
        a.path = {point(standPosition, c.speed, 0), point(next, c.speed, 700), point(third, c.speed, 3000)};
        run(1);
        EXPECT_EQ(gf_curveSet(a), c.curve) << c.turn << " degrees at " << c.speed << " kt";
        const PathPoint& ahead = a.path.front();
        EXPECT_NEAR(lf_metresApart(c.curve ? third : standPosition, {ahead.latitude, ahead.longitude}), c.metres, 0.01)
            << c.turn << " degrees at " << c.speed << " kt";
    }
}

TEST_F(Ground, ACurveOrAStepAcrossTheAntimeridianIsMetresLongNotAWorldAway)
{
    const LatLon west{-16.5, 179.9998};
    const LatLon next = gf_offset(west, 90.0, 40.0 * metre);
    const LatLon third = gf_offset(next, 135.0, 40.0 * metre);
    ASSERT_LT(next.second, 0.0) << "the corner lies across the line";
    Act a = gf_testAct(1, statusCreated, 1, "KLM1", west.first, west.second);
    a.path = {point(west, 10.0, 0), point(next, 10.0, 500), point(third, 10.0, 1000)};
    lf_setCurve(a);
    EXPECT_NEAR(std::hypot(a.curve.controlEast, a.curve.controlNorth), 40.0, 0.5);
    EXPECT_LT(std::hypot(a.curve.endEast, a.curve.endNorth), 80.0);
    a.curveProgress = 0.7;
    a.progressStep = 0.1;
    lf_followCurve(a);
    EXPECT_GE(a.longitude, -180.0);
    EXPECT_LT(a.longitude, -179.9);
    EXPECT_LT(lf_metresApart({a.latitude, a.longitude}, next), 40.0);

    addAct(largeClass, west, 90.0, phaseGround).path = {point(west, 10.0, 0), point(next, 10.0, 500)};
    run(1);
    EXPECT_LT(std::abs(liveActs.back().lonStep), 1e-5) << "east across the line, not west round the globe";
}

TEST_F(Ground, AStraightPushBackAfterALiveArrivalNeverSpinsTheAircraft)
{
    // Taxiing in heading north onto a stand east of it: the heading lags the turn, so the
    // ground turn is under way while the aircraft arrives.
    const std::uint32_t id = arrival(gf_offset(standPosition, 250.0, 80.0 * metre));
    bool turning = false;
    for (int t = 0; t < 20000 && act(id)->phase == phaseToStand; ++t) {
        run(1);
        turning = turning || act(id)->groundTurn;
    }
    ASSERT_EQ(act(id)->phase, phaseAtStand);
    ASSERT_TRUE(turning) << "the arrival turned on the ground";

    // A report behind the stand: a push back whose direction nobody knows goes straight back.
    Act& parked = *act(id);
    parked.leavingStand = 1;
    parked.path = {point(standPosition, 0.0, 0), point(gf_offset(standPosition, 270.0, 0.02), 3.0, 1000)};
    const double atStand = parked.heading;
    double turnedMost = 0.0;
    for (int t = 0; t < 6000; ++t) {
        const double before = act(id)->heading;
        run(1);
        turnedMost = std::max(turnedMost, std::abs(gf_angleDiff(before, act(id)->heading)));
    }
    EXPECT_NE(act(id)->phase, phaseAtStand) << "it left the stand";
    EXPECT_LE(turnedMost, act(id)->base.head.turnRate * 3.0 + 1e-12) << "no spin at the push back";
    EXPECT_LT(std::abs(gf_angleDiff(atStand, act(id)->heading)) * radToDeg, 3.0) << "still facing the stand's way";
}

TEST_F(Ground, AnArrivalStoppedBesideItsStandSlidesOntoItWithoutAJump)
{
    // Taxiing in heading north from 25 m west-south-west of a stand facing east: too near to turn
    // onto it, it stops beside it.
    const std::uint32_t id = arrival(gf_offset(standPosition, 250.0, 25.0 * metre));
    double step = 0.0, turn = 0.0;
    for (int t = 0; t < 20000 && act(id)->phase == phaseToStand; ++t) {
        const ShownMotion before = act(id)->shown;
        run(1);
        const ShownMotion& s = act(id)->shown;
        if (before.set && s.set) {
            step = std::max(step, gf_distanceNm(before.latitude, before.longitude, s.latitude, s.longitude) * metresPerNm);
            turn = std::max(turn, std::abs(gf_angleDiff(before.heading, s.heading)));
        }
    }
    ASSERT_EQ(act(id)->phase, phaseAtStand);
    EXPECT_LT(step, 0.2) << "metres in a tick at most: it does not jump onto the stand";
    EXPECT_LE(turn, act(id)->base.head.turnRate + 1e-9) << "radians in a tick at most: nor spin onto its heading";
}

TEST_F(Ground, AMidpointAcrossTheAntimeridianKeepsTheTaxiingAircraftOnItsWay)
{
    // A speed change over 150 m gets a midpoint; the segment crosses the line.
    const LatLon west{-16.5, 179.9995};
    const LatLon east = gf_offset(west, 90.0, 150.0 * metre);
    ASSERT_LT(east.second, 0.0);
    Act& a = addAct(largeClass, west, 90.0, phaseGround);
    const std::uint32_t id = a.base.head.flightId;
    a.path = {point(west, 10.0, 0), point(east, 20.0, 3600)};
    double longest = 0.0;
    for (int t = 0; t < 3600 && act(id); ++t) {
        const LatLon before{act(id)->latitude, act(id)->longitude};
        run(1);
        if (act(id))
            longest = std::max(longest, lf_metresApart(before, {act(id)->latitude, act(id)->longitude}));
    }
    EXPECT_LT(longest, 1.0) << "metres in one tick";
}
