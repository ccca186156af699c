// The main window's global state and the window services used from every thread.
#include "app/mainwindow.h"

#include "foundation/log.h"
#include "foundation/winstring.h"

#include <windows.h>

MainWindow mainWindow;

namespace {
std::atomic<HWND> lastWindow{nullptr};
constexpr int windowWidth = 880;
} // namespace

HWND gf_lastWindow() { return lastWindow.load(); }

// Called first for every message of the window procedure.
void gf_noteLastWindow(HWND window) { lastWindow = window; }

void gf_repaintWindow()
{
    if (HWND window = mainWindow.window.load())
        InvalidateRect(window, nullptr, TRUE);
}

void gf_repaintBand(WindowBand band)
{
    if (HWND window = mainWindow.window.load()) {
        const RECT area{0, band.top, windowWidth, band.bottom};
        InvalidateRect(window, &area, TRUE);
    }
}

void gf_setDisplayText(std::string MainWindow::*text, const std::string& value, WindowBand band)
{
    {
        std::lock_guard lock(mainWindow.statusMutex);
        mainWindow.*text = value;
    }
    gf_repaintBand(band);
}

std::string gf_getItemText(std::uint16_t controlId)
{
    wchar_t text[2048] = {};
    GetDlgItemTextW(gf_lastWindow(), controlId, text, 2048);
    try {
        return gf_utf16ToUtf8(text);
    } catch (const std::exception& e) {
        gf_log(e.what());
        return {};
    }
}

void gf_clearItemText(std::uint16_t controlId)
{
    if (HWND control = GetDlgItem(mainWindow.window.load(), controlId))
        SetWindowTextW(control, L"");
}
