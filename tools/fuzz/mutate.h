#pragma once
// Reproducible inputs: input number i of a run is made from the run's seed, the target's
// name and i alone, so any input can be made again without the ones before it.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace fuzz {

using Rng = std::mt19937_64;

// The generator of one input.
Rng gf_inputRng(std::uint64_t seed, const std::string& target, std::uint64_t index);

// Input `index`: plain random bytes now and then, else one to five mutations of a seed.
std::string gf_makeInput(const std::vector<std::string>& seeds, std::size_t maxSize, std::uint64_t seed,
                         const std::string& target, std::uint64_t index);

// One mutation of the text in place: bit and byte flips, cuts, repeats, splices with
// another seed, boundary numbers as text and as binary words, huge sizes, encodings and
// byte-order marks.
void gf_mutate(std::string& text, const std::vector<std::string>& seeds, std::size_t maxSize, Rng& rng);

} // namespace fuzz
