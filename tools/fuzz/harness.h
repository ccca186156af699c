#pragma once
// Runs a target over many inputs with its bounds: time per input, memory, escaped
// exceptions, crashes and hangs, and the target's own checks. A failing input is written
// to a file that --replay runs again.
#include "fuzz/fuzz.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

struct RunOptions {
    std::uint64_t seed = 1;
    std::uint64_t count = 1000;
    std::uint64_t first = 0;           // number of the first input
    // Most processor time of this thread an input may take (best of three tries); the readers
    // run on the calling thread. Unlike the time passed it does not grow while other work
    // keeps the machine busy.
    double boundMs = 100.0;
    std::int64_t hangMs = 20000;       // the process ends with the input saved
    std::uint64_t memoryBound = 256ull << 20; // heap growth of one input
    std::string failureFolder = "fuzz-failures";
    bool verbose = false;
};

struct Stats {
    std::string target;
    std::uint64_t inputs = 0;
    std::uint64_t accepted = 0;
    std::uint64_t refused = 0;
    std::uint64_t failures = 0;
    double slowestCpuMs = 0.0;  // the processor time of the slowest input
    std::uint64_t slowestIndex = 0;
    double slowestWallMs = 0.0; // the most time that passed for one input
    double peakMemoryMb = 0.0;     // the process's private bytes, the largest seen
    double peakInputHeapMb = 0.0;  // the heap growth of the hungriest input
    std::vector<std::string> failureLines; // "index: reason (file)"
};

// What one input cost, the best of its tries.
struct InputCost {
    double cpuMs = 0.0;  // processor time of the running thread, counted in clock ticks (10-16 ms)
    double wallMs = 0.0; // time passed
    double heapMb = 0.0; // heap growth
};

// The failure of one input, or empty; `outcome` and `cost` as it ran.
std::string gf_runInput(const Target& target, const std::string& input, const RunOptions& options, Outcome& outcome,
                        InputCost& cost);

// The processor time the calling thread has used, in ms.
double gf_threadCpuMs();

Stats gf_runTarget(const Target& target, const std::vector<std::string>& seeds, const RunOptions& options);

// The table: a header and one row per target.
std::string gf_tableHeader();
std::string gf_tableRow(const Stats& stats);

// Crashes, std::terminate and hangs save the running input before the process ends.
void gf_installCrashHandlers(const RunOptions& options);

// The heap: bytes held now and the most held since the last reset (operator new and
// pugixml's allocations); a request above the single-allocation bound is refused with
// std::bad_alloc and remembered.
std::int64_t gf_heapBytes();
void gf_resetHeapPeak();
std::int64_t gf_heapPeak();
extern std::atomic<std::uint64_t> hugeRequest;
std::uint64_t gf_privateBytes();

} // namespace fuzz
