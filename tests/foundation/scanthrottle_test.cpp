#include "foundation/scanthrottle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(ScanThrottle, WaitsWhileTheLimitIsReached)
{
    gf_initScanThrottle();
    EXPECT_GE(scanTaskLimit, 1);
    EXPECT_EQ(runningScanTasks.load(), 0);
    scanTaskLimit = 2;
    runningScanTasks = 2;
    std::atomic<bool> passed{false};
    std::thread walker([&] {
        gf_waitForScanSlot();
        passed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(passed.load());
    gf_endScanTask();
    walker.join();
    EXPECT_TRUE(passed.load());
    EXPECT_EQ(runningScanTasks.load(), 1);
    gf_waitForScanSlot(); // below the limit: returns at once
}

TEST(ScanThrottle, NumbersShowADecimalOnlyWhenNeeded)
{
    EXPECT_EQ(gf_formatNumber(30.0f), "30");
    EXPECT_EQ(gf_formatNumber(30.5f), "30.5");
    EXPECT_EQ(gf_formatNumber(7.25f), "7.2");
    EXPECT_EQ(gf_formatNumber(0.0f), "0");
    EXPECT_EQ(gf_formatNumber(-2.5f), "-2.5");
}
