// Path stepping: standing still at a repeated position, arrival at the stand, predictions
// until the aircraft ends, rotation and climb-out, and the landing flare.
#include "traffic/motion_fixture.h"

#include "foundation/sizeclasses.h"
#include "links/simids.h"

#include <fmt/format.h>

#include <cmath>
#include <tuple>

namespace {
const LatLon amsterdam{52.3086, 4.7639};
const LatLon lasVegas{36.0840, -115.1537};
} // namespace

TEST_F(Motion, ARepeatedPositionHoldsTheAircraftUntilItsTick)
{
    Act& added = addAct(largeClass, amsterdam, 90.0, phaseGround);
    const std::uint32_t id = added.base.head.flightId;
    added.path = {point(amsterdam, 0.0, 0), point(amsterdam, 0.0, 500), point(gf_offset(amsterdam, 90.0, 0.05), 10.0, 1500)};
    run(499);
    EXPECT_EQ(act(id)->path.front().hold, 1);
    EXPECT_EQ(act(id)->latitude, amsterdam.first);
    EXPECT_EQ(act(id)->longitude, amsterdam.second);
    EXPECT_EQ(act(id)->rate2, 0.0);
    run(100);
    EXPECT_GT(act(id)->longitude, amsterdam.second) << "moving on after the hold";
}

TEST_F(Motion, AHoldBehindAnEarlierPointLastsTheShortestHoldNotAFrozenCount)
{
    Act& added = addAct(largeClass, amsterdam, 90.0, phaseGround);
    const std::uint32_t id = added.base.head.flightId;
    const std::int64_t start = gf_now();
    added.path = {point(amsterdam, 0.0, 0), point(amsterdam, 0.0, -200)};
    added.path.front().tick = static_cast<std::uint32_t>(start + 1); // put in front "due on the next tick"
    added.predictionCount = 3; // no bounds while predicting
    run(2);
    EXPECT_EQ(act(id)->path.front().tick, static_cast<std::uint32_t>(start + 1 + 25));
}

TEST_F(Motion, AnAircraftWithin2MetresOfItsStandParksFartherOffItTaxisOntoItAgain)
{
    // Its path that far from the stand, and the aircraft shown that far from it.
    const LatLon stand = gf_offset(amsterdam, 0.0, 0.3);
    for (const auto& [offset, shownOff, parked] :
         {std::tuple{1.5, 1.5, true}, std::tuple{2.5, 2.5, false}, std::tuple{0.0, 5.0, false}}) {
        gf_testClearTraffic();
        takeEvents();
        StandRecord& s = gf_testAddStand("A1", stand, 180.0, 30.0);
        Act& added = addAct(largeClass, gf_offset(stand, 90.0, offset * metre), 180.0, phaseToStand);
        added.base.latitude = stand.first;
        added.base.longitude = stand.second;
        added.base.standNumber = s.standNumber;
        const LatLon shown = gf_offset(stand, 90.0, shownOff * metre);
        added.shown.set = 1;
        added.shown.objectId = added.base.objectId;
        added.shown.latitude = shown.first;
        added.shown.longitude = shown.second;
        const std::uint32_t id = added.base.head.flightId;
        run(1);
        ASSERT_NE(act(id), nullptr);
        EXPECT_EQ(act(id)->phase, parked ? phaseAtStand : phaseToStand) << offset << " m off";
        EXPECT_EQ(hasEvent(takeEvents(), ceEngineShutdown, 0), parked);
        EXPECT_EQ(act(id)->base.parkedSlot == gf_slotNow(), parked);
    }
}

TEST_F(Motion, WithoutReportsAnAircraftIsPredictedAFixedNumberOfPointsThenRemoved)
{
    struct Case {
        std::uint32_t phase;
        std::int32_t points;
    };
    for (const Case& c : {Case{phaseAirborne, 8}, Case{phaseGround, 10}}) {
        gf_testClearTraffic();
        Act& added = addAct(largeClass, amsterdam, 90.0, c.phase);
        if (c.phase == phaseAirborne)
            added.path.front() = point(amsterdam, 250.0, 0, 5000.0);
        else
            added.takeOff = 1; // rolling, so that the predictions move
        const std::uint32_t id = added.base.head.flightId;
        std::int32_t predicted = 0;
        std::uint32_t lastTick = added.path.back().tick;
        for (std::int64_t t = 0; t < 20000 && act(id)->base.status == statusCreated; ++t) {
            run(1);
            const Act& a = *act(id);
            if (a.path.back().tick != lastTick) {
                ++predicted;
                lastTick = a.path.back().tick;
            }
        }
        EXPECT_EQ(predicted, c.points);
        EXPECT_EQ(act(id)->base.status, statusRemoving);
        ASSERT_EQ(removalQueue.size(), 1u);
        EXPECT_EQ(removalQueue.front(), act(id)->base.objectId);
    }
}

