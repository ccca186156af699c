#pragma once
// The staging buffer of a connection, where each request packet is built and then
// committed at once to the send queue. The sc_ operations run under scSendLock.
#include "simconnect/simconnect.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>

class ScConnection;

enum ScReserve { scReserved = 0, scNoConnection = 1, scBroken = 2 };

// A zeroed block of `size` bytes with the next send id at offset 12. The send id is
// used up even when the packet is given back.
ScReserve sc_reservePacket(ScConnection* connection, std::uint32_t size, std::uint8_t*& packet);
// Commits what the staging buffer holds: 0 handed over, 1 nothing pending or no memory.
int sc_queuePacket(ScConnection* connection);
int sc_flush(ScConnection* connection);
void sc_releasePacket(ScConnection* connection, std::uint8_t* packet, std::uint32_t size);

// Writes the fields of a packet being built; the block is zeroed already.
struct ScPacketWriter {
    std::uint8_t* packet;

    void u32(std::uint32_t offset, std::uint32_t value) const { std::memcpy(packet + offset, &value, 4); }
    void f32(std::uint32_t offset, float value) const { std::memcpy(packet + offset, &value, 4); }
    void bytes(std::uint32_t offset, const void* data, std::size_t size) const
    {
        if (size > 0)
            std::memcpy(packet + offset, data, size);
    }
    // A missing text leaves the field empty; a text of `field` characters or more does not fit.
    bool text(std::uint32_t offset, std::uint32_t field, const char* value) const
    {
        if (value == nullptr)
            return true;
        const std::size_t length = strnlen(value, field);
        if (length >= field)
            return false;
        std::memcpy(packet + offset, value, length);
        return true;
    }
    void header(std::uint32_t size, std::uint32_t number) const;
};

// One request call: under the send lock reserves `size` bytes, writes the header, lets
// `body` fill the rest (false when a text does not fit: the packet is given back) and
// commits the packet; `queued` receives the commit's result.
ScResult sc_buildRequest(ScConnection* connection, std::uint32_t number, std::uint64_t size,
                         const std::function<bool(const ScPacketWriter&)>& body, int* queued = nullptr);
