#include "traffic/scenario_fixture.h"

#include "traffic/motion_fixture.h"

#include "app/mainloop.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timerresolution.h"
#include "links/readers.h"
#include "links/simlink.h"
#include "liveries/liveries.h"
#include "support/realtrafficstandin.h"
#include "support/simconnectenv.h"
#include "support/trafficacts.h"
#include "support/waitfor.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <thread>

namespace {
constexpr LatLon standPosition{52.3086, 4.7639};
constexpr double standHeading = 90.0;
constexpr int pace = 10;                         // times real time
std::uint16_t readerPort = 0;

bool lf_notNumber(const ShownMotion& s)
{
    for (const double v : {s.latitude, s.longitude, s.altitude, s.heading, s.pitch, s.bank})
        if (std::isnan(v))
            return true;
    return false;
}
} // namespace

void Scenario::SetUp()
{
    gf_testClearTraffic();
    staticConflictChecks.clear();
    gf_testLoadWorld();
    LOG.value = true;
    RANDOM.value = false;
    lateralRadiusNm = 8.0;
    lateralRadiusMetres = 8 * 1852;
    gf_testPark(standPosition, elevation);
    gf_testAddStand("C4", standPosition, standHeading, 20.0);
    gf_publishStands();
    staticParkingActive = true;

    standin::Options options;
    options.tcp = true;
    options.frameIntervalMs = 5;
    options.recordRequests = false;
    options.groundElevation = elevation;
    options.userValues = {{"Plane Latitude", user.first}, {"Plane Longitude", user.second},
                          {"Plane Altitude", elevation + 5.0}, {"SIM ON GROUND", 1.0}};
    sim = std::make_unique<standin::SimStandIn>(options);
    gf_testWriteFile(std::filesystem::current_path() / L"SimConnect.cfg",
                     "[SimConnect]\r\nProtocol=IPv4\r\nAddress=127.0.0.1\r\nPort=" + std::to_string(sim->port4()) +
                         "\r\n");
    gf_startSimConnectThread();
    ASSERT_TRUE(gf_waitFor([] { return flightRunning.load() && simConnection != nullptr; }, std::chrono::seconds(20)));

    gf_setUserPosition(user.first, user.second);
    gf_setParkElevation(elevation);
    {
        std::lock_guard lock(reportDequeMutex);
        reportDeque.clear();
        acceptReports = true;
    }
    readerPort = gf_unusedUdpPort();
    gf_startTrafficReader(readerPort);
}

void Scenario::TearDown()
{
    gf_stopReaders();
    gf_resetSimLink();
    if (sim)
        sim->stop();
    gf_testClearTraffic();
    gf_clearParkElevation();
    staticParkingActive = false;
    LOG.value = false;
}

void Scenario::withoutParkAirport()
{
    gf_setParkAirport({});
    gf_clearParkElevation();
    parkStands.clear();
    gf_publishStands();
}

std::string Scenario::standArgument()
{
    return fmt::format("{},{},{}", standPosition.first, standPosition.second, standHeading);
}

std::string Scenario::runwayArgument(double bearingFromStand, double metres, double heading)
{
    const LatLon threshold =
        gf_destinationPoint(standPosition, bearingFromStand * degToRad, metres / metresPerNm * feetPerNm);
    return fmt::format("{:.7f},{:.7f},{}", threshold.first, threshold.second, heading);
}

namespace {
// What one tick did to the watched flight, as the simulator shows it.
void lf_watchTick(FlightWatch& watch, std::uint32_t flightId, double elevation)
{
    Act* before = gf_findAct(flightId);
    const bool moving = before && before->base.status == statusCreated;
    const double heading = moving ? before->shown.heading : 0.0;
    if (moving && !before->path.empty())
        watch.overdue = std::max(watch.overdue, gf_now() - static_cast<std::int64_t>(before->path.front().tick));
    lf_trafficTick();
    const Act* a = gf_findAct(flightId);
    if (a == nullptr) {
        watch.gone = watch.seen;
        return;
    }
    if (a->base.status != statusCreated)
        return;
    const ShownMotion& s = a->shown;
    watch.seen = true;
    if (a->base.objectId != watch.objectId)
        ++watch.creations;
    watch.objectId = a->base.objectId;
    if (s.onGround && watch.rolled && !watch.positions.empty()) {
        const auto& last = watch.positions.back();
        watch.stood = last[0] == s.latitude && last[1] == s.longitude ? watch.stood + 1 : 0;
        watch.longestStand = std::max(watch.longestStand, watch.stood);
    }
    watch.rolled = watch.rolled || (s.onGround && s.speed >= 40.0);
    if (watch.phases.empty() || watch.phases.back() != a->phase) {
        watch.phases.push_back(a->phase);
        if (a->phase == phaseAtStand)
            watch.parkedApart = gf_distanceNm(s.latitude, s.longitude, a->base.latitude, a->base.longitude) * metresPerNm;
    }
    watch.noNumber = watch.noNumber || lf_notNumber(s);
    watch.highest = std::max(watch.highest, s.altitude - elevation);
    watch.lowest = std::min(watch.lowest, s.altitude - elevation);
    watch.positions.push_back({s.latitude, s.longitude, s.altitude, s.heading, s.onGround ? 1.0 : 0.0, s.bank});
    watch.apart = gf_distanceNm(s.latitude, s.longitude, a->latitude, a->longitude) * metresPerNm;
    // The push back follows a path of its own, shown as it is.
    const bool taxiing = a->phase == phaseGround || a->phase == phaseToStand;
    if (moving && s.onGround && taxiing) {
        const double turned = std::abs(gf_angleDiff(heading, s.heading));
        watch.turnedTooFast = std::max(watch.turnedTooFast, turned - a->base.head.turnRate);
    }
}
} // namespace