TEST_F(Motion, AParkedAircraftIsPredictedOneWeekAheadAndRemovedAfterIt)
{
    StandRecord& s = gf_testAddStand("A1", amsterdam, 90.0, 30.0);
    s.occupied = 1;
    Act& added = addAct(largeClass, amsterdam, 90.0, phaseAtStand);
    added.base.standNumber = s.standNumber;
    added.path.front().hold = 1;
    const std::uint32_t id = added.base.head.flightId;
    const std::int64_t start = gf_now();
    run(1);
    ASSERT_EQ(act(id)->path.size(), 1u);
    EXPECT_EQ(act(id)->path.front().tick, static_cast<std::uint32_t>(start + 60480000));
    EXPECT_EQ(parkStands.front().occupied, 1) << "still there, it holds its stand";
    tickCounter = static_cast<std::int32_t>(act(id)->path.front().tick);
    run(1);
    EXPECT_EQ(act(id)->base.status, statusRemoving);
    EXPECT_EQ(parkStands.front().occupied, 0) << "freed as it goes";
}

TEST_F(Motion, AFarAircraftWithoutReportsIsNotPredicted)
{
    UserAircraft user;
    user.latitude = 50.0;
    user.longitude = 4.0;
    gf_setCurrentUserAircraft(user);
    Act& added = addAct(largeClass, amsterdam, 90.0, phaseAirborne);
    added.path.front() = point(amsterdam, 250.0, 0, 5000.0);
    run(1);
    EXPECT_EQ(act(added.base.head.flightId)->base.status, statusRemoving) << "138 nm away with a 40 nm range";
}

TEST_F(Motion, AHeavyRotatesFor250TicksClimbsOutFor400AndRaisesTheGearAfter300)
{
    Act& added = addAct(heavyClass, amsterdam, 90.0, phaseGround);
    const std::uint32_t id = added.base.head.flightId;
    added.takeOff = 1;
    added.path = {point(amsterdam, 150.0, 0), point(gf_offset(amsterdam, 90.0, 1.0), 170.0, 2000, 500.0),
                  point(gf_offset(amsterdam, 90.0, 3.0), 180.0, 6000, 1500.0)};
    added.path[1].verticalSpeed = added.path[2].verticalSpeed = 2000.0;
    const std::int64_t start = gf_now();
    std::int64_t rotated = -1, climbing = -1, gearUp = -1, airborne = -1;
    for (std::int64_t t = 0; t < 700; ++t) {
        run(1);
        const Act& a = *act(id);
        if (rotated < 0 && a.pitch == a.base.head.rotationPitch)
            rotated = t;
        if (climbing < 0 && a.pitch == a.base.head.climbPitch)
            climbing = t;
        if (gearUp < 0 && hasEvent(takeEvents(), ceGear, 0))
            gearUp = t;
        if (airborne < 0 && a.phase == phaseAirborne)
            airborne = t;
        EXPECT_FALSE(std::isnan(a.altitude));
    }
    EXPECT_EQ(act(id)->previousPhase, phaseTakeOff);
    EXPECT_EQ(rotated, 249) << "the 250th tick reaches the rotation pitch";
    EXPECT_EQ(climbing, 649) << "400 ticks later the climb pitch";
    EXPECT_EQ(gearUp, 550);
    EXPECT_EQ(airborne, 649);
    EXPECT_GT(act(id)->altitude, 0.0);
    EXPECT_EQ(act(id)->onGround, 0);
    (void)start;
}

TEST_F(Motion, ARollingAircraftWhoseReportsLevelOffLiftsOffOnlyAtItsLiftOffSpeedInTheAir)
{
    const double liftOff = gf_liftOffSpeed(static_cast<std::int32_t>(largeClass));
    struct Case {
        double speed;    // knots of the points after the front, level
        bool airborne;   // those points
        bool liftsOff;
    };
    for (const Case& c : {Case{liftOff, true, true}, Case{liftOff - 1.0, true, false}, Case{liftOff, false, false}}) {
        gf_testClearTraffic();
        Act& added = addAct(largeClass, amsterdam, 90.0, phaseGround);
        const std::uint32_t id = added.base.head.flightId;
        added.takeOff = 1;
        const double feet = c.airborne ? 300.0 : 0.0;
        added.path = {point(amsterdam, c.speed, 0), point(gf_offset(amsterdam, 90.0, 0.5), c.speed, 1000, feet),
                      point(gf_offset(amsterdam, 90.0, 1.0), c.speed, 2000, feet)};
        run(1);
        EXPECT_EQ(act(id)->phase == phaseTakeOff, c.liftsOff) << c.speed << " kt, airborne " << c.airborne;
    }
}

