#pragma once
// A scripted flight from the RealTraffic stand-in, through the program's traffic reader,
// traffic manager and simulator link, into the simulator stand-in; the traffic ticks run
// ten times faster than real time, as do the stand-in's records.
#include "foundation/logcapture.h"
#include "simstandin/simstandin.h"
#include "traffic/motion.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What one flight did, as the simulator shows it each tick.
struct FlightWatch {
    std::vector<std::uint32_t> phases; // each new phase once, in order
    std::uint32_t objectId = 0;
    bool seen = false;
    bool gone = false; // seen, then no longer in the live table
    std::int64_t overdue = 0;    // ticks by which a front point was passed unreached, at most
    double turnedTooFast = 0.0;  // radians beyond the class's turn rate in one tick on the ground, at most
    double apart = 0.0;          // metres between what is shown and the path's position, now
    double parkedApart = -1.0;   // metres between what is shown and its stand when it parked
    bool noNumber = false;       // a position or attitude was not a number
    double highest = 0.0;        // feet above the airport
    double lowest = 1e9;         // feet above the airport
    int creations = 0;           // objects made for it
    bool rolled = false;         // it moved at 40 kt or more on the ground
    std::int64_t stood = 0, longestStand = 0; // ticks it stood still on the ground since
    // Latitude, longitude, altitude, heading (radians), on the ground (0 or 1), bank (radians,
    // left positive): each tick while created.
    std::vector<std::array<double, 6>> positions;

    // Of the positions moving at 6 kt or more (in the air or on the ground), the share whose
    // heading is more than the degrees off their course, the way they move.
    double offCourse(double degrees, bool air) const;
    // Of the first positions in the air, the share whose speed over the next second is more
    // than the share off the speed (knots).
    double offSpeed(double knots, double share, std::size_t first) const;
    // Of the first positions in the air, the share banked to the other side than the turn (+1
    // right, -1 left) by more than 2 degrees, or whose nose turns against it by more than a
    // degree over the next second.
    double againstTurn(int side, std::size_t first) const;
};

class Scenario : public ::testing::Test {
protected:
    static constexpr std::uint32_t hexid = 4660001;
    static constexpr double elevation = 40.0;
    static constexpr LatLon user{52.3200, 4.7900}; // on the ground, 1.2 nm from the stand

    void SetUp() override;
    void TearDown() override;

    // Sends the scripted flight (the stand-in's "flight" arguments) and runs the traffic
    // until `done` or the time limit (wall seconds).
    void fly(const std::vector<std::string>& flight, const std::function<bool(const FlightWatch&)>& done,
             double seconds);
    // The stand-in's arguments for the scripted flight (its "flight" arguments).
    static std::vector<std::string> flightArguments(const std::vector<std::string>& flight);
    // The records that the stand-in sends for the flight.
    static std::vector<std::string> script(const std::vector<std::string>& flight);
    bool logHas(const std::string& part) { return log.text().find(part) != std::string::npos; }

    // No park airport: an airport without a parking file.
    static void withoutParkAirport();

    // The park airport's one stand and runway threshold: latitude, longitude, heading.
    static std::string standArgument();
    static std::string runwayArgument(double bearingFromStand, double metres, double heading);

    LogCapture log;
    std::unique_ptr<standin::SimStandIn> sim;
    FlightWatch watch;
};
