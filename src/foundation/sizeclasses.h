#pragma once
// Per-size-class motion constants: 0 Light, 1 Buzjets, 2 Large, 3 Heavy, 4 HighPerf,
// 5 Rotorcraft. Any other class throws std::out_of_range.
#include <cstdint>

// Movement ticks (10 ms each) and slots.
std::uint32_t gf_flareTicks(std::int32_t sizeClass);
std::uint32_t gf_rollOutSlots(std::int32_t sizeClass);
std::uint32_t gf_rotationTicks(std::int32_t sizeClass);
std::uint32_t gf_pitchUpTicks(std::int32_t sizeClass);
// Degrees, negative = nose up.
double gf_rotationPitchDegrees(std::int32_t sizeClass);
double gf_climbPitchDegrees(std::int32_t sizeClass);

double gf_turnRate(std::int32_t sizeClass);     // radians per movement tick
double gf_climbStep(std::int32_t sizeClass);    // feet per movement tick
double gf_pushSpeed(std::int32_t sizeClass);    // knots
double gf_liftOffSpeed(std::int32_t sizeClass); // knots
double gf_bankRate(std::int32_t sizeClass);     // radians per movement tick
double gf_maxBank(std::int32_t sizeClass);      // radians

// Per-tick bank change toward the bank of a wanted turn (radians) spread over `ticks`.
double gf_bankStep(std::int32_t sizeClass, double wantedTurn, std::int32_t ticks, double presentBank);
