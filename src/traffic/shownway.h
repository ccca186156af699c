#pragma once
// The way a shown aircraft follows: the trace its path left, from behind the shown aircraft to the
// path's present position, and on through the path's points ahead with the ticks they fall due at.
// Flat metres east and north of the shown motion's origin. Main-loop thread only.
#include "traffic/shownlimits.h"

// Metres east and north of the origin.
Flat gf_flatOf(const ShownMotion& s, double latitude, double longitude);
// Sets the origin at the position (the flat way is kept near it: a new origin clears the way).
void gf_setOrigin(ShownMotion& s, double latitude, double longitude);
// Clears the way and starts it at the point.
void gf_startWay(ShownMotion& s, const WayPoint& start);
// Adds the path's present position to the trace, and rebuilds the points ahead of it.
void gf_traceThePath(Act& act);
// The number of points of the way (trace and ahead) and the k-th of them.
std::size_t gf_wayPoints(const ShownMotion& s);
const WayPoint& gf_wayPoint(const ShownMotion& s, std::size_t k);
// The shown aircraft's place along the way: where its position lies on it, never back.
void gf_findPlace(ShownMotion& s);
// The way's point at a place (interpolated): position, altitude, pitch, tick; ground where the
// way was on the ground at or before the place.
WayPoint gf_pointAt(const ShownMotion& s, double place);
// The place where the reports put the aircraft at the tick, or by the path's clock where it is due.
double gf_placeAt(const ShownMotion& s, double tick, double WayPoint::*clock = &WayPoint::tick);
// The place of the path's present position.
double gf_pathPlace(const ShownMotion& s);
// Drops the trace behind the shown aircraft.
void gf_dropPassed(ShownMotion& s);

// The plan, five times a second: the way traced on, the place found on it, and what the
// shown aircraft aims for until the next plan (speed, turn, altitude, attitude); false when it
// cannot reach its path in time.
bool gf_planShown(Act& act);
// Knots: the speed its reports ahead give, from their speeds or, in the air where these disagree
// with how fast their positions move, from those.
double gf_reportedSpeed(const Act& act);
