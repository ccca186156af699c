#pragma once
// Constants that differ between the shipped program and the test build.
#include <cstdint>

extern const bool isTestBuild;

// Seconds of the status clock for which a status text stays on the status line.
extern const std::int32_t statusHoldSeconds;
