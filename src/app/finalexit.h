#pragma once
// Every ending of the program and every in-process restart.
#include <cstdint>
#include <string>

// Reasons: 1 "SIM WAS CLOSED", 2 "RESTART", 3 "RESTART_IPP", 4 "USER CLOSED SIM",
// 5 "SYSTEM ERROR". Ignored while an exit is under way; the reason is stored and the exit
// thread started before it returns.
void gf_startFinalExit(std::uint32_t reason, std::uint32_t seconds);
// Tests of the other subsystems record the requests here instead; null (always in the
// program): gf_startFinalExit exits.
extern void (*exitRequestRecorder)(std::uint32_t reason, std::uint32_t seconds);

// The exit thread's body: readers stopped, aircraft removed, RealTraffic told, threads
// waited for; then a restart (start-up message after the countdown) or the final quit
// message. `seconds` is the length of a restart's countdown. Counted among the running
// threads by gf_startFinalExit, which starts it.
void FinalExit(std::int32_t seconds);
// Counts down on the status line; false when another exit cut it short.
bool gf_restartCountdown(std::int32_t seconds);
// The reason's name; raises std::out_of_range for a number not in the table.
const std::string& gf_exitReasonName(std::uint32_t reason);
