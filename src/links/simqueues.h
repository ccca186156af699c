#pragma once
// The queues to the simulator: AI positions, client events, creations and removals, filled
// by the traffic manager (and the exit) under one mutex and sent by the SimConnect thread
// on every simulator frame.
#include "traffic/traffic.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

// One AI aircraft's position for one frame: the eight values of data definition 402, then
// the object id.
struct AiPosition {
    double latitude = 0.0;      // degrees
    double longitude = 0.0;     // degrees
    double pitch = 0.0;         // radians
    double bank = 0.0;          // radians
    double heading = 0.0;       // radians
    double altitude = 0.0;      // feet
    double verticalSpeed = 0.0; // feet per second
    double trueAirspeed = 0.0;  // knots
    std::uint32_t objectId = 0;
};

struct ClientEventItem {
    std::uint32_t objectId = 0;
    std::uint32_t eventId = 0;
    std::uint32_t value = 0;
    std::uint32_t unused = 0;
};
static_assert(sizeof(ClientEventItem) == 16);

struct SimQueues {
    // Also held by every request made outside the frame flush, so that no request is built
    // while the flush sends and a request's send id can be read right after it.
    std::mutex mutex;
    std::vector<AiPosition> positionsA;
    std::vector<AiPosition> positionsB;
    std::vector<AiPosition>* front = &positionsA; // sent by the frame flush
    std::vector<AiPosition>* back = &positionsB;  // filled by the traffic manager, then swapped
    std::vector<ClientEventItem> events;
    std::vector<CreationItem> creations;
    std::vector<std::uint32_t> removals;
};
extern SimQueues simQueues;

// Producers: each locks the queue mutex (blocking), appends, unlocks.
void queueAiCreation(const CreationItem& item);
void queueAiRemoval(std::uint32_t objectId);
void queueEngineStart(std::uint32_t objectId);
void queueEngineShutdown(std::uint32_t objectId);
void queueNavLights(std::uint32_t objectId, std::uint32_t value);
void queueCabinLights(std::uint32_t objectId, std::uint32_t value);
// NAV, BEACON, LANDING, TAXI, STROBES, LOGO and CABIN lights, in this order.
void queueLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& values);
// The object's removal waits for the next frame (or for a connection that sends it).
bool gf_removalWaiting(std::uint32_t objectId);

// Hands a new aircraft of the program over from the simulator's AI: released, then frozen
// in position, altitude and attitude. SimConnect thread.
void releaseAndFreezeAi(std::uint32_t objectId);

// The frame handler: sends everything queued, positions first, then client events,
// creations and removals; skips the frame when the queues are busy. SimConnect thread.
void flushSimQueues();
// Called by the frame flush only, under the queue mutex.
void createAiInSim(const CreationItem& item);
// False when the call failed for an aircraft of the program, which is to be asked again.
bool removeAiFromSim(std::uint32_t objectId);
// A creation that is not sent (the simulator is paused, or the traffic has stopped), to be
// reported as failed.
void lf_dropCreation(const CreationItem& item);
// Reports the creations that never reached the simulator as failed; after the queue mutex
// is released.
void lf_reportRefusedCreations();

// Empties every queue, keeping the storage (restart).
void gf_emptySimQueues();
// Room for 256 entries in each queue where there is less (start of traffic).
void gf_reserveSimQueues();
