#pragma once
// The real main window on a thread of its own with its own message loop, as initInstance
// runs it, in a fresh current folder that also holds parameters.xml and Log.txt. Tests
// drive it with window messages from the test thread.
#include "app/mainwindow.h"
#include "foundation/logcapture.h"
#include "foundation/parametersfile.h"
#include "foundation/winstring.h"
#include "support/waitfor.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes parameters.xml with these elements before the window opens.
    void writeParameters(const std::vector<std::pair<std::string, std::string>>& elements) const;
    void openWindow();
    // Opens it with every control enabled, as the start-up leaves them once the settings are read.
    void openEnabledWindow();
    // The final quit message, then waits for the message loop to end.
    void closeWindow();
    HWND window() const { return mainWindow.window.load(); }

    void click(const ParameterControl& control) const;
    // Types the text into the field (replacing its text), then Enter.
    void type(const ParameterControl& field, const std::wstring& text) const;
    // Puts the text into the field at once (as pasted), then Enter.
    void paste(const ParameterControl& field, const std::wstring& text) const;
    std::wstring fieldText(const ParameterControl& field) const;
    bool checked(const GuiBoolParameter& setting) const;
    bool enabled(const ParameterControl& control) const;

    std::string status() const;
    std::string fileValue(const std::string& key) const; // "<missing>" when not stored (or no file)
    // In screen coordinates, or in the client coordinates of the parent given.
    static RECT windowRect(HWND window, HWND parent = nullptr);
    bool logHasLine(const std::string& line) { return log.hasLine(line); }

    // Start-up messages the window received: the start-up itself does not run here.
    static std::atomic<std::int32_t> startUps;

    LogCapture log;
    std::thread windowThread;
    int exitCode = -1;
};
