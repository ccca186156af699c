// processLine throughput on a recording of realistic RealTraffic records, the traffic
// reader's whole handling of each (split, parse, hand-over), repeated in passes.
// Usage: bench_processline.exe [recording [passes]]; by default the stand-in's sample
// recording and 100 passes. The best pass shows the code's own speed on a shared machine.
#include "links/trafficreader.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    const fs::path file = argc > 1 ? fs::path(argv[1])
                                   : fs::path("Z:" TARNWICK_SOURCE_DIR "/tools/realtraffic/sample_traffic.txt");
    std::vector<std::string> records;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            records.push_back(line);
    if (records.empty()) {
        fmt::print("no records in {}\n", file.string());
        return 1;
    }

    // The recording lies around Amsterdam, within the live radius of the user.
    auto reader = std::make_unique<TrafficReader>();
    reader->userLatitude = 52.3086;
    reader->userLongitude = 4.7639;
    {
        std::lock_guard lock(reportDequeMutex);
        acceptReports = true;
    }

    using Clock = std::chrono::steady_clock;
    const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    std::size_t handedOver = 0;
    double bestPass = 1e30;
    const auto start = Clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        const auto passStart = Clock::now();
        for (const std::string& record : records) {
            reader->datagram = record;
            reader->handleDatagram();
        }
        std::lock_guard lock(reportDequeMutex); // the traffic manager takes them meanwhile
        handedOver += reportDeque.size();
        reportDeque.clear();
        bestPass = std::min(bestPass, std::chrono::duration<double>(Clock::now() - passStart).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double count = static_cast<double>(records.size()) * passes;
    fmt::print("processLine: {} records in {:.3f} s: {:.0f} records/s, {:.2f} us a record, {} handed over; "
               "best pass {:.0f} records/s\n",
               static_cast<std::size_t>(count), seconds, count / seconds, seconds / count * 1e6, handedOver,
               static_cast<double>(records.size()) / bestPass);
    return 0;
}
