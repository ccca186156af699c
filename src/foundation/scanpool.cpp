#include "foundation/scanpool.h"

#include "foundation/log.h"
#include "foundation/scanthrottle.h"

#include <fmt/format.h>

ScanPool::ScanPool()
{
    for (std::int32_t i = 0; i < scanTaskLimit; ++i)
        m_workers.emplace_back([this] { work(); });
}

ScanPool::~ScanPool()
{
    wait();
    AcquireSRWLockExclusive(&m_lock);
    m_ending = true;
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_wake);
    for (std::thread& worker : m_workers)
        worker.join();
}

void ScanPool::add(std::function<void()> task)
{
    AcquireSRWLockExclusive(&m_lock);
    m_tasks.push_back(std::move(task));
    ReleaseSRWLockExclusive(&m_lock);
    WakeConditionVariable(&m_wake);
}

void ScanPool::wait()
{
    AcquireSRWLockExclusive(&m_lock);
    while (!m_tasks.empty() || m_running > 0)
        SleepConditionVariableSRW(&m_idle, &m_lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&m_lock);
}

void ScanPool::work()
{
    AcquireSRWLockExclusive(&m_lock);
    for (;;) {
        while (!m_ending && m_tasks.empty())
            SleepConditionVariableSRW(&m_wake, &m_lock, INFINITE, 0);
        if (m_tasks.empty())
            break; // ending
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        ++m_running;
        ReleaseSRWLockExclusive(&m_lock);
        try {
            task();
        } catch (const std::exception& e) {
            gf_logMarked(fmt::format("a scan task failed: {}", e.what()));
        } catch (...) {
            gf_logMarked("a scan task failed");
        }
        task = nullptr; // what it holds goes before the pool counts it ended
        AcquireSRWLockExclusive(&m_lock);
        if (--m_running == 0 && m_tasks.empty())
            WakeAllConditionVariable(&m_idle);
    }
    ReleaseSRWLockExclusive(&m_lock);
}
