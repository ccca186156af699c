// "Check version": the download server is asked on a thread of its own, so the window
// keeps working while the network is slow; the answer is shown on the window thread.
#include "app/commands.h"

#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/status.h"
#include "app/updater.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"

#include <fmt/format.h>

#include <mutex>
#include <optional>
#include <thread>

std::string (*versionCheck)() = checkVersions;

namespace {
struct VersionAnswer {
    std::string newer;  // the list of newer versions, empty when up to date
    std::string failure; // the error text when the check failed
};
std::mutex answerMutex;
std::optional<VersionAnswer> answer;

void lf_askServer(HWND window)
{
    VersionAnswer result;
    try {
        result.newer = versionCheck();
    } catch (const std::exception& e) {
        result.failure = e.what();
    } catch (...) {
        result.failure = "unknown exception";
    }
    {
        std::lock_guard lock(answerMutex);
        answer = std::move(result);
    }
    PostMessageW(window, versionCheckedMessage, 0, 0);
    --runningThreads;
}
} // namespace

void gf_checkVersion(HWND window)
{
    // Disabled at once: one question at a time.
    EnableWindow(checkVersionButton.window, FALSE);
    // Counted, so that an exit waits for it (bounded) before the program's objects go.
    ++runningThreads;
    try {
        std::thread(lf_askServer, window).detach();
    } catch (...) {
        --runningThreads;
        throw;
    }
}

void gf_versionChecked()
{
    std::optional<VersionAnswer> result;
    {
        std::lock_guard lock(answerMutex);
        result.swap(answer);
    }
    if (!result)
        return;
    if (!result->failure.empty()) {
        gf_logMarked(fmt::format("exception in checkVersions: {}", result->failure));
        gf_showStatus(fmt::format("Check version failed: {}", result->failure), false);
    } else if (!result->newer.empty()) {
        // The daily download gate opens again at the next start.
        DATA_CHECKED_AT_DATE.setValue("");
        gf_showStatus(fmt::format("{} ==> exit {} and restart ...", result->newer, programName), false);
    } else {
        gf_showStatus(fmt::format("{} is up to date", programName), false);
    }
    EnableWindow(checkVersionButton.window, FALSE);
}
