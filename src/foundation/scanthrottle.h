#pragma once
// Keeps the scan tasks in flight at the number of hardware threads.
#include <atomic>
#include <cstdint>
#include <string>

extern std::atomic<std::int32_t> runningScanTasks;
extern std::int32_t scanTaskLimit;

// Sets the limit to the hardware threads (at least 1) and resets the counter.
void gf_initScanThrottle();
// Returns once fewer tasks than the limit are running; does not take the slot.
void gf_waitForScanSlot();
void gf_endScanTask();

// "30" for a whole number, else one decimal ("30.5").
std::string gf_formatNumber(float value);
