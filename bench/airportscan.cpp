// The add-on airport scan of a generated scenery tree against merely reading the same
// .bgl files on as many threads, both from a warm cache.
// Arguments: [megabytes of scenery, default 1024].
#include "airports/airports.h"
#include "airports/airportscan.h"
#include "airports/bglreader.h"
#include "bglwriter/scenerytree.h"
#include "foundation/scanthrottle.h"
#include "foundation/winstring.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::vector<fs::path> lf_bglFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == L".bgl")
            files.push_back(entry.path());
    return files;
}

// Runs `work` on every file, on `threads` threads taking the next file in turn.
template <typename Work>
void lf_onThreads(const std::vector<fs::path>& files, int threads, Work work)
{
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < files.size(); i = next++)
                work(files[i]);
        });
    for (std::thread& worker : workers)
        worker.join();
}

// Reads every file whole, on `threads` threads taking the next file in turn.
std::uint64_t lf_readAll(const std::vector<fs::path>& files, int threads)
{
    std::atomic<std::size_t> next{0};
    std::atomic<std::uint64_t> bytes{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < threads; ++t)
        readers.emplace_back([&] {
            std::vector<char> buffer;
            for (std::size_t i = next++; i < files.size(); i = next++) {
                std::ifstream in(files[i], std::ios::binary | std::ios::ate);
                buffer.resize(static_cast<std::size_t>(in.tellg()));
                in.seekg(0);
                in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
                bytes += static_cast<std::uint64_t>(in.gcount());
            }
        });
    for (std::thread& reader : readers)
        reader.join();
    return bytes;
}

template <typename Work>
double lf_seconds(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main(int argc, char** argv)
{
    const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const fs::path work = fs::path(temp) / L"tarnwick-bench-airportscan";
    fs::remove_all(work);
    fs::create_directories(work / L"output" / L"info");
    fs::current_path(work);
    const bglw::TreeSummary tree = bglw::gf_writeSceneryTree(work / L"Sceneries", megabytes);
    std::printf("tree: %d sceneries, %d .bgl files, %d airports, %d stands, %.1f MB\n", tree.sceneries,
                tree.bglFiles, tree.airports, tree.stands, tree.bytes / 1048576.0);

    gf_initScanThrottle();
    const std::vector<fs::path> files = lf_bglFiles(work / L"Sceneries");
    lf_readAll(files, scanTaskLimit); // warms the cache
    const double mb = tree.bytes / 1048576.0;
    for (int round = 0; round < 3; ++round) {
        const double read = lf_seconds([&] { lf_readAll(files, scanTaskLimit); });
        fs::remove_all(work / L"airports");
        bool found = false;
        const double scan = lf_seconds([&] { found = gf_scanAirports(false, {gf_pathText(work / L"Sceneries")}); });
        std::printf("read %.0f MB/s, scan %.0f MB/s (%d tasks, %s), scan/read time %.2f (goal 1.5 or less)\n",
                    mb / read, mb / scan, scanTaskLimit, found ? "airports found" : "NOTHING FOUND", scan / read);
    }
    // Where the scan's time goes: the quick test of every file, and reading the airport files
    // without writing parking files.
    std::vector<fs::path> airportFiles;
    const double quick = lf_seconds([&] {
        for (const fs::path& file : files)
            if (lf_bglHasAirports(file))
                airportFiles.push_back(file);
    });
    std::atomic<int> airports{0};
    const double readOnly = lf_seconds([&] {
        lf_onThreads(airportFiles, scanTaskLimit, [&](const fs::path& file) {
            const BglFileView view(file);
            gf_readBglAirports(view.words(), "bench", [&](BglAirport&) { ++airports; });
        });
    });
    fs::remove_all(work / L"airports");
    const double walk = lf_seconds([&] { lf_scanSceneryFolder(work / L"Sceneries"); });
    const double offline = lf_seconds([&] { lf_prepareOfflineLearning(); });
    std::printf("folder walk with its tasks %.3f s; off-line learning step %.3f s\n", walk, offline);
    fs::remove_all(work / L"airports");
    std::vector<BglAirport> converted;
    for (const fs::path& file : airportFiles)
    {
        const BglFileView view(file);
        gf_readBglAirports(view.words(), "bench", [&](BglAirport& a) { converted.push_back(a); });
    }
    const double writes = lf_seconds([&] {
        for (BglAirport& a : converted)
            gf_writeParkPositions(a.file, L"x.xml", false);
    });
    std::printf("%zu parking files written one after the other %.3f s\n", converted.size(), writes);
    std::printf("quick test of %zu files %.3f s; %zu airport files read and converted (%d airports) %.3f s\n",
                files.size(), quick, airportFiles.size(), airports.load(), readOnly);
    fs::current_path(temp);
    fs::remove_all(work);
    return 0;
}
