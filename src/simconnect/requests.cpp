// The request calls: each builds one packet in the staging buffer and commits it.
#include "simconnect/connection.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"
#include "simconnect/staging.h"

namespace {
template <typename Body>
ScResult lf_request(ScConnection* handle, ScRequest number, std::uint64_t size, Body body)
{
    if (size > scStagingSize)
        return scFail;
    std::lock_guard lock(scSendLock);
    std::uint8_t* packet = nullptr;
    switch (sc_reservePacket(handle, static_cast<std::uint32_t>(size), packet)) {
    case scNoConnection:
        return scFail;
    case scBroken:
        return sc_lastError(*handle).status;
    case scReserved:
        break;
    }
    const ScPacketWriter writer{packet};
    writer.header(static_cast<std::uint32_t>(size), number);
    if (!body(writer)) {
        sc_releasePacket(handle, packet, static_cast<std::uint32_t>(size));
        return scNameTooLong;
    }
    sc_queuePacket(handle);
    return scOk;
}
} // namespace

ScResult SimConnect_MapClientEventToSimEvent(ScConnection* handle, std::uint32_t eventId, const char* eventName)
{
    return lf_request(handle, scReqMapClientEvent, 276, [&](const ScPacketWriter& w) {
        w.u32(16, eventId);
        return w.text(20, scNameField, eventName);
    });
}

ScResult SimConnect_TransmitClientEvent(ScConnection* handle, std::uint32_t objectId, std::uint32_t eventId,
                                        std::uint32_t data, std::uint32_t groupId, std::uint32_t flags)
{
    return lf_request(handle, scReqTransmitClientEvent, 36, [&](const ScPacketWriter& w) {
        w.u32(16, objectId);
        w.u32(20, eventId);
        w.u32(24, data);
        w.u32(28, groupId);
        w.u32(32, flags);
        return true;
    });
}

ScResult SimConnect_AddClientEventToNotificationGroup(ScConnection* handle, std::uint32_t groupId,
                                                      std::uint32_t eventId, std::uint32_t maskable)
{
    return lf_request(handle, scReqAddClientEventToGroup, 28, [&](const ScPacketWriter& w) {
        w.u32(16, groupId);
        w.u32(20, eventId);
        w.u32(24, maskable);
        return true;
    });
}

ScResult SimConnect_SetNotificationGroupPriority(ScConnection* handle, std::uint32_t groupId, std::uint32_t priority)
{
    return lf_request(handle, scReqSetGroupPriority, 24, [&](const ScPacketWriter& w) {
        w.u32(16, groupId);
        w.u32(20, priority);
        return true;
    });
}

ScResult SimConnect_AddToDataDefinition(ScConnection* handle, std::uint32_t defineId, const char* datumName,
                                        const char* unitsName, std::uint32_t datumType, float epsilon,
                                        std::uint32_t datumId)
{
    return lf_request(handle, scReqAddToDataDefinition, 544, [&](const ScPacketWriter& w) {
        w.u32(16, defineId);
        if (!w.text(20, scNameField, datumName) || !w.text(276, scNameField, unitsName))
            return false;
        w.u32(532, datumType);
        w.f32(536, epsilon);
        w.u32(540, datumId);
        return true;
    });
}

ScResult SimConnect_ClearDataDefinition(ScConnection* handle, std::uint32_t defineId)
{
    return lf_request(handle, scReqClearDataDefinition, 20, [&](const ScPacketWriter& w) {
        w.u32(16, defineId);
        return true;
    });
}

ScResult SimConnect_RequestDataOnSimObject(ScConnection* handle, std::uint32_t requestId, std::uint32_t defineId,
                                           std::uint32_t objectId, std::uint32_t period, std::uint32_t flags,
                                           std::uint32_t origin, std::uint32_t interval, std::uint32_t limit)
{
    return lf_request(handle, scReqDataOnObject, 48, [&](const ScPacketWriter& w) {
        w.u32(16, requestId);
        w.u32(20, defineId);
        w.u32(24, objectId);
        w.u32(28, period);
        w.u32(32, flags);
        w.u32(36, origin);
        w.u32(40, interval);
        w.u32(44, limit);
        return true;
    });
}

