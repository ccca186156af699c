// The dispatch routine and the handlers of the simulator's connection-level messages.
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"

#include "app/finalexit.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "simconnect/protocol.h"
#include "traffic/traffic.h"

#include <windows.h>

#include <fmt/format.h>

#include <cctype>

namespace {
constexpr std::uint32_t framesPerRateSample = 30;
std::uint32_t frameCount = 0; // SimConnect thread only

constexpr std::uint32_t exceptionTooManyObjects = 11;
constexpr std::uint32_t exceptionCode19 = 19;
constexpr std::uint32_t exceptionCode24 = 24;

// Answers the program never asks for, though the simulator may send them.
constexpr std::uint32_t msgIgnored12 = 12;
constexpr std::uint32_t msgIgnored16 = 16;

// A message cut short by the simulator is skipped rather than read beyond its end.
bool lf_complete(const SimMessage& message, std::uint32_t end)
{
    if (message.has(0, end))
        return true;
    gf_logf("! SimConnect message {} of {} bytes is too short, skipped", message.u32(scOff::id), message.size);
    return false;
}

bool lf_contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool lf_versionAccepted(const std::string& formed)
{
    const std::string installPath = SIM_INSTALL_PATH.getValue();
    const std::int32_t version = P3D_VERSION.value;
    if (lf_contains(formed, "v5") && (lf_contains(installPath, "v5") || lf_contains(installPath, "V5") || version == 5))
        return true;
    return lf_contains(formed, "v6") && (lf_contains(installPath, "v6") || lf_contains(installPath, "V6") || version == 6);
}

void lf_onFrame(const SimMessage& message)
{
    flushSimQueues();
    if (++frameCount < framesPerRateSample)
        return;
    if (const auto rate = message.read<float>(scOff::eventExtra))
        simFrameRate = *rate;
    frameCount = 0;
}

void lf_restartAfter(const char* reason, bool saveStand)
{
    gf_logMarked(reason);
    if (saveStand)
        lf_saveUserStand();
    gf_startFinalExit(2, 30);
}
} // namespace

void dispatchSimConnect(const std::uint8_t* packet, std::uint32_t size, void*)
{
    const SimMessage message{packet, size};
    const std::uint32_t id = message.u32(scOff::id);
    switch (id) {
    case scMsgException:
        onSimConnectException(message);
        break;
    case scMsgOpen:
        onSimConnectOpen(message);
        break;
    case scMsgQuit:
        flightRunning = false;
        simulatorQuit = true;
        break;
    case scMsgEvent:
        onSimConnectEvent(message);
        break;
    case scMsgEventObjectAddRemove:
        onObjectAddedRemoved(message);
        break;
    case scMsgEventFilename:
        lf_restartAfter("New file loaded", true);
        break;
    case scMsgEventFrame:
        lf_onFrame(message);
        break;
    case scMsgObjectData:
        onSimObjectData(message);
        break;
    case scMsgObjectDataByType:
        onSimObjectDataByType(message);
        break;
    case msgIgnored12:
    case msgIgnored16:
        break;
    default:
        gf_logf("! Unknown Dispatch dwID {}", id);
    }
}

void onSimConnectOpen(const SimMessage& message)
{
    if (!lf_complete(message, scOff::openEnd))
        return;
    const std::string received = message.text(scOff::openName, scNameField);
    if (received.empty()) {
        gf_log("! Simulator name empty?");
        return;
    }
    frameCount = 0;
    mainWindow.simulatorConnected = true;
    gf_repaintBand(countersBand);
    std::string name;
    for (const char c : received)
        if (std::isalnum(static_cast<unsigned char>(c)) || std::isspace(static_cast<unsigned char>(c)))
            name += c;
    if (name == "KittyHawk" || name == "SunRise")
        throw zeb::UserErrorException(78, name + ", (MSFS) not being P3D connects ... ?");
    const std::string formed =
        fmt::format("{} ({}.{}.{}.{})", name, message.u32(scOff::openVersion), message.u32(scOff::openVersion + 4),
                    message.u32(scOff::openVersion + 8), message.u32(scOff::openVersion + 12));
    gf_log(formed + " connected ");
    gf_setDisplayText(&MainWindow::simulatorLine, formed, countersBand);
    if (!lf_versionAccepted(formed)) {
        EnableWindow(SIM_INSTALL_PATH.window, TRUE);
        throw zeb::UserErrorException(78, fmt::format("wrong P3D version \"{}\" connects ... ?", formed));
    }
    gf_clearStatus();
}

