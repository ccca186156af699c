#include "support/trafficacts.h"

#include "links/simqueues.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"
#include "refgen/refgen.h"
#include "traffic/parking.h"

Act gf_testAct(std::uint32_t flightId, std::uint32_t status, std::uint32_t objectId, const std::string& callsign,
               double latitude, double longitude)
{
    ActHead head;
    head.identity.callsign = callsign;
    head.identity.type = "A320";
    head.flightId = flightId;
    Act act = lf_newAct(std::move(head), {PathPoint{.latitude = latitude, .longitude = longitude}}, 0.0);
    act.base.status = status;
    act.base.objectId = objectId;
    act.latitude = latitude;
    act.longitude = longitude;
    act.phase = phaseGround;
    act.onGround = 1;
    return act;
}

Act& gf_testAddAct(std::uint32_t flightId, std::uint32_t status, std::uint32_t objectId,
                            const std::string& callsign, double latitude, double longitude)
{
    return liveActs.emplace_back(gf_testAct(flightId, status, objectId, callsign, latitude, longitude));
}

void gf_testClearTraffic()
{
    liveActs.clear();
    staticActs.clear();
    removalQueue.clear();
    liveCreationItems.clear();
    staticCreationItems.clear();
    creationRequests.clear();
    standCandidates.clear();
    settlingList.clear();
    ghostList.clear();
    unknownTypeFlights.clear();
    learningList.clear();
    parkStands.clear();
    gf_forgetStandHolders();
    gf_publishStands();
    landingFlag = false;
    gf_setParkAirport({});
    gf_setReservedStandName("");
    {
        std::lock_guard lock(inboundMutex);
        inboundBuffer.clear();
    }
    gf_emptySimQueues();
}

void gf_testLoadWorld()
{
    refgen::writeProgramFiles(refgen::baseWorld(), L".");
    gf_readAircraftData();
    gf_readFixes();
    lf_readLiveriesScanned();
    processScannedLiveries();
}
