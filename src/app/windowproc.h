#pragma once
// The main window's procedure and the parts it runs on the window thread.
#include <windows.h>

#include <exception>

LRESULT CALLBACK gf_wndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void gf_noteLastWindow(HWND window);
// WM_CREATE: every control of the window, built from the setting objects.
void gf_createControls(HWND window, const CREATESTRUCTW* create);

// Logs and shows an exception of a window-thread handler; never raises.
void gf_reportWindowException(const char* function, const char* what) noexcept;

// Runs a handler of a window message: the system that called it must never see an exception.
template <typename Body>
LRESULT gf_guarded(const char* function, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::exception& e) {
        gf_reportWindowException(function, e.what());
    } catch (...) {
        gf_reportWindowException(function, "unknown exception");
    }
    return 0;
}
