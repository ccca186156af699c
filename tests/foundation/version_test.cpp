#include "foundation/version.h"

#include <gtest/gtest.h>

namespace {
void expectVersion(const char* text, int major, int minor, int patch)
{
    const Version v(text);
    EXPECT_EQ(v.major, major) << text;
    EXPECT_EQ(v.minor, minor) << text;
    EXPECT_EQ(v.patch, patch) << text;
}
} // namespace

TEST(Version, ParsesTheFirstTripleAnywhereInTheText)
{
    expectVersion("9.3.0", 9, 3, 0);
    expectVersion("10.12.345 beta", 10, 12, 345);
    expectVersion("Tarnwick 1.2.3 and 4.5.6", 1, 2, 3);
    expectVersion("9-3-0", 9, 3, 0); // any one character separates the numbers
    expectVersion("{\"version\":\"10.0.240\",\"level\":2}", 10, 0, 240);
}

TEST(Version, FallsBackToJsonMembersAndStopsAtTheFirstProblem)
{
    expectVersion(R"({"major":2,"minor":5,"patch":7})", 2, 5, 7);
    expectVersion(R"({"major":2,"minor":5})", 2, 5, 0);
    expectVersion(R"({"major":2,"minor":"x","patch":7})", 2, 0, 0);
    expectVersion("9.3", 0, 0, 0);
    expectVersion("", 0, 0, 0);
    expectVersion("no version here", 0, 0, 0);
    expectVersion("99999999999.1.2", 0, 0, 0); // beyond 32 bits: the first conversion fails
}

TEST(Version, PrintsAndCompares)
{
    std::string out = "old";
    EXPECT_EQ(Version("7.0.12").text(out), "7.0.12");
    EXPECT_EQ(out, "7.0.12");
    EXPECT_EQ(Version().toString(), "0.0.0");
    EXPECT_EQ(programVersion.toString(), "9.3.0");
    EXPECT_LT(Version("9.2.7"), Version("9.3.0"));
    EXPECT_LT(Version("9.3.0"), Version("10.0.0"));
}
