// Determinism: the stand-in's scripted departure and arrival, replayed into the traffic
// reader at their ticks against a simulator that answers on the next tick, give the same
// positions and events when run twice.
#include "traffic/motion_fixture.h"
#include "traffic/traffic_fixture.h"

#include "app/startup.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "links/readers.h"
#include "links/simids.h"
#include "support/realtrafficstandin.h"

#include <charconv>
#include <map>
#include <sstream>

namespace {
constexpr LatLon standPosition{52.3086, 4.7639};
constexpr double elevation = 40.0;
constexpr std::uint32_t hexid = 4660001;

// What a run saw of the flight: its position each tick and the events sent to it.
struct Trace {
    std::vector<std::array<double, 4>> positions;
    std::vector<std::uint32_t> events;
    std::vector<std::uint32_t> phases;
    bool operator==(const Trace&) const = default;
};

// The traffic fixture's simulator also tells the aircraft within range whether they stand
// on the ground, from the altitudes the program gave them.
class Replay : public TrafficTest {
protected:
    void answerWithinRange()
    {
        for (const AiPosition& p : positions)
            altitudes[p.objectId] = p.altitude;
        if (requestsOf(reqWithinRange) == withinRangeAnswered)
            return;
        withinRangeAnswered = requestsOf(reqWithinRange);
        for (const std::uint32_t id : objects) {
            const auto known = altitudes.find(id);
            const double height = known == altitudes.end() ? 0.0 : known->second - elevation;
            if (height <= 2500.0)
                lf_pushToBuffer({id, height <= 8.0 + 1.0 ? 1u : 0u, 0, AnswerKind::objectData, elevation, height});
        }
    }

    // The stand-in's records of a scripted flight.
    std::vector<std::string> script(const std::vector<std::string>& flight)
    {
        const std::filesystem::path file = std::filesystem::current_path() / L"flight.txt";
        std::vector<std::string> arguments{"flight", "--out", gf_unixPath(file), "--hex", std::to_string(hexid),
                                           "--stand", fmt::format("{},{},90", standPosition.first, standPosition.second),
                                           "--elevation", "40", "--type", "B738", "--registration", "PH-BXA"};
        arguments.insert(arguments.end(), flight.begin(), flight.end());
        EXPECT_TRUE(gf_runStandIn(folder, arguments));
        std::istringstream text(gf_testReadFile(file));
        std::vector<std::string> lines;
        for (std::string line; std::getline(text, line);)
            if (!line.empty())
                lines.push_back(line);
        return lines;
    }

    // Plays the records at their ticks from a fresh start, until the flight is gone or parked.
    Trace replay(const std::vector<std::string>& records)
    {
        gf_testClearTraffic();
        gf_clearLiveryChoices();
        objects.clear();
        altitudes.clear();
        withinRangeAnswered = requestsOf(reqWithinRange);
        gf_testPark(standPosition, elevation);
        gf_testAddStand("C4", standPosition, 90.0, 20.0);
        gf_setUserPosition(standPosition.first, standPosition.second);
        gf_setParkElevation(elevation);
        staticParkingActive = true;
        lateralRadiusNm = 8.0;
        lf_setAcceptReports(true);
        gf_seedRandomEngine(11);
        tickCounter = 500000;
        Trace trace;
        const double first = lf_stamp(records.front());
        std::size_t next = 0;
        for (std::int64_t t = 0; t < 120000; ++t) {
            while (next < records.size() && (lf_stamp(records[next]) - first) * 100.0 <= static_cast<double>(t)) {
                trafficUdpReader.datagram = records[next++];
                trafficUdpReader.handleDatagram();
            }
            events.clear();
            runTicks(1);
            answerWithinRange();
            for (const ClientEventItem& e : events)
                trace.events.push_back(e.eventId * 100000 + e.value);
            const Act* a = gf_findAct(hexid);
            if (a == nullptr && !trace.positions.empty())
                break;
            if (a == nullptr || a->base.status != statusCreated)
                continue;
            trace.positions.push_back({a->latitude, a->longitude, a->altitude, a->heading});
            if (trace.phases.empty() || trace.phases.back() != a->phase)
                trace.phases.push_back(a->phase);
            if (a->phase == phaseAtStand && trace.phases.size() > 1)
                break;
        }
        return trace;
    }

    static double lf_stamp(const std::string& record)
    {
        std::size_t at = 0;
        for (int field = 0; field < 14; ++field)
            at = record.find(',', at) + 1;
        double stamp = 0.0;
        std::from_chars(record.data() + at, record.data() + record.size(), stamp);
        return stamp;
    }

    ~Replay() override { staticParkingActive = false; }

    std::map<std::uint32_t, double> altitudes; // by object id, as last sent
    std::size_t withinRangeAnswered = 0;
    TempFolder folder;
};
} // namespace

TEST_F(Replay, BothFlightsRunTwiceGiveTheSamePositionsAndEvents)
{
    const auto runway = [](double bearing, double metres) {
        const LatLon threshold = gf_offset(standPosition, bearing, metres * metre);
        return fmt::format("{:.7f},{:.7f},90", threshold.first, threshold.second);
    };
    const std::vector<std::string> departure =
        script({"--kind", "departure", "--runway", runway(200.0, 400.0), "--hold-before", "60", "--climb", "200"});
    const std::vector<std::string> arrival =
        script({"--kind", "arrival", "--runway", runway(265.0, 1600.0), "--distance", "7", "--hold-after", "60"});
    for (const auto* records : {&departure, &arrival}) {
        const Trace once = replay(*records);
        const Trace again = replay(*records);
        EXPECT_GT(once.positions.size(), 10000u);
        EXPECT_GT(once.phases.size(), 3u);
        EXPECT_GT(once.events.size(), 10u);
        EXPECT_TRUE(once == again) << "ticks " << once.positions.size() << " and " << again.positions.size();

    }
}
