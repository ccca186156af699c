// Flights replayed into the traffic reader at the ticks of their records' times, against a
// simulator that answers on the next tick: the stand-in's scripted departure and arrival give
// the same positions and events when run twice, and departures of a real recording are shown
// where their reports put them, 30 s later.
#include "traffic/motion_fixture.h"
#include "traffic/traffic_fixture.h"

#include "app/startup.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "links/readers.h"
#include "links/simids.h"
#include "support/realtrafficstandin.h"
#include "support/testpaths.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

namespace {
constexpr LatLon standPosition{52.3086, 4.7639};
constexpr std::uint32_t hexid = 4660001;

// What a run saw of the flight: its position each tick and the events sent to it.
struct Trace {
    std::vector<std::array<double, 4>> positions;
    std::vector<std::uint32_t> events;
    std::vector<std::uint32_t> phases;
    bool operator==(const Trace&) const = default;
};

// One report of a recording: time, position, altitude (feet; at least the ground's) and speed.
struct Reported {
    double time;
    double latitude, longitude, altitude;
    double speed;
};

// The records of a recording, and the fresh reports of each flight among them: a record at
// the position of the one before (an old position sent again with a new time) tells nothing
// of where the aircraft is.
std::map<std::uint32_t, std::vector<Reported>> lf_readRecording(const std::string& relative, double ground,
                                                                 std::vector<std::string>& records)
{
    std::map<std::uint32_t, std::vector<Reported>> flights;
    std::ifstream in(gf_testSourcePath(relative));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            f.push_back(field);
        if (f.size() < 15)
            continue;
        records.push_back(line);
        std::vector<Reported>& reports = flights[static_cast<std::uint32_t>(std::stoul(f[1]))];
        const Reported r{std::stod(f[14]), std::stod(f[2]), std::stod(f[3]), std::max(std::stod(f[4]), ground),
                         std::stod(f[8])};
        if (reports.empty() || reports.back().latitude != r.latitude || reports.back().longitude != r.longitude)
            reports.push_back(r);
    }
    return flights;
}

// The reported position at a time, between the fresh reports around it.
std::optional<Reported> lf_reportedAt(const std::vector<Reported>& reports, double t)
{
    const auto after = std::find_if(reports.begin(), reports.end(), [t](const Reported& r) { return r.time > t; });
    if (after == reports.begin() || after == reports.end())
        return std::nullopt;
    const Reported& a = *(after - 1);
    const Reported& b = *after;
    const double f = (t - a.time) / (b.time - a.time);
    return Reported{t, a.latitude + f * (b.latitude - a.latitude), a.longitude + f * (b.longitude - a.longitude),
                    a.altitude + f * (b.altitude - a.altitude), a.speed + f * (b.speed - a.speed)};
}

