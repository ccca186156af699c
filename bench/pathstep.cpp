// Path steps and movement passes of live aircraft: taxiing straight, taxiing through
// curves, climbing, and flying on predictions. Prints path steps per second for each kind
// and the mix, then movement-pass ticks per second for a table of aircraft of all kinds.
//   bench_pathstep [seconds per figure = 2] [aircraft in the table = 400]
#include "figures.h"
#include "movingaircraft.h"

#include "foundation/settingscatalogue.h"
#include "links/simqueues.h"

#include <fmt/format.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

// Points ahead of the last one, as later reports would bring them: a curving aircraft
// turns 60° one way, then the other.
void lf_extend(Act& act, Kind kind, int count)
{
    for (int i = 0; i < count; ++i) {
        const double turn = kind != Kind::curving ? 0.0 : act.path.size() % 2 == 0 ? 60.0 : -60.0;
        act.path.push_back(lf_pointAfter(act.path.back(), kind, kind == Kind::climbing ? 8.0 : 10.0, turn));
    }
}

// A created aircraft of the kind at its start, with a path of a few points.
Act lf_aircraft(Kind kind, std::uint32_t flightId, std::size_t n)
{
    Act act = lf_benchAircraft(kind, flightId, lf_firstPoint(kind, n, gf_now()));
    if (kind != Kind::predicted)
        lf_extend(act, kind, 6);
    return act;
}

// Keeps the aircraft going: points for the reporting kinds, a fresh start for one that ended.
void lf_keepGoing(Act& act, Kind kind, std::size_t n)
{
    if (act.base.status != statusCreated || act.remove) {
        act = lf_aircraft(kind, act.base.head.flightId, n);
        removalQueue.clear();
    } else if (kind != Kind::predicted && act.path.size() < 3) {
        lf_extend(act, kind, 6);
    }
}

double lf_seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Path steps per second of one kind (or all four in turn): each step is taken when its
// point falls due, the tick counter jumping there.
double lf_stepsPerSecond(const std::vector<Kind>& mix, double seconds)
{
    std::vector<Act> acts;
    for (std::size_t n = 0; n < 64; ++n)
        acts.push_back(lf_aircraft(mix[n % mix.size()], 0x400000 + static_cast<std::uint32_t>(n), n));
    std::uint64_t steps = 0;
    const Clock::time_point start = Clock::now();
    while (lf_seconds(start) < seconds)
        for (std::size_t n = 0; n < acts.size(); ++n) {
            Act& act = acts[n];
            tickCounter = static_cast<std::int32_t>(act.path.front().tick);
            lf_groundStep(act);
            lf_followCurve(act);
            ++steps;
            lf_keepGoing(act, mix[n % mix.size()], n);
        }
    return static_cast<double>(steps) / lf_seconds(start);
}

// Movement passes per second over a table of aircraft of all kinds.
double lf_ticksPerSecond(std::size_t count, double seconds)
{
    liveActs.clear();
    for (std::size_t n = 0; n < count; ++n)
        liveActs.push_back(lf_aircraft(kinds[n % 4], 0x500000 + static_cast<std::uint32_t>(n), n));
    std::uint64_t ticks = 0;
    const Clock::time_point start = Clock::now();
    while (lf_seconds(start) < seconds) {
        lf_groundMovementTick();
        ++tickCounter;
        ++ticks;
        for (std::size_t n = 0; n < liveActs.size(); ++n)
            lf_keepGoing(liveActs[n], kinds[n % 4], n);
    }
    liveActs.clear();
    return static_cast<double>(ticks) / lf_seconds(start);
}
} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    const std::size_t count = argc > 2 ? static_cast<std::size_t>(std::atoi(argv[2])) : 400;
    LOG.value = false;
    lateralRadiusNm = 40.0;
    tickCounter = 1000;
    for (std::size_t k = 0; k < 4; ++k) {
        const double steps = lf_stepsPerSecond({kinds[k]}, seconds);
        std::printf("path steps per second, %-9s %10.0f\n", kindNames[k], steps);
        gf_benchFigure(std::string("path steps, ") + kindNames[k], steps, "per s", 0);
    }
    const double mixed = lf_stepsPerSecond({kinds, kinds + 4}, seconds);
    std::printf("path steps per second, mix       %10.0f\n", mixed);
    gf_benchFigure("path steps, mix", mixed, "per s", 0);
    const double ticks = lf_ticksPerSecond(count, seconds);
    std::printf("movement passes per second, %zu aircraft: %.0f (%.1f us a pass, %.1f%% of a 10 ms tick)\n", count,
                ticks, 1e6 / ticks, 1e6 / ticks / 100.0);
    gf_benchFigure(fmt::format("movement pass, {} aircraft", count), 1e6 / ticks, "us");
    return 0;
}
