// Stand-ins for the program-control services that are not built yet.
#include "app/finalexit.h"
#include "app/mainloop.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/startup.h"

#include <windows.h>

// Tests read what was asked of the stand-ins.
std::atomic<std::int32_t> pendingStartUps{0};
std::atomic<std::uint32_t> pendingExitReason{0};
std::atomic<std::uint32_t> pendingExitSeconds{0};
std::atomic<std::int32_t> pendingExits{0};

void gf_runStartUpThread() { ++pendingStartUps; }

std::atomic<std::int32_t> liveMaximum{300};
std::atomic<std::int32_t> lateralRangeAtStart{40};

std::atomic<bool> reReadRequest{false};
std::atomic<bool> staticFlushRequest{false};
std::atomic<bool> callsignBlockRequest{false};
std::atomic<bool> staticRenewalRequest{false};
std::atomic<bool> noMatchClearRequest{false};
std::atomic<bool> navLightsRequest{false};
std::atomic<bool> autoRangeRequest{false};
std::atomic<bool> liveTrimRequest{false};
std::atomic<std::int32_t> secondsCounter{0};

// Records the request; an ending that is no restart goes straight to the final quit, so
// the window can still be closed.
void gf_startFinalExit(std::uint32_t reason, std::uint32_t seconds)
{
    pendingExitReason = reason;
    pendingExitSeconds = seconds;
    ++pendingExits;
    if (reason != 2 && reason != 3)
        if (HWND window = mainWindow.window.load())
            PostMessageW(window, finalQuitMessage, 0, 0);
}

std::atomic<std::int32_t> runningThreads{0};
std::atomic<bool> exitFlag{false};
std::atomic<bool> removalDone{false};
std::atomic<std::uint32_t> exitReason{0};
std::atomic<bool> realTrafficOnThisPc{false};
std::atomic<std::int32_t> archiveWeek{0};

#include "foundation/settingscatalogue.h"

#include <string>

std::string gf_checkInstallPathVersion() { return std::to_string(P3D_VERSION.value.load()); }
