// The program as its own process: the simulator quits; a restart in the same process.
#include "program_fixture.h"

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
