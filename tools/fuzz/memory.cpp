// Heap accounting of the fuzzing program: every operator new and every pugixml allocation
// is counted, so the growth of one input can be measured and a runaway request refused.
#include "fuzz/harness.h"

#include <pugixml.hpp>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace fuzz {

std::atomic<std::uint64_t> hugeRequest{0};

namespace {
constexpr std::size_t singleRequestBound = std::size_t{512} << 20;
std::atomic<std::int64_t> heapBytes{0};
std::atomic<std::int64_t> heapPeak{0};

void* lf_allocate(std::size_t size) noexcept
{
    if (size > singleRequestBound) {
        hugeRequest = size;
        return nullptr;
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        return nullptr;
    const std::int64_t now = heapBytes.fetch_add(static_cast<std::int64_t>(_msize(block))) +
                             static_cast<std::int64_t>(_msize(block));
    std::int64_t peak = heapPeak.load(std::memory_order_relaxed);
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
    return block;
}

void lf_release(void* block) noexcept
{
    if (block == nullptr)
        return;
    heapBytes.fetch_sub(static_cast<std::int64_t>(_msize(block)));
    std::free(block);
}

void* lf_allocateOrThrow(std::size_t size)
{
    if (void* block = lf_allocate(size))
        return block;
    throw std::bad_alloc();
}

// pugixml's own allocations, counted as well; set before main runs.
const bool pugiCounted = [] {
    pugi::set_memory_management_functions([](std::size_t size) { return lf_allocate(size); }, lf_release);
    return true;
}();
} // namespace

std::int64_t gf_heapBytes() { return heapBytes.load(); }
void gf_resetHeapPeak() { heapPeak = heapBytes.load(); }
std::int64_t gf_heapPeak() { return heapPeak.load(); }

std::uint64_t gf_privateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters)))
        return 0;
    return std::max<std::uint64_t>(counters.PrivateUsage, counters.PagefileUsage);
}

} // namespace fuzz

void* operator new(std::size_t size) { return fuzz::lf_allocateOrThrow(size); }
void* operator new[](std::size_t size) { return fuzz::lf_allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return fuzz::lf_allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return fuzz::lf_allocate(size); }
void operator delete(void* block) noexcept { fuzz::lf_release(block); }
void operator delete[](void* block) noexcept { fuzz::lf_release(block); }
void operator delete(void* block, std::size_t) noexcept { fuzz::lf_release(block); }
void operator delete[](void* block, std::size_t) noexcept { fuzz::lf_release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { fuzz::lf_release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { fuzz::lf_release(block); }
