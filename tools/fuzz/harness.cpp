#include "fuzz/harness.h"
#include "fuzz/mutate.h"

#include <fmt/format.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <thread>
#include <typeinfo>

namespace fuzz {
namespace {

// The input under way, for the crash and hang handlers.
struct Current {
    std::atomic<const std::string*> input{nullptr};
    std::atomic<const char*> target{nullptr};
    std::atomic<std::uint64_t> index{0};
    std::atomic<std::int64_t> startMs{0};
};
Current current;
RunOptions handlerOptions;

std::int64_t lf_nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The input's file: <target>-s<seed>-i<index>.bin, which --replay takes.
std::string lf_saveInput(const RunOptions& options, const std::string& target, std::uint64_t index,
                         const std::string& input)
{
    std::error_code ignored;
    std::filesystem::create_directories(options.failureFolder, ignored);
    const std::string file = fmt::format("{}/{}-s{}-i{}.bin", options.failureFolder, target, options.seed, index);
    gf_writeFile(file, input);
    return file;
}

// Saves the running input and ends the process: nothing else may run once it is broken.
[[noreturn]] void lf_die(const char* what)
{
    const std::string* input = current.input.load();
    const char* target = current.target.load();
    std::string file = "(no input under way)";
    if (input != nullptr && target != nullptr)
        file = lf_saveInput(handlerOptions, target, current.index, *input);
    std::fprintf(stdout, "FAIL %s %llu: %s (%s)\n", target ? target : "?",
                 static_cast<unsigned long long>(current.index.load()), what, file.c_str());
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    std::abort();
}

LONG WINAPI lf_onCrash(EXCEPTION_POINTERS* info)
{
    static char text[64];
    std::snprintf(text, sizeof text, "crash, exception 0x%08lX",
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    lf_die(text);
}

void lf_watch()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::int64_t start = current.startMs.load();
        if (current.input.load() != nullptr && start != 0 && lf_nowMs() - start > handlerOptions.hangMs)
            lf_die("hang");
    }
}

} // namespace

void gf_installCrashHandlers(const RunOptions& options)
{
    handlerOptions = options;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(lf_onCrash);
    std::set_terminate([] { lf_die("std::terminate"); });
    static bool watching = false;
    if (!watching) {
        watching = true;
        std::thread(lf_watch).detach();
    }
}

double gf_threadCpuMs()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
        return 0.0;
    const auto ms = [](const FILETIME& time) {
        return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

std::string gf_runInput(const Target& target, const std::string& input, const RunOptions& options, Outcome& outcome,
                        InputCost& cost)
{
    std::string failure;
    cost.cpuMs = cost.wallMs = 1e300;
    for (int attempt = 0; attempt < 3; ++attempt) {
        hugeRequest = 0;
        const std::int64_t before = gf_heapBytes();
        gf_resetHeapPeak();
        current.startMs = lf_nowMs();
        const double cpuStart = gf_threadCpuMs();
        const auto start = std::chrono::steady_clock::now();
        try {
            outcome = target.run(input);
        } catch (const Insane& insane) {
            failure = std::string("insane: ") + insane.what();
        } catch (const std::exception& error) {
            failure = fmt::format("escaped {}: {}", typeid(error).name(), error.what());
        } catch (...) {
            failure = "escaped an exception of no standard type";
        }
        const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        const double cpu = gf_threadCpuMs() - cpuStart;
        current.startMs = 0;
        cost.wallMs = std::min(cost.wallMs, wall);
        cost.cpuMs = std::min(cost.cpuMs, cpu);
        cost.heapMb = static_cast<double>(gf_heapPeak() - before) / (1 << 20);
        if (failure.empty() && hugeRequest != 0)
            failure = fmt::format("asked for {} bytes at once", hugeRequest.load());
        if (failure.empty() && static_cast<std::uint64_t>(std::max<std::int64_t>(gf_heapPeak() - before, 0)) >
                                   options.memoryBound)
            failure = fmt::format("heap grew by {:.0f} MB", cost.heapMb);
        if (!failure.empty())
            return failure;
        if (cost.cpuMs <= options.boundMs)
            return {};
        // Slow: tried again, as the processor time is counted in whole clock ticks.
    }
    return fmt::format("slow: {:.0f} ms of processor time at best of three ({:.0f} ms passed)", cost.cpuMs,
                       cost.wallMs);
}

Stats gf_runTarget(const Target& target, const std::vector<std::string>& seeds, const RunOptions& options)
{
    Stats stats;
    stats.target = target.name;
    current.target = target.name.c_str();
    for (std::uint64_t n = 0; n < options.count; ++n) {
        const std::uint64_t index = options.first + n;
        const std::string input = gf_makeInput(seeds, target.maxSize, options.seed, target.name, index);
        current.index = index;
        current.input = &input;
        Outcome outcome = Outcome::refused;
        InputCost cost;
        const std::string failure = gf_runInput(target, input, options, outcome, cost);
        current.input = nullptr;
        ++stats.inputs;
        if (!failure.empty()) {
            ++stats.failures;
            std::string file = "not kept";
            if (stats.failures <= 20)
                file = lf_saveInput(options, target.name, index, input);
            stats.failureLines.push_back(fmt::format("{}: {} ({})", index, failure, file));
            std::fprintf(stdout, "FAIL %s %llu: %s (%s)\n", target.name.c_str(),
                         static_cast<unsigned long long>(index), failure.c_str(), file.c_str());
            std::fflush(stdout);
        } else if (outcome == Outcome::accepted) {
            ++stats.accepted;
        } else {
            ++stats.refused;
        }
        if (cost.cpuMs > stats.slowestCpuMs) {
            stats.slowestCpuMs = cost.cpuMs;
            stats.slowestIndex = index;
        }
        stats.slowestWallMs = std::max(stats.slowestWallMs, cost.wallMs);
        stats.peakInputHeapMb = std::max(stats.peakInputHeapMb, cost.heapMb);
        if (n % 256 == 0 || n + 1 == options.count)
            stats.peakMemoryMb = std::max(stats.peakMemoryMb, static_cast<double>(gf_privateBytes()) / (1 << 20));
        if (options.verbose && (n + 1) % 100000 == 0) {
            std::fprintf(stderr, "%s: %llu inputs\n", target.name.c_str(), static_cast<unsigned long long>(n + 1));
            std::fflush(stderr);
        }
    }
    current.target = nullptr;
    return stats;
}

std::string gf_tableHeader()
{
    return fmt::format("{:<16} {:>9} {:>9} {:>9} {:>8} {:>9} {:>8} {:>9} {:>8}", "target", "inputs", "accepted",
                       "refused", "cpu ms", "wall ms", "peak MB", "input MB", "failures");
}

std::string gf_tableRow(const Stats& stats)
{
    return fmt::format("{:<16} {:>9} {:>9} {:>9} {:>8.0f} {:>9.1f} {:>8.1f} {:>9.2f} {:>8}", stats.target,
                       stats.inputs, stats.accepted, stats.refused, stats.slowestCpuMs, stats.slowestWallMs,
                       stats.peakMemoryMb, stats.peakInputHeapMb, stats.failures);
}

} // namespace fuzz
