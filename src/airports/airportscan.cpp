// The add-on airport scan: every .bgl file of the add-on sceneries is read by a task of its
// own on the workers of a pool, at most as many at once as the scan throttle allows.
#include "airports/airportscan.h"

#include "airports/airportfiles.h"
#include "airports/airports.h"
#include "airports/bglreader.h"
#include "airports/scenerylists.h"
#include "app/programcontrol.h"
#include "app/status.h"
#include "foundation/folderlisting.h"
#include "foundation/log.h"
#include "foundation/scanpool.h"
#include "foundation/scanthrottle.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"

#include <fmt/format.h>

#include <windows.h>

namespace fs = std::filesystem;

namespace {
const fs::path scanLogPath = fs::path(L"output") / L"info" / L"AirportsScanLog.txt";

// The file's task, on a worker of the pool; a failure is reported and the walk goes on.
void lf_startTask(ScanPool& pool, const fs::path& path, const std::string& folderText, const AirportHandler& handle)
{
    pool.add([path, &folderText, &handle] {
        if (gf_exitUnderWay())
            return;
        // The slot is counted before the task can end and release it.
        runningScanTasks.fetch_add(1);
        try {
            lf_toParkingPositions(path, handle);
        } catch (const std::exception& e) {
            gf_addAirportsLogLine(fmt::format("{} airports search in {} aborted, futs outer error: {}", errorMarker,
                                              folderText, e.what()));
        }
    });
}

// A candidate by its name and kind: a .bgl file outside statics and heliports.
bool lf_isCandidate(const FolderEntry& entry, const fs::path& path, const std::string& text)
{
    if (!lf_isBglFile(gf_pathText(path.extension())) || text.find("statics") != std::string::npos ||
        text.find("_heliports") != std::string::npos)
        return false;
    return entry.type == fs::file_type::regular ||
           (entry.type == fs::file_type::symlink && fs::is_regular_file(path));
}

struct SceneryWalk {
    ScanPool& pool;
    const std::string& folderText;
    const AirportHandler& handle;
    std::error_code error; // the listing that failed ends the walk
};

// Depth first in listing order, as a recursive directory iterator goes, but each folder is
// listed once with its entries' kinds: asking the file system about every entry on its own
// costs more than reading the airports. Linked folders are not entered; a folder the user
// may not read is passed over.
void lf_walkSceneryFolder(SceneryWalk& walk, const fs::path& folder)
{
    std::error_code error;
    const std::shared_ptr<const FolderListing> listing = gf_listFolder(folder, error);
    if (!listing) {
        if (error.value() != ERROR_ACCESS_DENIED)
            walk.error = error;
        return;
    }
    for (const FolderEntry& entry : listing->entries) {
        if (walk.error || gf_exitUnderWay())
            return;
        const fs::path path = folder / entry.name;
        try {
            const std::string text = gf_pathText(path);
            if (lf_insideStockAirports(text))
                continue;
            if (entry.type == fs::file_type::directory)
                lf_walkSceneryFolder(walk, path);
            else if (lf_isCandidate(entry, path, text))
                lf_startTask(walk.pool, path, walk.folderText, walk.handle);
        } catch (const std::exception& e) {
            gf_addAirportsLogLine(fmt::format("{} airports search in folder {} aborted, cause: {}", errorMarker,
                                              walk.folderText, e.what()));
        }
    }
}
} // namespace

std::atomic<std::int32_t> tbloAirportCount{0};

bool lf_isBglFile(const std::string& extension) { return extension == ".BGL" || extension == ".bgl"; }

void lf_scanSceneryFolder(const fs::path& folder, const AirportHandler& handle)
{
    const std::string folderText = gf_pathText(folder);
    gf_addAirportsLogLine("Scanning for addon airports in " + folderText);
    ScanPool pool;
    SceneryWalk walk{pool, folderText, handle, {}};
    lf_walkSceneryFolder(walk, folder);
    if (walk.error)
        gf_addAirportsLogLine(fmt::format("{} airports search in folder {} aborted because of iterator problem: {}",
                                          errorMarker, folderText, walk.error.message()));
    // Every started task is awaited, also after a failed walk.
    pool.wait();
}

void lf_scanSceneryPaths(const std::string& path)
{
    if (path.empty())
        return;
    const fs::path folder = gf_u8path(path);
    std::error_code error;
    if (!fs::exists(folder, error)) {
        gf_showStatus(path + " does not exist, skipped!", true);
    } else if (fs::is_directory(folder, error)) {
        if (!lf_insideStockAirports(path))
            lf_scanSceneryFolder(folder);
    } else {
        gf_showStatus(path + " is not a folder name, skipped!", true);
    }
}

bool gf_scanAirports(bool discover, const std::vector<std::string>& folders)
{
    std::error_code error;
    if (fs::exists(scanLogPath, error) && !fs::remove(scanLogPath, error))
        gf_log("problems with removing previous files (maybe still open?)");
    tbloAirportCount = 0;
    // The result tells what this scan found, also after a restart in the same process.
    airportFileCount = 0;
    gf_takeAirportsLogLines();
    std::vector<std::string> paths = folders;
    if (discover) {
        lf_readSceneryCfg(paths);
        lf_readSceneryAddOnsXml(paths);
    }
    for (const std::string& path : paths) {
        if (gf_exitUnderWay())
            break;
        try {
            lf_scanSceneryPaths(path);
        } catch (const fs::filesystem_error& e) {
            if (e.code() != std::errc::illegal_byte_sequence)
                throw;
            gf_logMarked(gf_escapedText(path) + " is no path text, skipped!");
        }
    }
    if (gf_exitUnderWay()) {
        gf_takeAirportsLogLines();
        return false;
    }
    if (gf_writeLinesToFile(gf_takeAirportsLogLines(), scanLogPath))
        gf_log(gf_pathText(scanLogPath) + " written");
    else
        gf_logMarked(gf_pathText(scanLogPath) + " could not be written");
    gf_clearStatus();
    lf_prepareOfflineLearning();
    if (airportFileCount.load() > 0) {
        gf_log("Airports scan successful");
        return true;
    }
    return false;
}
