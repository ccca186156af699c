#pragma once
// Time texts and the traffic clock; all times are UTC.
#include <atomic>
#include <cstdint>
#include <ctime>
#include <string>

// asctime text of the UTC time without its line end ("Sun Dec  6 21:45:46 2026").
std::string gf_utcTimeString(std::time_t time);
// hh:mm:ss of the current UTC time.
std::string gf_nowString();
// Date of the system clock for meta blocks ("Dec  6, 2026").
std::string gf_timeStamp();

// The traffic clock: the latest traffic record's time stamp while RealTraffic's edition
// sends usable times (the switch, set by the version exchange), else the system clock.
// Written by the traffic reader and the version exchange, read on other threads.
extern std::atomic<std::int64_t> trafficClockStamp; // whole seconds since 1970, 0 = none
extern std::atomic<bool> trafficClockSwitch;

// Stores a record's time stamp (seconds); anything outside 1970..9999 counts as none.
void gf_setTrafficClockStamp(double seconds);
std::time_t gf_trafficClock();
// hh:mm:ss of the traffic clock.
std::string gf_clockTimeText();
// Half hour 0..47 of the day of a UTC time.
std::uint32_t gf_halfHourOf(std::time_t time);
// Half hour 0..47 of the traffic clock.
std::uint32_t gf_currentHalfHour();
