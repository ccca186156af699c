#include "foundation/waits.h"

#include <thread>

void gf_sleepFor(std::chrono::steady_clock::duration length)
{
    if (length <= std::chrono::steady_clock::duration::zero())
        return;
    std::this_thread::sleep_for(std::chrono::ceil<std::chrono::milliseconds>(length));
}

void gf_sleepUntil(std::chrono::steady_clock::time_point point)
{
    gf_sleepFor(point - std::chrono::steady_clock::now());
}
