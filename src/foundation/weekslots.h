#pragma once
// Week slots: a weekday 1..7 (Monday..Sunday) and a half hour 0..47 of that UTC day.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// Carried as one 64-bit value: the weekday in the low half, the half hour in the high half.
struct WeekSlot {
    std::uint32_t weekday = 0;
    std::uint32_t halfHour = 0;

    std::uint64_t value() const { return (std::uint64_t{halfHour} << 32) | weekday; }
    static WeekSlot fromValue(std::uint64_t v)
    {
        return {static_cast<std::uint32_t>(v & 0xFFFFFFFFu), static_cast<std::uint32_t>(v >> 32)};
    }
    bool operator==(const WeekSlot&) const = default;
};

// The slot of a UTC time.
WeekSlot gf_weekSlotOf(std::time_t time);
// The slot of the traffic clock, read once.
WeekSlot gf_currentWeekSlot();
// "Mon" 1 .. "Sun" 7; any other text is logged and gives 0.
std::uint32_t lf_decodeDay(std::string_view text);
// "Monday" .. "Sunday" for 1..7, else "wrong day".
const std::string& gf_dayName(std::uint32_t weekday);
// "day={} hh={}"
std::string gf_dayHourText(WeekSlot slot);
// Whether a is later than b: Monday follows Sunday, otherwise the greater weekday, then the
// greater half hour.
bool gf_slotLater(WeekSlot a, WeekSlot b);
// The slot so many half hours earlier, going back over midnight (Monday back to Sunday).
WeekSlot gf_slotBefore(WeekSlot slot, std::int32_t halfHours);
// Half hours from the earlier to the later slot; Monday follows Sunday.
std::int32_t gf_slotDistance(WeekSlot a, WeekSlot b);
