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
    int queued = 1;
    const ScResult result = sc_buildRequest(
        connection, scReqOpen, openPacketSize,
        [&](const ScPacketWriter& w) {
            if (!w.text(16, scNameField, name))
                return false;
            w.u32(276, openClientTag);
            w.u32(280, 5);
            w.u32(284, 3);
            return true; // 272, 288 and 292 stay 0
        },
        &queued);
    return result == scOk && queued != 0 ? scFail : result;
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
