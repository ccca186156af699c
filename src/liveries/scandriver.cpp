// The livery scan: every configured and discovered folder walked, each configuration file
// read on a task of its own, the results merged in order, reported and saved.
#include "liveries/scandriver.h"

#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/scanthrottle.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "liveries/addondiscovery.h"
#include "liveries/cfgkeys.h"
#include "liveries/cfgscan.h"
#include "liveries/folderlisting.h"
#include "liveries/liveries.h"
#include "liveries/regcodes.h"
#include "liveries/scanreports.h"

#include <fmt/format.h>

#include <windows.h>

#include <algorithm>
#include <deque>
#include <future>
#include <map>
#include <thread>

namespace fs = std::filesystem;

namespace {
using Liveries = std::list<LiveryData>;
using Listing = std::shared_ptr<const FolderListing>;
using Reader = Liveries (*)(int, const fs::path&, Listing);
using Pending = std::deque<std::future<Liveries>>;

// One file on its own thread; the running count falls once, however the reader ends.
Liveries lf_runScanTask(Reader reader, int priority, const fs::path& file, Listing listing)
{
    struct Slot {
        ~Slot() { gf_endScanTask(); }
    } slot;
    return reader(priority, file, std::move(listing));
}

void lf_startTask(Pending& pending, Reader reader, int priority, const fs::path& file, const Listing& listing)
{
    std::packaged_task<Liveries()> task(
        [reader, priority, file, listing] { return lf_runScanTask(reader, priority, file, listing); });
    std::future<Liveries> result = task.get_future();
    runningScanTasks.fetch_add(1);
    try {
        std::thread(std::move(task)).detach();
    } catch (...) {
        gf_endScanTask();
        throw;
    }
    pending.push_back(std::move(result));
}

// Waits for the oldest result and merges it, or only waits when the results are dropped.
void lf_collectOldest(Pending& pending, bool merge, std::string_view where)
{
    std::future<Liveries> oldest = std::move(pending.front());
    pending.pop_front();
    try {
        Liveries liveries = oldest.get();
        if (merge)
            scannedLiveries.merge(liveries, lf_lessByNames);
    } catch (const std::exception& e) {
        if (merge)
            gf_logMarked(fmt::format("liveries search aborted, futs {}, {}", where, e.what()));
    }
}

bool lf_isConfigFile(const FolderEntry& entry, const fs::path& path)
{
    const fs::path name(entry.name);
    if (!gf_equalsUpper(".CFG", gf_pathText(name.extension())))
        return false;
    const std::string stem = gf_pathText(name.stem());
    if (!gf_equalsUpper("AIRCRAFT", stem) && !gf_equalsUpper("SIM", stem))
        return false;
    return entry.type == fs::file_type::regular || (entry.type == fs::file_type::symlink && fs::is_regular_file(path));
}

Reader lf_readerFor(const std::string& pathText)
{
    const bool ivao = pathText.find("ivao_x-csl") != std::string::npos || pathText.find("IVAO_MTL") != std::string::npos;
    return ivao ? lf_searchLiveriesinIvaoFile : lf_searchLiveriesinFile;
}

// One folder tree, depth first in listing order as a recursive directory iterator goes.
struct FolderWalk {
    int priority;
    std::size_t folderLength; // of the scanned folder's text: the rules test what lies below
    Pending pending;
    std::error_code error; // the listing that failed ends the walk
    fs::path failed;       // its folder
};

// The model and texture folders beside an aircraft's configuration file hold its files,
// never another aircraft (the simulator would not load one there); they are most of the
// folders of a livery tree, and listing each costs more than reading the file.
bool lf_isLiveryDataFolder(const std::wstring& name)
{
    const auto is = [&](std::wstring_view key) {
        return name.size() >= key.size() && CompareStringOrdinal(name.data(), static_cast<int>(key.size()), key.data(),
                                                                 static_cast<int>(key.size()), TRUE) == CSTR_EQUAL &&
               (name.size() == key.size() || name[key.size()] == L'.');
    };
    return is(L"model") || is(L"texture");
}

// A configuration file is read on a task; a folder is entered unless its path below the
// scanned folder holds "airport" or its path is too long, or it is a livery data folder.
void lf_walkFolder(FolderWalk& walk, const fs::path& folder)
{
    const Listing listing = gf_listFolder(folder, walk.error);
    if (!listing) {
        walk.failed = folder;
        return;
    }
    const bool aircraftFolder = std::ranges::any_of(
        listing->entries, [&](const FolderEntry& entry) { return lf_isConfigFile(entry, folder / entry.name); });
    for (const FolderEntry& entry : listing->entries) {
        if (walk.error || gf_exitUnderWay())
            return;
        const fs::path path = folder / entry.name;
        bool enter = false;
        try {
            const std::string text = gf_scanPathText(path);
            enter = entry.type == fs::file_type::directory && text.size() < 250 &&
                    text.find("airport", std::min(walk.folderLength, text.size())) == std::string::npos &&
                    !(aircraftFolder && lf_isLiveryDataFolder(entry.name));
            if (lf_isConfigFile(entry, path)) {
                gf_waitForScanSlot();
                if (gf_exitUnderWay())
                    return;
                lf_startTask(walk.pending, lf_readerFor(text), walk.priority, path, listing);
                if (walk.pending.size() > static_cast<std::size_t>(scanTaskLimit))
                    lf_collectOldest(walk.pending, true, "inner");
            }
        } catch (const std::exception& e) {
            gf_logMarked(fmt::format("liveries search in {} aborted, cause: {}", gf_scanPathText(path), e.what()));
        }
        if (enter)
            lf_walkFolder(walk, path);
    }
}
} // namespace

