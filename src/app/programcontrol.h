#pragma once
// Program-wide run state: what the start-up found, the exit under way, the threads running.
#include <atomic>
#include <cstdint>

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

// Every ending and in-process restart. Reasons: 1 "SIM WAS CLOSED", 2 "RESTART",
// 3 "RESTART_IPP", 4 "USER CLOSED SIM", 5 "SYSTEM ERROR". Ignored while an exit is under way.
void gf_startFinalExit(std::uint32_t reason, std::uint32_t seconds);

#include <string>

// "5" or "6", the simulator's major version from SIM_INSTALL_PATH or P3D_VERSION.
std::string gf_checkInstallPathVersion();
