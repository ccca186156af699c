// Stand-ins for the program-control and main-window services that are not built yet.
#include "app/status.h"

#include "foundation/log.h"

void gf_showStatus(const std::string& text, bool log)
{
    if (log && !text.empty())
        gf_log(text);
}

void gf_clearStatus() { gf_showStatus({}, false); }

void gf_showError(const std::string& text) { gf_logf("Error {}", text); }

#include "app/mainwindow.h"
#include "app/programcontrol.h"

MainWindow mainWindow;

void gf_repaintWindow() {}

std::atomic<std::int32_t> runningThreads{0};
std::atomic<bool> exitFlag{false};
std::atomic<bool> removalDone{false};
std::atomic<std::uint32_t> exitReason{0};
std::atomic<bool> realTrafficOnThisPc{false};
std::atomic<std::int32_t> archiveWeek{0};

#include "foundation/settingscatalogue.h"

#include <string>

// Tests read the exits asked for; nothing ends or restarts here.
std::atomic<std::uint32_t> pendingExitReason{0};
std::atomic<std::uint32_t> pendingExitSeconds{0};
std::atomic<std::int32_t> pendingExits{0};

void gf_startFinalExit(std::uint32_t reason, std::uint32_t seconds)
{
    if (exitFlag)
        return;
    pendingExitReason = reason;
    pendingExitSeconds = seconds;
    ++pendingExits;
}

std::string gf_checkInstallPathVersion() { return std::to_string(P3D_VERSION.value.load()); }
