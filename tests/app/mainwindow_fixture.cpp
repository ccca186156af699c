#include "mainwindow_fixture.h"

#include "app/programcontrol.h"
#include "app/startup.h"
#include "app/status.h"

#include "support/parametersxml.h"

#include <map>

std::atomic<std::int32_t> MainWindowTest::startUps{0};

void MainWindowTest::SetUp()
{
    startUps = 0;
    startUpBody = [] { ++startUps; };
    dataFolder = std::filesystem::current_path();
    parametersFile = dataFolder / L"parameters.xml";
}

void MainWindowTest::TearDown()
{
    // An exit or restart that a test started ends before the window goes.
    EXPECT_TRUE(gf_waitFor([] { return runningThreads.load() == 0; }, std::chrono::seconds(20)));
    if (windowThread.joinable())
        closeWindow();
}

void MainWindowTest::writeParameters(const std::vector<std::pair<std::string, std::string>>& elements) const
{
    ASSERT_TRUE(gf_testWriteParameters(parametersFile, elements));
}

void MainWindowTest::openWindow()
{
    windowThread = std::thread([this] { exitCode = initInstance(GetModuleHandleW(nullptr)); });
    ASSERT_TRUE(gf_waitFor([] { return mainWindow.window.load() != nullptr && IsWindowVisible(mainWindow.window); }));
    // A message through the loop: creation is complete and the loop runs.
    SendMessageW(window(), WM_NULL, 0, 0);
}

void MainWindowTest::closeWindow()
{
    PostMessageW(window(), finalQuitMessage, 0, 0);
    windowThread.join();
}

void MainWindowTest::openEnabledWindow()
{
    openWindow();
    for (Parameter* setting : gf_allSettings())
        if (auto* control = dynamic_cast<ParameterControl*>(setting); control && control->window)
            EnableWindow(control->window, TRUE);
}

void MainWindowTest::click(const ParameterControl& control) const
{
    SendMessageW(control.window, BM_CLICK, 0, 0);
}

void MainWindowTest::type(const ParameterControl& field, const std::wstring& text) const
{
    SendMessageW(field.window, EM_SETSEL, 0, -1);
    SendMessageW(field.window, WM_CHAR, VK_BACK, 0);
    for (const wchar_t c : text)
        SendMessageW(field.window, WM_CHAR, c, 0);
    SendMessageW(field.window, WM_CHAR, VK_RETURN, 0);
}

void MainWindowTest::paste(const ParameterControl& field, const std::wstring& text) const
{
    SetWindowTextW(field.window, text.c_str());
    SendMessageW(field.window, WM_CHAR, VK_RETURN, 0);
}

std::wstring MainWindowTest::fieldText(const ParameterControl& field) const
{
    wchar_t text[2048] = {};
    GetWindowTextW(field.window, text, 2048);
    return text;
}

bool MainWindowTest::checked(const GuiBoolParameter& setting) const
{
    return SendMessageW(setting.window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool MainWindowTest::enabled(const ParameterControl& control) const { return IsWindowEnabled(control.window); }

std::string MainWindowTest::status() const { return gf_statusLine().status; }

std::string MainWindowTest::fileValue(const std::string& key) const
{
    const auto values = gf_testReadParameters(parametersFile).value_or(std::map<std::string, std::string>{});
    const auto found = values.find(key);
    return found == values.end() ? "<missing>" : found->second;
}

RECT MainWindowTest::windowRect(HWND window, HWND parent)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    if (parent)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