TEST_F(Motion, TheFlareTakesItsStagesAtTheirHeightsAndClosesTheThrottleAt10Feet)
{
    gf_testPark(amsterdam, 0.0);
    Act& added = addAct(largeClass, gf_offset(amsterdam, 270.0, 1.0), 90.0, phaseAirborne);
    const std::uint32_t id = added.base.head.flightId;
    added.landing = 1;
    added.heightAboveGround = 60.0;
    added.altitude = 9.5 + 45.0;
    added.base.throttleStep = 1;
    added.path = {point(gf_offset(amsterdam, 270.0, 1.0), 130.0, 0, added.altitude),
                  point(gf_offset(amsterdam, 270.0, 0.5), 130.0, 1400, 0.0)};
    const double stages[] = {30.0, 20.0, 10.0, 3.0};
    std::uint32_t stage = 0;
    for (std::int64_t t = 0; t < 1300 && stage < 4; ++t) {
        const double before = act(id)->altitude - 9.5;
        run(1);
        const Act& a = *act(id);
        EXPECT_GE(a.pitch, -0.06981317007977318 - 1e-12) << "never beyond the flare pitch";
        const std::vector<ClientEventItem> events = takeEvents();
        if (a.flareStage == stage)
            continue;
        ASSERT_EQ(a.flareStage, stage + 1) << "one stage at a time at this sink rate";
        EXPECT_LE(before, stages[stage]) << "stage " << a.flareStage;
        EXPECT_GT(before, stages[stage] - 0.2);
        EXPECT_EQ(hasEvent(events, ceThrottle, 0), a.flareStage == 3);
        if (a.flareStage == 1) {
            EXPECT_TRUE(landingFlag);
        }
        stage = a.flareStage;
    }
    EXPECT_EQ(stage, 4u);
    EXPECT_DOUBLE_EQ(act(id)->altitudeStep, -0.025);
}

