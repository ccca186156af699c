// Numbers as the edit fields read them, and the guard around the window's handlers.
#include "app/fieldnumbers.h"
#include "app/status.h"
#include "app/windowproc.h"
#include "foundation/logcapture.h"

#include <gtest/gtest.h>

TEST(FieldNumbers, IntegersReadLikeStoi)
{
    struct Case {
        const char* text;
        FieldParse state;
        std::int32_t value;
    };
    const Case cases[] = {
        {"42", FieldParse::number, 42},
        {"  \t+7", FieldParse::number, 7},
        {"-3", FieldParse::number, -3},
        {"12nm", FieldParse::number, 12},
        {"007", FieldParse::number, 7},
        {"2147483647", FieldParse::number, 2147483647},
        {"-2147483648", FieldParse::number, -2147483647 - 1},
        {"2147483648", FieldParse::outOfRange, 0},
        {"-2147483649", FieldParse::outOfRange, 0},
        {"99999999999999999999999", FieldParse::outOfRange, 0},
        {"", FieldParse::notANumber, 0},
        {"abc", FieldParse::notANumber, 0},
        {"-", FieldParse::notANumber, 0},
        {"+ 5", FieldParse::notANumber, 0},
        {"x12", FieldParse::notANumber, 0},
    };
    for (const Case& c : cases) {
        const FieldInt read = gf_parseFieldInt(c.text);
        EXPECT_EQ(read.state, c.state) << c.text;
        EXPECT_EQ(read.value, c.value) << c.text;
    }
}

TEST(FieldNumbers, FloatsReadLikeStof)
{
    EXPECT_EQ(gf_parseFieldFloat("2.2").value, 2.2f);
    EXPECT_EQ(gf_parseFieldFloat(" 0.5h").value, 0.5f);
    EXPECT_EQ(gf_parseFieldFloat("-1e1").value, -10.0f);
    EXPECT_EQ(gf_parseFieldFloat("2.2").state, FieldParse::number);
    EXPECT_EQ(gf_parseFieldFloat("1e99").state, FieldParse::outOfRange);
    EXPECT_EQ(gf_parseFieldFloat("hours").state, FieldParse::notANumber);
    EXPECT_EQ(gf_parseFieldFloat("").state, FieldParse::notANumber);
    // Read as numbers, so that the limits, not the reader, refuse them.
    EXPECT_EQ(gf_parseFieldFloat("nan").state, FieldParse::number);
    EXPECT_EQ(gf_parseFieldFloat("inf").state, FieldParse::number);
}

TEST(WindowGuard, AnExceptionOfAHandlerIsLoggedShownAndEndsThere)
{
    LogCapture log;
    const LRESULT result = gf_guarded("gf_wndProc", []() -> LRESULT { throw std::runtime_error("boom"); });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(log.hasLine("===> exception in gf_wndProc: boom"));
    EXPECT_EQ(gf_statusLine().status, "exception in gf_wndProc: boom");

    gf_guarded("gf_intEditProc", []() -> LRESULT { throw 42; });
    EXPECT_TRUE(log.hasLine("===> exception in gf_intEditProc: unknown exception"));

    EXPECT_EQ(gf_guarded("gf_wndProc", [] { return LRESULT{7}; }), 7);
}