ScResult SimConnect_RequestDataOnSimObjectType(ScConnection* handle, std::uint32_t requestId, std::uint32_t defineId,
                                               std::uint32_t radiusMetres, std::uint32_t objectType)
{
    return lf_request(handle, scReqDataOnObjectType, 32, [&](const ScPacketWriter& w) {
        w.u32(16, requestId);
        w.u32(20, defineId);
        w.u32(24, radiusMetres);
        w.u32(28, objectType);
        return true;
    });
}

ScResult SimConnect_SetDataOnSimObject(ScConnection* handle, std::uint32_t defineId, std::uint32_t objectId,
                                       std::uint32_t flags, std::uint32_t arrayCount, std::uint32_t unitSize,
                                       const void* data)
{
    const std::uint32_t count = arrayCount == 0 ? 1 : arrayCount;
    const std::uint64_t dataSize = std::uint64_t{count} * unitSize;
    if (data == nullptr && dataSize > 0)
        return scInvalidArgument;
    return lf_request(handle, scReqSetDataOnObject, 36 + dataSize, [&](const ScPacketWriter& w) {
        w.u32(16, defineId);
        w.u32(20, objectId);
        w.u32(24, flags);
        w.u32(28, count);
        w.u32(32, unitSize);
        w.bytes(36, data, static_cast<std::size_t>(dataSize));
        return true;
    });
}

ScResult SimConnect_SubscribeToSystemEvent(ScConnection* handle, std::uint32_t eventId, const char* eventName)
{
    return lf_request(handle, scReqSubscribeSystemEvent, 276, [&](const ScPacketWriter& w) {
        w.u32(16, eventId);
        return w.text(20, scNameField, eventName);
    });
}

ScResult SimConnect_UnsubscribeFromSystemEvent(ScConnection* handle, std::uint32_t eventId)
{
    return lf_request(handle, scReqUnsubscribeSystemEvent, 20, [&](const ScPacketWriter& w) {
        w.u32(16, eventId);
        return true;
    });
}

ScResult SimConnect_AICreateNonATCAircraft(ScConnection* handle, const char* containerTitle, const char* tailNumber,
                                           const ScInitPosition& position, std::uint32_t requestId)
{
    return lf_request(handle, scReqAiCreateNonAtcAircraft, 344, [&](const ScPacketWriter& w) {
        if (!w.text(16, scNameField, containerTitle) || !w.text(272, scTailNumberField, tailNumber))
            return false;
        w.bytes(284, &position, sizeof position);
        w.u32(340, requestId);
        return true;
    });
}

ScResult SimConnect_AIReleaseControl(ScConnection* handle, std::uint32_t objectId, std::uint32_t requestId)
{
    return lf_request(handle, scReqAiReleaseControl, 24, [&](const ScPacketWriter& w) {
        w.u32(16, objectId);
        w.u32(20, requestId);
        return true;
    });
}

ScResult SimConnect_AIRemoveObject(ScConnection* handle, std::uint32_t objectId, std::uint32_t requestId)
{
    return lf_request(handle, scReqAiRemoveObject, 24, [&](const ScPacketWriter& w) {
        w.u32(16, objectId);
        w.u32(20, requestId);
        return true;
    });
}

ScResult SimConnect_AISetAircraftFlightPlan(ScConnection* handle, std::uint32_t objectId, const char* flightPlanPath,
                                            std::uint32_t requestId)
{
    return lf_request(handle, scReqAiSetFlightPlan, 284, [&](const ScPacketWriter& w) {
        w.u32(16, objectId);
        if (!w.text(20, scPathField, flightPlanPath))
            return false;
        w.u32(280, requestId);
        return true;
    });
}

ScResult SimConnect_GetLastSentPacketID(ScConnection* handle, std::uint32_t* sendId)
{
    if (handle == nullptr || sendId == nullptr)
        return scFail;
    *sendId = handle->sendId;
    return scOk;
}
