#pragma once
// Recorded and scripted flights replayed into the traffic reader at the ticks of their records'
// times, against a simulator that answers on the next tick and tells the aircraft within range
// whether they stand on the ground.
#include "traffic/motion_fixture.h"
#include "traffic/traffic_fixture.h"

#include "app/mainloop.h"
#include "app/startup.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "links/qnhreader.h"
#include "links/readers.h"
#include "links/simids.h"
#include "liveries/liveries.h"
#include "refgen/refgen.h"
#include "support/realtrafficstandin.h"
#include "support/testpaths.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>

inline constexpr LatLon standPosition{52.3086, 4.7639};
inline constexpr std::uint32_t hexid = 4660001;

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
    bool judged = true; // the span to the next report
    bool ground = false; // as the record says
};

// The comma-separated fields of a record.
inline std::vector<std::string> lf_fields(const std::string& record)
{
    std::vector<std::string> f;
    std::stringstream fields(record);
    for (std::string field; std::getline(fields, field, ',');)
        f.push_back(field);
    return f;
}

// The records of a recording, and the reports of each flight among them. A record at the
// position of the one before (an old position sent again with a new time) tells nothing of
// where the aircraft is: neither the span that ends at it nor the jump after it is judged.
inline std::map<std::uint32_t, std::vector<Reported>> lf_flightsOf(const std::vector<std::string>& records, double ground)
{
    std::map<std::uint32_t, std::vector<Reported>> flights;
    std::map<std::uint32_t, std::vector<bool>> sentAgain;
    for (const std::string& line : records) {
        const std::vector<std::string> f = lf_fields(line);
        if (f.size() < 15)
            continue;
        const auto id = static_cast<std::uint32_t>(std::stoul(f[1]));
        std::vector<Reported>& reports = flights[id];
        std::vector<bool>& frozen = sentAgain[id]; // each report: its last position sent again
        const Reported r{std::stod(f[14]), std::stod(f[2]),         std::stod(f[3]), std::max(std::stod(f[4]), ground),
                         std::stod(f[8]),  true, f[6] == "1"};
        const bool again = !reports.empty() && reports.back().latitude == r.latitude &&
                           reports.back().longitude == r.longitude && r.speed > 0.0;
        if (again || (!reports.empty() && frozen.back()))
            reports.back().judged = false;
        frozen.push_back(again);
        reports.push_back(r);
    }
    return flights;
}

inline std::map<std::uint32_t, std::vector<Reported>> lf_readRecording(const std::string& relative, double ground,
                                                                 std::vector<std::string>& records)
{
    std::ifstream in(gf_testSourcePath(relative));
    for (std::string line; std::getline(in, line);)
        if (lf_fields(line).size() >= 15)
            records.push_back(line);
    return lf_flightsOf(records, ground);
}

// The reported position at a time, between the fresh reports around it (on the ground where either is),
// at most `longest` seconds apart.
inline std::optional<Reported> lf_reportedAt(const std::vector<Reported>& reports, double t, double longest = 1e9)
{
    const auto after = std::find_if(reports.begin(), reports.end(), [t](const Reported& r) { return r.time > t; });
    if (after == reports.begin() || after == reports.end())
        return std::nullopt;
    const Reported& a = *(after - 1);
    const Reported& b = *after;
    if (!a.judged || b.time - a.time > longest)
        return std::nullopt;
    const double f = (t - a.time) / (b.time - a.time);
    return Reported{t, a.latitude + f * (b.latitude - a.latitude), a.longitude + f * (b.longitude - a.longitude),
                    a.altitude + f * (b.altitude - a.altitude), a.speed + f * (b.speed - a.speed), true, a.ground || b.ground};
}

// A record of these fields with this time.
inline std::string lf_record(const std::vector<std::string>& fields, double stamp)
{
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k)
        line += (k == 0 ? "" : ",") + (k == 14 ? fmt::format("{:.1f}", stamp) : fields[k]);
    return line;
}

inline double lf_percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())))];
}

// An object of a live flight as a watcher of the simulator sees it: from the tick of its creation
// to that of its removal (times of the records' clock), and the reason the log gave for it.
struct Presence {
    std::uint32_t flight = 0;
    std::string callsign;
    double created = 0.0;
    double removed = std::numeric_limits<double>::infinity();
    std::string reason;
};

// A flight gone from the simulator while its fresh reports went on within the radius, 30 s later.
struct Absence {
    std::string callsign;
    double from = 0.0, seconds = 0.0;
    std::string reason;
};

