// The whole program twice on one short recording: RealTraffic's records through the traffic
// reader's parser at the ticks they arrive, the main loop's ticks with a second every 100
// ticks (static parking, conflicts and removals around the user aircraft), the liveries of
// the generated world, the park airport's stands from its parking file, and a simulator that
// answers on the next tick. With the random engine seeded and the clocks pinned, both runs ask
// the simulator the same: creations, positions, events, requests and removals.
#include "parking_fixture.h"
#include "traffic_fixture.h"

#include "airports/airports.h"
#include "app/mainloop.h"
#include "app/startup.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "links/simlink.h"
#include "links/trafficreader.h"
#include "simconnect/protocol.h"
#include "support/testpaths.h"
#include "traffic/parking.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <vector>

namespace {
constexpr double userLatitude = 52.3086;
constexpr double userLongitude = 4.7639;
constexpr int ticksPerRun = 9000; // the recording's 20 s, the 30 s behind it and the removals

// The recording's records by the tick at which they arrive (a second is 100 ticks).
std::multimap<int, std::string> lf_recording()
{
    std::ifstream file(gf_testSourcePath("tools/realtraffic/sample_traffic.txt"));
    std::multimap<int, std::string> records;
    double first = 0.0;
    for (std::string line; std::getline(file, line);) {
        const double stamp = std::stod(line.substr(line.find(",17") + 1, 12));
        if (records.empty())
            first = stamp;
        records.emplace(static_cast<int>((stamp - first) * 100.0) + 1, line);
    }
    return records;
}

// The simulator link's copy of the user aircraft, parked at Amsterdam.
void lf_userAtAmsterdam()
{
    UserAircraft user;
    user.latitude = userLatitude;
    user.longitude = userLongitude;
    user.altitude = -11.0;
    std::vector<std::uint8_t> packet(scOff::dataStart + sizeof user);
    std::memcpy(packet.data() + scOff::dataStart, &user, sizeof user);
    onUserPosition(SimMessage{packet.data(), static_cast<std::uint32_t>(packet.size())});
    userOnGround = true;
    gf_setCurrentUserAircraft(user);
}

class WholeProgram : public TrafficTest {
protected:
    WholeProgram()
    {
        airportList = {{"EHAM", "AMS", userLatitude, userLongitude, -11.0}};
        std::string stands;
        for (int n = 1; n <= 6; ++n)
            stands += gf_testParkpos(fmt::format("g{}", n), userLatitude + 0.0012, userLongitude + 0.0015 * n, "KLM",
                                     "B738", fmt::format("KLM100{}", n));
        gf_testWriteParkingFile(apfFolders::myThirdparty, "EHAM", stands);
        trafficClockStamp = 1700000000; // Tuesday 22:13 UTC
        trafficClockSwitch = true;
        pinnedClock = 133444736000000000; // the same moment in 100 ns since 1601
        flightRunning = true;
    }
    ~WholeProgram() override
    {
        lf_clearParkAirport();
        lf_clearUserAircraft();
        trafficClockSwitch = false;
        trafficClockStamp = 0;
        pinnedClock = 0;
        flightRunning = false;
        airportList.clear();
        lf_setAcceptReports(false);
    }

    // One run from an empty traffic manager; every request to the simulator as a line.
    std::vector<std::string> run(const std::multimap<int, std::string>& recording)
    {
        lf_resetTraffic(); // as a restart does
        gf_testClearTraffic();
        lf_clearParkAirport();
        gf_clearLiveryChoices();
        staticFlightIdCounter = 0; // goes on counting through restarts of one process
        creations.clear();
        events.clear();
        removals.clear();
        objects.clear();
        requests.clear();
        nextObjectId = 100;
        tickCounter = 0;
        secondsCounter = 0;
        staticConflictChecks.clear();
        AUTO_RANGE.value = true; // the user on the ground: 8 nm from the first 30 s on
        gf_setRadius(40);
        gf_seedRandomEngine(7);
        lf_userAtAmsterdam();
        lf_setAcceptReports(true);
        TrafficReader reader;
        reader.userLatitude = userLatitude;
        reader.userLongitude = userLongitude;
        lf_staticParking(true); // as the start of traffic does

        std::vector<std::string> stream;
        std::size_t seenCreations = 0, seenEvents = 0, seenRemovals = 0, seenRequests = 0;
        auto next = recording.begin();
        for (int tick = 0; tick < ticksPerRun; ++tick) {
            for (; next != recording.end() && next->first <= tick; ++next) {
                reader.datagram = next->second;
                reader.handleDatagram();
            }
            if (tick % 100 == 0)
                newSecond = true; // the simulator's user report of each second
            lf_mainTick();
            lf_answer();
            for (; seenCreations < creations.size(); ++seenCreations) {
                const CreationItem& c = creations[seenCreations];
                stream.push_back(fmt::format("{} create {} {} {} {:.9f} {:.9f} {:.3f} {:.6f} {}", tick, c.flightId,
                                             c.tailNumber, c.liveryTitle, c.position.latitude, c.position.longitude,
                                             c.position.altitude, c.position.heading, c.position.onGround));
            }
            for (const AiPosition& p : positions)
                stream.push_back(fmt::format("{} position {} {:.9f} {:.9f} {:.3f} {:.6f} {:.6f} {:.6f} {:.4f} {:.4f}",
                                             tick, p.objectId, p.latitude, p.longitude, p.altitude, p.heading, p.pitch,
                                             p.bank, p.verticalSpeed, p.trueAirspeed));
            for (; seenEvents < events.size(); ++seenEvents)
                stream.push_back(fmt::format("{} event {} {} {}", tick, events[seenEvents].objectId,
                                             events[seenEvents].eventId, events[seenEvents].value));
            for (; seenRequests < requests.size(); ++seenRequests) {
                const SimRequest& r = requests[seenRequests];
                stream.push_back(fmt::format("{} request {} {} {} {} {:.4f}", tick, r.id, r.objectId, r.radius,
                                             r.path.empty() ? "-" : std::filesystem::path(r.path).filename().string(),
                                             r.values[0]));
            }
            for (; seenRemovals < removals.size(); ++seenRemovals)
                stream.push_back(fmt::format("{} remove {}", tick, removals[seenRemovals]));
        }
        lf_setAcceptReports(false);
        AUTO_RANGE.value = false;
        return stream;
    }
};

std::size_t lf_count(const std::vector<std::string>& stream, const std::string& kind)
{
    return static_cast<std::size_t>(std::ranges::count_if(
        stream, [&](const std::string& line) { return line.find(" " + kind + " ") != std::string::npos; }));
}

TEST_F(WholeProgram, TwoRunsOnOneRecordingAskTheSimulatorTheSame)
{
    const std::multimap<int, std::string> recording = lf_recording();
    ASSERT_GT(recording.size(), 500u);
    const std::vector<std::string> first = run(recording);
    const std::vector<std::string> second = run(recording);

    // A run worth comparing: live and static aircraft made, moved, lit and removed.
    EXPECT_GT(lf_count(first, "create"), 10u);
    EXPECT_TRUE(std::ranges::any_of(first, [](const std::string& l) { return l.find("* ") != std::string::npos; }))
        << "static parked aircraft placed";
    EXPECT_GT(lf_count(first, "position"), 1000u);
    EXPECT_GT(lf_count(first, "event"), 10u);
    EXPECT_GT(lf_count(first, "remove"), 0u);

    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        ASSERT_EQ(first[i], second[i]) << "request " << i << " of " << first.size();
}
} // namespace
