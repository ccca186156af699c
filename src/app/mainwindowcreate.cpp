// The window class, the creation of the main window and the message loop.
#include "app/mainwindow.h"

#include "app/status.h"
#include "app/windowposition.h"
#include "app/windowproc.h"
#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "foundation/winstring.h"

#include <windows.h>

#include <chrono>
#include <thread>

namespace {
constexpr wchar_t className[] = L"Tarnwick_P3D";
} // namespace

bool gf_registerWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = gf_wndProc;
    windowClass.hInstance = instance;
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
    HWND window = CreateWindowExW(0, windowClassName, className, WS_CAPTION | WS_SYSMENU, place.x, place.y,
                                  mainWindowWidth, mainWindowHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 0;
    mainWindow.window = window;
    ShowWindow(window, SW_SHOW);
    return UpdateWindow(window) ? 1 : 0;
}

int initInstance(HINSTANCE instance)
{
    gf_registerWindowClass(instance);
    if (gf_createMainWindow(instance, className) == 0) {
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
