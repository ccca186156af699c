// The window class, the creation of the main window and the message loop.
#include "app/mainwindow.h"

#include "app/resources/resourceids.h"
#include "app/status.h"
#include "app/windowposition.h"
#include "app/windowproc.h"
#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "foundation/winstring.h"

#include <windows.h>

#include <chrono>
#include <iterator>
#include <string>
#include <thread>

std::wstring gf_programNameResource(HINSTANCE instance)
{
    wchar_t name[101] = {}; // at most 100 units and the terminating zero
    const int length = LoadStringW(instance, IDS_PROGRAM_NAME, name, static_cast<int>(std::size(name)));
    if (length > 0)
        return std::wstring(name, static_cast<std::size_t>(length));
    gf_logMarked(fmt::format("the program's name is not among its resources, {} taken", programName));
    return gf_utf8ToUtf16(programName);
}

bool gf_registerWindowClass(HINSTANCE instance, const wchar_t* className)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = gf_wndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TARNWICK));
    if (windowClass.hIcon == nullptr)
        windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 0));
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

int gf_createMainWindow(HINSTANCE instance, const wchar_t* windowClassName)
{
    for (int wait = 0; !mainWindow.ready.load() && wait < 18; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!mainWindow.ready.load())
        return 0;
    gf_loadWindowPosition();
    const WindowPlace place =
        gf_visibleWindowPlace({MAIN_WINDOW_X.value.load(), MAIN_WINDOW_Y.value.load()}, mainWindowWidth, mainWindowHeight);
    HWND window = CreateWindowExW(0, windowClassName, windowClassName, WS_CAPTION | WS_SYSMENU, place.x, place.y,
                                  mainWindowWidth, mainWindowHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 0;
    mainWindow.window = window;
    ShowWindow(window, SW_SHOW);
    return UpdateWindow(window) ? 1 : 0;
}

int initInstance(HINSTANCE instance)
{
    const std::wstring name = gf_programNameResource(instance);
    gf_registerWindowClass(instance, name.c_str());
    if (gf_createMainWindow(instance, name.c_str()) == 0) {
        gf_log("initInstance failed");
        return 0;
    }
    if (const std::string problem = gf_logOpenProblem(); !problem.empty())
        gf_showStatus(problem, false);
    std::error_code error;
    if (!std::filesystem::exists(dataFolder, error) && !std::filesystem::create_directory(dataFolder, error) &&
        error)
        gf_logMarked(fmt::format("cannot create \"{}\": {}", gf_pathText(dataFolder), error.message()));
    if (HWND window = mainWindow.window.load())
        PostMessageW(window, startUpMessage, 0, 0);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