// The absences of the flights whose objects are listed, from their reports: an object removed
// while a fresh report within the radius (one that moved, or stands) falls due within 30 s after;
// it lasts until the flight's next object is created or its reports stop (a gap of 30 s).
inline std::vector<Absence> lf_absences(const std::map<std::uint32_t, Presence>& shown,
                                        const std::map<std::uint32_t, std::vector<Reported>>& flights, LatLon centre,
                                        double radiusNm)
{
    constexpr double delay = reportLifetimeTicks / 100.0, gap = 30.0;
    std::vector<Absence> absences;
    for (const auto& [object, o] : shown) {
        const auto reports = flights.find(o.flight);
        if (std::isinf(o.removed) || reports == flights.end())
            continue;
        double next = std::numeric_limits<double>::infinity();
        for (const auto& [other, p] : shown)
            if (p.flight == o.flight && p.created >= o.removed)
                next = std::min(next, p.created);
        std::vector<double> due; // of the fresh reports within the radius
        const std::vector<Reported>& r = reports->second;
        for (std::size_t k = 1; k < r.size(); ++k)
            if ((r[k].latitude != r[k - 1].latitude || r[k].longitude != r[k - 1].longitude || r[k].speed < 5.0) &&
                gf_distanceNm(r[k].latitude, r[k].longitude, centre.first, centre.second) <= radiusNm)
                due.push_back(r[k].time + delay);
        auto k = std::upper_bound(due.begin(), due.end(), o.removed);
        if (k == due.end() || *k > o.removed + gap)
            continue;
        double end = *k;
        for (; k != due.end() && *k - end < gap && *k < next; ++k)
            end = *k;
        absences.push_back({o.callsign, o.removed, (next - end < gap ? next : end) - o.removed, o.reason});
    }
    return absences;
}

inline std::string lf_describe(const std::vector<Absence>& absences)
{
    std::string text;
    for (const Absence& a : absences)
        text += fmt::format("\n  {} at {:.0f} for {:.1f} s: {}", a.callsign, a.from, a.seconds, a.reason);
    return text;
}

// The traffic fixture's simulator also tells the aircraft within range whether they stand
// on the ground, from the altitudes the program gave them.
class Replay : public TrafficTest {
protected:
    // Reference data and liveries that know the traffic of a recording.
    static void loadWorld(refgen::World (*world)(std::size_t, std::uint32_t))
    {
        TempFolder files(true);
        refgen::writeProgramFiles(world(3000, 1), L".");
        gf_readAircraftData();
        gf_readFixes();
        lf_readLiveriesScanned();
        processScannedLiveries();
    }

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
            const double altitude = known != altitudes.end() ? known->second : createdAltitudes[id];
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

    // A runway heading east whose threshold lies this far from the stand C4.
    static std::string runway(double bearing, double metres)
    {
        const LatLon threshold = gf_offset(standPosition, bearing, metres * metre);
        return fmt::format("{:.7f},{:.7f},90", threshold.first, threshold.second);
    }

    // The stand-in's arrival landing east 140 m south of the stand C4, its reports holding it
    // where they end for this many seconds.
    std::vector<std::string> arrivalEast(const char* holdAfter)
    {
        return script({"--kind", "arrival", "--runway", runway(265.0, 1600.0), "--distance", "7", "--hold-after", holdAfter});
    }

    static constexpr LatLon losAngeles{33.9425, -118.4081}; // KLAX
    static constexpr LatLon lasVegas{36.0840, -115.1537};   // KLAS

    // The Los Angeles world, the user parked at KLAX, its park airport.
    void atLosAngeles()
    {
        loadWorld(refgen::losAngelesWorld);
        elevation = 125.0;
        parkCode = "KLAX";
        parkIata = "LAX";
    }

    // The user cruising above the airport: no park airport, and the live radius the program gives
    // a user in the air.
    void userInTheAir()
    {
        parkCode = parkIata = "";
        radiusNm = gf_autoRangeRadius(false, 25000.0, AIRPORT_HEIGHT.value.load(), 0.0);
    }

