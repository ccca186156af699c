#pragma once
// The system timer at 1 ms for as long as the object lives, for loops that wait in
// steps of a few milliseconds.
#include <windows.h>
#include <mmsystem.h>

class TimerResolution {
public:
    TimerResolution() { timeBeginPeriod(1); }
    ~TimerResolution() { timeEndPeriod(1); }
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;
};