void lf_scanLiveryFolder(int priority, const fs::path& folder)
{
    FolderWalk walk{priority, gf_scanPathText(folder).size()};
    lf_walkFolder(walk, folder);
    if (walk.error)
        gf_logMarked(fmt::format("liveries search in folder {} aborted because of iterator problem: {} [{}]",
                                 gf_scanPathText(folder), walk.error.message(), gf_scanPathText(walk.failed)));
    // After a failed walk or during an exit the started tasks are waited for and dropped.
    const bool merge = !walk.error && !gf_exitUnderWay();
    while (!walk.pending.empty())
        lf_collectOldest(walk.pending, merge, "outer");
}

void lf_scanLiveryPaths(ScanState& state, const std::string& entry)
{
    if (entry.empty())
        return;
    const fs::path folder = gf_u8path(entry);
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (status.type() == fs::file_type::not_found) {
        gf_log(entry + " does not exist, skipped!");
        return;
    }
    if (error)
        throw fs::filesystem_error("status", folder, error);
    if (status.type() != fs::file_type::directory) {
        gf_log(entry + " is not a folder name, skipped!");
        return;
    }
    if (state.priority < 10)
        ++state.priority;
    if (!gf_exitUnderWay())
        lf_scanLiveryFolder(state.priority, folder);
    if (scannedLiveries.empty()) {
        gf_log(fmt::format("No liveries {}", "found in " + entry));
        return;
    }
    const std::size_t found = scannedLiveries.size() - state.countAfterPrevious;
    gf_log(fmt::format("{} liverie{} {}", found, found > 1 ? "s" : "", "found in " + entry));
    state.total += found;
    state.countAfterPrevious = scannedLiveries.size();
}

std::size_t removeDuplicateLiveries()
{
    std::map<std::pair<std::string, std::string>, std::int32_t> lowest;
    for (const LiveryData& livery : scannedLiveries) {
        const auto [at, added] = lowest.try_emplace({livery.airl, livery.type}, livery.priority);
        if (!added)
            at->second = std::min(at->second, livery.priority);
    }
    std::size_t removed = 0;
    for (auto livery = scannedLiveries.begin(); livery != scannedLiveries.end();) {
        if (livery->priority > lowest[{livery->airl, livery->type}]) {
            skippedOnPriority.lines.push_back(fmt::format("{:3} {:4} \"{}\"", livery->airl, livery->type, livery->title));
            livery = scannedLiveries.erase(livery);
            ++removed;
        } else {
            ++livery;
        }
    }
    return removed;
}

void lf_removeOldReports()
{
    try {
        for (const fs::path* file : std::initializer_list<const fs::path*>{&emptyCfgFiles.path, &skippedOnPriority.path, &liveriesScannedPath,
                                     &inlineReportPath, &invalidAirlineCodes.path, &invalidAircraftCodes.path,
                                     &codeFixes.path, &invalidCfgFiles.path, &incompleteSections.path})
            fs::remove(*file);
        fs::remove(errorsFolder);
    } catch (const std::exception& e) {
        gf_log(fmt::format("problems with removing previous files: {}", e.what()));
    }
}

namespace {
// Nothing of a scan outlives it: lists, titles and liveries are emptied.
void lf_dropScan()
{
    lf_clearScanLists();
    scannedLiveries.clear();
}

void lf_showLiveryCount()
{
    mainWindow.liveryCount = static_cast<std::int64_t>(scannedLiveries.size());
    gf_repaintWindow();
}
} // namespace

bool gf_scanLiveries(bool scan, bool discover, bool removeDuplicates, std::vector<std::string>& folders)
{
    if (!scan) {
        lf_readLiveriesScanned();
        processScannedLiveries();
        scannedLiveries.clear();
        return true;
    }
    lf_dropScan(); // a scan that ended by an exception left its lists
    lf_removeOldReports();
    if (fs::exists(aigRegcodesPath))
        readDontUseTitlesXml();
    if (gf_countDirEntries(myRegcodesFolder) > 0)
        readDontUseTitlesTxt();
    if (discover) {
        lf_readAddOnsCfg(folders);
        lf_readSimObjectsCfg(folders);
    }
    ScanState state;
    for (const std::string& folder : folders)
        lf_scanLiveryPaths(state, folder);
    if (gf_exitUnderWay()) {
        lf_dropScan();
        return true;
    }
    if (scannedLiveries.empty()) {
        lf_showLiveryCount();
        lf_dropScan();
        gf_clearStatus();
        throw zeb::UserErrorException(53, "no liveries found");
    }
    if (folders.size() > 1)
        gf_log(fmt::format("{} in total", state.total));
    for (LiveryData& livery : scannedLiveries)
        lf_writeConversionLines(livery);
    if (removeDuplicates)
        removeDuplicateLiveries();
    lf_writeScanReports();
    scannedLiveries.sort(lf_lessByNames);
    scannedLiveries.unique(lf_liveryEquals);
    lf_showLiveryCount();
    lf_clearScanLists();
    gf_clearStatus();
    lf_writeLiveriesScanned();
    processScannedLiveries();
    scannedLiveries.clear();
    return true;
}
