#pragma once
// Numbers read from files with the C library's conversions. A text of more than
// longestNumberText characters is no number: no coordinate or size is written longer, and
// the library's conversion takes time that grows with the square of the digits (a 60,000
// digit latitude took 110 ms).
#include <cstddef>

inline constexpr std::size_t longestNumberText = 64;

// As std::strtod and std::strtof; a text that is too long converts nothing (*end = text).
double gf_strtod(const char* text, char** end);
float gf_strtof(const char* text, char** end);
