// The livery scan of a generated tree of about 30,000 liveries: its time, liveries per
// second, the ratio of its walk and read to merely reading the same configuration files on
// as many threads from a warm cache (goal: within 1.5x), the parts that follow the walk
// (reports, saving LiveriesScanned.xml, the index build) apart, and the peak memory of the
// process (goal: under 250 MB). Three rounds, each reading and scanning in turn; the
// figures are the median round's. Listing the walked folders alone is timed too: under Wine
// it is the larger part of the walk.
// Usage: bench_liveryscan.exe [liveries [folder to copy the output folder into]]
#include "figures.h"
#include "foundation/log.h"
#include "foundation/scanthrottle.h"
#include "foundation/folderlisting.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "liveries/liveries.h"
#include "liveries/scandriver.h"
#include "refgen/packagetree.h"

#include <fmt/format.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {
double lf_seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Every file read into lines, as many files at once as the scan reads.
double lf_readAll(const std::vector<fs::path>& files)
{
    const auto start = std::chrono::steady_clock::now();
    std::atomic<std::size_t> next{0};
    std::vector<std::jthread> readers;
    for (std::int32_t i = 0; i < scanTaskLimit; ++i)
        readers.emplace_back([&] {
            for (std::size_t at; (at = next++) < files.size();) {
                std::vector<std::string> lines;
                gf_readExtTextFileToStringVector(files[at], lines);
            }
        });
    readers.clear();
    return lf_seconds(start);
}

// The folders that hold the configuration files, and those above them up to the scanned
// folders, listed one after the other as the walk lists them: the part of the walk that
// merely reading the files does not have.
double lf_listAll(const std::vector<fs::path>& files, const std::vector<std::string>& roots)
{
    std::set<fs::path> folders;
    for (const fs::path& file : files)
        for (fs::path at = file.parent_path(); folders.insert(at).second && at.has_relative_path();
             at = at.parent_path())
            if (std::ranges::any_of(roots, [&](const std::string& root) { return gf_u8path(root) == at; }))
                break;
    const auto start = std::chrono::steady_clock::now();
    for (const fs::path& folder : folders) {
        std::error_code error;
        gf_listFolder(folder, error);
    }
    return lf_seconds(start);
}

double lf_peakMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}
} // namespace

int main(int argc, char** argv)
{
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 30000;
    const fs::path folder = fs::temp_directory_path() / fmt::format("tarnwick-bench-liveryscan-{}", GetCurrentProcessId());
    fs::create_directories(folder / L"output" / L"info");
    fs::current_path(folder);
    gf_openLog();
    gf_initScanThrottle();

    auto start = std::chrono::steady_clock::now();
    const refgen::World world = refgen::scaledWorld(count, 1);
    refgen::writeProgramFiles(world, folder);
    gf_readAircraftData();
    gf_readFixes();
    const refgen::PackageTree tree = refgen::writePackageTree(world, folder / L"AI");
    fmt::print("generated {} liveries in {} configuration files in {:.1f} s\n", tree.liveries.size(),
               tree.configFiles.size(), lf_seconds(start));

    lf_readAll(tree.configFiles); // warms the cache
    const double memoryBefore = lf_peakMegabytes();
    struct Round {
        double read, list, scan;
        LiveryScanTimes parts;
    };
    std::vector<Round> rounds;
    for (int round = 0; round < 3; ++round) {
        const double read = lf_readAll(tree.configFiles);
        const double list = lf_listAll(tree.configFiles, tree.manualFolders);
        start = std::chrono::steady_clock::now();
        std::vector<std::string> folders = tree.manualFolders;
        gf_scanLiveries(true, false, false, folders);
        rounds.push_back({read, list, lf_seconds(start), liveryScanTimes});
        const Round& r = rounds.back();
        fmt::print("round {}: reading the files only {:.3f} s, listing their folders only {:.3f} s; scan {:.3f} s: walk and read {:.3f} s ({:.2f} x reading "
                   "only), reports {:.3f} s, saving LiveriesScanned.xml {:.3f} s, index build {:.3f} s\n",
                   round + 1, r.read, r.list, r.scan, r.parts.walk, r.parts.walk / r.read, r.parts.reports, r.parts.save,
                   r.parts.indexBuild);
    }
    std::ranges::sort(rounds, {}, [](const Round& r) { return r.parts.walk / r.read; });
    const Round& median = rounds[1];
    const double liveries = static_cast<double>(tree.liveries.size());
    fmt::print("threads: {}\n", scanTaskLimit);
    fmt::print("median round: reading the files only {:.3f} s; listing the folders the walk lists, one after the "
               "other as it does, {:.3f} s ({:.2f} x reading only)\n",
               median.read, median.list, median.list / median.read);
    fmt::print("  walk and read: {:.3f} s, {:.0f} liveries/s, {:.2f} x reading only (goal 1.5)\n", median.parts.walk,
               liveries / median.parts.walk, median.parts.walk / median.read);
    fmt::print("  then: reports {:.3f} s, saving LiveriesScanned.xml {:.3f} s, index build {:.3f} s\n",
               median.parts.reports, median.parts.save, median.parts.indexBuild);
    fmt::print("  whole scan: {:.3f} s, {:.0f} liveries/s, {:.2f} x reading only\n", median.scan, liveries / median.scan,
               median.scan / median.read);
    fmt::print("peak memory: {:.0f} MB (before the scans {:.0f} MB; goal under 250)\n", lf_peakMegabytes(), memoryBefore);
    gf_benchFigure("livery scan", liveries / median.scan, "liveries/s", 0);
    gf_benchFigure("livery scan walk+read / reading", median.parts.walk / median.read, "x (goal 1.5)", 2);
    gf_benchFigure("livery scan listing only / reading", median.list / median.read, "x", 2);
    gf_benchFigure("livery scan whole / reading", median.scan / median.read, "x", 2);
    gf_benchFigure("livery scan reports", median.parts.reports, "s", 3);
    gf_benchFigure("livery scan saving the list", median.parts.save, "s", 3);
    gf_benchFigure("livery scan index build", median.parts.indexBuild, "s", 3);
    gf_benchFigure("livery scan peak memory", lf_peakMegabytes(), "MB (goal 250)", 0);

    if (argc > 2) {
        fs::copy(folder / L"output", fs::path(argv[2]), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fmt::print("output folder copied to {}\n", argv[2]);
    }
    gf_closeLog();
    fs::current_path(folder.parent_path());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
