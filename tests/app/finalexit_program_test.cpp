// The program as its own process: the simulator quits; restarts in the same process.
#include "program_fixture.h"

#include "processhandles/processhandles.h"

#include <algorithm>
#include <map>
#include <string>

TEST_F(ProgramRun, TheSimulatorQuittingEndsTheProgram)
{
    HANDLE process = start();
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(simulator->waitForSession(1, std::chrono::seconds(30)));
    ASSERT_TRUE(waitForMainLoop());
    simulator->sendQuit();
    EXPECT_EQ(waitForEnd(process), 0);
    EXPECT_TRUE(logHasLine("Exiting: SIM WAS CLOSED"));
    EXPECT_FALSE(logHasLine("User closed Tarnwick_P3D"));
}

TEST_F(ProgramRun, ARestartRunsTheStartUpAgainInTheSameProcess)
{
    HANDLE process = start();
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(simulator->waitForSession(1, std::chrono::seconds(30)));
    ASSERT_TRUE(waitForMainLoop());
    // The user aircraft jumps 60 nm: the link restarts the program (30 s, 2 s in the test build).
    simulator->setUserValue("Plane Latitude", 53.3086);
    ASSERT_TRUE(simulator->waitForSession(2, std::chrono::seconds(40))) << "the start-up connected again";
    ASSERT_TRUE(waitForMainLoop()) << "and reached the main loop again";
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "in the same process";
    ASSERT_TRUE(closeWindow(process));
    EXPECT_EQ(waitForEnd(process), 0);
    EXPECT_TRUE(logHasLine("Teleport"));
    EXPECT_TRUE(logHasLine("Exiting: RESTART"));
    EXPECT_TRUE(logHasLine("Restarting after 2 seconds"));
    EXPECT_TRUE(logHasLine("Exiting: USER CLOSED SIM"));
}

namespace {
// The fewest handles the program holds over a second, so that a thread that is just
// starting or ending does not count.
unsigned long lf_steadyHandles(HANDLE process)
{
    unsigned long fewest = ~0ul;
    for (int sample = 0; sample < 5; ++sample) {
        fewest = std::min(fewest, processhandles::gf_handleCount(GetProcessId(process)));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return fewest;
}
} // namespace

TEST_F(ProgramRun, RestartsLeaveNoHandlesOpen)
{
    HANDLE process = start();
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(simulator->waitForSession(1, std::chrono::seconds(30)));
    ASSERT_TRUE(waitForMainLoop());
    // The user aircraft jumps to and fro. The thread library gives a lock its event when two
    // threads first meet at it, so the program's long-lived locks add a few handles at any
    // time, most in the first restarts; a leak adds more than one with every restart. So the
    // count after the second restart is the measure, and seven more may add no more than three.
    constexpr int restarts = 9;
    unsigned long first = 0;
    std::map<std::string, int> firstTypes;
    for (int restart = 1; restart <= restarts; ++restart) {
        simulator->setUserValue("Plane Latitude", restart % 2 == 1 ? 53.3086 : 52.3086);
        ASSERT_TRUE(simulator->waitForSession(restart + 1, std::chrono::seconds(40))) << "restart " << restart;
        ASSERT_TRUE(waitForMainLoop()) << "restart " << restart;
        if (restart == 2) {
            first = lf_steadyHandles(process);
            firstTypes = processhandles::gf_handleTypes(GetProcessId(process));
            ASSERT_GT(first, 0u) << "the system's handle list could not be read: no leak would show";
        }
    }
    EXPECT_LE(lf_steadyHandles(process), first + 3)
        << processhandles::gf_typeChanges(firstTypes, processhandles::gf_handleTypes(GetProcessId(process)));
    ASSERT_TRUE(closeWindow(process));
    EXPECT_EQ(waitForEnd(process), 0);
}
