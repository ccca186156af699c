// The calls that create, remove and take over AI aircraft in the simulator.
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"

#include "foundation/log.h"
#include "foundation/timehelpers.h"
#include "foundation/winstring.h"
#include "simconnect/protocol.h"

#include <optional>
#include <vector>

namespace {
struct Refusal {
    std::uint32_t flightId;
    bool liveryBlamed;
};
// Creations that never reached the simulator, reported once the queue mutex is released: the
// traffic manager takes the queue mutex while it holds the inbound buffer's. SimConnect thread only.
std::vector<Refusal> refusals;
} // namespace

void createAiInSim(const CreationItem& item)
{
    // The simulator knows its liveries by their titles in the system's code page.
    const std::optional<std::string> title = gf_utf8ToAnsi(item.liveryTitle);
    const std::optional<std::string> tailNumber = gf_utf8ToAnsi(item.tailNumber);
    if (!title || !tailNumber || tailNumber->size() >= scTailNumberField || title->size() >= scNameField) {
        // The simulator cannot take it: this aircraft is not created, and that is no fault of
        // the connection.
        gf_logf("! Simcon call to create ac in sim refused, {} for the simulator, hexid:{}, liv: \"{}\", "
                "callsign: {}",
                title && tailNumber ? "too long" : "not in the code page", item.flightId, item.liveryTitle,
                item.tailNumber);
        refusals.push_back({item.flightId, !title || title->size() >= scNameField});
        return;
    }
    if (SimConnect_AICreateNonATCAircraft(simConnection, title->c_str(), tailNumber->c_str(), item.position,
                                          reqCreateAircraft) != scOk) {
        gf_logf("! Simcon call to create ac in sim failed, hexid:{}, liv: \"{}\", callsign: {}", item.flightId,
                item.liveryTitle, item.tailNumber);
        refusals.push_back({item.flightId, false});
        countRequestError();
        return;
    }
    // Still under the queue mutex: no other request can have been sent since.
    std::uint32_t sendId = 0;
    if (SimConnect_GetLastSentPacketID(simConnection, &sendId) != scOk) {
        gf_log("GetLastSentPacketID");
        sendId = 0;
    }
    lf_addPendingCreation(sendId, item.flightId, item.tailNumber);
}

void lf_dropCreation(const CreationItem& item) { refusals.push_back({item.flightId, false}); }

void lf_reportRefusedCreations()
{
    for (const Refusal& refusal : refusals)
        lf_answerTraffic({0, refusal.flightId, 0, AnswerKind::creationFailed, 0.0, 0.0, refusal.liveryBlamed});
    refusals.clear();
}

bool removeAiFromSim(std::uint32_t objectId)
{
    if (objectId <= userObjectId) {
        gf_logf("{}!Simconnect call to remove AI ac with objectId {}", gf_nowString(), objectId);
        return true;
    }
    if (lf_removalSent(objectId))
        return true; // asked for already: the traffic and the stop's sweep both removed it
    if (SimConnect_AIRemoveObject(simConnection, objectId, reqRemoveObject) != scOk) {
        gf_logf("{}!Simconnect call to remove AI ac from sim failed, id {}?", gf_nowString(), objectId);
        countRequestError();
        // An aircraft of the program must not stay for one failed call.
        return !lf_isProgramObject(objectId);
    }
    // Still under the queue mutex: the packet sent last is this one.
    std::uint32_t sendId = 0;
    if (SimConnect_GetLastSentPacketID(simConnection, &sendId) != scOk)
        sendId = 0;
    lf_noteRemovalSent(objectId, sendId);
    return true;
}

void releaseAndFreezeAi(std::uint32_t objectId)
{
    std::lock_guard lock(simQueues.mutex);
    SimConnect_AIReleaseControl(simConnection, objectId, reqReleaseControl);
    for (const std::uint32_t freeze : {ceFreezeLatLon, ceFreezeAltitude, ceFreezeAttitude})
        SimConnect_TransmitClientEvent(simConnection, objectId, freeze, 1, notificationGroup, 0);
}
