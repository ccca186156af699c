#pragma once
// Program-wide run state: what the start-up found, the exit under way, the threads running.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

// Long-running threads; the exit waits until only its own is left.
extern std::atomic<std::int32_t> runningThreads;

// Exit flag: an exit or restart is under way. Removal done: the final exit has removed
// the aircraft. Every long loop, wait and scan stops when either is set.
extern std::atomic<bool> exitFlag;
extern std::atomic<bool> removalDone;
// The reason of the exit under way, 0 when none.
extern std::atomic<std::uint32_t> exitReason;

// RealTraffic is installed on this computer (found at start-up).
extern std::atomic<bool> realTrafficOnThisPc;
// Major number of the airport archive's version.
extern std::atomic<std::int32_t> archiveWeek;

// "5" or "6", the simulator's major version from SIM_INSTALL_PATH or P3D_VERSION.
std::string gf_checkInstallPathVersion();

// The exit flag or the removal-done flag is set.
bool gf_exitUnderWay();
// Sleeps for the duration, in short steps; false (at once) when an exit is under way.
bool gf_pauseUnlessExit(std::chrono::milliseconds duration);
// Waits while more than `left` counted threads run, in 100 ms steps, for about 6.1 s at
// most; then goes on regardless.
void gf_waitForThreads(std::int32_t left);
