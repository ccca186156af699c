#pragma once
// The traffic manager driven tick by tick, with the reference data and liveries of the
// generated world, the direct requests recorded, and a simulator player that answers
// creations, static-CG requests and removals the way the simulator link hands them over.
#include "foundation/logcapture.h"
#include "links/livereport.h"
#include "links/simqueues.h"
#include "support/trafficacts.h"
#include "traffic/manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

class TrafficTest : public ::testing::Test {
public:
    // A report of the B738 "callsign" as the traffic reader queues it, due at `due`.
    static LiveReport report(std::uint32_t hexid, const std::string& callsign, double latitude, double longitude,
                             double speed, double time, std::int32_t due, bool airborne = false,
                             double altitude = 0.0);
    static void queueReport(const LiveReport& r);

protected:
    static void SetUpTestSuite();
    TrafficTest();
    ~TrafficTest() override;

    // n traffic ticks; after each the player answers what the tick queued.
    void runTicks(int n);
    // Ticks until the table holds no record of the flight in this status, at most `limit`.
    bool tickUntil(const std::function<bool()>& done, int limit = 2000);

    // What the simulator was asked and told.
    static std::vector<SimRequest> requests;
    std::vector<CreationItem> creations;
    std::vector<ClientEventItem> events;
    std::vector<std::uint32_t> removals;
    std::vector<AiPosition> positions; // the last frame's
    // The player: objects it created and not yet removed; titles it refuses.
    bool play = true;
    std::uint32_t nextObjectId = 100;
    std::set<std::uint32_t> objects;
    std::map<std::uint32_t, double> createdAltitudes; // of each object, as asked
    std::set<std::string, std::less<>> refusedTitles;
    double heightAboveGround = 0.0; // sent with every live creation answer ...
    double groundElevation = std::numeric_limits<double>::quiet_NaN(); // ... or, when set, the height above it

    std::size_t requestsOf(std::uint32_t id) const;
    LogCapture log;
    // What the frame flush and the simulator do with this tick's queues.
    void lf_answer();

private:
    std::size_t answeredRequests = 0;
};
