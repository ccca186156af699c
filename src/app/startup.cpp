// The start-up thread: run-folder check, preparation, scans, then the start of traffic.
#include "app/startup.h"

#include "app/detection.h"
#include "app/finalexit.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/reporter.h"
#include "app/scans.h"
#include "app/starttraffic.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/scanthrottle.h"
#include "foundation/settingscatalogue.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"
#include "traffic/traffic.h"

#include <fmt/format.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

void (*startUpBody)() = lf_startUpTarnwick;
std::atomic<bool> startUpRunning{false};

std::atomic<std::int32_t> liveMaximum{300};
std::atomic<std::int32_t> lateralRangeAtStart{40};
std::atomic<bool> referenceDataRead{false};
std::atomic<std::uint64_t> currentWeekSlot{0};

namespace {
const char* lf_plural(std::int32_t n) { return n == 1 || n < 0 ? "" : "s"; }

// Whether this start scans the liveries. A missing scan result switches the scan on. A result
// whose titles beyond ASCII were read otherwise than the scan reads them now (the simulator
// would refuse them) is scanned again at this start alone (`again`): the user's setting stays
// as the user left it, and where the settings allow no scan the result is read all the same.
bool lf_liveryScanDue(bool& again)
{
    const fs::path& result = liveriesScannedPath;
    if (SCAN_LIVERIES.value.load())
        return true;
    if (!fs::exists(result)) {
        gf_showStatus(fmt::format("File {} is gone, rescan liveries", gf_pathText(result)), true);
        gf_setScanSetting(SCAN_LIVERIES, true);
        gf_repaintBand(controlsBand);
        return true;
    }
    if (!gf_scanResultReadOtherwise())
        return false;
    const bool possible = gf_liveryScanPossible();
    gf_showStatus(fmt::format("File {} holds titles read another way, {}", gf_pathText(result),
                              possible ? "rescan liveries"
                                       : "set lfolder parameter(-s) or check Liveries automatic to rescan them"),
                  true);
    again = possible;
    return possible;
}

// A result scanned again for its reading alone is read as it stands where the scan fails (a
// folder gone, a drive unplugged): the scan has left it in place, and the start goes on.
void lf_scanLiveries()
{
    bool again = false;
    const bool scan = lf_liveryScanDue(again);
    if (!again) {
        gf_scanLiveriesAtStart(scan);
        return;
    }
    try {
        gf_scanLiveriesAtStart(true);
    } catch (const std::exception& e) {
        gf_showStatus(fmt::format("Liveries not scanned again ({}), {} read as it stands", e.what(),
                                  gf_pathText(liveriesScannedPath)),
                      true);
        gf_scanLiveriesAtStart(false);
    }
}

void lf_countAddOnAirports()
{
    mainWindow.orbxAirportCount = gf_countDirEntries(fs::path(L"airports") / L"my_ORBX");
    mainWindow.otherAirportCount = gf_countDirEntries(fs::path(L"airports") / L"my_thirdparty");
    gf_repaintBand(countersBand);
}

void lf_runStartUp()
{
    if (!fs::is_directory(L"docs"))
        throw zeb::UserErrorException(41, gf_formatWithProgramName("{} must be run from the {} folder!"));
    lf_prepareStart();
    const std::string since =
        gf_sinceLastRunText(static_cast<std::int32_t>(std::time(nullptr)), LAST_EPOCH_TIME.value.load());
    if (!since.empty())
        gf_log(since);
    fs::create_directories(fs::path(L"input") / L"my_regcodes");
    lf_checkStockAirportsPath();
    gf_initScanThrottle();
    lf_scanLiveries();
    if (gf_exitUnderWay())
        return;
    if (SCAN_AIRPORTS.value.load())
        gf_scanAirportsAtStart();
    lf_countAddOnAirports();
    if (!gf_exitUnderWay())
        gf_startTraffic();
    else
        gf_startFinalExit(4, 1); // an exit came during the scans; ignored while it runs
}
} // namespace

std::string gf_formatWithProgramName(std::string_view text)
{
    return fmt::format(fmt::runtime(text), programName, programName);
}

std::string gf_sinceLastRunText(std::int32_t now, std::int32_t lastRun)
{
    // 32-bit arithmetic as the stored value; a wrap gives a large or negative difference.
    const auto difference = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(lastRun));
    const std::int32_t minutes = difference / 60;
    const std::int32_t seconds = difference - 60 * minutes;
    if (minutes < 1)
        return fmt::format("{} second{} since last run", seconds, lf_plural(seconds));
    if (minutes < 524160)
        return fmt::format("{} minute{} and {} second{} since last run", minutes, minutes > 1 ? "s" : "", seconds,
                           lf_plural(seconds));
    return {};
}

void lf_startUpTarnwick()
{
    ++runningThreads;
    try {
        lf_runStartUp();
    } catch (...) {
        gf_reportException("lf_startUpTarnwick");
    }
    // Nothing takes reports any more once the main loop is gone.
    lf_setAcceptReports(false);
    --runningThreads;
}

namespace {
std::mutex startUpMutex;
// Set when the latest start-up thread has ended; null before the first.
std::shared_ptr<std::atomic<bool>> latestStartUpEnded;

void lf_endStartUp(const std::shared_ptr<std::atomic<bool>>& ended)
{
    std::lock_guard lock(startUpMutex);
    *ended = true;
    ended->notify_all();
    if (latestStartUpEnded == ended)
        startUpRunning = false;
}
} // namespace

void gf_runStartUpThread()
{
    std::lock_guard lock(startUpMutex);
    std::shared_ptr<std::atomic<bool>> previous = latestStartUpEnded;
    auto ended = std::make_shared<std::atomic<bool>>(false);
    // One start-up at a time: a start message that comes while one runs starts after it ends.
    std::thread thread([previous, ended] {
        if (previous)
            previous->wait(false);
        // An exit that began meanwhile decides what runs next (a restart sends its own message).
        if (previous && gf_exitUnderWay())
            gf_logMarked("A start-up waited for the one before it and was dropped by the exit under way");
        else
            startUpBody();
        lf_endStartUp(ended);
    });
    thread.detach();
    latestStartUpEnded = ended;
    startUpRunning = true;
}
