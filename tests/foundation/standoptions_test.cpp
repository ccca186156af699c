#include "foundation/standoptions.h"
#include "foundation/texthelpers.h"
#include "liveries/referencedata.h"
#include "logcapture.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {
StandOption lf_option(std::int32_t seq, std::int32_t day, const std::string& hours, bool soft = false,
                      std::string reg = "")
{
    return {.airl = "KLM", .type = "B738", .reg = std::move(reg), .callsign = "KLM1", .hh = lf_hours2bitset(hours),
            .seq = seq, .day = day, .soft = soft};
}

FlightIdent lf_ident(std::string airline, std::string type)
{
    return {.airline = std::move(airline), .type = std::move(type)};
}
} // namespace

TEST(StandOptions, SlotMatchesByCallsignOrByAirlineAndType)
{
    StandOption option = lf_option(1, 3, "10");
    option.secondCall = "KLM2";
    const FlightIdent other = lf_ident("DLH", "A320");
    EXPECT_TRUE(gf_slotMatches("KLM1", other, option));
    EXPECT_TRUE(gf_slotMatches("KLM2", other, option));
    EXPECT_TRUE(gf_slotMatches("XYZ", lf_ident("KLM", "B738"), option));
    EXPECT_FALSE(gf_slotMatches("XYZ", other, option));
    EXPECT_FALSE(gf_slotMatches("XYZ", lf_ident("KLM", "B737"), option));

    StandOption soft = option;
    soft.soft = true;
    EXPECT_FALSE(gf_slotMatches("KLM1", other, soft));
    StandOption unnumbered = option;
    unnumbered.seq = 0;
    EXPECT_FALSE(gf_slotMatches("KLM1", other, unnumbered));

    const StandOptions options{soft, option};
    EXPECT_TRUE(gf_containsSlotMatch(options, "KLM2", other));
    EXPECT_FALSE(gf_containsSlotMatch(options, "", lf_ident("KLM", "B738")));
    EXPECT_FALSE(gf_containsSlotMatch({soft, unnumbered}, "KLM1", other));
}

TEST(StandOptions, FindsAnOptionAtOrBesideTheHalfHourAcrossMidnight)
{
    StandOptions options{lf_option(1, 2, "47"), lf_option(2, 2, "0"), lf_option(3, 2, "20", false, "PH-BXA")};
    EXPECT_EQ(gf_findSlotAtHalfHour(options, 2, 0, "") - options.begin(), 0);   // 47 is beside 0
    EXPECT_EQ(gf_findSlotAtHalfHour(options, 2, 47, "") - options.begin(), 0);
    options.erase(options.begin());
    EXPECT_EQ(gf_findSlotAtHalfHour(options, 2, 47, "") - options.begin(), 0);  // 0 is beside 47
    EXPECT_EQ(gf_findSlotAtHalfHour(options, 2, 46, ""), options.end());
    EXPECT_EQ(gf_findSlotAtHalfHour(options, 3, 0, ""), options.end());         // another weekday
    EXPECT_EQ(gf_findSlotAtHalfHour(options, 2, 21, "PH-BXA") - options.begin(), 1);
    EXPECT_EQ(gf_findSlotAtHalfHour(options, 2, 21, ""), options.end());        // registration differs
    EXPECT_EQ(gf_findSlotAtHalfHour(options, 2, 48, ""), options.end());        // no such half hour

    const StandOptions softOnly{lf_option(1, 2, "10", true)};
    EXPECT_EQ(gf_findSlotAtHalfHour(softOnly, 2, 10, ""), softOnly.end());
}

TEST(StandOptions, TestRangeLooksBackAndReportsWhatIsLeftForYesterday)
{
    std::int32_t rest = 99;
    EXPECT_FALSE(testRange(lf_option(1, 1, ""), 3, 6, rest));
    EXPECT_EQ(rest, 3);
    EXPECT_FALSE(testRange(lf_option(1, 1, "5,11"), 10, 4, rest)); // tests 10..6
    EXPECT_EQ(rest, -1);
    EXPECT_TRUE(testRange(lf_option(1, 1, "6"), 10, 4, rest));
    EXPECT_TRUE(testRange(lf_option(1, 1, "0"), 3, 6, rest));
    EXPECT_FALSE(testRange(lf_option(1, 1, ""), 0, 100, rest));
    EXPECT_EQ(rest, 46);
}

TEST(StandOptions, TestRangeLogsAHalfHourOutsideTheDay)
{
    LogCapture log;
    std::int32_t rest = 0;
    EXPECT_FALSE(testRange(lf_option(1, 1, "47"), 48, 2, rest));
    EXPECT_TRUE(log.hasLine("===> exception invalid bitset position in testRange, start: 48, offset: 2")) << log.text();
}

