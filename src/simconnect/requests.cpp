// The request calls: each builds one packet in the staging buffer and commits it.
#include "simconnect/connection.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"
#include "simconnect/staging.h"

namespace {
// A request whose body is u32 words from offset 16 on.
ScResult lf_wordsRequest(ScConnection* handle, ScRequest number, std::initializer_list<std::uint32_t> words)
{
    return sc_buildRequest(handle, number, scHeaderSize + 4 * words.size(), [&](const ScPacketWriter& w) {
        std::uint32_t offset = scHeaderSize;
        for (const std::uint32_t word : words) {
            w.u32(offset, word);
            offset += 4;
        }
        return true;
    });
}

// A request whose body is an event id and an event name.
ScResult lf_eventNameRequest(ScConnection* handle, ScRequest number, std::uint32_t eventId, const char* eventName)
{
    return sc_buildRequest(handle, number, 276, [&](const ScPacketWriter& w) {
        w.u32(16, eventId);
        return w.text(20, scNameField, eventName);
    });
}
} // namespace

ScResult SimConnect_MapClientEventToSimEvent(ScConnection* handle, std::uint32_t eventId, const char* eventName)
{
    return lf_eventNameRequest(handle, scReqMapClientEvent, eventId, eventName);
}

ScResult SimConnect_TransmitClientEvent(ScConnection* handle, std::uint32_t objectId, std::uint32_t eventId,
                                        std::uint32_t data, std::uint32_t groupId, std::uint32_t flags)
{
    return lf_wordsRequest(handle, scReqTransmitClientEvent, {objectId, eventId, data, groupId, flags});
}

ScResult SimConnect_AddClientEventToNotificationGroup(ScConnection* handle, std::uint32_t groupId,
                                                      std::uint32_t eventId, std::uint32_t maskable)
{
    return lf_wordsRequest(handle, scReqAddClientEventToGroup, {groupId, eventId, maskable});
}

ScResult SimConnect_SetNotificationGroupPriority(ScConnection* handle, std::uint32_t groupId, std::uint32_t priority)
{
    return lf_wordsRequest(handle, scReqSetGroupPriority, {groupId, priority});
}

ScResult SimConnect_AddToDataDefinition(ScConnection* handle, std::uint32_t defineId, const char* datumName,
                                        const char* unitsName, std::uint32_t datumType, float epsilon,
                                        std::uint32_t datumId)
{
    return sc_buildRequest(handle, scReqAddToDataDefinition, 544, [&](const ScPacketWriter& w) {
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
    return lf_wordsRequest(handle, scReqClearDataDefinition, {defineId});
}

ScResult SimConnect_RequestDataOnSimObject(ScConnection* handle, std::uint32_t requestId, std::uint32_t defineId,
                                           std::uint32_t objectId, std::uint32_t period, std::uint32_t flags,
                                           std::uint32_t origin, std::uint32_t interval, std::uint32_t limit)
{
    return lf_wordsRequest(handle, scReqDataOnObject,
                           {requestId, defineId, objectId, period, flags, origin, interval, limit});
}

ScResult SimConnect_RequestDataOnSimObjectType(ScConnection* handle, std::uint32_t requestId, std::uint32_t defineId,
                                               std::uint32_t radiusMetres, std::uint32_t objectType)
{
    return lf_wordsRequest(handle, scReqDataOnObjectType, {requestId, defineId, radiusMetres, objectType});
}

ScResult SimConnect_SetDataOnSimObject(ScConnection* handle, std::uint32_t defineId, std::uint32_t objectId,
                                       std::uint32_t flags, std::uint32_t arrayCount, std::uint32_t unitSize,
                                       const void* data)
{
    const std::uint32_t count = arrayCount == 0 ? 1 : arrayCount;
    const std::uint64_t dataSize = std::uint64_t{count} * unitSize;
    if (data == nullptr && dataSize > 0)
        return scInvalidArgument;
    return sc_buildRequest(handle, scReqSetDataOnObject, 36 + dataSize, [&](const ScPacketWriter& w) {
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
    return lf_eventNameRequest(handle, scReqSubscribeSystemEvent, eventId, eventName);
}

ScResult SimConnect_UnsubscribeFromSystemEvent(ScConnection* handle, std::uint32_t eventId)
{
    return lf_wordsRequest(handle, scReqUnsubscribeSystemEvent, {eventId});
}

ScResult SimConnect_AICreateNonATCAircraft(ScConnection* handle, const char* containerTitle, const char* tailNumber,
                                           const ScInitPosition& position, std::uint32_t requestId)
{
    return sc_buildRequest(handle, scReqAiCreateNonAtcAircraft, 344, [&](const ScPacketWriter& w) {
        if (!w.text(16, scNameField, containerTitle) || !w.text(272, scTailNumberField, tailNumber))
            return false;
        w.bytes(284, &position, sizeof position);
        w.u32(340, requestId);
        return true;
    });
}

ScResult SimConnect_AIReleaseControl(ScConnection* handle, std::uint32_t objectId, std::uint32_t requestId)
{
    return lf_wordsRequest(handle, scReqAiReleaseControl, {objectId, requestId});
}

ScResult SimConnect_AIRemoveObject(ScConnection* handle, std::uint32_t objectId, std::uint32_t requestId)
{
    return lf_wordsRequest(handle, scReqAiRemoveObject, {objectId, requestId});
}

ScResult SimConnect_AISetAircraftFlightPlan(ScConnection* handle, std::uint32_t objectId, const char* flightPlanPath,
                                            std::uint32_t requestId)
{
    return sc_buildRequest(handle, scReqAiSetFlightPlan, 284, [&](const ScPacketWriter& w) {
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
