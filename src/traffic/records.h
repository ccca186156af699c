#pragma once
// The aircraft records of the traffic manager and the tables that own them. Each record is
// the head of the next: ActHead (identity and profile) in StaticAct (simulator object, stand,
// status) in Act (a live aircraft with its path and movement state). Main-loop thread only.
#include "airports/airports.h"
#include "foundation/aircraftprofile.h"
#include "foundation/geometry.h"
#include "foundation/weekslots.h"
#include "traffic/traffic.h"

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <unordered_set>
#include <vector>

// Status of a record.
inline constexpr std::uint32_t statusNew = 0;      // nothing sent to the simulator
inline constexpr std::uint32_t statusQueued = 1;   // creation queued
inline constexpr std::uint32_t statusCreated = 2;  // created and settled
inline constexpr std::uint32_t statusRecreate = 3; // livery change pending
inline constexpr std::uint32_t statusRemoving = 4; // being removed

// Phase of a live aircraft.
inline constexpr std::uint32_t phasePushBack = 0;  // push back prepared, engine start countdown
inline constexpr std::uint32_t phaseLeaving = 1;   // leaving the stand
inline constexpr std::uint32_t phaseGround = 2;    // moving on the ground
inline constexpr std::uint32_t phaseTakeOff = 3;   // rotation and initial climb
inline constexpr std::uint32_t phaseAirborne = 4;
inline constexpr std::uint32_t phaseToStand = 5;   // taxiing to the assigned stand
inline constexpr std::uint32_t phaseAtStand = 6;
inline constexpr std::uint32_t phaseInitial = 7;   // not yet moved

// One point of a live aircraft's path: the position part of a report.
struct PathPoint {
    double latitude = 0.0; // degrees
    double longitude = 0.0;
    double roll = 0.0; // radians
    std::uint8_t rollPresent = 0;
    double heading = 0.0; // radians, the report's true heading
    std::uint8_t headingPresent = 0;
    double altitude = 0.0;      // feet; 0 on the ground
    double speed = 0.0;         // ground speed, knots
    double track = 0.0;         // degrees
    std::uint8_t trackPresent = 0; // the report had a track: a track of 0 is due north
    double verticalSpeed = 0.0; // feet per minute
    double trueAirSpeed = 0.0;  // knots
    std::uint32_t tick = 0;     // main-loop tick at which the point falls due
    std::uint32_t reportTick = 0; // of a report's point: when its report put the aircraft there; 0: none
    std::uint8_t airborne = 0;
    std::uint8_t hold = 0; // the aircraft does not move toward this point
    std::uint8_t headingFromAdsb = 0;
};

// When its report put the aircraft at the point; where no report did, when the path has it there.
inline double gf_reportedTick(const PathPoint& p) { return p.reportTick != 0 ? p.reportTick : p.tick; }

// Knots: faster than any taxiing aircraft, an aircraft on the ground is on a runway.
inline constexpr double runwaySpeed = 30.0;
// A ground point slower than that: the aircraft stands or taxis.
inline bool gf_standsOrTaxis(const PathPoint& p) { return !p.airborne && p.speed < runwaySpeed; }

// What the reports of a live aircraft had it do on the ground since it last flew, for the start
// of a take-off roll and the end of a roll-out: nothing slow yet (first seen rolling), stand or
// taxi, or touch down (a report in the air makes its next ground a touch-down).
inline constexpr std::uint8_t groundRolling = 0, groundTaxied = 1, groundLanded = 2;
// The state once the report is known: the reports' own order, not when the simulator shows the
// touch-down half a minute later, which the first report slower than a roll-out may precede.
inline std::uint8_t gf_groundStateAfter(std::uint8_t state, const PathPoint& report)
{
    return report.airborne ? groundLanded : gf_standsOrTaxis(report) ? groundTaxied : state;
}

// What the reports themselves tell of a live aircraft, apart from the points predicted
// through the gaps between them. NaN: not known yet.
struct ReportTrail {
    static constexpr double unknown = std::numeric_limits<double>::quiet_NaN();
    PathPoint last;          // the last report that became a point of the path
    double time = unknown;   // its time stamp, seconds
    double course = unknown; // radians: the bearing of the last reported leg
    double turnRate = unknown; // radians a second, from the reported leg before to the last
    double legSeconds = 0.0; // of the last reported leg
    double climb = unknown;  // feet a minute from the report before the last to the last, both airborne
};

