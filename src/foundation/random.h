#pragma once
// Random choices: one Mersenne Twister per thread, seeded from the system's random device.
// The index and the shuffle follow the setting RANDOM; the variation always applies.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

// The calling thread's engine, made on first use.
std::mt19937& gf_randomEngine();
// Re-seeds the calling thread's engine, so that a test of a random choice repeats.
void gf_seedRandomEngine(std::uint32_t seed);

// 0 when RANDOM is off or n < 2 (no draw); otherwise one draw modulo n.
std::int64_t gf_randomIndex(std::int64_t n);
// Shuffles in place when RANDOM is on and there are two or more items.
void gf_shuffle(std::vector<std::string>& items);
// v plus or minus v x p / 100, the sign drawn; v itself when p <= 0 (a draw is made anyway).
double gf_randomVariation(double v, double p);
