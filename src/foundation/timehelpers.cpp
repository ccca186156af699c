#include "foundation/timehelpers.h"

#include <fmt/format.h>

std::atomic<std::int64_t> trafficClockStamp{0};
std::atomic<bool> trafficClockSwitch{false};

namespace {
// Beyond year 9999 the asctime layout no longer holds.
constexpr std::int64_t lastClockSecond = 253402300799;

std::tm lf_utc(std::time_t time)
{
    std::tm utc{};
    if (gmtime_s(&utc, &time) != 0) {
        // gmtime_s fills every field with -1 on failure; fall back to the epoch.
        const std::time_t epoch = 0;
        gmtime_s(&utc, &epoch);
    }
    return utc;
}

// hh:mm:ss out of the asctime text.
std::string lf_timeOfDay(std::time_t time)
{
    const std::string full = gf_utcTimeString(time);
    return full.substr(full.size() - 13, 8);
}
} // namespace

std::string gf_utcTimeString(std::time_t time)
{
    const std::tm utc = lf_utc(time);
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return fmt::format("{} {} {:2} {:02}:{:02}:{:02} {}", days[utc.tm_wday], months[utc.tm_mon],
                       utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, utc.tm_year + 1900);
}

std::string gf_nowString() { return lf_timeOfDay(std::time(nullptr)); }

std::string gf_timeStamp()
{
    const std::string full = gf_utcTimeString(std::time(nullptr));
    return full.substr(4, 6) + ", " + full.substr(full.size() - 4);
}

void gf_setTrafficClockStamp(double seconds)
{
    const bool usable = seconds >= 1.0 && seconds <= static_cast<double>(lastClockSecond);
    trafficClockStamp.store(usable ? static_cast<std::int64_t>(seconds) : 0);
}

std::time_t gf_trafficClock()
{
    if (trafficClockSwitch.load()) {
        const std::int64_t stamp = trafficClockStamp.load();
        if (stamp != 0)
            return static_cast<std::time_t>(stamp);
    }
    return std::time(nullptr);
}

std::string gf_clockTimeText() { return lf_timeOfDay(gf_trafficClock()); }

std::uint32_t gf_halfHourOf(std::time_t time)
{
    const std::tm utc = lf_utc(time);
    return static_cast<std::uint32_t>(2 * utc.tm_hour + (utc.tm_min >= 30 ? 1 : 0)) % 48;
}

std::uint32_t gf_currentHalfHour() { return gf_halfHourOf(gf_trafficClock()); }