// A place on the way a shown aircraft follows: where its path was or is due, in metres east
// and north of the shown motion's origin, and how far along the way (metres).
struct WayPoint {
    double east = 0.0, north = 0.0;
    double at = 0.0;       // metres along the way
    double tick = 0.0;     // when the path was there, or its reports put the aircraft there ...
    double pathTick = 0.0; // ... and when the path was, or is due, there
    double altitude = 0.0; // feet
    double pitch = 0.0;    // radians
    std::uint8_t ground = 0;
    std::uint8_t stop = 0; // the path is to stand here
};

// A change of an aircraft's configuration (a client event) held until the shown aircraft reaches the
// place where its path made it.
struct HeldEvent {
    double at = 0.0; // metres along the way
    std::uint32_t eventId = 0, value = 0;
};

// What the points ahead beyond a path's next one depend on.
struct AheadKey {
    std::size_t size = 0;
    std::uint32_t frontTick = 0, frontReportTick = 0, backTick = 0;
    double frontLatitude = 0.0, frontLongitude = 0.0, backLatitude = 0.0;
    std::uint32_t motionClass = 0;
    std::uint8_t takeOff = 0, onGround = 0;
    bool operator==(const AheadKey&) const = default;
};

// What the shown aircraft does, found once a plan from what is shown (after its height): the row of
// its class's motion table it moves by.
enum class ShownPhase : std::uint8_t { taxi, roll, rollOut, climb, air, hover };
inline constexpr std::size_t shownPhases = static_cast<std::size_t>(ShownPhase::hover) + 1;

// What the simulator shows of a live aircraft (shownmotion.cpp): it moves along the way its path
// traces, at a speed planned from when the path is due along it (shownplan.cpp), within what its
// motion class can do (shownlimits.cpp).

struct ShownMotion {
    double latitude = 0.0, longitude = 0.0, altitude = 0.0; // degrees, feet
    double heading = 0.0;           // radians: the nose
    double speed = 0.0;             // knots over the ground
    double pitch = 0.0, bank = 0.0; // radians
    double verticalRate = 0.0;      // feet a minute
    // Where it is, metres east and north of the origin, and the way it moves (a unit vector: the
    // nose, but for a helicopter moving slowly).
    double east = 0.0, north = 0.0;
    double wayEast = 0.0, wayNorth = 1.0;
    // The origin of the flat metres, and metres a degree east there.
    double originLatitude = 0.0, originLongitude = 0.0, eastScale = 0.0;
    // The way: the path's trace from behind the shown place to the path's present position ...
    std::deque<WayPoint> way;
    // ... and on through the path's points ahead, rebuilt at each plan from those beyond its next
    // point (metres from that point), which are kept while they stay the same.
    std::vector<WayPoint> ahead;
    std::vector<WayPoint> beyond;
    AheadKey aheadKey;
    std::deque<HeldEvent> heldEvents;
    double place = 0.0;        // metres along the way ...
    double offWay = 0.0;       // ... and metres from it
    double lag = 0.0;          // seconds behind its path's place (negative: ahead)
    double jumpTick = -1e18;   // when its reports last put it farther on than its class can fly
    // What changes each tick until the next plan.
    double speedStep = 0.0, targetSpeed = 0.0; // knots a tick, knots
    double turnStep = 0.0;                     // radians a tick the way it moves turns ...
    double turnCos = 1.0, turnSin = 0.0;       // ... (its cosine and sine) ...
    double noseStep = 0.0;                     // ... and its nose
    double climbStep = 0.0, targetAltitude = 0.0; // feet a tick, feet
    double targetPitch = 0.0, targetBank = 0.0;
    std::uint32_t objectId = 0; // the simulator object shown; another starts afresh
    std::uint32_t motionClass = 0;
    double maxBank = 0.0; // radians: of its motion class
    std::uint8_t set = 0;
    std::uint8_t onGround = 0;
    std::uint8_t standing = 0; // stands where its path stands: nothing to do
    std::uint8_t settling = 0; // stopped beside its path, which stands: slides into its place
    std::uint8_t rolling = 0;  // on a runway, from its touch-down or its creation there until it slows to taxi
    ShownPhase phase = ShownPhase::taxi;
    // Where the aircraft was created, and when its path was there (the path has moved on by the
    // time the simulator has made it).
    double createdLatitude = 0.0, createdLongitude = 0.0, createdAltitude = 0.0, createdHeading = 0.0, createdTick = 0.0;
    std::uint8_t createdKnown = 0;
};