void onSimConnectException(const SimMessage& message)
{
    if (!lf_complete(message, scOff::exceptionEnd))
        return;
    const std::uint32_t code = message.u32(scOff::exceptionCode);
    switch (code) {
    case scExceptionUnrecognizedId: {
        // An object the simulator no longer knows, asked to be removed: it is gone.
        if (const auto objectId = lf_takeRemovalBySendId(message.u32(scOff::exceptionSendId))) {
            lf_programObjectRemoved(*objectId);
            lf_answerTraffic({*objectId, 0, 0, AnswerKind::removed, 0.0, 0.0});
            break;
        }
        const UserAircraft user = gf_userAircraftBlock();
        if (!gf_userPositionUnknown(user.latitude, user.longitude))
            gf_logMarked("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID");
        break;
    }
    case scExceptionVersionMismatch:
        throw zeb::UserErrorException(
            95, fmt::format("Simconnect Version Mismatch, dwindex: {} ", message.u32(scOff::exceptionIndex)));
    case exceptionTooManyObjects:
        gf_showStatus("SimConnect: too many objects (max 1000)", true);
        break;
    case exceptionCode19:
    case exceptionCode24:
        gf_logf("SIMCON EXCEP {}", code);
        break;
    case scExceptionCreateObjectFailed:
        if (const auto flightId = lf_takePendingBySendId(message.u32(scOff::exceptionSendId)); flightId && *flightId != 0)
            lf_answerTraffic({0, *flightId, 0, AnswerKind::creationFailed, 0.0, 0.0});
        break;
    case scExceptionLoadFlightPlanFailed:
        gf_logMarked("Simconnect Exception: load flight plan failed");
        break;
    default:
        gf_logMarked(fmt::format("SIMCON EXCEP {}", code));
    }
}

void onSimConnectEvent(const SimMessage& message)
{
    if (!lf_complete(message, scOff::eventEnd))
        return;
    switch (message.u32(scOff::eventId)) {
    case evSim: {
        const bool running = message.u32(scOff::eventData) == 1;
        flightRunning = running;
        mainWindow.flightMark = running;
        gf_repaintBand(countersBand);
        break;
    }
    case evPositionChanged:
        lf_restartAfter("User ac position changed", false);
        break;
    case evFlightLoaded:
        lf_restartAfter("Flight loaded", true);
        break;
    default:
        break;
    }
}

void onObjectAddedRemoved(const SimMessage& message)
{
    if (!lf_complete(message, scOff::eventExtraEnd) || !gf_isAircraftObjectType(message.u32(scOff::eventExtra)))
        return;
    const std::uint32_t objectId = message.u32(scOff::eventData);
    switch (message.u32(scOff::eventId)) {
    case evObjectAdded:
        if (objectId > userObjectId)
            lf_noteNewObject(objectId);
        break;
    case evObjectRemoved:
        lf_programObjectRemoved(objectId);
        lf_answerTraffic({objectId, 0, 0, AnswerKind::removed, 0.0, 0.0});
        break;
    default:
        break;
    }
}

void onSimObjectData(const SimMessage& message)
{
    if (!lf_complete(message, scOff::dataStart))
        return;
    switch (message.u32(scOff::dataRequestId)) {
    case reqStaticCg:
        lf_onStaticCg(message);
        break;
    case reqUserTitle:
        readUserAircraftTitle(message);
        break;
    case reqUserModel:
        readUserAircraftModel(message);
        break;
    case reqUserOnGround:
        onUserOnGround(message);
        break;
    case reqUserPosition:
        onUserPosition(message);
        break;
    case reqNewObject:
        onNewObjectData(message);
        break;
    default:
        break;
    }
}
