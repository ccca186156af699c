// Determinism: the stand-in's scripted departure and arrival, replayed into the traffic
// reader at their ticks against a simulator that answers on the next tick, give the same
// positions and events when run twice.
#include "traffic/motion_fixture.h"

#include "app/startup.h"
#include "foundation/logcapture.h"
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

// The simulator, answering on the next tick what the traffic tick asked of it.
class SimulatorPlayer {
public:
    SimulatorPlayer() { simRequestSeam = &SimulatorPlayer::request; }
    ~SimulatorPlayer() { simRequestSeam = nullptr; }

    // Answers what the last tick queued and asked; returns the client events it sent.
    std::vector<ClientEventItem> answer()
    {
        std::vector<CreationItem> creations;
        std::vector<std::uint32_t> removals;
        std::vector<ClientEventItem> events;
        {
            std::lock_guard lock(simQueues.mutex);
            creations.swap(simQueues.creations);
            removals.swap(simQueues.removals);
            events.swap(simQueues.events);
            for (const AiPosition& p : *simQueues.front)
                altitudes[p.objectId] = p.altitude;
            simQueues.front->clear();
        }
        for (const CreationItem& item : creations) {
            const std::uint32_t id = nextObject++;
            altitudes[id] = item.position.altitude;
            lf_pushToBuffer({id, item.flightId, 0, AnswerKind::liveCreated, 0.0, height(id)});
        }
        for (const std::uint32_t id : removals) {
            altitudes.erase(id);
            lf_pushToBuffer({id, 0, 0, AnswerKind::removed, 0.0, 0.0});
        }
        for (const std::uint32_t id : std::exchange(staticCgAsked, {}))
            lf_pushToBuffer({id, 0, 0, AnswerKind::staticCg, 9.5, 0.0087});
        if (std::exchange(withinRangeAsked, false))
            for (const auto& [id, altitude] : altitudes)
                if (height(id) <= 2500.0)
                    lf_pushToBuffer({id, height(id) <= 9.5 + 1.0 ? 1u : 0u, 0, AnswerKind::objectData, elevation,
                                     height(id)});
        return events;
    }

private:
    static bool request(const SimRequest& r)
    {
        if (r.id == reqWithinRange)
            withinRangeAsked = true;
        else if (r.id == reqStaticCg)
            staticCgAsked.push_back(r.objectId);
        return true;
    }
    double height(std::uint32_t id) const { return altitudes.at(id) - elevation; }

    static inline bool withinRangeAsked = false;
    static inline std::vector<std::uint32_t> staticCgAsked;
    std::map<std::uint32_t, double> altitudes; // by object id
    std::uint32_t nextObject = 100;
};

// What a run saw of the flight: its position each tick and the events sent to it.
struct Trace {
    std::vector<std::array<double, 4>> positions;
    std::vector<std::uint32_t> events;
    std::vector<std::uint32_t> phases;
    bool operator==(const Trace&) const = default;
};

class Replay : public Motion {
protected:
    void SetUp() override
    {
        Motion::SetUp();
        gf_loadReferenceWorld();
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
        setPark(standPosition, elevation);
        addStand("C4", standPosition, 90.0, 20.0);
        gf_setUserPosition(standPosition.first, standPosition.second);
        gf_setParkElevation(elevation);
        lf_setAcceptReports(true);
        gf_seedRandomEngine(11);
        tickCounter = 500000;
        SimulatorPlayer sim;
        Trace trace;
        const double first = lf_stamp(records.front());
        std::size_t next = 0;
        for (std::int64_t t = 0; t < 120000; ++t) {
            while (next < records.size() && (lf_stamp(records[next]) - first) * 100.0 <= static_cast<double>(t)) {
                trafficUdpReader.datagram = records[next++];
                trafficUdpReader.handleDatagram();
            }
            lf_trafficTick();
            for (const ClientEventItem& e : sim.answer())
                trace.events.push_back(e.eventId * 100000 + e.value);
            const Act* a = act(hexid);
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

    LogCapture log; // a fresh current folder for the generated files
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
