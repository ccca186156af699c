#include "foundation/geometry.h"
#include "foundation/sizeclasses.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

TEST(SizeClassTables, TakeOffAndLandingValuesPerClass)
{
    EXPECT_EQ(gf_flareTicks(0), 250u);
    EXPECT_EQ(gf_flareTicks(3), 450u);
    EXPECT_EQ(gf_rollOutSlots(2), 350u);
    EXPECT_EQ(gf_rotationTicks(1), 200u);
    EXPECT_EQ(gf_pitchUpTicks(5), 100u);
    EXPECT_EQ(gf_rotationPitchDegrees(5), -20.0);
    EXPECT_EQ(gf_climbPitchDegrees(2), -16.5);
}

TEST(SizeClassTables, MotionValuesPerClass)
{
    // The angles are whole or simple degrees per movement tick.
    const double turnDegrees[] = {0.15, 0.1, 0.07, 0.05, 0.1, 0.2};
    const double bankDegrees[] = {0.035, 0.0275, 0.02, 0.015, 0.1, 0.06};
    const double maxBankDegrees[] = {40, 35, 30, 20, 90, 75};
    for (int c = 0; c < 6; ++c) {
        EXPECT_NEAR(gf_turnRate(c), turnDegrees[c] * degToRad, 1e-15) << c;
        EXPECT_NEAR(gf_bankRate(c), bankDegrees[c] * degToRad, 1e-15) << c;
        EXPECT_NEAR(gf_maxBank(c), maxBankDegrees[c] * degToRad, 1e-15) << c;
    }
    EXPECT_NEAR(gf_climbStep(2), 0.6, 1e-15);
    EXPECT_EQ(gf_pushSpeed(3), 3.0);
    EXPECT_EQ(gf_liftOffSpeed(4), 220.0);
    EXPECT_EQ(gf_liftOffSpeed(5), 0.0); // a helicopter lifts off from any speed
}

TEST(SizeClassTables, AnUnknownClassThrowsEverywhere)
{
    const std::function<void(int)> lookups[] = {
        [](int c) { gf_flareTicks(c); },     [](int c) { gf_rollOutSlots(c); },
        [](int c) { gf_rotationTicks(c); },  [](int c) { gf_pitchUpTicks(c); },
        [](int c) { gf_rotationPitchDegrees(c); }, [](int c) { gf_climbPitchDegrees(c); },
        [](int c) { gf_turnRate(c); },       [](int c) { gf_climbStep(c); },
        [](int c) { gf_pushSpeed(c); },      [](int c) { gf_liftOffSpeed(c); },
        [](int c) { gf_bankRate(c); },       [](int c) { gf_maxBank(c); }};
    for (const auto& lookup : lookups)
        for (int c : {6, -1})
            EXPECT_THAT([&] { lookup(c); }, ::testing::ThrowsMessage<std::out_of_range>(
                                                ::testing::StrEq("invalid unordered_map<K, T> key")))
                << c;
}

TEST(SizeClassTables, BankStepIsClampedToTheClassLimits)
{
    // Heavy: a wanted turn of 1 rad asks for the full -20° bank, reached at most 0.015° per tick.
    EXPECT_NEAR(gf_bankStep(3, 1.0, 10, 0.0), -0.00026179938779914946, 1e-18);
    EXPECT_NEAR(gf_bankStep(3, -1.0, 10, 0.0), 0.00026179938779914946, 1e-18);
    // Close to the target the step is the remaining difference spread over the ticks.
    const double target = -0.01;
    EXPECT_NEAR(gf_bankStep(3, 0.01, 100, target + 0.001), -0.001 / 100, 1e-15);
    // Over no ticks the step is the largest allowed, never a division by zero.
    EXPECT_NEAR(gf_bankStep(4, 1.0, 0, 0.0), -gf_bankRate(4), 1e-18);
    EXPECT_EQ(gf_bankStep(4, 0.5, 0, -0.5), 0.0);
}
