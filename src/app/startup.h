#pragma once
// The start-up sequence, run on a thread of its own at each start and restart.
#include <atomic>
#include <cstdint>

// Starts the start-up thread (the main window's start-up message).
void gf_runStartUpThread();

// The live maximum in force: MAX_LIVE as taken at start-up or changed in its field.
extern std::atomic<std::int32_t> liveMaximum;
// LATERAL_RANGE as read at start-up, before any automatic range.
extern std::atomic<std::int32_t> lateralRangeAtStart;
