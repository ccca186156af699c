#include "foundation/timehelpers.h"
#include "foundation/weekslots.h"
#include "logcapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <limits>
#include <regex>
#include <thread>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {
// Known instants (UTC), worked out apart from the program.
constexpr std::time_t sundayLastSecond = 1711929599; // Sun Mar 31 2024 23:59:59
constexpr std::time_t mondayMidnight = 1711929600;   // Mon Apr  1 2024 00:00:00
constexpr std::time_t wednesdayHalfPast = 1712147400; // Wed Apr  3 2024 12:30:00
constexpr std::time_t saturdayMorning = 1712387109;   // Sat Apr  6 2024 07:05:09

// Drives the traffic clock for one test and hands it back to the system clock afterwards.
class TrafficClock : public ::testing::Test {
protected:
    void TearDown() override
    {
        trafficClockSwitch = false;
        trafficClockStamp = 0;
    }
    static void use(std::time_t time)
    {
        trafficClockSwitch = true;
        gf_setTrafficClockStamp(static_cast<double>(time));
    }
};
} // namespace

TEST(TimeTexts, UtcTimeStringHasTheAsctimeLayout)
{
    EXPECT_EQ(gf_utcTimeString(saturdayMorning), "Sat Apr  6 07:05:09 2024");
    EXPECT_EQ(gf_utcTimeString(mondayMidnight), "Mon Apr  1 00:00:00 2024");
    EXPECT_EQ(gf_utcTimeString(0), "Thu Jan  1 00:00:00 1970");
}

TEST(TimeTexts, TimesTheSystemCannotConvertStillGiveAWholeText)
{
    EXPECT_EQ(gf_utcTimeString(-100).size(), 24u);
    EXPECT_EQ(gf_utcTimeString(std::numeric_limits<std::time_t>::max()).size(), 24u);
}

TEST(TimeTexts, SystemClockTexts)
{
    EXPECT_TRUE(std::regex_match(gf_nowString(), std::regex("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]")));
    const std::string stamp = gf_timeStamp();
    EXPECT_TRUE(std::regex_match(stamp, std::regex("[A-Z][a-z]{2} [ 1-3][0-9], [0-9]{4}"))) << stamp;
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_s(&utc, &now);
    char expected[16];
    std::strftime(expected, sizeof expected, "%b", &utc);
    EXPECT_EQ(stamp.substr(0, 3), expected);
    std::strftime(expected, sizeof expected, "%Y", &utc);
    EXPECT_EQ(stamp.substr(stamp.size() - 4), expected);
    EXPECT_EQ(std::stoi(stamp.substr(4, 2)), utc.tm_mday);
}

TEST_F(TrafficClock, FollowsTheTrafficStampOnlyWhileSwitchedOn)
{
    trafficClockSwitch = false;
    gf_setTrafficClockStamp(static_cast<double>(saturdayMorning));
    EXPECT_GT(gf_trafficClock(), saturdayMorning + 3600);
    use(saturdayMorning);
    EXPECT_EQ(gf_trafficClock(), saturdayMorning);
    EXPECT_EQ(gf_clockTimeText(), "07:05:09");
    gf_setTrafficClockStamp(saturdayMorning + 0.75); // whole seconds
    EXPECT_EQ(gf_trafficClock(), saturdayMorning);
}

TEST_F(TrafficClock, NoStampOrAnUnusableOneMeansTheSystemClock)
{
    const double unusable[] = {0.0, -5.0, std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(), 1e300};
    for (double stamp : unusable) {
        use(saturdayMorning);
        gf_setTrafficClockStamp(stamp);
        const std::time_t before = std::time(nullptr);
        const std::time_t clock = gf_trafficClock();
        EXPECT_GE(clock, before) << stamp;
        EXPECT_LE(clock, std::time(nullptr)) << stamp;
    }
}

