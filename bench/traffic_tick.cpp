// The traffic manager's per-tick upkeep at full load: 500 created live aircraft and 250
// static parked aircraft, two new reports a tick, the simulator's queues drained as the
// frame flush would. Prints the mean and the 99th percentile of one tick in microseconds
// (goal: at most 200 µs) twice:
// - with motion: the aircraft taxi straight, taxi through curves, climb, or fly on
//   predictions once their reports stop, as in a busy session; each report's point falls
//   due 30 s after it came, as the traffic reader dates it, and an aircraft that ended is
//   replaced by a new one between ticks;
// - without motion: every point falls due after the run, so the figure is the upkeep of
//   the tables and the reports alone.
//   bench_traffic_tick [ticks = 20000] [live = 500] [static = 250]
#include "figures.h"
#include "movingaircraft.h"

#include "foundation/settingscatalogue.h"
#include "links/livereport.h"
#include "links/simqueues.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
constexpr std::uint32_t firstFlightId = 0x400000;
constexpr double reportSeconds = 2.5; // between the points of the path an aircraft starts with
constexpr double epochSeconds = 1.7e9;

struct Times {
    double mean = 0.0;
    double p99 = 0.0;
    double max = 0.0;
};

void lf_drainQueues()
{
    std::lock_guard lock(simQueues.mutex);
    simQueues.front->clear();
    simQueues.events.clear();
    simQueues.creations.clear();
    simQueues.removals.clear();
}

void lf_clearTables()
{
    liveActs.clear();
    staticActs.clear();
    removalQueue.clear();
    std::lock_guard lock(reportDequeMutex);
    reportDeque.clear();
}

void lf_addStaticAircraft(std::uint32_t parked)
{
    for (std::uint32_t n = 0; n < parked; ++n) {
        ActHead head;
        head.flightId = n + 1;
        staticActs.emplace_back(std::move(head), n + 1, 52.5, 4.5 + n * 0.001, 0.0, false);
        staticActs.back().status = statusCreated;
        staticActs.back().objectId = 5000 + n;
    }
}

LiveReport lf_report(const Act& act, const PathPoint& p)
{
    LiveReport r;
    r.ident = act.base.head.identity;
    r.hexid = act.base.head.flightId;
    r.latitude = p.latitude;
    r.longitude = p.longitude;
    r.altitude = p.altitude;
    r.groundSpeed = p.speed;
    r.track = p.track;
    r.verticalSpeed = p.verticalSpeed;
    r.trueAirSpeed = p.trueAirSpeed;
    r.airborne = p.airborne;
    r.timeStamp = epochSeconds + static_cast<double>(gf_now()) / 100.0;
    r.expiry = static_cast<std::int32_t>(gf_now()) + reportLifetimeTicks;
    return r;
}

// Runs the ticks, each after `before` and followed (untimed) by `after`.
Times lf_timeTicks(int ticks, const std::function<void(int)>& before, const std::function<void()>& after)
{
    std::vector<double> micros;
    micros.reserve(ticks);
    for (int tick = 0; tick < ticks; ++tick) {
        before(tick);
        const auto start = Clock::now();
        lf_trafficTick();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        after();
        lf_drainQueues();
    }
    double sum = 0;
    for (const double m : micros)
        sum += m;
    std::ranges::sort(micros);
    return {sum / ticks, micros[static_cast<std::size_t>(ticks * 0.99)], micros.back()};
}

// Without motion: every point due long after the run, reports adding points to the paths.
Act lf_standingAircraft(std::uint32_t n)
{
    ActHead head;
    head.identity.callsign = "BNC" + std::to_string(n);
    head.identity.type = "B738";
    head.flightId = firstFlightId + n;
    head.sizeClass = 2;
    const double latitude = 52.0 + (n % 50) * 0.01;
    const double longitude = 4.0 + (n / 50) * 0.01;
    std::deque<PathPoint> path;
    for (std::uint32_t k = 0; k < 6; ++k)
        path.push_back({.latitude = latitude + k * 0.001, .longitude = longitude, .speed = 20, .track = 0,
                        .tick = 1000000u + k * 500});
    Act act = lf_newAct(std::move(head), path, 1000.0);
    act.base.status = statusCreated;
    act.base.objectId = 1000 + n;
    act.phase = phaseGround;
    act.onGround = 1;
    act.latitude = latitude;
    act.longitude = longitude;
    return act;
}

Times lf_withoutMotion(int ticks, std::uint32_t live)
{
    for (std::uint32_t n = 0; n < live; ++n)
        liveActs.push_back(lf_standingAircraft(n));
    std::uint32_t next = 0;
    const auto report = [&](int tick) {
        std::lock_guard lock(reportDequeMutex);
        for (int k = 0; k < 2; ++k, ++next) {
            const Act& act = liveActs[next % liveActs.size()];
            LiveReport r;
            r.ident = act.base.head.identity;
            r.hexid = act.base.head.flightId;
            r.latitude = act.path.back().latitude + 0.0005;
            r.longitude = act.path.back().longitude;
            r.groundSpeed = 20;
            r.timeStamp = 1000.0 + tick;
            r.expiry = tickCounter.load() + reportLifetimeTicks;
            reportDeque.push_back(r);
        }
    };
    const auto trim = [] {
        // Paths are kept short, as the movement would keep them.
        for (Act& act : liveActs)
            while (act.path.size() > 12)
                act.path.pop_front();
    };
    return lf_timeTicks(ticks, report, trim);
}

