// The AI aircraft as the simulator reports them: creations awaiting their answer, objects
// announced and not yet identified, and the data that the traffic manager receives about them.
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"

#include "app/buildconfig.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"
#include "simconnect/protocol.h"
#include "traffic/traffic.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <vector>

namespace {
constexpr double nearbyHeightFeet = 2500.0;
constexpr std::size_t reservedEntries = 256;
constexpr std::uint32_t atcIdField = 32;

// Offsets in the answer of definition 404: height above ground, ground altitude, on ground, ATC id.
constexpr std::uint32_t nearbyHeight = scOff::dataStart;
constexpr std::uint32_t nearbyGround = scOff::dataStart + 8;
constexpr std::uint32_t nearbyOnGround = scOff::dataStart + 16;
constexpr std::uint32_t nearbyAtcId = scOff::dataStart + 24;

struct PendingCreation {
    std::uint32_t sendId = 0;
    std::uint32_t flightId = 0;
    std::string callsign;
};

// The removals sent, by the packet that asked: under the queue mutex.
struct RemovalSend {
    std::uint32_t sendId = 0;
    std::uint32_t objectId = 0;
};
std::vector<RemovalSend> removalSends;

// SimConnect thread only.
std::vector<PendingCreation> pendingCreations;
std::vector<std::uint32_t> newObjects;
std::chrono::steady_clock::time_point lastLateRequest;
constexpr auto lateRequestInterval = std::chrono::seconds(1);

// What other threads may ask of the pending creations.
std::atomic<std::size_t> pendingCount{0};
// The traffic takes the aircraft that the simulator creates for it.
std::atomic<bool> takingNewObjects{true};
// Until then the creations still on their way when the traffic stopped are looked for.
// Under simQueues.mutex.
std::chrono::steady_clock::time_point lateSearchEnd;
// Every AI object the simulator made for the program and has not reported removed, and
// whether its removal was sent: whatever the traffic manager knows of it, it is removed when
// the traffic stops. Under simQueues.mutex.
std::map<std::uint32_t, bool> programObjects;

// Removes the element by moving the last one into its place.
template <typename Vector, typename Iterator>
void lf_swapRemove(Vector& vector, Iterator at)
{
    *at = std::move(vector.back());
    vector.pop_back();
}

// The flight id of the first pending creation that matches, taken out.
template <typename Match>
std::optional<std::uint32_t> lf_takePending(Match match)
{
    const auto found = std::find_if(pendingCreations.begin(), pendingCreations.end(), match);
    if (found == pendingCreations.end())
        return std::nullopt;
    const std::uint32_t flightId = found->flightId;
    lf_swapRemove(pendingCreations, found);
    pendingCount = pendingCreations.size();
    return flightId;
}

// Remembers an object made for the program. False when the traffic takes no new objects any
// more: its removal is queued at once.
bool lf_takeProgramObject(std::uint32_t objectId)
{
    std::lock_guard lock(simQueues.mutex);
    programObjects.emplace(objectId, false);
    if (takingNewObjects.load())
        return true;
    simQueues.removals.push_back(objectId);
    return false;
}
} // namespace

void lf_addPendingCreation(std::uint32_t sendId, std::uint32_t flightId, const std::string& callsign)
{
    pendingCreations.push_back({sendId, flightId, callsign});
    pendingCount = pendingCreations.size();
}

std::uint32_t takePendingCreation(const std::string& callsign)
{
    return lf_takePending([&](const PendingCreation& pending) { return pending.callsign == callsign; }).value_or(0);
}

std::optional<std::uint32_t> lf_takePendingBySendId(std::uint32_t sendId)
{
    return lf_takePending([&](const PendingCreation& pending) { return pending.sendId == sendId; });
}

void lf_noteNewObject(std::uint32_t objectId)
{
    // Once the traffic has stopped only the program's creations are looked for.
    if (takingNewObjects.load() || !pendingCreations.empty())
        newObjects.push_back(objectId);
    if (pendingCreations.empty())
        return;
    // Its data is asked of the object itself, which answers wherever it stands: the aircraft
    // within the radius are not all the program makes (static aircraft at a park airport
    // farther away), and each must be known to be removed.
    std::lock_guard lock(simQueues.mutex);
    if (SimConnect_RequestDataOnSimObject(simConnection, reqNewObject, defNearbyAircraft, objectId, scPeriodOnce, 0, 0,
                                          0, 0) != scOk) {
        gf_logMarked("SimConnect request new object data fails");
        countRequestError();
    }
}