    // Plays the records at their ticks from a fresh start, the user and the park airport at
    // `airport` (with one stand there when `stand`), `watch` after each tick until it returns
    // false or the ticks run out.
    void play(const std::vector<std::string>& records, LatLon airport, bool stand, std::int64_t ticks,
              const std::function<bool()>& watch)
    {
        gf_testClearTraffic();
        gf_clearLiveryChoices();
        trafficUdpReader.typesSent.clear(); // a fresh start: no record of the last replay's
        objects.clear();
        altitudes.clear();
        createdAltitudes.clear();
        withinRangeAnswered = requestsOf(reqWithinRange);
        gf_setParkAirport({.code = parkCode, .iata = parkIata, .latitude = airport.first, .longitude = airport.second,
                           .elevation = elevation});
        groundElevation = elevation;
        if (!parkCode.empty()) { // its stands; the user in the air has no park airport and none
            if (stand)
                gf_testAddStand("C4", airport, 90.0, 20.0);
            for (const auto& [name, latitude, longitude, heading] : stands)
                gf_testAddStand(name, {latitude, longitude}, heading, 20.0);
            for (const LatLon& pad : pads)
                gf_testAddStand("H" + std::to_string(&pad - pads.data() + 1), pad, 0.0, 20.0).heli = 1;
        }
        gf_setUserPosition(airport.first, airport.second);
        if (parkCode.empty()) // the user in the air: no park airport, no elevation
            gf_clearParkElevation();
        else
            gf_setParkElevation(elevation);
        staticParkingActive = true;
        lateralRadiusNm = radiusNm;
        lf_setAcceptReports(true);
        gf_seedRandomEngine(11);
        currentQnh = qnh;
        presence.clear();
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
            notePresence(first + static_cast<double>(gf_now() - startTick) / 100.0);
            if (!watch())
                break;
        }
    }

    // The objects of live flights created and removed by now (the records' clock).
    void notePresence(double now)
    {
        for (const std::uint32_t id : objects)
            if (!presence.contains(id))
                if (const Act* a = gf_findActByObject(id))
                    presence[id] = {a->base.head.flightId, a->callsign(), now};
        for (auto& [id, o] : presence) {
            if (!std::isinf(o.removed) || objects.contains(id))
                continue;
            o.removed = now;
            // The last line the log wrote of its removal.
            const std::string text = log.text();
            const std::string line = fmt::format(" {:8} removed, ", o.callsign);
            if (const std::size_t at = text.rfind(line); at != std::string::npos)
                o.reason = text.substr(at + line.size(), text.find_first_of("\r\n", at) - at - line.size());
        }
    }

    // Objects removed within 30 s of their creation.
    std::string removedSoon() const
    {
        std::string text;
        for (const auto& [id, o] : presence)
            if (o.removed - o.created < 30.0)
                text += fmt::format("\n  {} created at {:.0f}, removed {:.1f} s later: {}", o.callsign, o.created,
                                    o.removed - o.created, o.reason);
        return text;
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

    // The flight's last record sent three times more, 10 s apart, at speed 0.
    static std::vector<std::string> stoppedThere(std::vector<std::string> flight)
    {
        std::vector<std::string> stopped = lf_fields(flight.back());
        stopped[8] = "0.00";
        const double end = lf_stamp(flight.back());
        for (int k = 1; k <= 3; ++k)
            flight.push_back(lf_record(stopped, end + 10.0 * k));
        return flight;
    }

    // The flight's records, each after one of another aircraft reported standing where
    // `parked` is, all the while and two minutes more.
    static std::vector<std::string> withParked(const std::vector<std::string>& flight, std::vector<std::string> parked)
    {
        parked[1] = "4660002";
        parked[9] = "DLH4";
        parked[11] = "D-AIBA";
        parked[16] = "LH4";
        std::vector<std::string> records;
        for (const std::string& record : flight) {
            records.push_back(lf_record(parked, lf_stamp(record)));
            records.push_back(record);
        }
        for (int k = 1; k <= 12; ++k)
            records.push_back(lf_record(parked, lf_stamp(flight.back()) + 10.0 * k));
        return records;
    }

    // Ticks from the first record to the last.
    static std::int64_t lf_spanTicks(const std::vector<std::string>& records)
    {
        return static_cast<std::int64_t>((lf_stamp(records.back()) - lf_stamp(records.front())) * 100.0);
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
    std::string parkCode = "EHAM", parkIata = "AMS"; // the park airport's codes; empty: none
    static constexpr double parkedRadiusNm = 8.0; // the live radius of a user on the ground ...
    double radiusNm = parkedRadiusNm;             // ... and the one played
    std::vector<std::tuple<std::string, double, double, double>> stands; // more stands of the park airport
    std::vector<LatLon> pads;                   // its helipads
    std::map<std::uint32_t, double> altitudes; // by object id, as last sent
    std::size_t withinRangeAnswered = 0;
    std::int32_t qnh = 1013; // sent before the records, as RealTraffic sends the nearest station's
    std::map<std::uint32_t, Presence> presence; // by object id
    TempFolder folder;
};
