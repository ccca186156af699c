#pragma once
// Movement of live aircraft along their paths (ground and air), their stands and what the
// stands learn from them. Shared by the movement's source files; main-loop thread only.
#include "traffic/manager.h"

#include <cmath>
#include <cstdint>
#include <optional>

inline constexpr double ticksPerHour = 360000.0;
inline constexpr double flareStartHeight = 30.0; // feet above the static CG height: the flare begins
inline constexpr std::int64_t leavingWait = 30000; // ticks a pushed back aircraft waits on for its reports to leave
inline constexpr double halfDegree = 0.5 * degToRad;
inline constexpr std::uint32_t rotorcraftClass = 5;
inline constexpr std::uint8_t rotorcraftCategory = 7; // the feed's emitter category A7
inline bool gf_isRotorcraft(const ActHead& head) { return gf_motionClassOf(head) == rotorcraftClass; }
// The reports ahead that tell how a flight goes on: their speed and whether it circles.
inline constexpr std::size_t reportsAhead = 6;
inline constexpr double metresPerDegree = 111132.95; // of latitude
inline constexpr double knot = metresPerNm / 3600.0; // metres a second

// Two points at the very same position (a report sent again).
inline bool gf_samePosition(const PathPoint& a, const PathPoint& b)
{
    return a.latitude == b.latitude && a.longitude == b.longitude;
}

// Metres east and north, on the flat about a position.
struct Flat {
    double east = 0.0, north = 0.0;
};
inline double gf_length(Flat f) { return std::sqrt(f.east * f.east + f.north * f.north); }
inline double gf_dot(Flat a, Flat b) { return a.east * b.east + a.north * b.north; }
inline double gf_cross(Flat a, Flat b) { return a.east * b.north - a.north * b.east; }
// The metres along a bearing (radians).
inline Flat gf_along(double bearing, double metres) { return {std::sin(bearing) * metres, std::cos(bearing) * metres}; }
// A heading (radians) in [0, 2π).
inline double gf_normalHeading(double heading)
{
    heading = std::fmod(heading, twoPi);
    return heading < 0.0 ? heading + twoPi : heading;
}

// A longitude moved less than once round the globe beyond ±180°, back into [-180, 180].
inline double gf_wrapLongitude(double longitude)
{
    return longitude > 180.0 ? longitude - 360.0 : longitude < -180.0 ? longitude + 360.0 : longitude;
}

inline constexpr std::int64_t planTicks = 20; // between the plans of a shown aircraft
// Whether the shown aircraft is planned this tick (its plans are spread over the ticks).
inline bool gf_planTick(const Act& act) { return (gf_now() + act.base.head.flightId) % planTicks == 0; }
// Whether the path's position is looked at this tick: at the plan of the aircraft shown, or when the
// path's point falls due.
inline bool gf_pathLookedAt(const Act& act)
{
    return gf_planTick(act) || act.path.empty() || gf_now() + 1 >= act.path.front().tick;
}

// What the simulator shows: each tick the shown aircraft moves along the way its path traces, as
// its class can.
void gf_moveShown(Act& act);
// Whether an aircraft of its class could fly from one report to the other in the time between them,
// allowing for the feed's errors of place and time.
bool gf_canReach(const Act& act, const PathPoint& from, const PathPoint& to);
// Its creation is asked for where its path is now, or sent where it is asked for: the simulator
// makes it there.
void gf_noteCreation(Act& act);
void gf_noteCreation(Act& act, const ScInitPosition& at);
// The shown aircraft, stopped near where its path now stands (an arrival beside its stand), slides
// there while its nose turns to the path's; where it moves on its own no more, it stands there at
// once, its held events sent.
void gf_settleShown(Act& act);

// A ground report of an aircraft standing or taxiing that it cannot have reached is held (true)
// until the next report; the next one that confirms it has it applied first.
bool gf_holdOutlier(Act& act, const LiveReport& report);
// Whether a standing or taxiing aircraft could have gone from one report to the other.
bool gf_taxiReach(const PathPoint& from, double fromTime, const PathPoint& to, double toTime);
void gf_forgetHeldOutliers();
// The latest report of the aircraft that tells where it is, set aside or not.
void gf_noteNews(Act& act, const LiveReport& report);
// A report in the air that lies behind the aircraft where its course does not lead: an old position
// sent again with a new time.
bool gf_goesBack(const Act& act, const PathPoint& p);
// Where the path cannot be extended: when a report came since its last that was set aside, the path
// goes on toward it (or holds or flies on where it tells no new place); false when none came.
bool gf_takeNews(Act& act);

