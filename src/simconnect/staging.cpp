#include "simconnect/staging.h"

#include "simconnect/connection.h"
#include "simconnect/protocol.h"

#include <algorithm>
#include <cstring>
#include <new>

ScReserve sc_reservePacket(ScConnection* connection, std::uint32_t size, std::uint8_t*& packet)
{
    packet = nullptr;
    if (connection == nullptr || connection->staging.empty())
        return scNoConnection;
    if (sc_isBroken(*connection))
        return scBroken;
    // Each call commits its packet at once, so only an oversized packet finds no room.
    if (size > connection->staging.size() - connection->fill)
        return scNoConnection;
    std::uint32_t sendId = connection->sendId + 1;
    if (sendId == 0)
        sendId = 1;
    connection->sendId = sendId;
    packet = connection->staging.data() + connection->fill;
    connection->fill += size;
    std::memcpy(packet + 12, &sendId, sizeof sendId);
    return scReserved;
}

int sc_queuePacket(ScConnection* connection)
{
    if (connection == nullptr || connection->fill == 0)
        return 1;
    ScPacketBuffer record;
    try {
        record.data.assign(connection->staging.begin(), connection->staging.begin() + connection->fill);
    } catch (const std::bad_alloc&) {
        return 1;
    }
    record.connectionId = connection->connectionId;
    std::fill_n(connection->staging.begin(), connection->fill, std::uint8_t{0});
    connection->fill = 0;
    sc_enqueueSend(*connection, std::move(record)); // refused while not connected: the packet is lost
    return 0;
}

int sc_flush(ScConnection* connection)
{
    return sc_queuePacket(connection);
}

void sc_releasePacket(ScConnection* connection, std::uint8_t* packet, std::uint32_t size)
{
    std::fill_n(packet, size, std::uint8_t{0});
    connection->fill = static_cast<std::size_t>(packet - connection->staging.data());
}

void ScPacketWriter::header(std::uint32_t size, std::uint32_t number) const
{
    u32(0, size);
    u32(4, scProtocolVersion);
    u32(8, scRequestIdBase + number);
}

ScResult sc_buildRequest(ScConnection* connection, std::uint32_t number, std::uint64_t size,
                         const std::function<bool(const ScPacketWriter&)>& body, int* queued)
{
    if (size > scStagingSize)
        return scFail;
    std::lock_guard lock(scSendLock);
    std::uint8_t* packet = nullptr;
    switch (sc_reservePacket(connection, static_cast<std::uint32_t>(size), packet)) {
    case scNoConnection:
        return scFail;
    case scBroken:
        return sc_lastError(*connection).status;
    case scReserved:
        break;
    }
    const ScPacketWriter writer{packet};
    writer.header(static_cast<std::uint32_t>(size), number);
    if (!body(writer)) {
        sc_releasePacket(connection, packet, static_cast<std::uint32_t>(size));
        return scNameTooLong;
    }
    const int result = sc_queuePacket(connection);
    if (queued != nullptr)
        *queued = result;
    return scOk;
}
