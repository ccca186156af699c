// The main window's global state and the window services used from every thread.
#include "app/mainwindow.h"

#include "foundation/log.h"
#include "foundation/winstring.h"

#include <windows.h>

MainWindow mainWindow;

namespace {
std::atomic<HWND> lastWindow{nullptr};
} // namespace

HWND gf_lastWindow() { return lastWindow.load(); }

// Called first for every message of the window procedure.
void gf_noteLastWindow(HWND window) { lastWindow = window; }

void gf_repaintWindow()
{
    if (HWND window = mainWindow.window.load())
        InvalidateRect(window, nullptr, TRUE);
}

void gf_invalidateBand(HWND window, WindowBand band)
{
    const RECT area{0, band.top, mainWindowWidth, band.bottom};
    InvalidateRect(window, &area, TRUE);
}

void gf_repaintBand(WindowBand band)
{
    if (HWND window = mainWindow.window.load())
        gf_invalidateBand(window, band);
}

void gf_setDisplayText(std::string MainWindow::*text, const std::string& value, WindowBand band)
{
    {
        std::lock_guard lock(mainWindow.statusMutex);
        mainWindow.*text = value;
    }
    gf_repaintBand(band);
}

std::optional<std::string> gf_controlText(HWND control, int limit)
{
    std::wstring text(static_cast<std::size_t>(limit) + 1, L'\0');
    GetWindowTextW(control, text.data(), limit + 1);
    try {
        return gf_utf16ToUtf8(text.c_str());
    } catch (const std::exception& e) {
        gf_log(e.what());
        return std::nullopt;
    }
}

std::string gf_getItemText(std::uint16_t controlId)
{
    return gf_controlText(GetDlgItem(gf_lastWindow(), controlId), 2047).value_or(std::string());
}

void gf_clearItemText(std::uint16_t controlId)
{
    if (HWND control = GetDlgItem(mainWindow.window.load(), controlId))
        SetWindowTextW(control, L"");
}
