#pragma once
// What the rest of the program uses of the traffic manager.
#include <cstdint>

// The user aircraft as the traffic manager last copied it from the simulator (every 100th
// tick): degrees for the position, radians for the attitude, feet and knots.
struct UserAircraft {
    double latitude = 0.0;
    double longitude = 0.0;
    double pitch = 0.0;
    double bank = 0.0;
    double heading = 0.0;
    double altitude = 0.0;
    double altitudeAboveGround = 0.0;
    double groundSpeed = 0.0;
    std::int64_t zuluSeconds = 0;
    std::int64_t zuluDayOfYear = 0;
    std::int64_t zuluYear = 0;
    std::int64_t lightStates = 0;
};
// Main-loop thread only.
const UserAircraft& gf_currentUserAircraft();

// RealTraffic went away: every live aircraft leaves the simulator (created ones are
// removed, queued creations withdrawn or marked for removal when they are answered).
void gf_removeLiveAircraft();

#include <atomic>
#include <optional>
#include <utility>

// Ten-millisecond traffic ticks, counted up at the end of every tick of the main loop.
extern std::atomic<std::int32_t> tickCounter;

// The park airport's position (latitude, longitude in degrees) while one is set; any thread.
std::optional<std::pair<double, double>> gf_parkAirportPosition();

#include <string>

// Main-loop thread only: the live aircraft created in the simulator and not parked.
std::uint32_t gf_countFlyingLive();
// Main-loop thread only: parked live aircraft; with show, the live parked-time figure is updated.
std::int32_t lf_listRatio2(bool show);
// Main-loop thread only: static parked aircraft; with show, the static parked-time figure is updated.
std::int32_t lf_listRatio1(bool show);

// The park airport's code, empty while none is set, and its reserved stand; any thread.
std::string gf_parkAirportCode();
std::string gf_reservedStandName();
// Static parking is placing aircraft (the airport parking controls are disabled meanwhile).
extern std::atomic<bool> staticParkingRunning;

#include "foundation/weekslots.h"

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

// The per-second jobs that walk the traffic tables.
// The live aircraft with this flight id against the static parked ones; false when the
// aircraft is gone.
bool gf_checkStaticConflict(std::uint32_t flightId, WeekSlot slot);
// The user aircraft in the air against each live aircraft until the first conflict.
void gf_userAirConflicts();
// Taxiing live aircraft against the static parked ones (both tables not empty).
void gf_liveParkedCollisions();
// The first created live aircraft with this callsign leaves.
void gf_removeBlockedCallsign(const std::string& callsign);
// Every 61 s: live aircraft parked by name at a stand (static parked table not empty).
void gf_removeParkedByNameEach();
// The navigation lights of the parked aircraft switched as NAV_LIGHTS_WHILE_PARKED says.
void gf_sendNavLightsToParked(bool on);

// Start and end of traffic.
// Room in the traffic tables before the traffic starts.
void gf_reserveTrafficTables();
// The lists the start of traffic reserved, emptied at a final exit.
void gf_releaseTrafficLists();
// Hands every object id still waiting for removal to the simulator's queue.
void gf_queueWaitingRemovals();
// Forgets the livery chosen for each aircraft.
void gf_clearLiveryChoices();
// The flight plan folder "orig_dest" of the data folder; true when it exists (or is gone).
bool gf_createFlightPlanFolder();
bool gf_removeFlightPlanFolder();
