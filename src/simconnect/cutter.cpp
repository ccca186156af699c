#include "simconnect/cutter.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
std::uint32_t lf_u32At(const ScReceiveBuffer& buffer, std::size_t pos)
{
    std::uint32_t value = 0;
    std::memcpy(&value, buffer.bytes.data() + pos, sizeof value);
    return value;
}
} // namespace

ScCut sc_cutPacket(ScReceiveBuffer& buffer, std::uint32_t maxReceiveSize, std::vector<std::uint8_t>& cut)
{
    const std::uint32_t limit = std::min(maxReceiveSize, scLargestPacket);
    cut.clear();
    for (;;) {
        const std::size_t available = buffer.writePos - buffer.readPos;
        if (available < 4)
            return ScCut::needMore;
        const std::uint32_t size = lf_u32At(buffer, buffer.readPos);
        if (size == 0) { // padding
            buffer.readPos += 4;
            if (buffer.readPos == buffer.writePos)
                buffer.readPos = buffer.writePos = 0;
            continue;
        }
        if (size > limit)
            return ScCut::tooBig;
        if (size < 4)
            return ScCut::badSize;
        if (available < size)
            return ScCut::needMore;
        try {
            const auto* first = buffer.bytes.data() + buffer.readPos;
            cut.assign(first, first + size);
        } catch (const std::bad_alloc&) {
            return ScCut::noMemory;
        }
        buffer.readPos += size;
        if (buffer.readPos == buffer.writePos)
            buffer.readPos = buffer.writePos = 0;
        return ScCut::packet;
    }
}

bool sc_makeRoom(ScReceiveBuffer& buffer)
{
    if (buffer.readPos > 0) {
        const std::size_t unread = buffer.writePos - buffer.readPos;
        std::memmove(buffer.bytes.data(), buffer.bytes.data() + buffer.readPos, unread);
        buffer.readPos = 0;
        buffer.writePos = unread;
    }
    if (buffer.writePos < buffer.bytes.size())
        return true;
    // One incomplete packet fills the buffer from its start; its size is at most the
    // limit (the cutter checked it), so growth is bounded.
    try {
        buffer.bytes.resize(buffer.bytes.size() + scReceiveStep);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