TEST_F(TrafficClock, HalfHoursAndWeekSlotsAcrossSundayMidnight)
{
    const struct {
        const char* name;
        std::time_t time;
        WeekSlot slot;
    } instants[] = {
        {"Wed 12:30:00", wednesdayHalfPast, {3, 25}}, {"Wed 12:29:59", wednesdayHalfPast - 1, {3, 24}},
        {"Sun 23:59:59", sundayLastSecond, {7, 47}},  {"Mon 00:00:00", mondayMidnight, {1, 0}},
        {"Sat 07:05:09", saturdayMorning, {6, 14}},
    };
    for (const auto& instant : instants) {
        use(instant.time);
        EXPECT_EQ(gf_currentHalfHour(), instant.slot.halfHour) << instant.name;
        EXPECT_EQ(gf_currentWeekSlot(), instant.slot) << instant.name;
    }
    // Every day of one week, at 23:45 and at 00:15 of the next.
    for (int day = 0; day < 7; ++day) {
        const std::time_t lateEvening = mondayMidnight + day * 86400 + 23 * 3600 + 45 * 60;
        EXPECT_EQ(gf_weekSlotOf(lateEvening), (WeekSlot{static_cast<std::uint32_t>(day + 1), 47}));
        EXPECT_EQ(gf_weekSlotOf(lateEvening + 1800), (WeekSlot{static_cast<std::uint32_t>((day + 1) % 7 + 1), 0}));
    }
}

// The reader thread keeps moving the clock across midnight while this thread takes slots:
// each slot must pair weekday and half hour of one and the same instant.
TEST_F(TrafficClock, ASlotNeverMixesTwoReadingsOfAMovingClock)
{
    use(mondayMidnight);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (long i = 0; !stop.load(); ++i)
            gf_setTrafficClockStamp(static_cast<double>(i % 2 ? sundayLastSecond : mondayMidnight));
    });
    int sunday = 0;
    int monday = 0;
    for (int i = 0; i < 20000; ++i) {
        const WeekSlot slot = gf_currentWeekSlot();
        if (slot == WeekSlot{7, 47})
            ++sunday;
        else if (slot == WeekSlot{1, 0})
            ++monday;
        else
            ADD_FAILURE() << gf_dayHourText(slot);
    }
    stop = true;
    writer.join();
    EXPECT_EQ(sunday + monday, 20000);
}

TEST(WeekSlots, OneValueWithTheWeekdayInTheLowHalf)
{
    const WeekSlot slot{3, 25};
    EXPECT_EQ(slot.value(), (std::uint64_t{25} << 32) | 3u);
    EXPECT_EQ(WeekSlot::fromValue(slot.value()), slot);
    EXPECT_EQ(WeekSlot::fromValue(0), (WeekSlot{0, 0}));
    EXPECT_EQ(gf_dayHourText(slot), "day=3 hh=25");
}

TEST(WeekSlots, DistanceCountsHalfHoursAcrossMidnightAndTheWeekEnd)
{
    const auto both = [](WeekSlot a, WeekSlot b) {
        EXPECT_EQ(gf_slotDistance(a, b), gf_slotDistance(b, a)) << gf_dayHourText(a) << " " << gf_dayHourText(b);
        return gf_slotDistance(a, b);
    };
    EXPECT_EQ(both({1, 2}, {7, 46}), 4);
    EXPECT_EQ(both({2, 0}, {1, 47}), 1);
    EXPECT_EQ(both({4, 10}, {4, 10}), 0);
    EXPECT_EQ(both({4, 30}, {4, 10}), 20);
    EXPECT_EQ(both({5, 0}, {3, 0}), 96);
    EXPECT_EQ(both({1, 0}, {7, 47}), 1);
    EXPECT_EQ(both({7, 47}, {6, 0}), 95);
}

TEST(WeekSlots, DayNames)
{
    EXPECT_EQ(gf_dayName(1), "Monday");
    EXPECT_EQ(gf_dayName(4), "Thursday");
    EXPECT_EQ(gf_dayName(7), "Sunday");
    EXPECT_EQ(gf_dayName(0), "wrong day");
    EXPECT_EQ(gf_dayName(8), "wrong day");
}

TEST(WeekSlots, DecodesExactDayCodesAndLogsOthers)
{
    LogCapture log;
    EXPECT_EQ(lf_decodeDay("Mon"), 1u);
    EXPECT_EQ(lf_decodeDay("Wed"), 3u);
    EXPECT_EQ(lf_decodeDay("Sun"), 7u);
    EXPECT_THAT(log.text(), Not(HasSubstr("lf_decodeDay")));
    EXPECT_EQ(lf_decodeDay("mon"), 0u);
    EXPECT_EQ(lf_decodeDay("Monday"), 0u);
    const std::string text = log.text();
    EXPECT_TRUE(log.hasLine("lf_decodeDay ?  mon"));
    EXPECT_TRUE(log.hasLine("lf_decodeDay ?  Monday"));
}
