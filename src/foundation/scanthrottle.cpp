#include "foundation/scanthrottle.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

std::atomic<std::int32_t> runningScanTasks{0};
std::int32_t scanTaskLimit = 1;

namespace {
// A task's end wakes the walker: the scans run while the user flies, so the walker must
// not spin for its slot.
std::mutex slotMutex;
std::condition_variable slotFreed;
} // namespace

void gf_initScanThrottle()
{
    // hardware_concurrency() may answer 0; a limit of 0 would wait forever.
    scanTaskLimit = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::thread::hardware_concurrency()));
    runningScanTasks.exchange(0);
}

void gf_waitForScanSlot()
{
    std::unique_lock lock(slotMutex);
    slotFreed.wait(lock, [] { return runningScanTasks.load() < scanTaskLimit; });
}

void gf_endScanTask()
{
    {
        std::lock_guard lock(slotMutex); // no wake-up lost between the walker's test and its wait
        runningScanTasks.fetch_sub(1);
    }
    slotFreed.notify_all();
}

std::string gf_formatNumber(float value)
{
    if (std::fmod(value, 1.0f) == 0.0f)
        return fmt::format("{:.0f}", value);
    return fmt::format("{:.1F}", value);
}
