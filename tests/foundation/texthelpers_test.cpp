#include "foundation/texthelpers.h"
#include "liveries/liveries.h"
#include "logcapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using Items = std::vector<std::string>;

using ::testing::HasSubstr;

TEST(TextHelpers, SplittingTrimsItemsAndKeepsInnerEmptyOnes)
{
    EXPECT_EQ(gf_splitComma(" a, b ,,c,"), (Items{"a", "b", "", "c"}));
    EXPECT_EQ(gf_splitComma(""), Items{});
    EXPECT_EQ(gf_splitComma(",,"), (Items{"", ""}));
    EXPECT_EQ(gf_splitSemicolon("PH-ABC; D-AIXA ;N123"), (Items{"PH-ABC", "D-AIXA", "N123"}));
    EXPECT_EQ(gf_splitFields("KLM, Royal Dutch\t,\r\n"), (Items{"KLM", "Royal Dutch", ""}));
}

TEST(TextHelpers, TrimNarrowsTheView)
{
    std::string_view text = " \t EHAM \r\n";
    EXPECT_EQ(gf_trim(text), "EHAM");
    EXPECT_EQ(text, "EHAM");
    std::string_view blank = " \t\r\n";
    EXPECT_EQ(gf_trim(blank), "");
    EXPECT_TRUE(blank.empty());
}

TEST(TextHelpers, NormalizeListRemovesBlanksOnlyWhenThereAreAny)
{
    std::string list = "EHAM, EGLL";
    gf_normalizeList(list);
    EXPECT_EQ(list, "EHAM,EGLL");
    gf_normalizeList(list);
    EXPECT_EQ(list, "EHAM,EGLL");
    std::string trailing = "EHAM ,EGLL, ";
    gf_normalizeList(trailing);
    EXPECT_EQ(trailing, "EHAM,EGLL,");
    std::string empty;
    gf_normalizeList(empty);
    EXPECT_EQ(empty, "");
}

TEST(TextHelpers, PublisherRowsAreAppendedInOrder)
{
    publisherGroups.clear();
    gf_addSplitFields({"ORBX, FTX, Orbx Systems", "Aerosoft"});
    ASSERT_EQ(publisherGroups.size(), 2u);
    EXPECT_EQ(publisherGroups[0], (Items{"ORBX", "FTX", "Orbx Systems"}));
    EXPECT_EQ(publisherGroups[1], (Items{"Aerosoft"}));
}

TEST(TextHelpers, SmallFormatters)
{
    EXPECT_TRUE(gf_equalsUpper("KLM", "klm"));
    EXPECT_TRUE(gf_equalsUpper("K1M", "k1M"));
    EXPECT_FALSE(gf_equalsUpper("klm", "klm"));
    EXPECT_FALSE(gf_equalsUpper("KLM", "klmx"));
    EXPECT_EQ(gf_extractPath("<AddOn.Component><Path>C:\\Addons\\Jet</Path>"), "C:\\Addons\\Jet");
    EXPECT_EQ(gf_extractPath("<Path>no end"), "");
    EXPECT_EQ(gf_extractPath("</Path>x<Path>"), "");
    EXPECT_EQ(gf_formatFixed6({52.3086, 4.7639}), "52.308600,4.763900");
    EXPECT_EQ(gf_formatFixed6({-33.9461, -151.1772}), "-33.946100,-151.177200");
}

TEST(TextHelpers, BannerLinesOfEqualLength)
{
    const std::string open = gf_bannerLine(70, 0, true, false, "parameters");
    EXPECT_EQ(open, "\n" + std::string(34, '*') + " parameters " + std::string(34, '*'));
    const std::string close = gf_bannerLine(70, 10, false, true, "");
    EXPECT_EQ(close, std::string(80, '*') + "\n");
    EXPECT_EQ(open.size() - 1, close.size() - 1);
    EXPECT_EQ(gf_bannerLine(70, 0, false, false, ""), std::string(70, '*'));
    EXPECT_EQ(gf_bannerLine(5, 0, false, false, "a long title"), "a long title");
    EXPECT_EQ(gf_bannerLine(69, 0, false, false, ""), std::string(70, '*')); // rounded up to even
}

TEST(TextHelpers, HalfHourSetsAndTheirText)
{
    LogCapture log;
    const auto read = lf_hours2bitset("0,1,47");
    EXPECT_TRUE(read.test(0) && read.test(1) && read.test(47));
    EXPECT_EQ(read.count(), 3u);
    EXPECT_EQ(gf_joinComma(read), "0,1,47");
    EXPECT_EQ(gf_joinComma(lf_hours2bitset(" 5, 3")), "3,5");
    EXPECT_TRUE(lf_hours2bitset("").none());
    EXPECT_EQ(gf_joinComma({}), "");

    EXPECT_EQ(gf_joinComma(lf_hours2bitset("3,48,5")), "3");
    EXPECT_EQ(gf_joinComma(lf_hours2bitset("7,x,9")), "7");
    EXPECT_EQ(gf_joinComma(lf_hours2bitset("8,99999999999,9")), "8");
    EXPECT_EQ(gf_joinComma(lf_hours2bitset("-1,9")), "");
    EXPECT_THAT(log.text(), HasSubstr("===> exception invalid bitset position in lf_hours2bitset"));
    EXPECT_THAT(log.text(), HasSubstr("===> exception invalid stoi argument in lf_hours2bitset"));
    EXPECT_THAT(log.text(), HasSubstr("===> exception stoi argument out of range in lf_hours2bitset"));

    std::bitset<48> all;
    all.set();
    EXPECT_EQ(lf_hours2bitset(gf_joinComma(all)), all);
}
