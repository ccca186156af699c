#include "parameters_fixture.h"

#include "foundation/settingcontrols.h"
#include "foundation/settingdisplay.h"
#include "foundation/winstring.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {
int subclassedMessages = 0;
std::vector<const ParameterControl*> subclassed; // the fields using the procedure below

LRESULT CALLBACK lf_countingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ++subclassedMessages;
    for (const ParameterControl* control : subclassed)
        if (control->window == window)
            return CallWindowProcW(reinterpret_cast<WNDPROC>(control->previousWindowProc), window, message, wParam,
                                   lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

std::string lf_text(HWND window)
{
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return gf_utf16ToUtf8(buffer);
}

bool lf_checked(HWND window) { return SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A hidden parent window standing in for the main window.
class SettingControls : public ParametersTest {
protected:
    void SetUp() override
    {
        ParametersTest::SetUp();
        parent = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 880, 516, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override { DestroyWindow(parent); }
    HWND parent = nullptr;
    HINSTANCE instance = GetModuleHandleW(nullptr);
};
} // namespace

TEST_F(SettingControls, CheckBoxesStartEnabledAndShowTheValue)
{
    GuiBoolParameter on("ON_SWITCH", true, 40001, 175);
    GuiBoolParameter off("OFF_SWITCH", false, 40002, 175);
    gf_createCheckBox(on, parent, instance, 5);
    gf_createCheckBox(off, parent, instance, 217);
    ASSERT_NE(on.window, nullptr);
    EXPECT_EQ(GetDlgCtrlID(on.window), 40001);
    EXPECT_TRUE(lf_checked(on.window));
    EXPECT_FALSE(lf_checked(off.window));
    EXPECT_TRUE(IsWindowEnabled(on.window));
    EXPECT_TRUE(IsWindowEnabled(off.window));
    RECT box{};
    GetWindowRect(off.window, &box);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.top, 177);
    EXPECT_EQ(box.right - box.left, 12);

    gf_setCheckBox(on, false);
    EXPECT_FALSE(on.value.load());
    EXPECT_FALSE(lf_checked(on.window));
    EXPECT_FALSE(fileExists(L"parameters.xml")); // shown, not saved
}

TEST_F(SettingControls, ButtonsAndEditFieldsStartDisabled)
{
    GuiButton button("Check version", 40010, 257);
    gf_createButton(button, parent, instance, 692, 120);
    EXPECT_EQ(lf_text(button.window), "Check version");
    EXPECT_FALSE(IsWindowEnabled(button.window));

    GuiIntParameter number("NUMBER", 30, 0, 100, 40011, 371);
    subclassed = {&number};
    gf_createEdit(number, parent, instance, 217, 34, lf_countingEditProc);
    ASSERT_NE(number.window, nullptr);
    EXPECT_NE(number.previousWindowProc, 0);
    EXPECT_FALSE(IsWindowEnabled(number.window));
    gf_enableControl(number);
    EXPECT_TRUE(IsWindowEnabled(number.window));

    subclassedMessages = 0;
    gf_showIntParameter(number);
    EXPECT_GT(subclassedMessages, 0); // the field's messages pass through the new procedure
    EXPECT_EQ(lf_text(number.window), "30"); // and still reach the edit control
}

TEST_F(SettingControls, ValuesAreShownInTheirFields)
{
    GuiFloatParameter hours("HOURS", 24.0f, 0.5f, 24.0f, 40020, 371);
    GuiStringParameter text("TEXT", "", 40021, 119);
    subclassed = {&hours, &text};
    gf_createEdit(hours, parent, instance, 460, 24, lf_countingEditProc);
    gf_createEdit(text, parent, instance, 111, 1200, lf_countingEditProc);

    gf_showFloatParameter(hours);
    EXPECT_EQ(lf_text(hours.window), "24");
    hours.value = 2.5f;
    gf_showFloatParameter(hours);
    EXPECT_EQ(lf_text(hours.window), "2.5");

    text.assignValue("C:\\Zürich\\Prepar3D v5");
    gf_showStringParameter(text);
    EXPECT_EQ(lf_text(text.window), "C:\\Zürich\\Prepar3D v5");
    text.assignValue("bad \xff text");
    gf_showStringParameter(text); // logged, the field keeps its text
    EXPECT_EQ(lf_text(text.window), "C:\\Zürich\\Prepar3D v5");
}

TEST_F(SettingControls, SettingsWithoutControlsChangeOnlyInMemory)
{
    gf_setCheckBox(PARK_FAKE, true);
    EXPECT_TRUE(PARK_FAKE.value.load());
    gf_showIntParameter(MAX_LIVE);
    gf_showFloatParameter(MAX_FIT_FL);

    gf_setInstallPathValue("D:\\Prepar3D v5");
    EXPECT_EQ(SIM_INSTALL_PATH.getValue(), "D:\\Prepar3D v5");
    EXPECT_EQ(fileValues()["SIM_INSTALL_PATH"], "D:\\Prepar3D v5");
}

TEST_F(SettingControls, ReadingTheFileOnAnotherThreadShowsValuesWhileTheWindowThreadSaves)
{
    gf_createCheckBox(LOG, parent, instance, 652);
    subclassed = {&MAX_LIVE, &BLOCK_CALLSIGN};
    gf_createEdit(MAX_LIVE, parent, instance, 576, 34, lf_countingEditProc);
    gf_createEdit(BLOCK_CALLSIGN, parent, instance, 217, 100, lf_countingEditProc);
    writeParameters({{"LOG", "false"}, {"MAX_LIVE", "120"}, {"BLOCK_CALLSIGN", "DLH4U"}});

    // The reader runs on the start-up thread; its control updates are messages to this
    // thread, which meanwhile keeps saving a setting as a click on a check box would.
    std::atomic<bool> done{false};
    std::thread reader([&] {
        gf_readParameters(gf_parameterLists());
        done = true;
    });
    const ULONGLONG giveUp = GetTickCount64() + 60000;
    while (!done && GetTickCount64() < giveUp) {
        gf_saveBoolParameter(AEROWINX);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    ASSERT_TRUE(done.load()) << "the reader and the window thread wait for each other";
    reader.join();

    EXPECT_FALSE(lf_checked(LOG.window));
    EXPECT_EQ(lf_text(MAX_LIVE.window), "120");
    EXPECT_EQ(lf_text(BLOCK_CALLSIGN.window), "DLH4U");
    LOG.window = MAX_LIVE.window = BLOCK_CALLSIGN.window = nullptr;
}
