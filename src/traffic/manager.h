#pragma once
// The traffic manager's own operations, shared by its source files. Main-loop thread only,
// except where said otherwise.
#include "links/livereport.h"
#include "traffic/records.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

// Clocks. Tests shift them; the shift is 0 in the program.
extern std::atomic<std::int64_t> steadyClockShift; // added to the steady clock, its own units
extern std::atomic<std::int64_t> systemClockShift; // added to the system clock, 100 ns units
extern std::atomic<std::int64_t> pinnedClock;      // not 0: both clocks read this (runs that must repeat)
std::int64_t gf_steadyTicks();
std::int64_t gf_systemTicks(); // 100 ns units since 1601, as the system clock reports
// The current week slot as the main loop last set it.
WeekSlot gf_slotNow();
// The tick counter as 64 bits, for arithmetic with due ticks.
inline std::int64_t gf_now() { return tickCounter.load(); }

// The park airport: code, IATA code, position and elevation; set by the park airport choice.
struct ParkAirport {
    std::string code;
    std::string iata;
    double latitude = 0.0;
    double longitude = 0.0;
    double elevation = 0.0; // feet
};
// Sets or (with an empty code) clears the park airport; any thread.
void gf_setParkAirport(const ParkAirport& airport);
// A copy of the park airport; code empty when none is set; any thread.
ParkAirport gf_parkAirport();

// Per-tick upkeep.
void gf_publishStandsWhenChanged();
void lf_groundMovementTick();
// The inbound buffer of the simulator's answers.
extern std::mutex inboundMutex;
extern std::vector<InboundAnswer> inboundBuffer;
// Matching and updating of reports.
// The report is the manager's own: it takes the manager's word on the ground in place.
void lf_processReport(LiveReport report);
PathPoint gf_pointOfReport(const LiveReport& report);
// The traffic manager's word on whether a report is on the ground (airborne flag and altitude),
// from what it knows of the aircraft (null: a new one).
void gf_decideGround(LiveReport& report, std::uint32_t sizeClass, const Act* act);
bool lf_updateAct(LiveReport& report, Act& act);
bool lf_ghostOwnerExists(const std::string& callsign);
void lf_removeGhost(const std::string& callsign);
// Report application to the path.
void lf_applyReport(Act& act, PathPoint p);
// The early and late delays after a take-off roll or a prediction ended.
void gf_setDelays(Act& act);
// Creation.
void lf_decideAll(Act& act);
void lf_decideAircraft(Act& act);
bool lf_matchLivery(Act& act);
void liveAIAdded(Act& act, const InboundAnswer& answer);
// Writes the flight plan of a created aircraft whose route is complete and assigns it.
void lf_createFlightPlan(Act& act);
void gf_allLightsToggle(bool& finished, InboundAnswer& entry);
void lf_liveSettled(Act& act);
// Every object whose creation was answered but has not settled is removed now (the exit: the
// settling would never end); its record, where there is one, is marked as being removed.
void lf_removeUnsettled();
// Answers of the simulator.
void lf_processAnswer(const InboundAnswer& answer);
// Events and removal of one aircraft.
// The light states (navigation, beacon, landing, taxi, strobes, logo, cabin), and the cabin's alone;
// held, as the other events, while the live aircraft is shown behind the place where its path set them.
void gf_queueLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& values);
void gf_queueCabinLights(std::uint32_t objectId, std::uint32_t value);
void lf_queueSpoilers(const StaticAct& act, bool extended);
void lf_queueFlaps(StaticAct& act, std::uint32_t step);
void lf_queueGear(const StaticAct& act, bool down);
void lf_queueThrottle(StaticAct& act, std::uint32_t step);
void lf_shutDownAtStand(StaticAct& act);
// Frees the stand, sets status 4 and queues the object's removal. A static aircraft without
// object is removed once created; a live one without object is dropped from the table.
void lf_removeAircraft(StaticAct& act);
void lf_removeAircraft(Act& act, std::string_view reason);
// Drops a live record that has no object (flagged, erased by the movement pass). One whose old
// object went to be made again is logged as not made again, for this reason.
void gf_dropAct(Act& act, std::string_view why);
// The stand and callsign columns that begin a log line about the aircraft: its stand's name
// while it has one to go to or stands at, else blanks.
std::string gf_actColumns(const Act& act);
// A client event to the simulator now.
void gf_sendEvent(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t value);
// Holds a client event of a live aircraft shown behind its path until the shown aircraft reaches
// the place where its path is now; false when it goes now.
bool gf_holdEvent(Act& act, std::uint32_t eventId, std::uint32_t value);
// The aircraft's object goes and a new one is made where its path is, from the points it has:
// what it shows cannot reach its path.
void gf_createAgain(Act& act, std::string_view why);
// An aircraft that left its stand unseen is made again where its path is, once its report there
// falls due; true when it is.
bool gf_remakeWhenDue(Act& act);
// The old object of an aircraft made again, or given a new identity, is gone (the simulator says
// so, or has not within a few seconds): the new one is asked for.
void gf_oldObjectGone(Act& act);
// The simulator has not said within a few seconds of the old object's removal being sent that it
// went.
bool gf_oldObjectOverdue(Act& act);
// Every phase change keeps the phase it left.
void gf_setPhase(Act& act, std::uint32_t phase);
// Farthest-first trimming.
bool lf_removeFarthest(double distance);
void lf_clearStaticParking();
// The callsigns that static parking's stand search must leave out.
extern std::set<std::string, std::less<>> searchCallsigns;
// Flight plans.
std::string gf_flightPlanName(std::uint32_t objectId);
std::wstring gf_flightPlanPath(std::uint32_t objectId);
bool gf_writeFlightPlan(const std::wstring& path, const ActHead& head);
// The livery chosen per flight id.
void gf_forgetCachedLivery(std::uint32_t flightId);

