#include "fuzz/pageend.h"

#include <windows.h>

#include <cstring>
#include <new>

namespace fuzz {

PageEndCopy::PageEndCopy(std::string_view bytes)
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    const std::size_t wordBytes = (bytes.size() + 3) / 4 * 4;
    const std::size_t dataPages = (wordBytes + page - 1) / page;
    const std::size_t total = (dataPages + 1) * page;
    m_block = VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (m_block == nullptr)
        throw std::bad_alloc();
    auto* base = static_cast<unsigned char*>(m_block);
    unsigned char* start = base + dataPages * page - wordBytes;
    std::memcpy(start, bytes.data(), bytes.size()); // the padding is the allocation's zeros
    DWORD previous = 0;
    // Read-only like a mapped file, and the page after the words not at all.
    if ((dataPages > 0 && !VirtualProtect(base, dataPages * page, PAGE_READONLY, &previous)) ||
        !VirtualProtect(base + dataPages * page, page, PAGE_NOACCESS, &previous)) {
        VirtualFree(m_block, 0, MEM_RELEASE);
        throw std::bad_alloc();
    }
    m_words = {reinterpret_cast<const std::uint32_t*>(start), wordBytes / 4};
}

PageEndCopy::~PageEndCopy() { VirtualFree(m_block, 0, MEM_RELEASE); }

} // namespace fuzz
