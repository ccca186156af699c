// The program as its own process: start, main loop, a second instance, close.
#include "program_fixture.h"

#include <regex>

TEST_F(ProgramRun, StartsReachesTheMainLoopRefusesASecondInstanceAndEndsWhenClosed)
{
    HANDLE first = start();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(simulator->waitForSession(1, std::chrono::seconds(30)));
    ASSERT_TRUE(waitForMainLoop());

    // A second start returns -1 at once and leaves the first undisturbed.
    HANDLE second = start();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(waitForEnd(second, std::chrono::seconds(15)), -1);
    EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(waitForMainLoop(2)) << "the first goes on";

    ASSERT_TRUE(closeWindow(first));
    EXPECT_EQ(waitForEnd(first), 0) << "every counted thread ended, then the process";
    const std::string log = logText();
    EXPECT_TRUE(logHasLine("RealTraffic not detected at this PC"));
    EXPECT_TRUE(logHasLine("          QNH Reader connected"));
    EXPECT_TRUE(logHasLine("          Traffic Reader connected"));
    EXPECT_FALSE(logHasLine("No traffic in this region?")) << "traffic came within the wait";
    EXPECT_TRUE(logHasLine("Exiting: USER CLOSED SIM"));
    EXPECT_TRUE(logHasLine("User closed Tarnwick_P3D"));
    std::smatch counts;
    ASSERT_TRUE(std::regex_search(log, counts, std::regex(R"((\d+) traffic and (\d+) QNH datagrams received)")));
    EXPECT_GT(std::stoi(counts[1]), 0);
    EXPECT_GT(std::stoi(counts[2]), 0);
    EXPECT_EQ(log.find("\nError "), std::string::npos) << log;
    EXPECT_EQ(log.find("did not stop"), std::string::npos) << log;
}
