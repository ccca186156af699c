// The simulator link against the in-process stand-in: frames at about 60 a second and a
// stand-in traffic manager that hands over hundreds of AI positions every 10 ms tick.
// Prints positions flushed per second and the process's memory every five seconds, so that
// growth over a long run shows.
//   bench_simlink_flush [seconds = 20] [positions per tick = 400] [pipe | tcp]
#include "figures.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "simconnect/protocol.h"
#include "simstandin/simstandin.h"

#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {
constexpr int frameMs = 16;
constexpr auto reportEvery = 5s;

struct Memory {
    double workingMb = 0, peakWorkingMb = 0, pagefileMb = 0, peakPagefileMb = 0;
};

Memory lf_memory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    constexpr double mb = 1024.0 * 1024.0;
    return {counters.WorkingSetSize / mb, counters.PeakWorkingSetSize / mb, counters.PagefileUsage / mb,
            counters.PeakPagefileUsage / mb};
}

// The traffic manager's hand-over of one tick's positions (try-lock; busy at a low frame
// rate: this tick's positions are dropped).
void lf_trafficTicks(std::stop_token stop, const std::vector<std::uint32_t>& objects)
{
    std::vector<AiPosition> filling;
    double step = 0;
    auto next = Clock::now();
    while (!stop.stop_requested()) {
        step += 1e-6;
        filling.clear();
        for (std::size_t i = 0; i < objects.size(); ++i)
            filling.push_back({52.0 + i * 1e-3 + step, 4.7, 0.01, 0.0, 1.57, 300.0, 0.0, 140.0, objects[i]});
        std::unique_lock lock(simQueues.mutex, std::try_to_lock);
        if (!lock.owns_lock() && simFrameRate > 50.0f)
            lock.lock();
        if (lock.owns_lock()) {
            simQueues.back->swap(filling);
            std::swap(simQueues.front, simQueues.back);
            simQueues.back->clear();
        }
        lock = {};
        next += 10ms;
        std::this_thread::sleep_until(next);
    }
}
} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const int perTick = argc > 2 ? std::atoi(argv[2]) : 400;
    const bool tcp = argc > 3 && std::string(argv[3]) == "tcp";

    const fs::path folder = fs::temp_directory_path() / ("tarnwick-bench-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    fs::current_path(folder);
    const std::wstring pipe = L"TarnwickBench-" + std::to_wstring(GetCurrentProcessId());
    standin::Options options;
    options.pipeName = tcp ? L"" : L"\\\\.\\pipe\\" + pipe;
    options.tcp = tcp;
    options.frameIntervalMs = frameMs;
    options.frameRate = 1000.0f / frameMs;
    options.recordRequests = false; // counted only, so that the stand-in does not grow
    standin::SimStandIn standIn(options);
    {
        std::ofstream config("SimConnect.cfg", std::ios::binary);
        config << "[SimConnect]\r\n";
        if (tcp)
            config << "Protocol=IPv4\r\nAddress=127.0.0.1\r\nPort=" << standIn.port4() << "\r\n";
        else
            config << "Protocol=Pipe\r\nAddress=.\r\nPort=" << std::string(pipe.begin(), pipe.end()) << "\r\n";
    }
    std::vector<std::uint32_t> objects;
    for (int i = 0; i < perTick; ++i)
        objects.push_back(standIn.addObject("Bench Livery", "B" + std::to_string(i), {}));

    gf_startSimConnectThread();
    const auto connectBy = Clock::now() + 20s;
    while (!flightRunning && Clock::now() < connectBy)
        std::this_thread::sleep_for(20ms);
    if (!flightRunning) {
        std::printf("the link did not connect\n");
        gf_resetSimLink();
        return 1;
    }
    requestUserPosition(); // learns the user's object id; AI ids are above it
    std::this_thread::sleep_for(200ms);
    std::printf("simulator link flush: %d positions per tick, frames every %d ms, %s, %d s\n", perTick, frameMs,
                tcp ? "TCP" : "pipe", seconds);
    std::printf("%8s %14s %12s %12s %12s\n", "seconds", "positions/s", "working MB", "peak WS MB", "pagefile MB");

    std::jthread traffic(lf_trafficTicks, std::cref(objects));
    const auto start = Clock::now();
    auto mark = start;
    std::size_t sentAtMark = standIn.countOf(scReqSetDataOnObject);
    const std::size_t sentAtStart = sentAtMark;
    while (mark + reportEvery <= start + std::chrono::seconds(seconds)) {
        std::this_thread::sleep_until(mark + reportEvery);
        const auto now = Clock::now();
        const std::size_t sent = standIn.countOf(scReqSetDataOnObject);
        const Memory memory = lf_memory();
        std::printf("%8.0f %14.0f %12.1f %12.1f %12.1f\n", std::chrono::duration<double>(now - start).count(),
                    (sent - sentAtMark) / std::chrono::duration<double>(now - mark).count(), memory.workingMb,
                    memory.peakWorkingMb, memory.pagefileMb);
        std::fflush(stdout);
        mark = now;
        sentAtMark = sent;
    }
    traffic.request_stop();
    traffic.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const std::size_t total = standIn.countOf(scReqSetDataOnObject) - sentAtStart;
    const Memory memory = lf_memory();
    std::printf("positions flushed per second: %.0f (%zu in %.1f s)\n", total / elapsed, total, elapsed);
    std::printf("peak working set: %.1f MB, peak pagefile usage: %.1f MB\n", memory.peakWorkingMb,
                memory.peakPagefileMb);
    gf_benchFigure("positions flushed to the simulator", total / elapsed, "per s", 0);
    gf_benchFigure("flush peak working set", memory.peakWorkingMb, "MB");
    gf_resetSimLink();
    standIn.stop();
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    fs::remove_all(folder, ignored);
    return 0;
}
