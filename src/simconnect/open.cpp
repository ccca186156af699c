// Opening and closing a connection through the API.
#include "simconnect/connect.h"
#include "simconnect/connection.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"
#include "simconnect/staging.h"

namespace {
constexpr std::uint32_t openPacketSize = 296;
constexpr std::uint32_t openClientTag = 0x50334400; // the bytes 0, 'D', '3', 'P'

// Builds and commits the open packet; scOk or the result that ends the open.
ScResult lf_sendOpenPacket(ScConnection* connection, const char* name)
{
    std::lock_guard lock(scSendLock);
    std::uint8_t* packet = nullptr;
    switch (sc_reservePacket(connection, openPacketSize, packet)) {
    case scNoConnection:
        return scFail;
    case scBroken:
        return sc_lastError(*connection).status;
    case scReserved:
        break;
    }
    const ScPacketWriter writer{packet};
    writer.header(openPacketSize, scReqOpen);
    if (!writer.text(16, scNameField, name)) {
        sc_releasePacket(connection, packet, openPacketSize);
        return scNameTooLong;
    }
    writer.u32(272, 0);
    writer.u32(276, openClientTag);
    writer.u32(280, 5);
    writer.u32(284, 3);
    writer.u32(288, 0);
    writer.u32(292, 0);
    return sc_flush(connection) == 0 ? scOk : scFail;
}
} // namespace

ScResult SimConnect_Open(ScConnection** handle, const char* name, void* window, std::uint32_t messageId, void* event,
                         std::uint32_t configIndex)
{
    if (handle == nullptr || name == nullptr)
        return scInvalidArgument;
    ScConnection* connection = nullptr;
    const int code = sc_openTransport(&connection, configIndex);
    if (code != 0) {
        *handle = nullptr;
        return code == 3 ? scInvalidArgument : scFail;
    }
    connection->window = static_cast<HWND>(window);
    connection->messageId = messageId;
    connection->event = static_cast<HANDLE>(event);
    const ScResult result = lf_sendOpenPacket(connection, name);
    if (result != scOk) {
        // Never leave the caller a handle to a closed connection.
        *handle = nullptr;
        sc_closeConnection(connection);
        return result;
    }
    *handle = connection;
    return scOk;
}

ScResult SimConnect_Close(ScConnection* handle)
{
    if (handle == nullptr)
        return scFail;
    {
        std::lock_guard lock(scSendLock);
        sc_flush(handle);
    }
    sc_closeConnection(handle);
    return scOk;
}
