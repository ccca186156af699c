#pragma once
// The simulator link: the SimConnect thread with its connection, the program's definitions
// and subscriptions, the handlers of the simulator's messages and the state they keep.
#include "links/simmessage.h"
#include "links/useraircraft.h"
#include "simconnect/simconnect.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

struct InboundAnswer;

inline constexpr const char* simClientName = "Tarnwick_P3D";

// The open connection, null while there is none. Read and used only under the queue mutex
// (simQueues.mutex); set and cleared by the SimConnect thread.
extern ScConnection* simConnection;

// The simulator sent its quit message; the SimConnect thread then ends.
extern std::atomic<bool> simulatorQuit;
// The simulator runs a flight ("Sim" event); cleared by a quit and when the link fails.
extern std::atomic<bool> flightRunning;
// Set by repeated request errors: the frame flush sends only removals and the user position
// is not asked for. Cleared at each start of traffic.
extern std::atomic<bool> simPaused;
extern std::atomic<std::int32_t> requestErrorCount;
// Set on each on-ground report of the user aircraft, about once a second; the main loop's
// per-second jobs consume it.
extern std::atomic<bool> newSecond;
// Simulator time in seconds since 1970 (UTC), kept while RealTraffic is the professional edition.
extern std::atomic<std::int64_t> simulatorTime;
extern std::atomic<float> simFrameRate;
// Passes of the dispatch loop since the start: each waits a millisecond, so the loop
// leaves the processor to the simulator.
extern std::atomic<std::uint64_t> dispatchPasses;
// The user aircraft's object id; AI objects have greater ids.
extern std::atomic<std::uint32_t> userObjectId;
// The user aircraft is on the ground, and that has been reported at least once.
extern std::atomic<bool> userOnGround;
extern std::atomic<bool> userOnGroundReceived;

// What the link knows of the user aircraft besides its block; copied under the link's lock.
struct UserAircraftInfo {
    std::string title;        // at most 48 characters
    std::string model;        // the ATC model code
    double halfWingspan = 0.0; // nautical miles
    bool wingspanKnown = false;
    std::int32_t sizeClass = 0;
    std::string stand;        // the park airport's stand at the user's position, empty when none
};
UserAircraftInfo gf_userAircraftInfo();

// The thread body; ends on a stop request, on the exit flags while not connected, when the
// simulator quits or the connection breaks, and on a failure.
void simConnectThread(std::stop_token stop);
// Starts the SimConnect thread, after stopping and joining the previous one.
void gf_startSimConnectThread();
// Asks the SimConnect thread to stop; it closes its connection and ends.
void gf_requestSimConnectStop();
// Stops and joins the SimConnect thread, then resets the link's state and empties its
// queues (in-process restart).
void gf_resetSimLink();

// Declares definitions, events, the notification group and the subscriptions.
void setupSimConnect(ScConnection* connection);
// Clears the definitions, unsubscribes the events and closes the connection.
void closeSimConnect();
void lf_clearDefinitions(ScConnection* connection);

void dispatchSimConnect(const std::uint8_t* packet, std::uint32_t size, void* context);
void onSimConnectOpen(const SimMessage& message);
void onSimConnectException(const SimMessage& message);
void onSimConnectEvent(const SimMessage& message);
void onObjectAddedRemoved(const SimMessage& message);
void onSimObjectData(const SimMessage& message);
void onSimObjectDataByType(const SimMessage& message);
// The answer about one object just announced: a creation of the program is known by it.
void onNewObjectData(const SimMessage& message);
void lf_onStaticCg(const SimMessage& message);
void onUserOnGround(const SimMessage& message);
void onUserPosition(const SimMessage& message);
void readUserAircraftTitle(const SimMessage& message);
void readUserAircraftModel(const SimMessage& message);

// The user aircraft block as last received, without asking for it.
UserAircraft gf_userAircraftBlock();
// Asks for the user position (unless paused) and returns a copy of the block as last received.
UserAircraft requestUserPosition();
// Asks for the user aircraft's title and model.
void requestUserTitleAndModel();
// Counts a failed request; the third pauses the queues and restarts the program.
void countRequestError();
// Remembers the user's stand in the park airports list when the user is parked at one.
void lf_saveUserStand();
// The simulator is gone: unless an exit is under way, the exit "SIM WAS CLOSED".
void lf_simulatorGone();

// Creations sent and not yet answered, and AI objects announced and not yet identified.
// SimConnect thread only.
void lf_addPendingCreation(std::uint32_t sendId, std::uint32_t flightId, const std::string& callsign);
// The flight id of the first pending creation with this callsign, taken out; 0 when none.
std::uint32_t takePendingCreation(const std::string& callsign);
// The flight id of the pending creation with this send id, taken out; nullopt when none.
std::optional<std::uint32_t> lf_takePendingBySendId(std::uint32_t sendId);
void lf_noteNewObject(std::uint32_t objectId);
bool lf_takeNewObject(std::uint32_t objectId);
// Forgets the creations, the objects announced and the program's objects (a new connection).
void lf_clearAiBookkeeping();

// The AI objects the simulator made for the program, whatever the traffic manager knows of
// them. While the traffic takes no new objects (it has stopped, or an exit is under way),
// queued creations are not sent, the creations still on their way are looked for, and an
// object made for the program from then on is removed at once.
void gf_takeNewAiObjects(bool take);
bool gf_takingNewAiObjects();
// Hands an answer about the AI aircraft to the traffic manager while it takes them; after
// that nothing is buffered. SimConnect thread.
void lf_answerTraffic(const InboundAnswer& answer);
// Queues the removal of every object of the program whose removal is neither queued nor sent.
void gf_removeProgramObjects();
// Objects of the program the simulator has not yet reported removed, and creations not yet
// answered; 0 without a connection.
std::size_t gf_programObjectsLeft();
// The simulator removed the object. SimConnect thread.
void lf_programObjectRemoved(std::uint32_t objectId);
// Under the queue mutex: whether the object's removal was sent, whether the object is the
// program's, and that its removal was sent.
bool lf_removalSent(std::uint32_t objectId);
bool lf_isProgramObject(std::uint32_t objectId);
void lf_noteRemovalSent(std::uint32_t objectId, std::uint32_t sendId);
// The object whose removal was sent in this packet, taken out; none when it was another request.
// SimConnect thread.
std::optional<std::uint32_t> lf_takeRemovalBySendId(std::uint32_t sendId);
// While the traffic takes no new objects and creations wait for their answer, asks for the
// aircraft within range once a second, for lateCreationSeconds after the traffic stopped;
// then the creations not answered are given up. Frame flush, under the queue mutex.
void lf_askForLateObjects();
// Asks for the data of the aircraft and helicopters within the radius (request 101); the
// result of a failed request, else scOk. Under the queue mutex.
ScResult gf_requestObjectsWithinRange(std::uint32_t radiusMetres);
// The user aircraft's state back to nothing known.
void lf_clearUserAircraft();
