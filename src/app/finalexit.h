#pragma once
// Every ending of the program and every in-process restart.
#include <cstdint>

// Reasons: 1 "SIM WAS CLOSED", 2 "RESTART", 3 "RESTART_IPP", 4 "USER CLOSED SIM",
// 5 "SYSTEM ERROR". Ignored while an exit is under way.
void gf_startFinalExit(std::uint32_t reason, std::uint32_t seconds);
