// Where the main window opens and where it is remembered when the program ends.
#include "mainwindow_fixture.h"

TEST_F(MainWindowTest, TheStoredPositionIsWhereTheWindowOpens)
{
    writeParameters({{"MAIN_WINDOW_X", "250"}, {"MAIN_WINDOW_Y", "60"}});
    openWindow();
    EXPECT_EQ(windowRect(window()).left, 250);
    EXPECT_EQ(windowRect(window()).top, 60);
    EXPECT_FALSE(logHasLine("MAIN_WINDOW_X=250")) << "read without a log line";
}

TEST_F(MainWindowTest, APositionOnALimitTakesTheDefaultAndStoresIt)
{
    writeParameters({{"MAIN_WINDOW_X", "-30000"}, {"MAIN_WINDOW_Y", "60"}});
    openWindow();
    EXPECT_EQ(windowRect(window()).left, 400);
    EXPECT_EQ(windowRect(window()).top, 60);
    EXPECT_EQ(fileValue("MAIN_WINDOW_X"), "400");
    EXPECT_EQ(fileValue("MAIN_WINDOW_Y"), "60");
}

TEST_F(MainWindowTest, APositionOffTheScreenOpensInsideIt)
{
    writeParameters({{"MAIN_WINDOW_X", "5000"}, {"MAIN_WINDOW_Y", "-900"}});
    openWindow();
    const RECT window = windowRect(this->window());
    RECT screen{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    EXPECT_GE(window.left, screen.left);
    EXPECT_LE(window.right, screen.right);
    EXPECT_GE(window.top, screen.top);
    EXPECT_LE(window.bottom, screen.bottom);
    closeWindow();
    EXPECT_EQ(fileValue("MAIN_WINDOW_X"), std::to_string(window.left)) << "the visible place is remembered";
    EXPECT_EQ(fileValue("MAIN_WINDOW_Y"), std::to_string(window.top));
}

TEST_F(MainWindowTest, AWindowPartlyOnTheScreenWithItsCaptionSeenStaysWhereItWas)
{
    writeParameters({{"MAIN_WINDOW_X", "-300"}, {"MAIN_WINDOW_Y", "700"}});
    openWindow();
    EXPECT_EQ(windowRect(window()).left, -300);
    EXPECT_EQ(windowRect(window()).top, 700);
}

TEST_F(MainWindowTest, AParametersFileThatDoesNotLoadLeavesTheDefaultsAndIsNotWritten)
{
    gf_testWriteFile(parametersFile, "<parameters><parameter name=\"MAIN_WINDOW_X\" value=\"10\"");
    openWindow();
    EXPECT_EQ(windowRect(window()).left, 400);
    EXPECT_EQ(windowRect(window()).top, 20);
    EXPECT_EQ(gf_testReadFile(parametersFile), "<parameters><parameter name=\"MAIN_WINDOW_X\" value=\"10\"");
}

TEST_F(MainWindowTest, AWindowFarOffTheLimitsKeepsItsLastPosition)
{
    writeParameters({{"MAIN_WINDOW_X", "250"}, {"MAIN_WINDOW_Y", "60"}});
    openWindow();
    // Where a minimised window reports itself.
    SetWindowPos(window(), nullptr, -32000, -32000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    closeWindow();
    EXPECT_EQ(fileValue("MAIN_WINDOW_X"), "250");
    EXPECT_EQ(fileValue("MAIN_WINDOW_Y"), "60");
}
