#pragma once
// The workers of a scan: as many threads as the scan throttle allows take the file tasks of
// a walk from one queue, so a scan of thousands of files starts a handful of threads rather
// than one per file (under Wine a thread start costs more than reading a small file). The
// queue waits on Windows' own slim locks, which wait without a round trip to the Wine server.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <thread>
#include <vector>

class ScanPool {
public:
    ScanPool(); // scanTaskLimit workers
    ~ScanPool(); // waits for every task, then ends the workers
    ScanPool(const ScanPool&) = delete;
    ScanPool& operator=(const ScanPool&) = delete;

    // A task that throws has its message logged, marked.
    void add(std::function<void()> task);
    // Returns once every task added has ended.
    void wait();

private:
    void work();

    SRWLOCK m_lock = SRWLOCK_INIT;                 // guards what follows
    CONDITION_VARIABLE m_wake = CONDITION_VARIABLE_INIT; // a task is queued, or the pool ends
    CONDITION_VARIABLE m_idle = CONDITION_VARIABLE_INIT; // nothing queued and nothing running
    std::deque<std::function<void()>> m_tasks;
    std::size_t m_running = 0;
    bool m_ending = false;
    std::vector<std::thread> m_workers;
};
