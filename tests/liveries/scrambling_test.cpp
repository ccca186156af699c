// Stored codes and the daily date code.
#include "foundation/logcapture.h"
#include "liveries/liveries.h"
#include "liveries/scrambling.h"
#include "refgen/refgen.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ThrowsMessage;
using ::testing::StrEq;

TEST(Scrambling, RegistrationsComeBackAtEveryLengthAndKeepTheirPlus)
{
    LogCapture log;
    const std::string alphabet = "-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (const std::string& plain : {std::string("PH-BXA"), std::string("D-AIMA+"), std::string("+N123AB"),
                                    std::string("AB+CD+EF+GH+IJ+KL+MN+OP+QR+ST"), alphabet, std::string("7")}) {
        const std::string stored = gf_encryptRegcode(plain);
        EXPECT_EQ(stored.size(), plain.size());
        EXPECT_EQ(gf_decryptRegcode(stored), plain) << plain;
        for (std::size_t i = 0; i < plain.size(); ++i) {
            const bool stays = plain[i] == '+' ? stored[i] == '+' : stored[i] >= '-' && stored[i] <= 'Z';
            EXPECT_TRUE(stays) << plain << " at " << i;
        }
    }
    EXPECT_NE(gf_encryptRegcode("PHBXA"), "PHBXA");
    // A single character and 25 or more are scrambled all the same, with a marked line.
    EXPECT_TRUE(log.hasLine("===> 7"));
    EXPECT_TRUE(log.hasLine("===> " + alphabet));
    EXPECT_FALSE(log.hasLine("===> PH-BXA"));
}

TEST(Scrambling, LowerCaseIsRefusedAndEmptyStaysEmpty)
{
    LogCapture log;
    EXPECT_THAT([] { gf_encryptRegcode("PH-bxa"); }, ThrowsMessage<std::runtime_error>(StrEq("regcode encrypt error")));
    EXPECT_TRUE(log.hasLine("lower case in regcode encryp PH-bxa"));
    EXPECT_EQ(gf_encryptRegcode(""), "");
    EXPECT_EQ(gf_decryptRegcode(""), "");
    EXPECT_EQ(gf_decryptAirline(""), "");
    EXPECT_EQ(gf_decryptType(""), "");
}

TEST(Scrambling, AirlineAndTypeCodesOfEveryLengthRuleComeBack)
{
    LogCapture log;
    for (const std::string airline : {"KLM", "ZZZ", "PVT", "A1B", "9-Z"})
        EXPECT_EQ(gf_decryptAirline(refgen::encryptAirline(airline)), airline);
    for (const std::string type : {"B738", "A20N", "F16", "B06", "C2", "ZZ"})
        EXPECT_EQ(gf_decryptType(refgen::encryptType(type)), type);
    EXPECT_EQ(refgen::encryptAirline("KLM").size(), 6u);
    EXPECT_NE(refgen::encryptType("B738"), "B738");
    // Five or more stored characters give two, from the same positions as a stored pair.
    EXPECT_EQ(gf_decryptType(refgen::encryptType("C2") + "XYZ").size(), 2u);
    EXPECT_EQ(gf_decryptType("Q").size(), 2u);

    // An unscrambled airline passes with a marked line; other lengths stop the reading.
    EXPECT_EQ(gf_decryptAirline("KLM"), "KLM");
    EXPECT_TRUE(log.hasLine("===> Unencrypted airline KLM in decrypt airl?"));
    for (const std::string wrong : {"ABCDE", "AB", "ABCDEFG"})
        EXPECT_THAT([&] { gf_decryptAirline(wrong); },
                    ThrowsMessage<std::runtime_error>(StrEq("decrypt airl \"" + wrong + "\" error")));
}

TEST(DateCode, OneCodeADayInUtcWithABlankBeforeASingleDigitDay)
{
    const std::int64_t jan5 = 1704412800; // 2024-01-05 00:00:00 UTC
    EXPECT_EQ(gf_dateCodeAt(jan5), gf_encryptRegcode("JAN 52024"));
    EXPECT_EQ(gf_dateCodeAt(jan5 + 86399), gf_dateCodeAt(jan5));
    EXPECT_NE(gf_dateCodeAt(jan5 - 1), gf_dateCodeAt(jan5));
    EXPECT_EQ(gf_dateCodeAt(jan5 - 1), gf_encryptRegcode("JAN 42024"));
    EXPECT_EQ(gf_dateCodeAt(jan5 + 6 * 86400), gf_encryptRegcode("JAN112024"));
    EXPECT_EQ(gf_dateCodeAt(jan5).size(), 9u);

    dateCodeInstant = jan5 + 3600;
    EXPECT_EQ(gf_dateCode(), gf_dateCodeAt(jan5));
    dateCodeInstant = 0;
    EXPECT_EQ(gf_dateCode().size(), 9u) << "the clock's day";
}