bool lf_takeNewObject(std::uint32_t objectId)
{
    const auto found = std::find(newObjects.begin(), newObjects.end(), objectId);
    if (found == newObjects.end())
        return false;
    lf_swapRemove(newObjects, found);
    return true;
}

void lf_clearAiBookkeeping()
{
    pendingCreations.clear();
    pendingCount = 0;
    newObjects.clear();
    pendingCreations.reserve(reservedEntries);
    newObjects.reserve(reservedEntries);
    std::lock_guard lock(simQueues.mutex);
    programObjects.clear();
    removalSends.clear();
}

void gf_takeNewAiObjects(bool take)
{
    std::lock_guard lock(simQueues.mutex);
    if (!take && takingNewObjects.load())
        lateSearchEnd = std::chrono::steady_clock::now() + std::chrono::seconds(lateCreationSeconds);
    takingNewObjects = take;
}

void lf_answerTraffic(const InboundAnswer& answer)
{
    // Nobody takes the answers once the traffic has stopped; the link itself removes what
    // the simulator still makes for it.
    if (takingNewObjects.load())
        lf_pushToBuffer(answer);
}

bool gf_takingNewAiObjects() { return takingNewObjects.load(); }

void gf_removeProgramObjects()
{
    std::lock_guard lock(simQueues.mutex);
    std::size_t queued = 0;
    for (const auto& [objectId, sent] : programObjects)
        if (!sent && std::ranges::find(simQueues.removals, objectId) == simQueues.removals.end()) {
            simQueues.removals.push_back(objectId);
            ++queued;
        }
    if (queued > 0)
        gf_logf("{} AI aircraft the traffic left in the simulator removed", queued);
}

std::size_t gf_programObjectsLeft()
{
    std::lock_guard lock(simQueues.mutex);
    if (simConnection == nullptr)
        return 0; // nothing can be removed without one
    return pendingCount.load() + programObjects.size();
}

void lf_programObjectRemoved(std::uint32_t objectId)
{
    lf_takeNewObject(objectId); // gone before it was identified
    std::lock_guard lock(simQueues.mutex);
    programObjects.erase(objectId);
}

bool lf_removalSent(std::uint32_t objectId)
{
    const auto found = programObjects.find(objectId);
    return found != programObjects.end() && found->second;
}

bool lf_isProgramObject(std::uint32_t objectId) { return programObjects.contains(objectId); }

void lf_noteRemovalSent(std::uint32_t objectId, std::uint32_t sendId)
{
    if (const auto found = programObjects.find(objectId); found != programObjects.end())
        found->second = true;
    // The simulator answers a removal only when it fails: the last few are enough to know which.
    if (removalSends.size() >= reservedEntries)
        removalSends.erase(removalSends.begin());
    removalSends.push_back({sendId, objectId});
}

std::optional<std::uint32_t> lf_takeRemovalBySendId(std::uint32_t sendId)
{
    std::lock_guard lock(simQueues.mutex);
    const auto found = std::ranges::find(removalSends, sendId, &RemovalSend::sendId);
    if (sendId == 0 || found == removalSends.end())
        return std::nullopt;
    const std::uint32_t objectId = found->objectId;
    removalSends.erase(found);
    return objectId;
}

void lf_askForLateObjects()
{
    // The traffic asks for the aircraft within range while it runs; after it stopped, the
    // creations still on their way are found here, so that they can be removed. A simulator
    // that has not answered them by the end of the search never will.
    if (takingNewObjects.load() || pendingCreations.empty())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now >= lateSearchEnd) {
        gf_logMarked(fmt::format("{} AI aircraft creations not answered within {} s of the stop, no longer looked for",
                                 pendingCreations.size(), lateCreationSeconds));
        pendingCreations.clear();
        pendingCount = 0;
        newObjects.clear();
        return;
    }
    if (now - lastLateRequest < lateRequestInterval)
        return;
    lastLateRequest = now;
    gf_requestObjectsWithinRange(static_cast<std::uint32_t>(std::max(lateralRadiusMetres.load(), 0)));
}

