#pragma once
// Static parking at the park airport, the park airports file and the removals around the
// user aircraft, shared by their source files. Main-loop thread only, except where said.
#include "traffic/manager.h"

#include <cstdint>
#include <string>
#include <vector>

// ---- Park airport state ----
// Set when a park airport was chosen; the next lf_staticParking loads it.
extern bool parkLoadRequest;
// Parked aircraft allowed at the park airport (the wanted static count); 0 or less: none.
extern std::int32_t parkMaximum;
// The widest fit levels of the last real and soft rounds (soft -1 after a real round).
extern std::int32_t realFitLevel;
extern std::int32_t softFitLevel;
// The reserved stand of the park airport; empty while none.
void gf_setReservedStandName(const std::string& name);

// ---- Renewal lists ----
struct LiveStayer {
    std::string callsign;
    std::uint32_t standNumber = 0;
    std::uint32_t minutes = 0; // parked minutes; 0 for an aircraft that keeps its stand
};
struct StaticStayer {
    std::string callsign;
    std::string optionCallsign; // identity strings 5, 6 and 7
    std::string optionSecond;
    std::string registration;
    std::string airline;
    std::string type;
    WeekSlot parkedSlot;
    std::uint32_t standNumber = 0;
    std::uint8_t leaving = 0; // its option ends with the current half hour
};
struct StaticRemoval {
    std::string callsign;
    std::uint32_t standNumber = 0;
};
extern std::vector<LiveStayer> liveStayers;
extern std::vector<StaticStayer> staticStayers;
extern std::vector<StaticRemoval> staticRemovals;

// ---- User aircraft and removals ----
void lf_removeLongestParked(std::size_t count);
void lf_listParkedLive();

// ---- Live against static ----
struct LiveContext {
    const Act* act = nullptr;
    std::string callsignStem; // the callsign without its last character
    bool onGround = false;
};
// 1 when the static aircraft stands for the new live one (the caller removes it), else 0.
std::int32_t lf_newLiveAircraft(const LiveContext& context, const StaticAct& parked);
// The front of the static-conflict list against the static parked aircraft (once a second).
void lf_checkStaticConflict();
// The identity word's mark: the coupled-callsign search was made for this flight.
inline constexpr std::uint64_t coupledSearched = 1;
// The user aircraft in the air against one live aircraft; true when it was removed.
bool lf_userAirConflict(Act& act);
// A live aircraft on the ground against the static parked aircraft of its callsign or
// registration: the first such one leaves.
void lf_removeParkedByName(Act& act);

// ---- Placement ----
std::string lf_staticCallsign(const StaticCandidate& candidate, std::uint32_t flightId);
// The next static flight id that no static aircraft holds: 1 to highestStaticFlightId - 1, then 1 again.
std::uint32_t gf_nextStaticFlightId();
extern std::uint32_t staticFlightIdCounter;

// ---- Stand search and calculation ----
void lf_searchStands(WeekSlot slot, bool soft, std::uint32_t level, std::vector<FitRecord>& found,
                     const std::vector<FitRecord>& collected);
void lf_calcStaticParking();
WeekSlot lf_logStaticHeader();
std::int32_t lf_wantedStaticCount();
void lf_excludeUserStands();
void lf_collectCandidates(WeekSlot slot, std::int32_t wanted, std::int32_t present);
// The stands' fit, excluded and neighbour marks cleared.
void gf_clearStandMarks();

// ---- Park airports file ----
std::filesystem::path gf_parkAirportsPath();
// Sets each entry's distance from the position and sorts the list, nearest first, when the
// position is known and (unless forced) differs from the last sort's. Takes the mutex.
void gf_sortParkAirports(double latitude, double longitude, bool force);

// ---- Park airport choice ----
void lf_userOnGround(double latitude, double longitude, bool initial);
void lf_airportInSight(double latitude, double longitude);
bool lf_setParkAirport(const std::string& code);
void lf_clearParkAirport();
// Gives the park airport up after its parking file failed; it is not chosen again until the
// user has left it or the park airports are read again.
void lf_giveUpParkAirport();
void gf_forgetGivenUpAirport();

// ---- Renewal ----
bool lf_standHasOption(WeekSlot slot, std::uint32_t standNumber, const StaticAct& parked);
