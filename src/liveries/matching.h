#pragma once
// State beside the matcher: the step counters and the titles the simulator refused.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Live flights that found their livery at each of the six steps since the start.
extern std::array<std::uint32_t, 6> stepCounters;
// One entry per refused creation: the title, and "MODEL AIRLINE".
extern std::vector<std::string_view> failedTitles;
extern std::vector<std::string> failedTypes;
bool gf_isFailedTitle(std::string_view title);
// failedTypes sorted without repeats, each after two blanks.
std::vector<std::string> gf_getFailedLiveries();
