#include "mainwindow_fixture.h"

#include "app/status.h"

#include <pugixml.hpp>

#include <sstream>

void MainWindowTest::SetUp()
{
    dataFolder = std::filesystem::current_path();
    parametersFile = dataFolder / L"parameters.xml";
}

void MainWindowTest::TearDown()
{
    if (windowThread.joinable())
        closeWindow();
}

void MainWindowTest::writeParameters(const std::vector<std::pair<std::string, std::string>>& elements) const
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("parameters");
    for (const auto& [name, value] : elements) {
        pugi::xml_node node = root.append_child("parameter");
        node.append_attribute("name") = name.c_str();
        node.append_attribute("value") = value.c_str();
    }
    ASSERT_TRUE(document.save_file(parametersFile.c_str()));
}

void MainWindowTest::openWindow()
{
    windowThread = std::thread([this] { exitCode = initInstance(GetModuleHandleW(nullptr)); });
    ASSERT_TRUE(waitFor([] { return mainWindow.window.load() != nullptr && IsWindowVisible(mainWindow.window); }));
    // A message through the loop: creation is complete and the loop runs.
    SendMessageW(window(), WM_NULL, 0, 0);
}

void MainWindowTest::closeWindow()
{
    PostMessageW(window(), finalQuitMessage, 0, 0);
    windowThread.join();
}

void MainWindowTest::enableAll() const
{
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

std::map<std::string, std::string> MainWindowTest::fileValues() const
{
    std::map<std::string, std::string> values;
    pugi::xml_document document;
    if (!document.load_file(parametersFile.c_str()))
        return values;
    for (pugi::xml_node node : document.child("parameters").children("parameter"))
        values.emplace(node.attribute("name").as_string(), node.attribute("value").as_string());
    return values;
}

std::string MainWindowTest::fileValue(const std::string& key) const
{
    const auto values = fileValues();
    const auto found = values.find(key);
    return found == values.end() ? "<missing>" : found->second;
}

int MainWindowTest::logCount(const std::string& line)
{
    std::istringstream stream(log.text());
    int count = 0;
    for (std::string read; std::getline(stream, read);) {
        if (!read.empty() && read.back() == '\r')
            read.pop_back();
        count += read == line ? 1 : 0;
    }
    return count;
}

bool MainWindowTest::waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
