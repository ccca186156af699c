// processLine throughput on a recording of realistic RealTraffic records, the traffic
// reader's whole handling of each (split, parse, hand-over), repeated in passes: once with
// every record within the live radius, once with the radius of a user on the ground (8 nm),
// where most records lie beyond it and those of the flights shown are followed out.
// Usage: bench_processline.exe [recording [passes]]; by default the stand-in's sample
// recording and 100 passes. The best pass shows the code's own speed on a shared machine.
#include "figures.h"
#include "foundation/settingscatalogue.h"
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

namespace {
// Records a second over all passes.
double lf_measure(TrafficReader& reader, const std::vector<std::string>& records, int passes, const char* what)
{
    using Clock = std::chrono::steady_clock;
    std::size_t handedOver = 0;
    double bestPass = 1e30;
    const auto start = Clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        const auto passStart = Clock::now();
        for (const std::string& record : records) {
            reader.datagram = record;
            reader.handleDatagram();
        }
        std::lock_guard lock(reportDequeMutex); // the traffic manager takes them meanwhile
        handedOver += reportDeque.size();
        reportDeque.clear();
        bestPass = std::min(bestPass, std::chrono::duration<double>(Clock::now() - passStart).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double count = static_cast<double>(records.size()) * passes;
    fmt::print("processLine, {}: {} records in {:.3f} s: {:.0f} records/s, {:.2f} us a record, {} handed over; "
               "best pass {:.0f} records/s\n",
               what, static_cast<std::size_t>(count), seconds, count / seconds, seconds / count * 1e6, handedOver,
               static_cast<double>(records.size()) / bestPass);
    return count / seconds;
}
} // namespace

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

    const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    const double wide = lf_measure(*reader, records, passes, "within the radius");
    gf_benchFigure("traffic records parsed", wide, "per s", 0);

    // The radius of a user on the ground, and every twentieth flight of the recording shown.
    lateralRadiusNm = 8.0;
    std::vector<std::uint32_t> shown;
    for (std::size_t i = 0; i < records.size(); i += 20)
        shown.push_back(static_cast<std::uint32_t>(std::stoul(records[i].substr(records[i].find(',') + 1))));
    gf_setShownFlights(shown, *reader);
    const double near = lf_measure(*reader, records, passes, "radius 8 nm, flights shown followed beyond it");
    gf_benchFigure("traffic records parsed, radius 8 nm", near, "per s", 0);
    return 0;
}
