#include "foundation/weekslots.h"

#include "foundation/log.h"
#include "foundation/timehelpers.h"

#include <fmt/format.h>

#include <map>
#include <utility>

WeekSlot gf_weekSlotOf(std::time_t time)
{
    const std::string text = gf_utcTimeString(time);
    return {lf_decodeDay(std::string_view(text).substr(0, 3)), gf_halfHourOf(time)};
}

// One reading of the clock for both halves, so that midnight never pairs the old
// weekday with the new day's half hour.
WeekSlot gf_currentWeekSlot() { return gf_weekSlotOf(gf_trafficClock()); }

std::uint32_t lf_decodeDay(std::string_view text)
{
    static const std::pair<std::string_view, std::uint32_t> days[] = {
        {"Mon", 1}, {"Tue", 2}, {"Wed", 3}, {"Thu", 4}, {"Fri", 5}, {"Sat", 6}, {"Sun", 7}};
    for (const auto& [name, number] : days)
        if (name == text)
            return number;
    gf_log(fmt::format("lf_decodeDay ?  {}", text));
    return 0;
}

const std::string& gf_dayName(std::uint32_t weekday)
{
    static const std::map<std::uint32_t, std::string> names = {
        {1, "Monday"}, {2, "Tuesday"}, {3, "Wednesday"}, {4, "Thursday"},
        {5, "Friday"}, {6, "Saturday"}, {7, "Sunday"}};
    static const std::string wrong = "wrong day";
    const auto found = names.find(weekday);
    return found == names.end() ? wrong : found->second;
}

std::string gf_dayHourText(WeekSlot slot) { return fmt::format("day={} hh={}", slot.weekday, slot.halfHour); }

bool gf_slotLater(WeekSlot a, WeekSlot b)
{
    if (a.weekday == 1 && b.weekday == 7)
        return true;
    if (a.weekday == 7 && b.weekday == 1)
        return false;
    if (a.weekday != b.weekday)
        return a.weekday > b.weekday;
    return a.halfHour > b.halfHour;
}

WeekSlot gf_slotBefore(WeekSlot slot, std::int32_t halfHours)
{
    auto halfHour = static_cast<std::int32_t>(slot.halfHour) - halfHours;
    std::uint32_t weekday = slot.weekday;
    for (; halfHour < 0; halfHour += 48)
        weekday = weekday <= 1 ? 7 : weekday - 1;
    return {weekday, static_cast<std::uint32_t>(halfHour)};
}

std::int32_t gf_slotDistance(WeekSlot a, WeekSlot b)
{
    const WeekSlot later = gf_slotLater(a, b) ? a : b;
    const WeekSlot earlier = gf_slotLater(a, b) ? b : a;
    std::int32_t distance = (static_cast<std::int32_t>(later.weekday) - static_cast<std::int32_t>(earlier.weekday)) * 48 +
                            (static_cast<std::int32_t>(later.halfHour) - static_cast<std::int32_t>(earlier.halfHour));
    if (later.weekday == 1 && earlier.weekday == 7)
        distance += 7 * 48;
    return distance;
}
