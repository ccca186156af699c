#pragma once
// Time texts; all times are UTC.
#include <ctime>
#include <string>

// asctime text of the UTC time without its line end ("Sun Dec  6 21:45:46 2026").
std::string gf_utcTimeString(std::time_t time);
// hh:mm:ss of the current UTC time.
std::string gf_nowString();
// The date of a "meta" block: "Dec  6, 2026".
std::string gf_timeStamp();
