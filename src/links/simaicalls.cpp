// The calls that create, remove and take over AI aircraft in the simulator.
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"

#include "foundation/log.h"
#include "foundation/timehelpers.h"
#include "simconnect/protocol.h"

#include <vector>

namespace {
// Creations refused before sending, reported once the queue mutex is released: the traffic
// manager takes the queue mutex while it holds the inbound buffer's. SimConnect thread only.
std::vector<std::uint32_t> refusedFlights;
} // namespace

void createAiInSim(const CreationItem& item)
{
    const std::string title(item.liveryTitle);
    if (item.tailNumber.size() >= scTailNumberField || title.size() >= scNameField) {
        // The simulator's fields cannot hold it: this aircraft is not created, and that is no
        // fault of the connection.
        gf_logf("! Simcon call to create ac in sim refused, too long for the simulator, hexid:{}, liv: \"{}\", "
                "callsign: {}",
                item.flightId, title, item.tailNumber);
        refusedFlights.push_back(item.flightId);
        return;
    }
    if (SimConnect_AICreateNonATCAircraft(simConnection, title.c_str(), item.tailNumber.c_str(), item.position,
                                          reqCreateAircraft) != scOk) {
        gf_logf("! Simcon call to create ac in sim failed, hexid:{}, liv: \"{}\", callsign: {}", item.flightId, title,
                item.tailNumber);
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

void lf_reportRefusedCreations()
{
    for (const std::uint32_t flightId : refusedFlights)
        lf_pushToBuffer({0, flightId, 0, AnswerKind::creationFailed, 0.0, 0.0});
    refusedFlights.clear();
}

void removeAiFromSim(std::uint32_t objectId)
{
    if (objectId <= userObjectId) {
        gf_logf("{}!Simconnect call to remove AI ac with objectId {}", gf_nowString(), objectId);
        return;
    }
    if (SimConnect_AIRemoveObject(simConnection, objectId, reqRemoveObject) != scOk) {
        gf_logf("{}!Simconnect call to remove AI ac from sim failed, id {}?", gf_nowString(), objectId);
        countRequestError();
    }
}

void releaseAndFreezeAi(std::uint32_t objectId)
{
    std::lock_guard lock(simQueues.mutex);
    SimConnect_AIReleaseControl(simConnection, objectId, reqReleaseControl);
    for (const std::uint32_t freeze : {ceFreezeLatLon, ceFreezeAltitude, ceFreezeAttitude})
        SimConnect_TransmitClientEvent(simConnection, objectId, freeze, 1, notificationGroup, 0);
}
