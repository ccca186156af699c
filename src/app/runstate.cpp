// The program's run state, shared by the start-up, the main loop, the links and the exit.
#include "app/programcontrol.h"

#include "foundation/waits.h"

#include <algorithm>
#include <thread>

std::atomic<std::int32_t> runningThreads{0};
std::atomic<bool> exitFlag{false};
std::atomic<bool> removalDone{false};
std::atomic<std::uint32_t> exitReason{0};
std::atomic<bool> realTrafficOnThisPc{false};
std::atomic<std::int32_t> archiveWeek{0};

namespace {
constexpr std::chrono::milliseconds pauseStep{20};
constexpr int threadWaitSteps = 61;
} // namespace

bool gf_exitUnderWay() { return exitFlag.load() || removalDone.load(); }

bool gf_pauseUnlessExit(std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    for (;;) {
        if (gf_exitUnderWay())
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return true;
        gf_sleepFor(std::min<std::chrono::steady_clock::duration>(end - now, pauseStep));
    }
}

void gf_waitForThreads(std::int32_t left)
{
    for (int step = 0; step < threadWaitSteps && runningThreads.load() > left; ++step)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}