// One static parked aircraft; also the simulator part of a live one.
struct StaticAct {
    ActHead head;
    std::uint32_t objectId = 0; // 0 while the simulator has given none
    double latitude = 0.0;      // the stand, degrees
    double longitude = 0.0;
    double heading = 0.0; // at the stand, radians
    WeekSlot parkedSlot;
    std::uint32_t linkedFlightId = 0;
    std::uint32_t standNumber = 0; // 0: no stand
    std::uint32_t status = statusNew;
    std::uint32_t throttleStep = 5; // 5: none sent yet
    std::uint32_t flapsStep = 4;    // 4: none sent yet
    std::uint8_t standCargo = 0;
    std::uint8_t linkedFlightKnown = 0;
    std::uint8_t removeWhenCreated = 0; // its creation can no longer be cancelled: remove once created

    StaticAct() = default;
    StaticAct(ActHead&& movedHead, std::uint32_t stand, double standLatitude, double standLongitude,
              double standHeading, bool cargo);
};

// One live aircraft following RealTraffic reports.
struct Act {
    StaticAct base;
    // Where the path puts the aircraft now; the simulator shows `shown`, which follows it.
    double latitude = 0.0; // degrees
    double longitude = 0.0;
    double pitch = 0.0; // radians, negative = nose up
    double bank = 0.0;
    double heading = 0.0; // radians, in [0, 2π)
    double altitude = 0.0; // feet
    double rate1 = 0.0;    // vertical rate per second sent with each position
    double rate2 = 0.0;    // speed sent with each position; 0 while the front point holds
    std::deque<PathPoint> path; // front first
    double reportTime = 0.0;    // time stamp of the last applied report
    ReportTrail trail;
    // The latest report, set aside or not, and its time stamp (NaN: none); the time of the news the
    // path last took (news.cpp).
    PathPoint news;
    double newsTime = nan, newsTaken = nan;
    // Where its reports last had it on the ground (NaN: never): the airport it departs from, or
    // where it landed.
    double groundLatitude = nan, groundLongitude = nan;
    std::uint32_t remakeTick = 0; // left its stand unseen: made again where its path is at this tick; 0: not
    std::uint8_t leftTheMargin = 0; // its last report lay beyond the radius and its margin: it ends
    ShownMotion shown;
    std::int64_t arrivedTicks = 0; // clock reading (100 ns units) at the arrival at the stand
    std::int32_t predictionCount = 0; // 0 none started, >0 remaining, -1 exhausted
    std::uint32_t phase = phaseInitial;
    std::uint32_t previousPhase = phaseInitial;
    std::uint8_t remove = 0; // dropped by the movement pass after its walk
    std::uint8_t category = 0; // the feed's emitter category A1..A7 as 1..7; 0: none given
    std::uint8_t classFromFeed = 0; // its type is not listed: its motion class is what the feed shows
    std::uint8_t onGround = 0;

