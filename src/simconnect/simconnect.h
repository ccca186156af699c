#pragma once
// The program's own SimConnect client: request calls, connection and dispatch.
// Every call returns a 32-bit Windows result code, 0 on success; nothing throws.
#include <cstddef>
#include <cstdint>

class ScConnection;

using ScResult = std::int32_t;

inline constexpr ScResult scOk = 0;
inline constexpr ScResult scFail = static_cast<ScResult>(0x80004005);         // also: null handle
inline constexpr ScResult scInvalidArgument = static_cast<ScResult>(0x80070057);
inline constexpr ScResult scNameTooLong = static_cast<ScResult>(0x8007007A);  // a string field overflows
inline constexpr ScResult scAbort = static_cast<ScResult>(0x80004004);        // malformed server stream
inline constexpr ScResult scOutOfMemory = static_cast<ScResult>(0x8007000E);

// Receives one server packet; the bytes are valid only during the call.
using ScDispatchProc = void (*)(const std::uint8_t* packet, std::uint32_t size, void* context);

// The 56-byte initial position of an AI creation, sent as the caller gives it.
struct ScInitPosition {
    double latitude = 0;   // degrees
    double longitude = 0;  // degrees
    double altitude = 0;   // feet
    double pitch = 0;
    double bank = 0;
    double heading = 0;    // degrees
    std::uint32_t onGround = 0;
    std::uint32_t airspeed = 0;
};
static_assert(sizeof(ScInitPosition) == 56);

// window is an HWND and event a HANDLE; either may be null. configIndex 0 reads the
// section "SimConnect" of SimConnect.cfg, n the section "SimConnect.n", 0xFFFFFFFF no file.
ScResult SimConnect_Open(ScConnection** handle, const char* name, void* window, std::uint32_t messageId,
                         void* event, std::uint32_t configIndex);
ScResult SimConnect_Close(ScConnection* handle);
ScResult SimConnect_CallDispatch(ScConnection* handle, ScDispatchProc routine, void* context);
ScResult SimConnect_GetLastSentPacketID(ScConnection* handle, std::uint32_t* sendId);
// Packets committed and still waiting for their write: grows while the server reads slower
// than the client sends. 0 for a null handle.
std::size_t sc_sendBacklog(ScConnection* handle);

ScResult SimConnect_MapClientEventToSimEvent(ScConnection* handle, std::uint32_t eventId, const char* eventName);
ScResult SimConnect_TransmitClientEvent(ScConnection* handle, std::uint32_t objectId, std::uint32_t eventId,
                                        std::uint32_t data, std::uint32_t groupId, std::uint32_t flags);
ScResult SimConnect_AddClientEventToNotificationGroup(ScConnection* handle, std::uint32_t groupId,
                                                      std::uint32_t eventId, std::uint32_t maskable);
ScResult SimConnect_SetNotificationGroupPriority(ScConnection* handle, std::uint32_t groupId, std::uint32_t priority);
ScResult SimConnect_AddToDataDefinition(ScConnection* handle, std::uint32_t defineId, const char* datumName,
                                        const char* unitsName, std::uint32_t datumType, float epsilon,
                                        std::uint32_t datumId);
ScResult SimConnect_ClearDataDefinition(ScConnection* handle, std::uint32_t defineId);
ScResult SimConnect_RequestDataOnSimObject(ScConnection* handle, std::uint32_t requestId, std::uint32_t defineId,
                                           std::uint32_t objectId, std::uint32_t period, std::uint32_t flags,
                                           std::uint32_t origin, std::uint32_t interval, std::uint32_t limit);
ScResult SimConnect_RequestDataOnSimObjectType(ScConnection* handle, std::uint32_t requestId, std::uint32_t defineId,
                                               std::uint32_t radiusMetres, std::uint32_t objectType);
ScResult SimConnect_SetDataOnSimObject(ScConnection* handle, std::uint32_t defineId, std::uint32_t objectId,
                                       std::uint32_t flags, std::uint32_t arrayCount, std::uint32_t unitSize,
                                       const void* data);
ScResult SimConnect_SubscribeToSystemEvent(ScConnection* handle, std::uint32_t eventId, const char* eventName);
ScResult SimConnect_UnsubscribeFromSystemEvent(ScConnection* handle, std::uint32_t eventId);
ScResult SimConnect_AICreateNonATCAircraft(ScConnection* handle, const char* containerTitle, const char* tailNumber,
                                           const ScInitPosition& position, std::uint32_t requestId);
ScResult SimConnect_AIReleaseControl(ScConnection* handle, std::uint32_t objectId, std::uint32_t requestId);
ScResult SimConnect_AIRemoveObject(ScConnection* handle, std::uint32_t objectId, std::uint32_t requestId);
ScResult SimConnect_AISetAircraftFlightPlan(ScConnection* handle, std::uint32_t objectId, const char* flightPlanPath,
                                            std::uint32_t requestId);
