#pragma once
// Wire constants of the simulator protocol, shared by the client library, the
// program's dispatch handler and the simulator stand-in. No <windows.h> here.
#include <cstdint>

inline constexpr std::uint32_t scProtocolVersion = 35;
inline constexpr std::uint32_t scHeaderSize = 16;        // request header: size, version, id, send id
inline constexpr std::uint32_t scRequestIdBase = 0xF0000000;

// Request numbers; the packet id is scRequestIdBase plus the number.
enum ScRequest : std::uint32_t {
    scReqOpen = 0x01,
    scReqMapClientEvent = 0x04,
    scReqTransmitClientEvent = 0x05,
    scReqAddClientEventToGroup = 0x07,
    scReqSetGroupPriority = 0x09,
    scReqAddToDataDefinition = 0x0C,
    scReqClearDataDefinition = 0x0D,
    scReqDataOnObject = 0x0E,
    scReqDataOnObjectType = 0x0F,
    scReqSetDataOnObject = 0x10,
    scReqSubscribeSystemEvent = 0x17,
    scReqUnsubscribeSystemEvent = 0x18,
    scReqAiCreateNonAtcAircraft = 0x29,
    scReqAiReleaseControl = 0x2B,
    scReqAiRemoveObject = 0x2C,
    scReqAiSetFlightPlan = 0x2D,
};

// Field sizes of the fixed string fields.
inline constexpr std::uint32_t scNameField = 256;
inline constexpr std::uint32_t scTailNumberField = 12;
inline constexpr std::uint32_t scPathField = 260;

// Server message ids (offset 8 of every server packet).
enum ScMessage : std::uint32_t {
    scMsgException = 1,
    scMsgOpen = 2,
    scMsgQuit = 3,
    scMsgEvent = 4,
    scMsgEventObjectAddRemove = 5,
    scMsgEventFilename = 6,
    scMsgEventFrame = 7,
    scMsgObjectData = 8,
    scMsgObjectDataByType = 9,
};

// Offsets inside server packets.
namespace scOff {
inline constexpr std::uint32_t size = 0, version = 4, id = 8;
// exception
inline constexpr std::uint32_t exceptionCode = 12, exceptionSendId = 16, exceptionIndex = 20;
inline constexpr std::uint32_t exceptionEnd = 24;
// open
inline constexpr std::uint32_t openName = 12, openVersion = 268; // four u32 from here
inline constexpr std::uint32_t openEnd = 284;
// events; object added/removed and frame add one field at 24
inline constexpr std::uint32_t eventGroup = 12, eventId = 16, eventData = 20, eventExtra = 24;
inline constexpr std::uint32_t eventEnd = 24, eventExtraEnd = 28;
// object data and object data by type
inline constexpr std::uint32_t dataRequestId = 12, dataObjectId = 16, dataDefineId = 20, dataFlags = 24,
                               dataEntry = 28, dataCount = 32, dataValues = 36, dataStart = 40;
} // namespace scOff

// Exception codes the program acts on.
inline constexpr std::uint32_t scExceptionUnrecognizedId = 3;
inline constexpr std::uint32_t scExceptionVersionMismatch = 5;
inline constexpr std::uint32_t scExceptionCreateObjectFailed = 22;
inline constexpr std::uint32_t scExceptionLoadFlightPlanFailed = 23;

// Data definition datum types.
inline constexpr std::uint32_t scDatumInt64 = 2;
inline constexpr std::uint32_t scDatumFloat64 = 4;
inline constexpr std::uint32_t scDatumString32 = 6;
inline constexpr std::uint32_t scDatumStringVariable = 11;

// Request periods, and the object types of aircraft: the simulator may tell helicopters apart.
inline constexpr std::uint32_t scPeriodOnce = 1;
inline constexpr std::uint32_t scPeriodSecond = 4;
inline constexpr std::uint32_t scObjectTypeAircraft = 2;
inline constexpr std::uint32_t scObjectTypeHelicopter = 3;
inline constexpr bool gf_isAircraftObjectType(std::uint32_t type)
{
    return type == scObjectTypeAircraft || type == scObjectTypeHelicopter;
}
