// processLine throughput on a recording of realistic RealTraffic records.
// Usage: bench_processline.exe [recording]; by default the stand-in's sample recording.
#include "links/trafficreader.h"

#include <fmt/format.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    const fs::path file = argc > 1 ? fs::path(argv[1])
                                   : fs::path("Z:" + fs::path(__FILE__).parent_path().parent_path().generic_string() +
                                              "/tools/realtraffic/sample_traffic.txt");
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

    constexpr int passes = 100;
    std::size_t handedOver = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        for (const std::string& record : records) {
            reader->datagram = record;
            reader->handleDatagram();
        }
        std::lock_guard lock(reportDequeMutex); // the traffic manager takes them meanwhile
        handedOver += reportDeque.size();
        reportDeque.clear();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double count = static_cast<double>(records.size()) * passes;
    fmt::print("processLine: {} records in {:.3f} s: {:.0f} records/s, {:.2f} us a record, {} handed over\n",
               static_cast<std::size_t>(count), seconds, count / seconds, seconds / count * 1e6, handedOver);
    return 0;
}