ScResult gf_requestObjectsWithinRange(std::uint32_t radiusMetres)
{
    // Helicopters may come under a type of their own, and each type is asked for alone.
    ScResult result = scOk;
    for (const std::uint32_t type : {scObjectTypeAircraft, scObjectTypeHelicopter})
        if (const ScResult sent = SimConnect_RequestDataOnSimObjectType(simConnection, reqWithinRange,
                                                                         defNearbyAircraft, radiusMetres, type);
            sent != scOk)
            result = sent;
    return result;
}

namespace {
// What definition 404 tells of an object; nothing when the answer is too short.
struct NearbyData {
    double height = 0.0;
    std::string atcId;
};

std::optional<NearbyData> lf_readNearbyData(const SimMessage& message, std::uint32_t objectId)
{
    if (!message.has(nearbyAtcId, atcIdField)) {
        gf_logf("! SimConnect data of object {} of {} bytes is too short, skipped", objectId, message.size);
        return std::nullopt;
    }
    // The ATC id comes in the system's code page.
    return NearbyData{message.read<double>(nearbyHeight).value_or(0.0),
                      gf_ansiToUtf8(message.text(nearbyAtcId, atcIdField))};
}

// An object announced a moment ago, known by its ATC id: the callsign it was created with.
// False when the object waits for no such answer (known already, or never new).
bool lf_identifyNewObject(std::uint32_t objectId, const NearbyData& data)
{
    if (!lf_takeNewObject(objectId))
        return false;
    const std::uint32_t flightId = takePendingCreation(data.atcId);
    if (flightId == 0) {
        gf_logMarked(fmt::format("just created, but not by {}, oid: {}, callsign \"{}\" unknown", simClientName,
                                 objectId, data.atcId));
        return true;
    }
    if (!lf_takeProgramObject(objectId)) {
        gf_logf("{} created after the traffic stopped, oid: {}, removed", data.atcId, objectId);
        return true;
    }
    releaseAndFreezeAi(objectId);
    if (flightId <= highestStaticFlightId)
        lf_answerTraffic({objectId, flightId, 0, AnswerKind::staticCreated, 0.0, 0.0});
    else
        lf_answerTraffic({objectId, flightId, 0, AnswerKind::liveCreated, 0.0, data.height});
    return true;
}
} // namespace

void onSimObjectDataByType(const SimMessage& message)
{
    const std::uint32_t objectId = message.u32(scOff::dataObjectId);
    if (message.u32(scOff::dataRequestId) != reqWithinRange || objectId <= userObjectId)
        return;
    const std::optional<NearbyData> data = lf_readNearbyData(message, objectId);
    if (!data || lf_identifyNewObject(objectId, *data))
        return;
    // Static parked aircraft carry a callsign ending in '*': their data is of no use.
    const std::string& atcId = data->atcId;
    if (data->height <= nearbyHeightFeet && (atcId.empty() || atcId.back() != '*'))
        lf_answerTraffic({objectId, static_cast<std::uint32_t>(message.read<std::int64_t>(nearbyOnGround).value_or(0)),
                         0, AnswerKind::objectData, message.read<double>(nearbyGround).value_or(0.0), data->height});
}

void onNewObjectData(const SimMessage& message)
{
    const std::uint32_t objectId = message.u32(scOff::dataObjectId);
    if (const std::optional<NearbyData> data = lf_readNearbyData(message, objectId))
        lf_identifyNewObject(objectId, *data);
}

void lf_onStaticCg(const SimMessage& message)
{
    const auto height = message.read<double>(scOff::dataStart);
    const auto pitch = message.read<double>(scOff::dataStart + 8);
    if (!height || !pitch) {
        gf_logf("! SimConnect static CG of {} bytes is too short, skipped", message.size);
        return;
    }
    lf_answerTraffic({message.u32(scOff::dataObjectId), 0, 0, AnswerKind::staticCg, *height, *pitch});
}
