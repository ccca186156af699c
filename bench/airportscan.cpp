// The add-on airport scan of a generated scenery tree against merely reading the same
// .bgl files on as many threads, both from a warm cache. The walk and read (every file
// tested, the airport files read and converted on the scan's tasks) is timed apart from
// writing the parking files, the scan's report and the off-line learning step; the goal
// (1.5x or less) is for the walk and read. Three rounds; the figures are the median round's.
// Arguments: [megabytes of scenery, default 1024 [folder to copy the airports and output
// folders of the first scan into]].
#include "figures.h"
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
#include <algorithm>
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
    struct Round {
        double read, walk, scan;
    };
    std::vector<Round> rounds;
    for (int round = 0; round < 3; ++round) {
        const double read = lf_seconds([&] { lf_readAll(files, scanTaskLimit); });
        std::atomic<int> airports{0};
        const double walk = lf_seconds([&] { lf_scanSceneryFolder(work / L"Sceneries", [&](BglAirport&) { ++airports; }); });
        gf_takeAirportsLogLines();
        fs::remove_all(work / L"airports");
        bool found = false;
        const double scan = lf_seconds([&] { found = gf_scanAirports(false, {gf_pathText(work / L"Sceneries")}); });
        rounds.push_back({read, walk, scan});
        std::printf("round %d: read %.0f MB/s; walk and read %.0f MB/s (%d airports), %.2f x reading only; whole scan "
                    "%.0f MB/s (%s), %.2f x reading only\n",
                    round + 1, mb / read, mb / walk, airports.load(), walk / read, mb / scan,
                    found ? "airports found" : "NOTHING FOUND", scan / read);
        if (round == 0 && argc > 2) {
            for (const wchar_t* kept : {L"airports", L"output"})
                fs::copy(work / kept, fs::path(argv[2]) / kept,
                         fs::copy_options::recursive | fs::copy_options::overwrite_existing);
            std::printf("airports and output folders copied to %s\n", argv[2]);
        }
    }
    // The parts of the whole scan besides the walk and read.
    fs::remove_all(work / L"airports");
    const double walkWriting = lf_seconds([&] { lf_scanSceneryFolder(work / L"Sceneries"); });
    gf_takeAirportsLogLines();
    const double offline = lf_seconds([&] { lf_prepareOfflineLearning(); });
    fs::remove_all(work / L"airports");
    std::vector<BglAirport> converted;
    for (const fs::path& file : files) {
        const BglFileView view(file);
        gf_readBglAirports(view.words(), "bench", [&](BglAirport& a) { converted.push_back(a); });
    }
    const double writes = lf_seconds([&] {
        for (BglAirport& a : converted)
            gf_writeParkPositions(a.file, L"x.xml", false);
    });

    std::ranges::sort(rounds, {}, [](const Round& r) { return r.walk / r.read; });
    const Round& median = rounds[1];
    std::printf("tasks: %d\n", scanTaskLimit);
    std::printf("median round: read %.0f MB/s (%.3f s); walk and read %.0f MB/s (%.3f s), %.2f x reading only (goal "
                "1.5 or less); whole scan %.0f MB/s (%.3f s), %.2f x reading only\n",
                mb / median.read, median.read, mb / median.walk, median.walk, median.walk / median.read,
                mb / median.scan, median.scan, median.scan / median.read);
    std::printf("then: the walk with its tasks writing the parking files %.3f s; %zu parking files written one after "
                "the other %.3f s; off-line learning step %.3f s\n",
                walkWriting, converted.size(), writes, offline);
    gf_benchFigure("airport scan read only", mb / median.read, "MB/s", 0);
    gf_benchFigure("airport scan walk+read", mb / median.walk, "MB/s", 0);
    gf_benchFigure("airport scan walk+read / reading", median.walk / median.read, "x (goal 1.5)", 2);
    gf_benchFigure("airport scan whole", mb / median.scan, "MB/s", 0);
    gf_benchFigure("airport scan whole / reading", median.scan / median.read, "x", 2);
    gf_benchFigure("airport scan parking files in turn", writes, "s", 3);
    fs::current_path(temp);
    fs::remove_all(work);
    return 0;
}