// With motion: what each aircraft truly does, which its reports tell.
struct Flight {
    Kind kind = Kind::taxiing;
    PathPoint truth;        // where it is at the last report
    std::int64_t truthTick = 0;
    std::uint32_t legs = 0; // reports so far, for the curves' turns
    std::uint32_t flightId = 0;
};

// A curving aircraft taxis an S: 60° one way in four reports, straight, 60° back.
double lf_turn(const Flight& flight)
{
    if (flight.kind != Kind::curving)
        return 0.0;
    const std::uint32_t at = flight.legs % 12;
    return at < 4 ? 15.0 : at >= 6 && at < 10 ? -15.0 : 0.0;
}

// Starts (or restarts) a flight as a created aircraft whose path holds its last 30 s of
// reports, the first point due now.
void lf_startFlight(Flight& flight, std::size_t n)
{
    PathPoint p = lf_firstPoint(flight.kind, n, gf_now());
    Act act = lf_benchAircraft(flight.kind, flight.flightId, p);
    act.reportTime = epochSeconds + static_cast<double>(gf_now()) / 100.0;
    for (int k = 0; k < reportLifetimeTicks / 250; ++k, ++flight.legs) {
        p = lf_pointAfter(p, flight.kind, reportSeconds, lf_turn(flight));
        act.path.push_back(p);
    }
    flight.truth = p;
    flight.truthTick = gf_now();
    liveActs.push_back(std::move(act));
}

struct MotionCounts {
    double moved = 0;     // aircraft whose position changed, summed over the ticks
    double predicted = 0; // aircraft flying on predictions, summed over the ticks
    int replaced = 0;
};

Times lf_withMotion(int ticks, std::uint32_t live, MotionCounts& counts)
{
    std::vector<Flight> flights(live);
    std::vector<std::size_t> reporting;
    for (std::uint32_t n = 0; n < live; ++n) {
        flights[n].kind = kinds[n % 4];
        flights[n].flightId = firstFlightId + n;
        lf_startFlight(flights[n], n);
        if (flights[n].kind != Kind::predicted)
            reporting.push_back(n);
    }
    std::vector<AiPosition> previous(live);
    std::vector<char> present(live);
    std::size_t next = 0;
    const auto report = [&](int) {
        std::lock_guard lock(reportDequeMutex);
        for (int k = 0; k < 2; ++k, ++next) {
            Flight& flight = flights[reporting[next % reporting.size()]];
            const Act* act = gf_findAct(flight.flightId);
            if (act == nullptr)
                continue;
            const double seconds = static_cast<double>(gf_now() - flight.truthTick) / 100.0;
            flight.truth = lf_pointAfter(flight.truth, flight.kind, seconds, lf_turn(flight));
            flight.truthTick = gf_now();
            ++flight.legs;
            reportDeque.push_back(lf_report(*act, flight.truth));
        }
    };
    const auto settle = [&] {
        {
            std::lock_guard lock(simQueues.mutex);
            for (const AiPosition& position : *simQueues.front) {
                AiPosition& before = previous[position.objectId - firstFlightId];
                counts.moved += position.latitude != before.latitude || position.longitude != before.longitude;
                before = position;
            }
        }
        // The simulator removes what was removed; a new aircraft takes the place of each.
        std::erase_if(liveActs, [](const Act& act) { return act.base.status == statusRemoving; });
        std::ranges::fill(present, 0);
        for (const Act& act : liveActs) {
            present[act.base.head.flightId - firstFlightId] = 1;
            counts.predicted += act.predictionCount > 0;
        }
        for (std::uint32_t n = 0; n < live; ++n)
            if (!present[n]) {
                lf_startFlight(flights[n], n);
                ++counts.replaced;
            }
    };
    return lf_timeTicks(ticks, report, settle);
}

void lf_print(const char* what, const Times& times, std::uint32_t live, std::uint32_t parked, int ticks)
{
    std::printf("traffic tick %s: %u live, %u static, %d ticks: mean %.1f us, p99 %.1f us, max %.1f us\n", what, live,
                parked, ticks, times.mean, times.p99, times.max);
    gf_benchFigure(std::string("traffic tick ") + what + ", mean", times.mean, "us (goal 200)");
    gf_benchFigure(std::string("traffic tick ") + what + ", p99", times.p99, "us");
}
} // namespace

int main(int argc, char** argv)
{
    const int ticks = argc > 1 ? std::stoi(argv[1]) : 20000;
    const std::uint32_t live = argc > 2 ? std::stoul(argv[2]) : 500;
    const std::uint32_t parked = argc > 3 ? std::stoul(argv[3]) : 250;
    simRequestSeam = [](const SimRequest&) { return true; };
    LOG.value = false;
    lateralRadiusNm = 40.0;
    gf_reserveTrafficTables();

    tickCounter = 1000;
    lf_addStaticAircraft(parked);
    MotionCounts counts;
    const Times moving = lf_withMotion(ticks, live, counts);
    lf_print("with motion", moving, live, parked, ticks);
    std::printf("  per tick on average %.0f aircraft moved, %.0f flew on predictions; %d ended and were replaced\n",
                counts.moved / ticks, counts.predicted / ticks, counts.replaced);

    lf_clearTables();
    tickCounter = 0;
    lf_addStaticAircraft(parked);
    const Times standing = lf_withoutMotion(ticks, live);
    lf_print("without motion", standing, live, parked, ticks);
    return 0;
}