double FlightWatch::offCourse(double degrees, bool air) const
{
    std::size_t moving = 0, off = 0;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const auto& p = positions[i];
        if ((p[4] == 0.0) != air)
            continue;
        // The course: toward the first position 3 m on, within a second (6 kt).
        for (std::size_t j = i + 1; j < positions.size() && j <= i + 100; ++j) {
            const auto& q = positions[j];
            if (gf_distanceNm(p[0], p[1], q[0], q[1]) * metresPerNm < 3.0)
                continue;
            const double course = gf_initialBearing({p[0], p[1]}, {q[0], q[1]});
            ++moving;
            off += std::abs(gf_angleDiff(p[3], course)) > degrees * degToRad ? 1 : 0;
            break;
        }
    }
    return moving == 0 ? 0.0 : static_cast<double>(off) / static_cast<double>(moving);
}

namespace {
// Of the first positions in the air a second before another in the air, the share for which
// the test holds (the position and the one a second on).
template <typename Test>
double lf_shareOfAirSeconds(const std::vector<std::array<double, 6>>& positions, std::size_t first, Test test)
{
    std::size_t flying = 0, held = 0;
    for (std::size_t i = 0; i + 100 < positions.size() && i < first; ++i) {
        const auto& p = positions[i];
        const auto& q = positions[i + 100];
        if (p[4] != 0.0 || q[4] != 0.0)
            continue;
        ++flying;
        held += test(p, q) ? 1 : 0;
    }
    return flying == 0 ? 0.0 : static_cast<double>(held) / static_cast<double>(flying);
}
} // namespace

double FlightWatch::offSpeed(double knots, double share, std::size_t first) const
{
    return lf_shareOfAirSeconds(positions, first, [&](const auto& p, const auto& q) {
        return std::abs(gf_distanceNm(p[0], p[1], q[0], q[1]) * 3600.0 / knots - 1.0) > share;
    });
}

double FlightWatch::againstTurn(int side, std::size_t first) const
{
    // What a watcher sees: banked the other way by more than 2 degrees, or turning the other way
    // by more than a degree in a second (a gentle correction onto the way is neither).
    return lf_shareOfAirSeconds(positions, first, [&](const auto& p, const auto& q) {
        return side * p[5] > 2.0 * degToRad || side * gf_angleDiff(p[3], q[3]) < -degToRad;
    });
}

std::vector<std::string> Scenario::flightArguments(const std::vector<std::string>& flight)
{
    std::vector<std::string> arguments{"flight", "--hex", std::to_string(hexid), "--stand", standArgument(),
                                       "--type", "B738", "--registration", "PH-BXA", "--elevation",
                                       std::to_string(elevation)};
    arguments.insert(arguments.end(), flight.begin(), flight.end());
    return arguments;
}

std::vector<std::string> Scenario::script(const std::vector<std::string>& flight)
{
    const TempFolder folder;
    std::vector<std::string> arguments = flightArguments(flight);
    arguments.insert(arguments.end(), {"--out", gf_unixPath(folder / L"flight.txt")});
    EXPECT_TRUE(gf_runStandIn(folder, arguments));
    std::istringstream text(gf_testReadFile(folder / L"flight.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

void Scenario::fly(const std::vector<std::string>& flight, const std::function<bool(const FlightWatch&)>& done,
                   double seconds)
{
    std::vector<std::string> arguments = flightArguments(flight);
    arguments.insert(arguments.end(), {"--port", std::to_string(readerPort), "--speed", std::to_string(pace)});
    gf_startStandIn(arguments);
    using Clock = std::chrono::steady_clock;
    const auto tick = std::chrono::microseconds(10000 / pace);
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    auto deadline = Clock::now();
    const TimerResolution resolution;
    while (Clock::now() < end && !done(watch)) {
        lf_watchTick(watch, hexid, elevation);
        deadline += tick;
        std::this_thread::sleep_until(deadline);
    }
}
