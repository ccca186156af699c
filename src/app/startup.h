#pragma once
// The start-up sequence, run on a thread of its own at each start and restart.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

// The start-up message: starts the start-up thread and lets it go. A start-up asked for
// while one still runs begins when that one has ended, so that two main loops never run;
// it is dropped when an exit has begun by then.
void gf_runStartUpThread();
// What the start-up thread runs: lf_startUpTarnwick (tests of the window replace it).
extern void (*startUpBody)();
// A start-up (and, after it, main-loop) thread is running or waits to run.
extern std::atomic<bool> startUpRunning;

// The start-up thread's body; never lets an exception out.
void lf_startUpTarnwick();
// Folders, settings, downloads, reference data, simulator and RealTraffic, airport list.
void lf_prepareStart();
// "input", "output" with "info" and "errors", "airports" with "learned" and its three sub-folders.
void lf_createAirportsFolder();
// The template with both placeholders filled with the program's name.
std::string gf_formatWithProgramName(std::string_view text);
// "{} seconds since last run" or "{} minutes and {} seconds since last run"; empty when
// the last run is a year or more ago (or never stored).
std::string gf_sinceLastRunText(std::int32_t now, std::int32_t lastRun);

// The live maximum in force: MAX_LIVE as taken at start-up or changed in its field.
extern std::atomic<std::int32_t> liveMaximum;
// LATERAL_RANGE as read at start-up, before any automatic range.
extern std::atomic<std::int32_t> lateralRangeAtStart;
// The reference data and code fixes are read once per process.
extern std::atomic<bool> referenceDataRead;
// The week slot of the traffic clock, refreshed at start-up and every second.
extern std::atomic<std::uint64_t> currentWeekSlot;