TEST(StandOptions, AddingNumbersAfterTheLastNumberedOption)
{
    StandOptions options{lf_option(1, 1, "3"), lf_option(4, 1, "5"), lf_option(0, 1, ""), lf_option(0, 1, "")};
    FlightIdent ident = lf_ident("TRA", "B738");
    const std::uint32_t number = gf_addSlotRecord(options, ident, false, {5, 30}, "TRA123_", "");
    EXPECT_EQ(number, 5u);
    ASSERT_EQ(options.size(), 5u) << "every option before stays";
    const StandOption& added = options.back();
    EXPECT_EQ(added.airl, "TRA");
    EXPECT_EQ(added.type, "B738");
    EXPECT_EQ(added.callsign, "TRA123");
    EXPECT_EQ(added.secondCall, "");
    EXPECT_EQ(gf_joinComma(added.hh), "30");
    EXPECT_EQ(added.seq, 5);
    EXPECT_EQ(added.day, 5);
    EXPECT_EQ(added.mark, 1);
    EXPECT_FALSE(added.soft);

    StandOptions empty;
    EXPECT_EQ(gf_addSlotRecord(empty, ident, true, {1, 0}, "X", ""), 1u);
    EXPECT_TRUE(empty.front().soft);
}

TEST(StandOptions, AddingTakesAirlineAndTypeFromTheRegistrationRecord)
{
    dbRecords["PH-BXA"] = DbRecord{"KLM", "B738", "", false};
    StandOptions options;
    const FlightIdent ident = lf_ident("XXX", "A320");
    gf_addSlotRecord(options, ident, false, {2, 12}, "KLM1", "PHBXA"); // found as PH-BXA
    EXPECT_EQ(options.back().airl, "KLM");
    EXPECT_EQ(options.back().type, "B738");
    EXPECT_EQ(options.back().reg, "PHBXA");
    gf_addSlotRecord(options, ident, false, {2, 12}, "ABC1", "D-EFGH");
    EXPECT_EQ(options.back().airl, "XXX");
    EXPECT_EQ(options.back().type, "A320");
    EXPECT_EQ(options.back().seq, 2);
}

TEST(StandOptions, AddingAtAHalfHourOutsideTheDayChangesNothing)
{
    StandOptions options{lf_option(1, 1, "3"), lf_option(0, 1, "")};
    EXPECT_THROW(gf_addSlotRecord(options, lf_ident("A", "B"), false, {1, 48}, "X", ""), std::out_of_range);
    EXPECT_EQ(options.size(), 2u);
}

TEST(StandOptions, UpdatingMarksTheHalfHourAndKeepsTwoCallsigns)
{
    StandOptions options{lf_option(1, 3, "10"), lf_option(2, 3, "10")};
    options[1].callsign.clear();
    EXPECT_TRUE(lf_updateOption(options, {3, 11}, 2, "DLH9_"));
    EXPECT_EQ(gf_joinComma(options[1].hh), "10,11");
    EXPECT_EQ(options[1].callsign, "DLH9");
    EXPECT_EQ(gf_joinComma(options[0].hh), "10");

    EXPECT_TRUE(lf_updateOption(options, {3, 12}, 1, "KLM1"));
    EXPECT_EQ(options[0].secondCall, "");
    EXPECT_TRUE(lf_updateOption(options, {3, 13}, 1, "KLM7"));
    EXPECT_EQ(options[0].secondCall, "KLM7");
    EXPECT_TRUE(lf_updateOption(options, {3, 14}, 1, "KLM8"));
    EXPECT_EQ(options[0].callsign, "KLM1");
    EXPECT_EQ(options[0].secondCall, "KLM8");
    EXPECT_TRUE(lf_updateOption(options, {3, 0}, 1, ""));
    EXPECT_EQ(gf_joinComma(options[0].hh), "0,10,12,13,14");
    EXPECT_EQ(options[0].secondCall, "KLM8");

    EXPECT_FALSE(lf_updateOption(options, {3, 20}, 3, "KLM1"));
    EXPECT_FALSE(lf_updateOption(options, {3, 20}, 0, "KLM1"));
}

TEST(StandOptions, UpdatingAtAHalfHourOutsideTheDayIsLoggedAndRefused)
{
    LogCapture log;
    StandOptions options{lf_option(1, 3, "10")};
    EXPECT_FALSE(lf_updateOption(options, {3, 48}, 1, "KLM1"));
    EXPECT_EQ(gf_joinComma(options[0].hh), "10");
    EXPECT_TRUE(log.hasLine("===> Update Option exception day=3 hh=48 invalid bitset position")) << log.text();
}
