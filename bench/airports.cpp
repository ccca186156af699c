// Closest-airport lookups per second over the real airport list (TARNWICK_AIRPORT_LIST),
// and the load (with its learned file) and save times of a 300-stand park airport.
#include "airports/airports.h"
#include "app/commands.h"
#include "foundation/winstring.h"
#include "traffic/manager.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {
using Clock = std::chrono::steady_clock;

double lf_milliseconds(Clock::duration elapsed) { return std::chrono::duration<double, std::milli>(elapsed).count(); }

// A folder of its own as the program folder.
fs::path lf_programFolder()
{
    const fs::path folder = fs::temp_directory_path() / (L"tarnwick-bench-airports-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder / L"input");
    fs::current_path(folder);
    return folder;
}

void lf_lookups()
{
    gf_readAirports();
    // Half the positions at airports (a neighbour to weigh now and then), half anywhere.
    std::mt19937 engine(7);
    std::uniform_real_distribution<double> offset(-0.05, 0.05);
    std::uniform_real_distribution<double> latitude(-60.0, 70.0);
    std::uniform_real_distribution<double> longitude(-180.0, 180.0);
    std::vector<std::pair<double, double>> positions;
    for (int i = 0; i < 4096; ++i) {
        if (i % 2 == 0) {
            const Airport& airport = airportList[engine() % airportList.size()];
            positions.emplace_back(airport.lat + offset(engine), airport.lon + offset(engine));
        } else {
            positions.emplace_back(latitude(engine), longitude(engine));
        }
    }
    for (int round = 1; round <= 3; ++round) {
        int found = 0;
        constexpr int lookups = 20000;
        const auto start = Clock::now();
        for (int i = 0; i < lookups; ++i)
            found += gf_closestAirport(positions[i % positions.size()].first,
                                       positions[i % positions.size()].second)
                         .has_value();
        const double seconds = lf_milliseconds(Clock::now() - start) / 1000.0;
        std::printf("round %d: %zu airports, %.0f closest-airport lookups/s (%d found)\n", round, airportList.size(),
                    lookups / seconds, found);
    }
}

// 300 stands with 40 options each, half of them learned.
void lf_makeAirport()
{
    ApfFile file;
    file.identifier = "EBIG";
    file.airport_name = "Bench International";
    file.publisher = "stock";
    for (int i = 0; i < 300; ++i)
        file.stands.emplace_back("G" + std::to_string(i), std::vector<StandOption>{}, 50.0 + (i / 20) * 0.001,
                                 8.0 + (i % 20) * 0.001, 1.0, 20.0 + i % 30, i % 10 == 0, i % 7 == 0, false);
    gf_writeParkPositions(file, apfFolders::archiveStock / L"EBIG.xml", false);

    std::pair<std::int32_t, std::int32_t> quality;
    parkStands.clear();
    gf_readApf(apfFolders::archiveStock / L"EBIG.xml", quality);
    for (StandRecord& stand : parkStands)
        for (std::int32_t n = 1; n <= 40; ++n) {
            StandOption option;
            option.airl = n % 2 ? "KLM" : "EZY";
            option.type = n % 3 ? "B738" : "A320";
            option.reg = n % 5 ? "" : "PH-B" + std::to_string(n);
            option.callsign = option.airl + std::to_string(100 + n);
            option.day = n % 7 + 1;
            option.hh.set(static_cast<std::size_t>(n % 48));
            option.hh.set(static_cast<std::size_t>((n * 5) % 48));
            option.seq = n;
            option.mark = 1;
            stand.options.push_back(option);
        }
    apfEditCount = 1;
    gf_stopParking();
}

void lf_loadAndSave()
{
    fs::create_directories(apfFolders::archiveStock);
    gf_setParkAirport({.code = "EBIG"});
    lf_makeAirport();
    std::printf("learned file: %.0f kB, %zu stands\n",
                static_cast<double>(fs::file_size(apfFolders::learned / L"stock" / L"EBIG.xml")) / 1024.0,
                parkStands.size());
    for (int round = 1; round <= 3; ++round) {
        std::pair<std::int32_t, std::int32_t> quality;
        parkStands.clear();
        auto start = Clock::now();
        const std::string result = gf_readApf(apfFolders::archiveStock / L"EBIG.xml", quality);
        const double load = lf_milliseconds(Clock::now() - start);
        std::size_t options = 0;
        for (const StandRecord& stand : parkStands)
            options += stand.options.size();
        airportSettingsChanged = true;
        start = Clock::now();
        gf_saveAirportFile();
        const double save = lf_milliseconds(Clock::now() - start);
        std::printf("round %d: load with learned file %.1f ms (%zu stands, %zu options%s), save %.1f ms\n", round,
                    load, parkStands.size(), options, result.empty() ? "" : ", failed", save);
    }
    gf_stopParking();
}
} // namespace

int main()
{
    const char* list = std::getenv("TARNWICK_AIRPORT_LIST");
    if (list == nullptr) {
        std::printf("TARNWICK_AIRPORT_LIST is not set (scripts/bench.sh sets it)\n");
        return 1;
    }
    const fs::path folder = lf_programFolder();
    fs::copy_file(fs::path(L"Z:" + gf_utf8ToUtf16(list)), fs::path(L"input") / L"airports_p3d.xml",
                  fs::copy_options::overwrite_existing);
    lf_lookups();
    lf_loadAndSave();
    fs::current_path(folder.parent_path());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
