// The status line: one status text that expires, or one held error text; a notice fills
// it while neither is shown.
#include "app/status.h"

#include "app/buildconfig.h"
#include "app/mainwindow.h"
#include "foundation/log.h"

#include <algorithm>

void gf_showStatus(const std::string& text, bool log)
{
    {
        std::lock_guard lock(mainWindow.statusMutex);
        if (!mainWindow.errorText.empty())
            return;
        mainWindow.statusText = text;
        mainWindow.statusStamp = text.empty() ? 0 : std::max(1, mainWindow.secondsClock.load());
        if (log && !text.empty())
            gf_log(text);
    }
    gf_repaintBand(statusBand);
}

void gf_clearStatus() { gf_showStatus({}, false); }

void gf_showError(const std::string& text)
{
    {
        std::lock_guard lock(mainWindow.statusMutex);
        mainWindow.statusText.clear();
        mainWindow.statusStamp = 0;
        mainWindow.errorText = text;
        gf_logf("Error {}", text);
    }
    gf_repaintBand(statusBand);
}

void gf_clearError()
{
    {
        std::lock_guard lock(mainWindow.statusMutex);
        mainWindow.errorText.clear();
    }
    gf_repaintBand(statusBand);
}

void gf_showNotice(const std::string& text)
{
    {
        std::lock_guard lock(mainWindow.statusMutex);
        mainWindow.noticeText = text;
    }
    gf_repaintBand(statusBand);
}

void gf_advanceStatusClock()
{
    const std::int32_t now = mainWindow.secondsClock.fetch_add(1) + 1;
    bool cleared = false;
    {
        // Test and clear under one lock, so a text set meanwhile is not cleared with the old one.
        std::lock_guard lock(mainWindow.statusMutex);
        if (mainWindow.statusStamp > 0 && now - mainWindow.statusStamp >= statusHoldSeconds) {
            mainWindow.statusText.clear();
            mainWindow.statusStamp = 0;
            cleared = true;
        }
    }
    if (cleared)
        gf_repaintBand(statusBand);
}

void gf_resetStatusLine()
{
    {
        std::lock_guard lock(mainWindow.statusMutex);
        mainWindow.statusText.clear();
        mainWindow.errorText.clear();
        mainWindow.statusStamp = 0;
        mainWindow.secondsClock = 0;
    }
    gf_repaintBand(statusBand);
}

StatusLine gf_statusLine()
{
    std::lock_guard lock(mainWindow.statusMutex);
    return {mainWindow.statusText, mainWindow.errorText, mainWindow.statusStamp, mainWindow.noticeText};
}