TEST_F(Motion, APredictedPointFollowsTheSpeedLadderOfItsStateAndLiesSpeedTimesItsIntervalAhead)
{
    enum State { rolling, taxiing, rollingOut, flying, landing, climbing, leaving, parked, firstSeenRolling, climbingSlowly,
                 liftedOff };
    struct Case {
        State state;
        double lastSpeed;
        std::int32_t predictions; // this one included
        double speed, verticalSpeed, climb;
        std::int64_t ticks; // after the last point
    };
    const Case cases[] = {
        {rolling, 30, 10, 40, 0, 0, 300},       {rolling, 31, 10, 80, 0, 0, 300},
        {rolling, 60, 10, 80, 0, 0, 300},       {rolling, 61, 10, 110, 0, 0, 300},
        {rolling, 100, 10, 110, 0, 0, 300},     {rolling, 101, 10, 150, 600, 0, 300},
        {rolling, 140, 10, 150, 600, 0, 300},   {rolling, 141, 10, 170, 1200, 0, 300},
        {rolling, 160, 10, 170, 1200, 0, 300},  {rolling, 161, 10, 180, 2400, 0, 300},
        {taxiing, 20, 10, 0, 0, 0, 300},        {taxiing, 29, 10, 0, 0, 0, 300},
        {taxiing, 30, 10, 30, 0, 0, 300},       {taxiing, 84, 10, 84, 0, 0, 300}, // on a runway
        {rollingOut, 140, 10, 100, 0, 0, 300},
        {rollingOut, 139, 10, 80, 0, 0, 300},   {rollingOut, 100, 10, 80, 0, 0, 300},
        {rollingOut, 99, 10, 60, 0, 0, 300},    {rollingOut, 80, 10, 60, 0, 0, 300},
        {rollingOut, 79, 10, 30, 0, 0, 300},    {rollingOut, 60, 10, 30, 0, 0, 300},
        {rollingOut, 59, 10, 20, 0, 0, 300},    {firstSeenRolling, 100, 10, 80, 0, 0, 300},
        {firstSeenRolling, 59, 10, 20, 0, 0, 300}, {flying, 200, 8, 190, 0, 0, 800},
        {flying, 0.5, 8, 110, 0, 0, 800}, // a garbage speed: the slowest its class flies
        {landing, 200, 5, 180, -667, -80.04, 800},
        {landing, 200, 4, 200, -667, -80.04, 800}, {climbing, 160, 8, 152, 1500, 200, 800},
        {leaving, 5, 1, 0, 0, 0, 30000},        {parked, 0, 1, 0, 0, 0, 60480000},
        {climbingSlowly, 160, 8, 152, 600, 80, 800}, // its reports last climbed at 600 ft a minute
        // Shown still on the runway, its path's last point in the air: a light aircraft's touch-and-go
        // climbs on at its speed, not at the roll's next step.
        {liftedOff, 67, 10, 67, 0, 0, 300},
    };
    const std::uint32_t phases[] = {phaseGround, phaseGround,  phaseGround, phaseAirborne, phaseAirborne,
                                    phaseTakeOff, phaseLeaving, phaseAtStand, phaseGround, phaseTakeOff,
                                    phaseGround};
    for (const Case& c : cases) {
        gf_testClearTraffic();
        StandRecord& stand = gf_testAddStand("A1", amsterdam, 90.0, 40.0);
        stand.occupied = 1;
        const bool air = c.state == flying || c.state == landing || c.state == climbing || c.state == climbingSlowly;
        Act& a = addAct(largeClass, amsterdam, 90.0, phases[c.state]);
        a.onGround = !air;
        a.base.standNumber = stand.standNumber;
        a.takeOff = c.state == rolling || c.state == liftedOff;
        a.landingRoll = c.state == rollingOut;
        a.landing = c.state == landing;
        if (c.state == firstSeenRolling) // it never stood or taxied
            a.groundState = groundRolling;
        a.predictionCount = c.predictions;
        if (c.state == climbingSlowly)
            a.trail.climb = 600.0;
        const double altitude = air ? 3000.0 : c.state == liftedOff ? 250.0 : 0.0;
        const PathPoint last = a.path.front() = point(amsterdam, c.lastSpeed, 0, altitude);
        lf_predictPoint(a);
        ASSERT_EQ(a.path.size(), 2u);
        const PathPoint& p = a.path.back();
        const std::string what = fmt::format("state {} at {} kt", static_cast<int>(c.state), c.lastSpeed);
        EXPECT_EQ(p.speed, c.speed) << what;
        EXPECT_EQ(p.verticalSpeed, c.verticalSpeed) << what;
        EXPECT_NEAR(p.altitude - last.altitude, c.climb, 1e-9) << what;
        const double seconds = air ? 8.0 : 3.0;
        EXPECT_NEAR(gf_distanceNm(last.latitude, last.longitude, p.latitude, p.longitude), c.speed * seconds / 3600.0,
                    1e-7)
            << what;
        EXPECT_EQ(p.hold, c.speed == 0.0 ? 1 : 0) << what;
        EXPECT_EQ(static_cast<std::int64_t>(p.tick) - last.tick, c.ticks) << what;
        EXPECT_EQ(stand.occupied, 1) << what << ": a prediction frees no stand";
    }
}

TEST_F(Motion, ALiftOffIsTimedAsOneSegmentAlsoWhereTheWayTurnsSharplyAfterIt)
{
    // A helicopter on its pad and a slow airliner, at an airport 2,181 ft up, each on its way to its
    // first report in the air, the way then turning sharply. Broken at a midpoint timed at half the
    // speeds, the helicopter's lift-off fell due 7 s after that report (N237SH at Las Vegas flew
    // 20 s late, 500 m behind its reports); the lift-off goes straight to the report, on its time.
    gf_testPark(lasVegas, 2181.0);
    for (const std::uint32_t sizeClass : {rotorcraftClass, largeClass}) {
        gf_testClearTraffic();
        Act& added = addAct(sizeClass, lasVegas, 90.0, phaseGround);
        const std::uint32_t id = added.base.head.flightId;
        added.altitude = 2181.0 + added.base.head.staticCgHeight;
        added.takeOff = 1;
        const LatLon air = gf_offset(lasVegas, 90.0, 0.3);
        added.path = {point(lasVegas, sizeClass == largeClass ? 10.0 : 0.0, 0), point(air, 55.0, 1950, 2375.0),
                      point(gf_offset(air, 180.0, 0.3), 61.0, 2900, 2525.0)};
        run(1);
        const PathPoint& next = act(id)->path.front();
        EXPECT_EQ(next.latitude, air.first) << sizeClass << ": the report is next";
        EXPECT_EQ(next.longitude, air.second) << sizeClass;
        EXPECT_LE(gf_ticksUntil(next), 2000) << sizeClass << ": ticks until it falls due (its report's 1950)";
    }
}