// The requests that the traffic manager sends to the simulator itself (not through the
// queues), each under the queue mutex; false when the call failed.
struct SimRequest {
    std::uint32_t id = 0;       // 101 within range, 102 static CG, 110 flight plan, 214 lights toggle, 401 touch-down data
    std::uint32_t objectId = 0; // 0 for the within-range request
    std::uint32_t radius = 0;   // metres, within range
    std::string path;           // flight plan file
    std::array<double, 3> values{}; // touch-down data
};
bool gf_simRequest(const SimRequest& request);
// While set, the requests go here instead of the simulator (tests).
extern bool (*simRequestSeam)(const SimRequest& request);

// Calls into the path stepping, ground movement, stand choice, learning and stand
// conflicts (built with the ground movement).
void lf_groundStep(Act& act);
void lf_followCurve(Act& act);
StandRecord* lf_findStandNear(double latitude, double longitude, Act& act, double radius, bool hold);
bool lf_learnRealOption(std::uint32_t standNumber, Act& act, bool chain, WeekSlot slot, bool end);
void lf_beginTakeOff(Act& act);
void lf_teachCargo(Act& act);
// Its parked time starts now, whether it was created at its stand or taxied onto it.
void gf_startParkedTime(Act& act);
struct StandContext {
    std::uint32_t standNumber = 0;
    Act* newcomer = nullptr;
    bool goAhead = true; // cleared when the newcomer is refused
    const StandRecord* stand = nullptr; // the stand the newcomer takes (for its adjacent stands)
};
bool lf_standWanted(StandContext& context, Act& other);
bool lf_adjacentColliding(StandContext& context, Act& other);
void lf_clearStand(Act& act, StandRecord& stand);
// The other leg of a live flight from the stand options around this time (once per aircraft).
void lf_searchForCoupledCsAroundThisTime(WeekSlot slot, Act& act);

// Static parking and the user-aircraft removals.
// Removes parked aircraft over the park maximum, when a newcomer at a stand is created or an arrival
// parks. A live aircraft at a stand counts from the request of its creation on; extra counts
// aircraft about to park that the tables do not hold. A parked live aircraft makes way for an
// arrival once it has stood a minute, for a newcomer only once it has stood long.
void lf_enforceMaxPark(std::int32_t extra, bool arrival = false);
// Whether one more live aircraft may be asked for at a stand: within the park maximum, counting
// the creations asked for already, or with as many parked ones that may make way for a newcomer.
bool gf_parkRoomForOneMore();
// The park maximum is reached, counted with the creations asked for and the live aircraft about
// to be created at their stands: no static aircraft is placed.
bool gf_parkFull();
// Its reports at its stand (where it stands) do not show it again until they take it away (park
// maximum).
void gf_keepOut(std::uint32_t flightId, double latitude, double longitude);
// True for a report of a live aircraft removed for the park maximum that still stands at or
// near its stand: it is not shown again until its reports, several in a row, take it away
// from the stand, or until they come again after ten minutes of silence.
bool lf_keptOutAtStand(const LiveReport& report);
void lf_forgetKeptOut();
// Static parking allows soft learning at the present park airport (not where the real
// options already fill it); set when the park airport is loaded.
extern std::atomic<bool> softLearningAllowed;
bool gf_softLearningAllowed();
// Forgets the park airport's choice, reserved stand, maximum and renewal lists (restart).
void gf_resetStaticParking();
// Turns the last stand candidate into a static parked aircraft with its creation queued.
void lf_placeStaticParked();
// Withdraws the queued creations of this callsign, flagging their records; true when one was.
bool lf_removeByCallsign(const std::string& callsign);
// Withdraws the queued creation of a live or static aircraft; when it has left for the
// simulator already, the aircraft goes once created.
void lf_withdrawCreation(bool live, std::uint32_t flightId, const std::string& callsign);
// The static aircraft stands for the live one: its callsign is the live one's with "*", or
// both carry the same registration.
bool gf_sameAircraft(const StaticAct& parked, const Act& live);
// The reserved stand, or the stand the user's aircraft stands at: no other aircraft takes it.
bool gf_userStand(const StandRecord& stand);
// A live aircraft holds the stand it is placed at, taxis to or stands at: the stand is
// marked, and only that aircraft frees it (release does nothing for any other).
void gf_holdStand(StandRecord& stand, const Act& act);
void gf_releaseStand(const Act& act);
// A helicopter leaving its pad keeps it until it has left it; whether it is one still on it.
void gf_keepPad(const Act& act);
bool gf_onKeptPad(const Act& act);
// Marked and its holder still there: no other live aircraft is given it.
bool gf_standTaken(const StandRecord& stand);
void gf_forgetStandHolders();
