#pragma once
// What an in-process restart sets back before the start-up runs again.
#include <cstdint>

// The run state of the links, the main loop and the traffic; the simulator link's thread
// is stopped and joined and its connection closed. Reason 2 also switches the scans off.
void gf_resetRunState(std::uint32_t reason);
// The main window's painted texts, indicators and counters back to their start values.
void gf_resetWindowState();
