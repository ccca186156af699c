// The livery scan of a generated tree of about 30,000 liveries: its time, liveries per
// second, the ratio to merely reading the same configuration files on as many threads from
// a warm cache (goal: within 1.5x), and the peak memory of the process (goal: under 250 MB).
// Usage: bench_liveryscan.exe [liveries]
#include "foundation/log.h"
#include "foundation/scanthrottle.h"
#include "foundation/textfiles.h"
#include "liveries/liveries.h"
#include "refgen/packagetree.h"

#include <fmt/format.h>
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
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
    const double read = lf_readAll(tree.configFiles);
    const double memoryBefore = lf_peakMegabytes();

    start = std::chrono::steady_clock::now();
    std::vector<std::string> folders = tree.manualFolders;
    gf_scanLiveries(true, false, false, folders);
    const double scan = lf_seconds(start);

    fmt::print("threads: {}\n", scanTaskLimit);
    fmt::print("reading the files only: {:.3f} s\n", read);
    fmt::print("scan: {:.3f} s, {:.0f} liveries/s, {:.2f} x reading only (goal 1.5)\n", scan,
               static_cast<double>(tree.liveries.size()) / scan, scan / read);
    fmt::print("peak memory: {:.0f} MB (before the scan {:.0f} MB; goal under 250)\n", lf_peakMegabytes(), memoryBefore);

    gf_closeLog();
    fs::current_path(folder.parent_path());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
