// The main window's procedure.
#include "app/windowproc.h"

#include "app/commands.h"
#include "app/finalexit.h"
#include "app/mainwindow.h"
#include "app/painting.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/timehelpers.h"

#include <fmt/format.h>

#include <ctime>

namespace {
std::atomic<bool> positionSaved{false};

void lf_savePositionOnce(HWND window)
{
    if (!positionSaved.exchange(true))
        gf_saveWindowPosition(window);
}

LRESULT lf_handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        gf_createControls(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return 0;
    case WM_DESTROY:
        // Also the way out when the system ends the window without the final quit.
        lf_savePositionOnce(window);
        PostQuitMessage(0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC context = BeginPaint(window, &paint);
        try {
            gf_paintWindow(context);
        } catch (...) {
            EndPaint(window, &paint);
            throw;
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        // The window ends only through the final exit's quit message.
        gf_showStatus(fmt::format("Close window button clicked, closing {} ...", programName), false);
        gf_startFinalExit(4, 0);
        return 0;
    case WM_COMMAND:
        // Check boxes and buttons; the notifications of the edit fields are not commands.
        if (HIWORD(wParam) == BN_CLICKED)
            gf_onCommand(window, LOWORD(wParam));
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        HDC context = reinterpret_cast<HDC>(wParam);
        SetBkMode(context, OPAQUE);
        SetBkColor(context, colour::lightBlue);
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case startUpMessage:
        gf_runStartUpThread();
        return 0;
    case finalQuitMessage:
        gf_finalQuit(window);
        return 0;
    case versionCheckedMessage:
        gf_versionChecked();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
} // namespace

LRESULT CALLBACK gf_wndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    gf_noteLastWindow(window);
    return gf_guarded("gf_wndProc", [&] { return lf_handle(window, message, wParam, lParam); });
}

void gf_finalQuit(HWND window)
{
    lf_savePositionOnce(window);
    if (gf_logIsOpen()) {
        gf_log(gf_utcTimeString(std::time(nullptr)));
        gf_flushLog();
        gf_closeLog();
    }
    PostQuitMessage(0);
}
