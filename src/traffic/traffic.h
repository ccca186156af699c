#pragma once
// What the rest of the program uses of the traffic manager.
#include "foundation/weekslots.h"
#include "links/useraircraft.h"
#include "simconnect/simconnect.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The user aircraft block as the traffic manager last copied it from the simulator link
// (every 100th tick). Main-loop thread only.
const UserAircraft& gf_currentUserAircraft();
// Replaces that copy until the next one is taken (the start of traffic and tests).
void gf_setCurrentUserAircraft(const UserAircraft& user);

// RealTraffic went away: every live aircraft leaves the simulator (created ones are
// removed, queued creations withdrawn or marked for removal when they are answered); with
// atStandsOnly, the aircraft at their stands only.
void gf_removeLiveAircraft(bool atStandsOnly = false);

// The exit, once the main loop has ended: every aircraft leaves the simulator (created ones
// are removed, queued creations withdrawn or marked), and the traffic manager's waiting
// removals go to the simulator's queue at once.
void gf_removeInjectedAircraft();
// Later, when the simulator has answered what was under way: the aircraft created meanwhile,
// and every creation answered but not yet settled, leave the simulator too.
void gf_removeLateCreations();

// Ten-millisecond traffic ticks, counted up at the end of every tick of the main loop.
extern std::atomic<std::int32_t> tickCounter;

// The park airport's position (latitude, longitude in degrees) while one is set; any thread.
std::optional<std::pair<double, double>> gf_parkAirportPosition();
// The park airport's ground traffic lies within this distance of it (nautical miles): ground
// reports beyond it are those of other fields, and an approach whose reports end beyond it is
// one to another field.
inline constexpr double parkAirportReachNm = 5.0;
// The park airport's code, empty while none is set; any thread.
std::string gf_parkAirportCode();
// The week slot for which static parking is computed; main-loop thread.
WeekSlot gf_staticWeekSlot();

// Flight ids: live aircraft carry their hex id (always above this), static parked aircraft
// a number from 1 up to it.
inline constexpr std::uint32_t highestStaticFlightId = 10000;

// One aircraft to be created in the simulator.
struct CreationItem {
    ScInitPosition position;      // heading, pitch and bank in degrees; airspeed 0
    std::string tailNumber;       // the callsign, by which the new object is recognised
    std::string_view liveryTitle; // a view into the livery list, which outlives the item
    std::uint32_t flightId = 0;   // by which the simulator's answer finds the aircraft
};

// An answer of the simulator about an AI aircraft, handed from the simulator link to the
// traffic manager.
enum class AnswerKind : std::uint32_t {
    liveCreated = 0,   // second value: flight id; second number: height above ground (ft)
    staticCreated = 1, // second value: flight id
    removed = 2,
    objectData = 3,    // second value: on ground; numbers: ground altitude, height above ground (ft)
    staticCg = 4,      // numbers: static centre of gravity to ground (ft), static pitch (radians)
    blocked = 5,       // second value: flight id
    creationFailed = 6 // second value: flight id; object id 0
};

struct InboundAnswer {
    std::uint32_t objectId = 0;
    std::uint32_t secondValue = 0;
    std::int32_t settling = 0; // ticks in the settling list, -1 when finished
    AnswerKind kind = AnswerKind::removed;
    double firstNumber = 0.0;
    double secondNumber = 0.0;
    // creationFailed: the simulator refused the livery (or its title did not fit). False when
    // the request never reached the simulator (a failed send, a paused simulator, a callsign
    // too long): the aircraft is not created, and the livery is not to blame.
    bool liveryBlamed = true;
};

// Appends one answer to the inbound buffer (SimConnect thread); drained every traffic tick.
void lf_pushToBuffer(const InboundAnswer& answer);

// The name of the park airport's stand within 55 m of the position, nearest first; empty
// when none, when no stands are loaded or while the user aircraft is not on the ground.
// Any thread: it reads the copy of the stands that gf_publishStands made.
std::string lf_standNameAt(double latitude, double longitude);
// Publishes a copy of the park airport's stands for lf_standNameAt; call after the stands
// were loaded or changed. Main-loop thread.
void gf_publishStands();

// One line of my_park_airports.txt: an airport code and the stand reserved for the user.
struct ParkAirportEntry {
    std::string code;
    std::string reservedStand; // empty when none
    double latitude = 0.0;     // degrees, from the airport list
    double longitude = 0.0;
    double distance = 0.0;     // nautical miles from the user aircraft, 0 until computed
};
// The park airports, nearest first, and the lock under which they are read and changed.
extern std::mutex parkAirportsMutex;
extern std::vector<ParkAirportEntry> parkAirports;
// Records the first entry of the park airports in the file. Call under parkAirportsMutex.
void lf_writeParkAirports();

// Main-loop thread only: the live aircraft created in the simulator and not parked.
std::uint32_t gf_countFlyingLive();
// Main-loop thread only: parked live aircraft; with show, the live parked-time figure is updated.
std::int32_t lf_listRatio2(bool show);
// Main-loop thread only: static parked aircraft; with show, the static parked-time figure is updated.
std::int32_t lf_listRatio1(bool show);

// The park airport's reserved stand, empty while none; any thread.
std::string gf_reservedStandName();
// Static parking is placing aircraft (the airport parking controls are disabled meanwhile).
extern std::atomic<bool> staticParkingRunning;

// The traffic manager's share of the main loop, the start of traffic and the exit; all on
// the start-up and main-loop thread, except where said otherwise.

// One 10 ms tick of upkeep: answers, movement, removals, creations, reports, user position.
void lf_trafficTick();
// The answers of the simulator waiting in the inbound buffer.
void lf_processBuffer();
// Static parking every 16 s; initial at the start of traffic.
void lf_staticParking(bool initial);
// Whether the traffic reader may queue reports (under the report deque's lock; any thread).
void lf_setAcceptReports(bool accept);
// The second phase of the static renewal.
void lf_parkingAdjustments();
// The reserved stand of the park airports file is cleared of an aircraft parked on it.
void lf_freeReservedStand();
// Every static parked aircraft leaves.
void lf_removeStaticParked();
// A live aircraft too close to the user aircraft on the ground leaves.
void lf_userGroundConflict();
// Trims the created live aircraft to the live maximum.
void lf_removeExcess();
// Reads the park airports file; false when a line was refused.
bool lf_readParkAirports(bool reRead);
// Reads the park airports file again and reconciles the reserved stand; true with a
// message to show.
bool lf_checkParkAirports(bool reRead, std::string& message);
// Empties every traffic table and queue (restart).
void lf_resetTraffic();


// Start and end of traffic.
// Room in the traffic tables before the traffic starts.
void gf_reserveTrafficTables();
// The lists the start of traffic reserved, emptied at a final exit.
void gf_releaseTrafficLists();
// Forgets the livery chosen for each aircraft.
void gf_clearLiveryChoices();
// The flight plan folder "orig_dest" of the data folder; true when it exists (or is gone).
bool gf_createFlightPlanFolder();
bool gf_removeFlightPlanFolder();
