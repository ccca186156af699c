// The livery scan: every configured and discovered folder walked, each configuration file
// read on a task of its own, the results merged in order, reported and saved.
#include "liveries/scandriver.h"

#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/folderlisting.h"
#include "foundation/log.h"
#include "foundation/scanpool.h"
#include "foundation/scanthrottle.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "liveries/addondiscovery.h"
#include "liveries/cfgkeys.h"
#include "liveries/cfgscan.h"
#include "liveries/liveries.h"
#include "liveries/regcodes.h"
#include "liveries/scanreports.h"

#include <fmt/format.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <optional>

namespace fs = std::filesystem;

namespace {
using Liveries = std::list<LiveryData>;
using Listing = std::shared_ptr<const FolderListing>;
using Reader = Liveries (*)(int, const fs::path&, Listing);

// One file on a worker; the running count rises before the reader runs and falls once,
// however it ends.
Liveries lf_runScanTask(Reader reader, int priority, const fs::path& file, Listing listing)
{
    runningScanTasks.fetch_add(1);
    struct Slot {
        ~Slot() { gf_endScanTask(); }
    } slot;
    return reader(priority, file, std::move(listing));
}

// The same name in any letter case, as the file system compares names.
bool lf_sameName(std::wstring_view name, std::wstring_view key)
{
    return name.size() == key.size() && CompareStringOrdinal(name.data(), static_cast<int>(name.size()), key.data(),
                                                             static_cast<int>(key.size()), TRUE) == CSTR_EQUAL;
}

// aircraft.cfg or sim.cfg in any letter case.
bool lf_isConfigName(std::wstring_view name)
{
    return lf_sameName(name, L"aircraft.cfg") || lf_sameName(name, L"sim.cfg");
}

bool lf_isConfigFile(const FolderEntry& entry, const fs::path& folder)
{
    if (!lf_isConfigName(entry.name))
        return false;
    return entry.type == fs::file_type::regular ||
           (entry.type == fs::file_type::symlink && fs::is_regular_file(folder / entry.name));
}

Reader lf_readerFor(const std::string& pathText)
{
    const bool ivao = pathText.find("ivao_x-csl") != std::string::npos || pathText.find("IVAO_MTL") != std::string::npos;
    return ivao ? lf_searchLiveriesinIvaoFile : lf_searchLiveriesinFile;
}

// What one file gave: its liveries, or the message of its failure. Written by its task only.
struct FileResult {
    Liveries liveries;
    std::optional<std::string> failure;
};

// One folder tree, depth first in listing order as a recursive directory iterator goes; the
// files are read by the workers of the pool.
struct LiveryWalk {
    int priority;
    std::size_t folderLength; // of the scanned folder's text: the rules test what lies below
    ScanPool& pool;
    std::deque<FileResult> results; // one per file in walk order; a deque keeps them in place
    std::error_code error;          // the listing that failed ends the walk
    fs::path failed;                // its folder
};

// The model and texture folders beside an aircraft's configuration file hold its files,
// never another aircraft (the simulator would not load one there); they are most of the
// folders of a livery tree, and listing each costs more than reading the file.
bool lf_isLiveryDataFolder(const std::wstring& name)
{
    const auto is = [&](std::wstring_view key) {
        return name.size() >= key.size() && lf_sameName(std::wstring_view(name).substr(0, key.size()), key) &&
               (name.size() == key.size() || name[key.size()] == L'.');
    };
    return is(L"model") || is(L"texture");
}

void lf_startFile(LiveryWalk& walk, Reader reader, fs::path file, Listing listing)
{
    FileResult& result = walk.results.emplace_back();
    walk.pool.add([&result, reader, priority = walk.priority, file = std::move(file), listing = std::move(listing)] {
        if (gf_exitUnderWay())
            return;
        try {
            result.liveries = lf_runScanTask(reader, priority, file, listing);
        } catch (const std::exception& e) {
            result.failure = e.what();
        }
    });
}

// A configuration file is read on a task; a folder is entered unless its path below the
// scanned folder holds "airport" or its path is too long, or it is a livery data folder.
void lf_walkFolder(LiveryWalk& walk, const fs::path& folder)
{
    const Listing listing = gf_listFolder(folder, walk.error);
    if (!listing) {
        walk.failed = folder;
        return;
    }
    // The entries' texts as the folder's path would give them, without a path object each.
    std::string prefix = gf_scanPathText(folder / L"x");
    prefix.pop_back();
    const bool aircraftFolder =
        std::ranges::any_of(listing->entries, [&](const FolderEntry& entry) { return lf_isConfigFile(entry, folder); });
    for (const FolderEntry& entry : listing->entries) {
        if (walk.error || gf_exitUnderWay())
            return;
        bool enter = false;
        try {
            const std::string text = prefix + gf_pathText(fs::path(entry.name));
            enter = entry.type == fs::file_type::directory && text.size() < 250 &&
                    text.find("airport", std::min(walk.folderLength, text.size())) == std::string::npos &&
                    !(aircraftFolder && lf_isLiveryDataFolder(entry.name));
            if (lf_isConfigFile(entry, folder))
                lf_startFile(walk, lf_readerFor(text), folder / entry.name, listing);
        } catch (const std::exception& e) {
            gf_logMarked(fmt::format("liveries search in {} aborted, cause: {}", gf_scanPathText(folder / entry.name),
                                     e.what()));
        }
        if (enter)
            lf_walkFolder(walk, folder / entry.name);
    }
}
} // namespace

