#include "foundation/timehelpers.h"

#include <fmt/format.h>

std::string gf_utcTimeString(std::time_t time)
{
    std::tm utc{};
    gmtime_s(&utc, &time);
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return fmt::format("{} {} {:2} {:02}:{:02}:{:02} {}", days[utc.tm_wday], months[utc.tm_mon],
                       utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, utc.tm_year + 1900);
}

std::string gf_nowString()
{
    const std::string full = gf_utcTimeString(std::time(nullptr));
    return full.substr(full.size() - 13, 8);
}

std::string gf_timeStamp()
{
    const std::string full = gf_utcTimeString(std::time(nullptr));
    return full.substr(4, 6) + ", " + full.substr(full.size() - 4);
}
