#include "foundation/scanthrottle.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

std::atomic<std::int32_t> runningScanTasks{0};
std::int32_t scanTaskLimit = 1;

void gf_initScanThrottle()
{
    // hardware_concurrency() may answer 0; a limit of 0 would wait forever.
    scanTaskLimit = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::thread::hardware_concurrency()));
    runningScanTasks.exchange(0);
}

void gf_waitForScanSlot()
{
    while (runningScanTasks.load() >= scanTaskLimit)
        std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::microseconds(10));
}

void gf_endScanTask() { runningScanTasks.fetch_sub(1); }

std::string gf_formatNumber(float value)
{
    if (std::fmod(value, 1.0f) == 0.0f)
        return fmt::format("{:.0f}", value);
    return fmt::format("{:.1F}", value);
}
