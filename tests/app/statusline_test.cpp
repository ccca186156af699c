// The status line's state machine, without a window: texts, stamps, expiry, held errors.
#include "app/buildconfig.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/logcapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {
// Advances the status clock until it shows the second given.
void lf_clockTo(std::int32_t second)
{
    while (mainWindow.secondsClock.load() < second)
        gf_advanceStatusClock();
}
} // namespace

TEST(StatusLine, TextIsStampedWithTheClockButAtLeastOneAndLoggedOnlyWhenAsked)
{
    LogCapture log;
    gf_showStatus("first text", true);
    EXPECT_EQ(gf_statusLine().status, "first text");
    EXPECT_EQ(gf_statusLine().stamp, 1) << "set at clock 0";
    EXPECT_TRUE(log.hasLine("first text"));

    lf_clockTo(7);
    gf_showStatus("second text", false);
    EXPECT_EQ(gf_statusLine().stamp, 7);
    EXPECT_FALSE(log.hasLine("second text"));

    gf_showStatus("", true);
    EXPECT_EQ(gf_statusLine().status, "");
    EXPECT_EQ(gf_statusLine().stamp, 0) << "an empty text expires nothing";
    EXPECT_EQ(log.text().find("\n\n"), std::string::npos) << "an empty text is no log line";
}

TEST(StatusLine, TextSetAtClockZeroExpiresAtTheHoldTimeAfterSecondOne)
{
    gf_showStatus("held", false);
    lf_clockTo(statusHoldSeconds); // one second short
    EXPECT_EQ(gf_statusLine().status, "held");
    gf_advanceStatusClock();
    EXPECT_EQ(mainWindow.secondsClock.load(), 1 + statusHoldSeconds);
    EXPECT_EQ(gf_statusLine().status, "");
    EXPECT_EQ(gf_statusLine().stamp, 0);
}

TEST(StatusLine, ANewTextMovesTheExpiry)
{
    lf_clockTo(100);
    gf_showStatus("at 100", false);
    lf_clockTo(100 + statusHoldSeconds - 1);
    gf_showStatus("replaced", false);
    const std::int32_t replacedAt = mainWindow.secondsClock.load();
    lf_clockTo(100 + statusHoldSeconds);
    EXPECT_EQ(gf_statusLine().status, "replaced") << "the first text's expiry no longer applies";
    lf_clockTo(replacedAt + statusHoldSeconds - 1);
    EXPECT_EQ(gf_statusLine().status, "replaced");
    gf_advanceStatusClock();
    EXPECT_EQ(gf_statusLine().status, "");
}

TEST(StatusLine, ClearStatusEmptiesTheTextAndItsStamp)
{
    gf_showStatus("something", false);
    gf_clearStatus();
    EXPECT_EQ(gf_statusLine().status, "");
    EXPECT_EQ(gf_statusLine().stamp, 0);
}

TEST(StatusLine, ErrorIsHeldAndLoggedAndStatusTextsAreIgnoredUntilItIsCleared)
{
    LogCapture log;
    gf_showStatus("before the error", false);
    gf_showError("1001: RT error");
    EXPECT_TRUE(log.hasLine("Error 1001: RT error"));
    EXPECT_EQ(gf_statusLine().error, "1001: RT error");
    EXPECT_EQ(gf_statusLine().status, "") << "the status text is dropped";
    EXPECT_EQ(gf_statusLine().stamp, 0);

    gf_showStatus("while the error is held", true);
    EXPECT_EQ(gf_statusLine().status, "");
    EXPECT_FALSE(log.hasLine("while the error is held"));
    lf_clockTo(mainWindow.secondsClock.load() + 3 * statusHoldSeconds);
    EXPECT_EQ(gf_statusLine().error, "1001: RT error") << "errors do not expire";

    gf_clearError();
    gf_showStatus("after the error", true);
    EXPECT_EQ(gf_statusLine().status, "after the error");
    EXPECT_TRUE(log.hasLine("after the error"));
}

TEST(StatusLine, ResetEmptiesEverythingAndRestartsTheClock)
{
    lf_clockTo(40);
    gf_showError("held");
    gf_resetStatusLine();
    const StatusLine line = gf_statusLine();
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.status, "");
    EXPECT_EQ(mainWindow.secondsClock.load(), 0);
    gf_showStatus("new run", false);
    EXPECT_EQ(gf_statusLine().status, "new run");
}

TEST(StatusLine, TextsFromManyThreadsWhileTheClockRunsStayWhole)
{
    LogCapture log;
    std::atomic<bool> stop{false};
    std::thread clock([&] {
        while (!stop)
            gf_advanceStatusClock();
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([w] {
            for (int i = 0; i < 300; ++i)
                gf_showStatus("writer " + std::to_string(w) + " text " + std::to_string(i), true);
        });
    for (std::thread& writer : writers)
        writer.join();
    stop = true;
    clock.join();
    // Whatever is left is one whole text of one writer, with a consistent stamp.
    const StatusLine line = gf_statusLine();
    if (!line.status.empty()) {
        EXPECT_EQ(line.status.rfind("writer ", 0), 0u) << line.status;
        EXPECT_GE(line.stamp, 1);
    } else {
        EXPECT_EQ(line.stamp, 0);
    }
    for (int w = 0; w < 4; ++w)
        EXPECT_TRUE(log.hasLine("writer " + std::to_string(w) + " text 299"));
}
