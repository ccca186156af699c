#pragma once
// One parsed traffic record, and the deque that hands reports from the traffic reader
// to the traffic manager.
#include "foundation/flightident.h"

#include <cstdint>
#include <deque>
#include <memory_resource>
#include <mutex>

struct LiveReport {
    FlightIdent ident;          // type, departure, destination, callsign, second identifier
    double latitude = 0.0;      // degrees
    double longitude = 0.0;
    double roll = 0.0;          // radians
    std::uint8_t hasRoll = 0;
    double heading = 0.0;       // radians
    std::uint8_t hasHeading = 0;
    double altitude = 0.0;      // feet, 0 on the ground
    double readAltitude = 0.0;  // feet, as the record gave it, also where it is taken to be on the ground
    double groundSpeed = 0.0;   // knots
    double track = 0.0;         // degrees
    std::uint8_t hasTrack = 0;  // a missing track reads as 0
    double verticalSpeed = 0.0;
    double trueAirSpeed = 0.0;  // knots
    std::int32_t expiry = 0;    // main-loop tick after which the report is stale
    std::uint8_t airborne = 0;
    std::uint8_t managerFlag = 0; // the traffic manager's own mark
    std::uint8_t headingFromAdsb = 0;
    double timeStamp = 0.0;     // seconds since 1970
    std::uint32_t hexid = 0;
    std::uint32_t checksum = 0;
    std::uint8_t reach = 0;     // a ReportReach: where the report lies against the live radius
    std::uint8_t category = 0;  // the emitter category A1..A7 as 1..7; 0: none given
};

// A flight already shown keeps its reports beyond the live radius out to this margin, so that
// a departure leaving the radius follows its real turn and climb there. 3 nm is about as far
// as its predictions carried it before (8 points 8 s apart at a climbing departure's speed,
// about a minute); past the margin it is gone for good.
inline constexpr double shownMarginNm = 3.0;

// Feet a minute: a report climbing as a climb-out does has left the ground, whatever its height
// and speed say.
inline constexpr double liftOffClimb = 500.0;

// Where a report lies: new flights are taken only within the radius; beyond the margin a
// shown flight's report says no more than that it has left.
enum ReportReach : std::uint8_t { withinRadius = 0, withinMargin = 1, beyondMargin = 2 };

// Appended by the traffic reader, taken from the front by the traffic manager; both
// the deque and the acceptance flag only under the mutex. Its storage comes from a pool
// of its own (used under the same mutex): a report costs no trip to the heap.
extern std::mutex reportDequeMutex;
extern std::pmr::deque<LiveReport> reportDeque;
extern bool acceptReports;

// A report stays usable for this many main-loop ticks (30 s).
inline constexpr std::int32_t reportLifetimeTicks = 3000;
