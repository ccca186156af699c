#pragma once
// A bounded wait for something another thread or process causes.
#include <chrono>
#include <thread>

// Polls the condition until it holds; false when the time is up first.
template <typename Condition>
bool gf_waitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(15))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