void lf_scanLiveryFolder(int priority, const fs::path& folder)
{
    ScanPool pool;
    LiveryWalk walk{priority, gf_scanPathText(folder).size(), pool};
    lf_walkFolder(walk, folder);
    if (walk.error)
        gf_logMarked(fmt::format("liveries search in folder {} aborted because of iterator problem: {} [{}]",
                                 gf_scanPathText(folder), walk.error.message(), gf_scanPathText(walk.failed)));
    // After a failed walk or during an exit the started tasks are waited for and dropped.
    pool.wait();
    if (walk.error || gf_exitUnderWay())
        return;
    // In walk order, as merging each file's sorted list in turn would: one stable sort of
    // them all in that order gives the same list, without walking the whole list per file.
    Liveries found;
    for (FileResult& result : walk.results) {
        if (result.failure)
            gf_logMarked(fmt::format("liveries search aborted, futs outer, {}", *result.failure));
        else
            found.splice(found.end(), result.liveries);
    }
    found.sort(lf_lessByNames);
    scannedLiveries.merge(found, lf_lessByNames);
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
        for (const fs::path* file : std::initializer_list<const fs::path*>{&emptyCfgFiles.path, &skippedOnPriority.path,
                                     &inlineReportPath, &invalidAirlineCodes.path, &invalidAircraftCodes.path,
                                     &codeFixes.path, &invalidCfgFiles.path, &incompleteSections.path})
            fs::remove(*file);
        fs::remove(errorsFolder);
    } catch (const std::exception& e) {
        gf_log(fmt::format("problems with removing previous files: {}", e.what()));
    }
}

LiveryScanTimes liveryScanTimes;

namespace {
double lf_secondsSince(std::chrono::steady_clock::time_point& since)
{
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - since).count();
    since = now;
    return seconds;
}

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
    liveryScanTimes = {};
    auto since = std::chrono::steady_clock::now();
    ScanState state;
    for (const std::string& folder : folders)
        lf_scanLiveryPaths(state, folder);
    liveryScanTimes.walk = lf_secondsSince(since);
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
    liveryScanTimes.reports = lf_secondsSince(since);
    lf_writeLiveriesScanned();
    liveryScanTimes.save = lf_secondsSince(since);
    processScannedLiveries();
    liveryScanTimes.indexBuild = lf_secondsSince(since);
    scannedLiveries.clear();
    return true;
}
