#pragma once
// Waits that really wait. The system sleeps in whole milliseconds and this library cuts a
// wait to whole milliseconds too, so a wait of less than 1 ms (or the part of a wait
// beyond its last whole millisecond) returns at once, and a loop around it spins a core.
// These round up instead: a wait that is due at all lasts at least 1 ms.
#include <chrono>

void gf_sleepFor(std::chrono::steady_clock::duration length);
void gf_sleepUntil(std::chrono::steady_clock::time_point point);