double lf_percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())))];
}

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
            // Not yet moved, an object is at the altitude it was created at.
            const auto known = altitudes.find(id);
            const auto created = std::find_if(liveActs.begin(), liveActs.end(),
                                              [id](const Act& a) { return a.base.objectId == id; });
            const double altitude = known != altitudes.end() ? known->second
                                    : created != liveActs.end() ? created->altitude : elevation;
            const double height = altitude - elevation;
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

    // Plays the records at their ticks from a fresh start, the user and the park airport at
    // `airport` (with one stand there when `stand`), `watch` after each tick until it returns
    // false or the ticks run out.
    void play(const std::vector<std::string>& records, LatLon airport, bool stand, std::int64_t ticks,
              const std::function<bool()>& watch)
    {
        gf_testClearTraffic();
        gf_clearLiveryChoices();
        objects.clear();
        altitudes.clear();
        withinRangeAnswered = requestsOf(reqWithinRange);
        gf_testPark(airport, elevation);
        if (stand)
            gf_testAddStand("C4", airport, 90.0, 20.0);
        gf_setUserPosition(airport.first, airport.second);
        gf_setParkElevation(elevation);
        staticParkingActive = true;
        lateralRadiusNm = 8.0;
        lf_setAcceptReports(true);
        gf_seedRandomEngine(11);
        tickCounter = startTick;
        const double first = lf_stamp(records.front());
        std::size_t next = 0;
        for (std::int64_t t = 0; t < ticks; ++t) {
            while (next < records.size() && (lf_stamp(records[next]) - first) * 100.0 <= static_cast<double>(t)) {
                trafficUdpReader.datagram = records[next++];
                trafficUdpReader.handleDatagram();
            }
            events.clear();
            runTicks(1);
            answerWithinRange();
            if (!watch())
                break;
        }
    }

    // Plays the records until the flight is gone or parked.
    Trace replay(const std::vector<std::string>& records)
    {
        Trace trace;
        play(records, standPosition, true, 120000, [&] {
            for (const ClientEventItem& e : events)
                trace.events.push_back(e.eventId * 100000 + e.value);
            const Act* a = gf_findAct(hexid);
            if (a == nullptr)
                return trace.positions.empty();
            if (a->base.status != statusCreated)
                return true;
            trace.positions.push_back({a->latitude, a->longitude, a->altitude, a->heading});
            if (trace.phases.empty() || trace.phases.back() != a->phase)
                trace.phases.push_back(a->phase);
            return a->phase != phaseAtStand || trace.phases.size() <= 1;
        });
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

    static constexpr std::int32_t startTick = 500000;
    double elevation = 40.0;                    // of the ground everywhere
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

TEST_F(Replay, RecordedDeparturesRollLiftOffAndClimbWhereTheirDelayedReportsPutThem)
{
    // klas_20190305.rttfc, Las Vegas: its three Boeing 737-800 departures from runway 26L
    // (WJA1401, DAL2791, AAL2407), each from 60 s before its take-off roll to 90 s after its
    // first airborne report; reports 10 s apart, old positions sent again included.
    elevation = 2181.0;
    std::vector<std::string> records;
    const auto flights = lf_readRecording("tests/data/recordings/klas_departures.rttfc", elevation, records);
    ASSERT_EQ(flights.size(), 3u);
    const double first = lf_stamp(records.front());
    std::map<std::uint32_t, std::vector<std::array<double, 4>>> shown; // report time, position, altitude
    const auto ticks = static_cast<std::int64_t>((lf_stamp(records.back()) - first) * 100.0) + 10000;
    play(records, {36.0840, -115.1537}, false, ticks, [&] {
        // Each report comes at the tick of its time and is shown 30 s later.
        const double time = first + static_cast<double>(gf_now() - 1 - startTick - reportLifetimeTicks) / 100.0;
        for (const Act& a : liveActs)
            if (a.base.status == statusCreated)
                shown[a.base.head.flightId].push_back({time, a.latitude, a.longitude, a.altitude});
        return true;
    });

    std::vector<double> distances, heights;
    std::string figures;
    for (const auto& [id, reports] : flights) {
        // From the first report of the roll (30 kt or more) to a minute after the first airborne one.
        const auto air = std::find_if(reports.begin(), reports.end(),
                                      [&](const Reported& r) { return r.altitude > elevation + 120.0; });
        ASSERT_NE(air, reports.end());
        auto roll = air;
        while (roll != reports.begin() && (roll - 1)->altitude <= elevation + 120.0 && (roll - 1)->speed >= 30.0)
            --roll;
        std::vector<double> d, h;
        for (const auto& p : shown[id]) {
            if (p[0] < roll->time || p[0] > air->time + 60.0)
                continue;
            if (const std::optional<Reported> r = lf_reportedAt(reports, p[0])) {
                d.push_back(gf_distanceNm(p[1], p[2], r->latitude, r->longitude) * metresPerNm);
                h.push_back(std::abs(p[3] - r->altitude));
            }
        }
        EXPECT_GT(d.size(), 5000u) << id;
        figures += fmt::format("\n{}: {} positions, 95% within {:.0f} m and {:.0f} ft", id, d.size(),
                               lf_percentile(d, 0.95), lf_percentile(h, 0.95));
        distances.insert(distances.end(), d.begin(), d.end());
        heights.insert(heights.end(), h.begin(), h.end());
    }
    EXPECT_LT(lf_percentile(distances, 0.95), 300.0) << "metres from the delayed reports, 95th percentile" << figures;
    EXPECT_LT(lf_percentile(heights, 0.95), 300.0) << "feet from the delayed reports, 95th percentile" << figures;
}

TEST_F(Replay, FlightsWhoseFeedFreezesAndJumpsFlyAlongTheirNoses)
{
    // klas_20190305.rttfc, Las Vegas, 21:07:14 to 21:14:30Z: SWA714 climbing out north-west and
    // the light aircraft N644SB (an EVSS) north of the airport. The feed holds each at one position with new
    // times, then jumps ahead, abeam or back (SWA714: 30 s held, then 2 km off its track to the
    // right; N644SB: jumps of 1-3 km back and forth): the way to the next point lies far off the nose.
    elevation = 2181.0;
    std::vector<std::string> records;
    const auto flights = lf_readRecording("tests/data/recordings/klas_frozen_jumps.rttfc", elevation, records);
    ASSERT_EQ(flights.size(), 2u);
    // The test world has liveries of the B738 and the C172, of the same size classes as the
    // recording's B737 and EVSS.
    for (std::string& record : records)
        for (const auto& [type, shownAs] : {std::pair{",B737,", ",B738,"}, std::pair{",EVSS,", ",C172,"}})
            if (const std::size_t at = record.find(type); at != std::string::npos)
                record.replace(at, std::string_view(type).size(), shownAs);
    const double first = lf_stamp(records.front());
    std::map<std::uint32_t, std::vector<std::array<double, 3>>> shown; // in the air: position, heading
    const auto ticks = static_cast<std::int64_t>((lf_stamp(records.back()) - first) * 100.0) + 4000;
    play(records, {36.0840, -115.1537}, false, ticks, [&] {
        for (const Act& a : liveActs)
            if (a.base.status == statusCreated && a.phase == phaseAirborne)
                shown[a.base.head.flightId].push_back({a.latitude, a.longitude, a.heading});
        return true;
    });

    // As a watcher judges it: the heading against the way to the first position 20 m on, within 10 s.
    for (const auto& [id, positions] : flights) {
        const std::vector<std::array<double, 3>>& p = shown[id];
        EXPECT_GT(p.size(), 5000u) << id;
        int judged = 0, sideways = 0;
        for (std::size_t k = 0; k < p.size(); k += 10) {
            for (std::size_t j = k + 1; j < p.size() && j <= k + 1000; ++j) {
                if (gf_distanceNm(p[k][0], p[k][1], p[j][0], p[j][1]) * metresPerNm < 20.0)
                    continue;
                const double way = gf_initialBearing({p[k][0], p[k][1]}, {p[j][0], p[j][1]});
                ++judged;
                sideways += std::abs(gf_angleDiff(p[k][2], way)) > 30.0 * degToRad;
                break;
            }
        }
        EXPECT_GT(judged, 500) << id;
        EXPECT_LT(sideways * 10, 100) << id << ": ticks more than 30 degrees off the way flown, of " << judged * 10;
    }
}
