// The traffic manager's per-tick upkeep at full load: 500 created live aircraft moving with
// their reports (two new reports a tick) and 250 static parked aircraft, the simulator's
// queues drained as the frame flush would. Prints the mean and the 99th percentile of one
// tick in microseconds (goal: at most 200 µs).
//   bench_traffic_tick [ticks = 20000] [live = 500] [static = 250]
#include "links/livereport.h"
#include "links/simqueues.h"
#include "traffic/manager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
Act lf_liveAircraft(std::uint32_t n)
{
    ActHead head;
    head.identity.callsign = "BNC" + std::to_string(n);
    head.identity.type = "B738";
    head.flightId = 0x400000 + n;
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

void lf_drainQueues()
{
    std::lock_guard lock(simQueues.mutex);
    simQueues.front->clear();
    simQueues.events.clear();
    simQueues.creations.clear();
    simQueues.removals.clear();
}
} // namespace

int main(int argc, char** argv)
{
    const int ticks = argc > 1 ? std::stoi(argv[1]) : 20000;
    const std::uint32_t live = argc > 2 ? std::stoul(argv[2]) : 500;
    const std::uint32_t parked = argc > 3 ? std::stoul(argv[3]) : 250;
    simRequestSeam = [](const SimRequest&) { return true; };
    gf_reserveTrafficTables();
    for (std::uint32_t n = 0; n < live; ++n)
        liveActs.push_back(lf_liveAircraft(n));
    for (std::uint32_t n = 0; n < parked; ++n) {
        ActHead head;
        head.flightId = n + 1;
        staticActs.emplace_back(std::move(head), n + 1, 52.5, 4.5 + n * 0.001, 0.0, false);
        staticActs.back().status = statusCreated;
        staticActs.back().objectId = 5000 + n;
    }
    std::vector<double> micros;
    micros.reserve(ticks);
    std::uint32_t next = 0;
    for (int tick = 0; tick < ticks; ++tick) {
        {
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
        }
        const auto start = Clock::now();
        lf_trafficTick();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        lf_drainQueues();
        // Paths are kept short, as the movement would keep them.
        for (Act& act : liveActs)
            while (act.path.size() > 12)
                act.path.pop_front();
    }
    double sum = 0;
    for (const double m : micros)
        sum += m;
    std::ranges::sort(micros);
    std::printf("traffic tick: %u live, %u static, %d ticks: mean %.1f us, p99 %.1f us, max %.1f us\n", live, parked,
                ticks, sum / ticks, micros[static_cast<std::size_t>(ticks * 0.99)], micros.back());
    return 0;
}
