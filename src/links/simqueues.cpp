// The queues to the simulator and the frame flush.
#include "links/simqueues.h"

#include "app/status.h"
#include "links/simids.h"
#include "links/simlink.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstddef>

SimQueues simQueues;

static_assert(offsetof(AiPosition, objectId) == aiPositionBytes, "the eight values are sent as they lie");

namespace {
constexpr std::size_t reservedEntries = 256;
// Positions wait while this many packets are still unwritten: a simulator that reads slower
// than the program sends then costs frames, not memory. The next tick's positions are fresher.
constexpr std::size_t positionBacklogLimit = 256;

void lf_queueEvent(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t value)
{
    std::lock_guard lock(simQueues.mutex);
    simQueues.events.push_back({objectId, eventId, value, 0});
}

void lf_sendPositions()
{
    const std::uint32_t user = userObjectId;
    if (sc_sendBacklog(simConnection) <= positionBacklogLimit)
        for (const AiPosition& position : *simQueues.front)
            if (position.objectId > user)
                SimConnect_SetDataOnSimObject(simConnection, defAiPosition, position.objectId, 0, 0, aiPositionBytes,
                                              &position);
    simQueues.front->clear();
}

void lf_sendEvents()
{
    for (const ClientEventItem& item : simQueues.events) {
        // The simulator's AI would take the flaps back; it lets go of them only when released.
        const bool flaps = item.eventId == ceFlaps;
        if (flaps)
            SimConnect_AIReleaseControl(simConnection, item.objectId, reqReleaseControl);
        if (SimConnect_TransmitClientEvent(simConnection, item.objectId, item.eventId, item.value, notificationGroup,
                                           0) != scOk)
            gf_showStatus(fmt::format("SimConnect TransmitClientEvent: {} fails", item.eventId), true);
        else if (flaps)
            SimConnect_AIReleaseControl(simConnection, item.objectId, reqReleaseControl);
    }
    simQueues.events.clear();
}

void lf_sendRemovals()
{
    // A removal whose call failed stays queued for the next frame.
    std::vector<std::uint32_t>& removals = simQueues.removals;
    std::size_t kept = 0;
    for (const std::uint32_t objectId : removals)
        if (!removeAiFromSim(objectId))
            removals[kept++] = objectId;
    removals.resize(kept);
}
} // namespace

void queueAiCreation(const CreationItem& item)
{
    std::lock_guard lock(simQueues.mutex);
    simQueues.creations.push_back(item);
}

void queueAiRemoval(std::uint32_t objectId)
{
    std::lock_guard lock(simQueues.mutex);
    simQueues.removals.push_back(objectId);
}

bool gf_removalWaiting(std::uint32_t objectId)
{
    std::lock_guard lock(simQueues.mutex);
    return std::ranges::find(simQueues.removals, objectId) != simQueues.removals.end();
}

void queueEngineStart(std::uint32_t objectId) { lf_queueEvent(objectId, ceEngineStart, 0); }
void queueEngineShutdown(std::uint32_t objectId) { lf_queueEvent(objectId, ceEngineShutdown, 0); }
void queueNavLights(std::uint32_t objectId, std::uint32_t value) { lf_queueEvent(objectId, ceNavLights, value); }
void queueCabinLights(std::uint32_t objectId, std::uint32_t value) { lf_queueEvent(objectId, ceCabinLights, value); }

void queueLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& values)
{
    constexpr std::array<std::uint32_t, 7> lights{ceNavLights,  ceBeaconLights, ceLandingLights, ceTaxiLights,
                                                  ceStrobes,    ceLogoLights,   ceCabinLights};
    std::lock_guard lock(simQueues.mutex);
    for (std::size_t i = 0; i < lights.size(); ++i)
        simQueues.events.push_back({objectId, lights[i], values[i], 0});
}

void flushSimQueues()
{
    {
        std::unique_lock lock(simQueues.mutex, std::try_to_lock);
        if (!lock.owns_lock())
            return; // busy: everything waits for the next frame
        const bool paused = simPaused.load();
        if (paused) {
            // Nothing new goes out while paused; aircraft already in the simulator still leave
            // it, so that the removals of a coming restart are not lost. The traffic manager
            // learns of each creation dropped.
            simQueues.front->clear();
            simQueues.events.clear();
        } else {
            lf_sendPositions();
            lf_sendEvents();
        }
        // Once the traffic has stopped, nothing new is made for it.
        const bool creating = !paused && gf_takingNewAiObjects();
        for (const CreationItem& item : simQueues.creations)
            creating ? createAiInSim(item) : lf_dropCreation(item);
        simQueues.creations.clear();
        lf_sendRemovals();
        lf_askForLateObjects();
    }
    lf_reportRefusedCreations();
}

void gf_emptySimQueues()
{
    std::lock_guard lock(simQueues.mutex);
    simQueues.positionsA.clear();
    simQueues.positionsB.clear();
    simQueues.events.clear();
    simQueues.creations.clear();
    simQueues.removals.clear();
}

void gf_reserveSimQueues()
{
    std::lock_guard lock(simQueues.mutex);
    simQueues.positionsA.reserve(reservedEntries);
    simQueues.positionsB.reserve(reservedEntries);
    simQueues.creations.reserve(reservedEntries);
    simQueues.removals.reserve(reservedEntries);
}