// Path stepping.
// A live aircraft just created starts where its path is now: the points whose time passed while
// it waited for the simulator lie behind it (run through, they would race it along them).
void gf_startAtPresent(Act& act);
void lf_phaseStep(Act& act);
bool lf_extendPath(Act& act);
void lf_predictPoint(Act& act);
void lf_arrivedAtStand(Act& act);
// The ground step: take-off decision, throttle, attitude on the ground (n: ticks to the next point).
void lf_groundMove(Act& act, std::int64_t n);
// The rotation and climb-out begin (on a ground curve the aircraft keeps to it).
void lf_tookOff(Act& act);
// From a stop a take-off roll begins when an even acceleration brings the aircraft to the
// next report's speed where and when the report puts it: until then it waits.
void lf_placeRollStart(Act& act);
// Each tick: the lift-off that a take-off roll toward its first airborne point waits for, so
// that after the rotation it climbs at that point's rate to reach it when it falls due.
void lf_liftOffWhenDue(Act& act);
// Clears the curve of the present segment.
void gf_resetCurve(Act& act);
bool gf_curveSet(const Act& act);

// Timing of points.
// Ticks to travel the distance at the speed, to the nearest tick.
std::int64_t gf_travelTicks(double distanceNm, double speedKnots);
// The speed of the segment from the front to the next point, at least 1 kt.
double lf_segmentSpeed(const Act& act);
// now + n, kept within the next point's own tick less the early delay and plus the late
// delay unless a prediction runs, and never before now.
std::uint32_t lf_boundedTick(const Act& act, std::int64_t n);
// Ticks from now to the point, signed (a point already due gives a negative count).
std::int64_t gf_ticksUntil(const PathPoint& point);
// Shrinks the early and late delays by 100 ticks, not below 1000.
void gf_shrinkDelays(Act& act);

// Ground handling: leaving the stand, taxi shaping and ground timing.
void lf_groundHandling(Act& act);
void lf_pullOut(Act& act);
void lf_pushBack(Act& act);
void lf_pathToStand(Act& act, double latitude, double longitude, double heading);
void lf_setCurve(Act& act);
void lf_insertMidpoint(Act& act);
void lf_splitSpeedChange(Act& act);
double lf_turnToNextLeg(const Act& act);
void lf_timeGroundPoint(Act& act);

// Airborne step, approach and landing roll.
void lf_airborneStep(Act& act);
// The way to the next point in the air (n: ticks to it): a curve from the present position
// and heading that arrives along the flight's course there, or, when none fits, the straight
// way, onto which the nose turns. The turn (radians) that the aircraft makes.
double lf_flyToNext(Act& act, std::int64_t n);
// The air curve's parameter at which the aircraft is once this share of the curve's time has
// passed (from where it is now, at its present share).
double lf_airCurveParameter(const Act& act, double share);
void lf_landingRoll(Act& act);
// The altitude step (feet a tick, n ticks to the path's point with the index `next`, the one it
// flies to) of an approach toward where it touches down, held above the ground until that is known:
// an arrival at the park airport, or with no park airport any aircraft over the ground the
// simulator tells; none when that is not the approach's to set.
std::optional<double> lf_approachStep(const Act& act, std::size_t next, double n);
double lf_descentRate(const Act& act);
// The ground under the aircraft, feet: the one the simulator tells under the shown aircraft, else
// the park airport's (not for an aircraft not yet shown away from it), else with no park airport the
// one the flare found or the shown aircraft's height tells; NaN when none is known.
double gf_groundElevation(const Act& act);

// Stands.
bool lf_takeStand(Act& act, bool landed);
StandRecord* lf_chooseStand(WeekSlot slot, const Act& act, bool retry);
bool lf_learnSoftOption(std::uint32_t standNumber, const Act& act, bool chain, WeekSlot slot);
void lf_learnSoftStand(Act& act);
// A created static aircraft close to the taxiing live one goes; true when it went.
bool lf_collisionAvoidance(const Act& live, StaticAct& parked);
// One more learned stand change: counted, and shown when the shown count differs.
void gf_countParkingEdit();