    // Movement state.
    double latStep = 0.0, lonStep = 0.0; // degrees per tick
    double latStepChange = 0.0, lonStepChange = 0.0; // added to the steps each tick: an even acceleration
    std::uint32_t liftOffTick = 0; // a take-off roll lifts off at this tick; 0: none
    std::uint32_t firstClimbEnd = 0; // until this tick the climb after the lift-off keeps its reports' times
    double pitchStep = 0.0;
    double bankStep = 0.0;
    double headingStep = 0.0;
    double altitudeStep = 0.0;
    double verticalRate = 0.0; // feet per minute
    double keptSpeed = 0.0;    // knots; negative in phase 0
    CurveSegment curve{nan, nan, nan, 0.0, 0.0, nan, nan, nan};
    double curveProgress = 0.0; // a ground curve: its parameter; an air curve: the share of its time flown
    double curveEvaluated = 0.0; // an air curve: the share at which its place (curveParameter) was last found
    double progressStep = 0.0;
    double curveAngle = 0.0; // degrees
    // An air curve is flown by its length: the curve's parameter reached, its length (metres;
    // 0 for a ground curve) and the speeds at its start and end as multiples of its mean speed.
    double curveParameter = 0.0;
    double curveLength = 0.0;
    double curveSpeedIn = 1.0, curveSpeedOut = 1.0;
    PathPoint savedPushPoint;
    double standCheckLatitude = 0.0, standCheckLongitude = 0.0;
    std::int32_t earlyDelay = 1000, lateDelay = 1000; // ticks
    std::int32_t pushState = 0;
    std::int32_t rotationCounter = 1;
    std::uint32_t movingAwayCount = 0;
    double targetBearing = 0.0;        // radians
    double heightAboveGround = 2500.0; // feet, as the simulator reports it
    double groundUnder = nan;          // feet: the ground the simulator reports under it; NaN: not told
    double groundHeight = 0.0;
    double rollOutHeading = 0.0;
    double largestLeaveDistance = 900.0; // nautical miles; 900 = none yet
    double firstStandDistance = 0.0, latestStandDistance = 0.0;
    double groundTurnAngle = 0.0; // degrees
    double forcedHeading = 0.0;   // radians
    std::uint8_t forcedHeadingSet = 0;
    std::uint8_t pushRight = 0, pushDirectionKnown = 0;
    double groundElevation = 0.0;
    std::uint8_t groundElevationKnown = 0;
    std::uint32_t flareStage = 0;
    std::uint8_t landing = 0;
    std::uint8_t landed = 0;
    std::uint8_t towed = 0;
    std::uint8_t goAround = 0;
    std::uint8_t takeOff = 0;
    std::uint8_t highLightsSet = 0, lowLightsSet = 0;
    std::uint8_t noseLowering = 0;
    std::uint8_t landingRoll = 0;
    std::uint8_t leavingStand = 0;
    std::uint8_t groundTurn = 0;
    std::uint8_t groundState = groundRolling;
    std::uint8_t steppedTurn = 0; // in the air the heading steps toward a reported ADS-B heading

    // Bookkeeping of creation, parking and removal.
    double lastStepHeading = 0.0;    // radians: heading of the last path step
    std::int64_t groundTimer = 0;    // cleared whenever the aircraft is put on the ground
    std::int64_t parkedSince = 0;    // steady clock reading when it was placed at its stand
    std::uint8_t parksLogged = 0;    // its "parks" line was written (a re-created aircraft)
    std::uint8_t inUsersWay = 0;     // its creation waits for the user aircraft to move on
    std::uint8_t flightPlanSet = 0;  // a flight plan file was written for its object
    std::uint8_t keepStand = 0;      // it has reported at its stand
    std::uint8_t madeAgain = 0;      // its object goes, and a new one is made where its path is then
    std::int64_t removalAsked = 0;   // tick at which the removal of its object was sent, to make it again
    double collisionCheckLatitude = 0.0, collisionCheckLongitude = 0.0; // position last checked against static aircraft

    static constexpr double nan = std::numeric_limits<double>::quiet_NaN();

    ActHead& ident() { return base.head; }
    const ActHead& ident() const { return base.head; }
    const std::string& callsign() const { return base.head.identity.callsign; }
};

// Whether its object is made in the air: made again, where its path is now; new, where its first
// point is.
inline bool gf_madeInTheAir(const Act& act)
{
    return act.madeAgain ? act.onGround == 0 : act.path.empty() || act.path.front().airborne;
}

// Parked at its stand (phase 6) and created in the simulator.
inline bool gf_parked(const Act& act) { return act.phase == phaseAtStand && act.base.status == statusCreated; }
// Parked and created at this stand.
inline bool gf_parkedAt(const Act& act, std::uint32_t standNumber)
{
    return gf_parked(act) && act.base.standNumber == standNumber;
}

// The two landing flags: the approach has begun, or the flare has (it lasts until the nose
// is down after the touch-down). Identity changes, the touch-down handling and the ground
// conflicts go by them.
inline bool gf_landingFlagsSet(const Act& act) { return act.landing != 0 || act.flareStage != 0; }

// A roll-out is over once the aircraft reaches a point at taxi speed (or standing) after its
// reports have slowed to it: from there it taxis, whatever its heading.
inline bool gf_rollOutSlowed(const Act& act, const PathPoint& reached)
{
    return act.groundState == groundTaxied && gf_standsOrTaxis(reached);
}

// Moves the head's texts (leaving the source's empty) and copies the rest.
void lf_moveActHead(ActHead& target, ActHead& source);
// A new live aircraft: no stand, phase 7, the path copied.
Act lf_newAct(ActHead&& head, const std::deque<PathPoint>& path, double reportTime);

// One stand found by the stand search of static parking.
struct FitRecord {
    std::string airline;
    std::string type;
    std::uint32_t standNumber = 0;
    std::int32_t level = 0; // half hours before the slot at which the option holds
    std::string registration;
    std::string callsign;
    std::string secondCallsign;
    std::uint8_t selector = 0; // which of the two callsigns the placed aircraft carries
};

// One static aircraft that the static parking calculation wants placed.
struct StaticCandidate {
    std::uint32_t linkedFlightId = 0;
    std::int32_t level = 0; // half hours by which the parked slot is set back
    std::string airline;
    std::string type;
    std::uint32_t standNumber = 0;
    std::string callsign;
    std::string secondCallsign;
    std::string registration;
    std::uint8_t selector = 0;
    std::uint8_t linkedFlightKnown = 0;
};

// The traffic tables.
extern std::vector<StaticAct> staticActs;   // static parked aircraft
extern std::vector<Act> liveActs;           // live aircraft
// parkStands (the park airport's stands) is kept with the airport data.
struct LearnedHalfHour {
    std::uint32_t flightId = 0;
    std::uint32_t halfHour = 0;
};
extern std::vector<LearnedHalfHour> learningList;
extern std::deque<CreationItem> staticCreationItems;
extern std::deque<CreationItem> liveCreationItems;
extern std::deque<std::uint32_t> removalQueue;     // object ids, one sent every 10 ticks
extern std::vector<std::uint32_t> creationRequests; // flight ids, taken last first
extern std::vector<StaticCandidate> standCandidates;
extern std::vector<std::string> ghostList;        // callsigns of removed ghosts
extern std::unordered_set<std::uint32_t> unknownTypeFlights; // flight ids logged as left out for their type
extern std::vector<InboundAnswer> settlingList;
// Live aircraft (by flight id) whose arrival may clash with a static parked aircraft; the
// landing, the arrival at a stand and the creation push, the per-second job takes one.
extern std::deque<std::uint32_t> staticConflictChecks;
extern bool landingFlag; // an aircraft is landing: the within-range request goes out more often

// Lookups in table order; the first match wins, null when none.
Act* gf_findAct(std::uint32_t flightId);
Act* gf_findActByObject(std::uint32_t objectId);
StaticAct* gf_findStatic(std::uint32_t flightId);
StaticAct* gf_findStaticByObject(std::uint32_t objectId);
// The first park stand with this number or name; null when none.
StandRecord* gf_findStand(std::uint32_t standNumber);
StandRecord* lf_findStandByName(const std::string& name);
// The stand's name for log lines: "sid==0?" for no stand, "unknown" when not among the stands.
std::string gf_standLogName(std::uint32_t standNumber);

// Drops every queued static creation for this callsign and its record; true when one was.
bool lf_cancelStaticCreation(const std::string& callsign);
// Notes that a stand was learned from the flight in this slot; false when the flight was
// learned fewer than 3 half hours ago (unless forced).
bool lf_allowLearning(WeekSlot slot, std::uint32_t flightId, bool force);
// Records the half hour at which a stand was learned from the flight.
void gf_noteLearned(std::uint32_t flightId, std::uint32_t halfHour);
// Marks the stand as taken by static parking and its neighbours as beside a taken stand.
void lf_markStandAndNeighbours(StandRecord& stand);
