// Path steps and movement passes of live aircraft: taxiing straight, taxiing through
// curves, climbing, and flying on predictions. Prints path steps per second for each kind
// and the mix, then movement-pass ticks per second for a table of aircraft of all kinds.
//   bench_pathstep [seconds per figure = 2] [aircraft in the table = 400]
#include "traffic/motion.h"

#include "foundation/settingscatalogue.h"
#include "foundation/sizeclasses.h"
#include "links/simqueues.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

enum class Kind { taxiing, curving, climbing, predicted };
constexpr Kind kinds[] = {Kind::taxiing, Kind::curving, Kind::climbing, Kind::predicted};
const char* const kindNames[] = {"taxiing", "curving", "climbing", "predicted"};
constexpr LatLon home{52.3086, 4.7639};

ActHead lf_head(std::uint32_t flightId)
{
    ActHead head;
    head.identity.callsign = "KLM" + std::to_string(flightId % 10000);
    head.identity.type = "B738";
    head.sizeClass = 2;
    head.flightId = flightId;
    head.wingspan = 17.9 / metresPerNm;
    head.staticCgHeight = 9.5;
    head.rotationPitch = gf_rotationPitchDegrees(2) * degToRad;
    head.climbPitch = gf_climbPitchDegrees(2) * degToRad;
    head.turnRate = head.turnStep = gf_turnRate(2);
    head.accelLimit = gf_climbStep(2);
    head.pushSpeed = gf_pushSpeed(2);
    head.flareTicks = gf_flareTicks(2);
    head.rollOutSlots = gf_rollOutSlots(2);
    head.rotationTicks = gf_rotationTicks(2);
    head.pitchUpTicks = gf_pitchUpTicks(2);
    return head;
}

// Points ahead of the last one, as later reports would bring them.
void lf_extend(Act& act, Kind kind, int count)
{
    for (int i = 0; i < count; ++i) {
        PathPoint p = act.path.back();
        const bool air = kind == Kind::climbing;
        const double seconds = air ? 8.0 : 10.0;
        p.speed = p.trueAirSpeed = air ? 200.0 : 15.0;
        double bearing = p.track;
        if (kind == Kind::curving)
            bearing += (act.path.size() % 2 == 0 ? 60.0 : -60.0);
        p.track = bearing;
        const LatLon to = gf_destinationPoint({p.latitude, p.longitude}, bearing * degToRad,
                                              p.speed * seconds / 3600.0 * feetPerNm);
        p.latitude = to.first;
        p.longitude = to.second;
        p.altitude = air ? p.altitude + 250.0 : 0.0;
        p.verticalSpeed = air ? 1875.0 : 0.0;
        p.airborne = air ? 1 : 0;
        p.hold = 0;
        p.tick += static_cast<std::uint32_t>(seconds * 100.0);
        act.path.push_back(p);
    }
}

// A created aircraft of the kind at its start, with a path of a few points.
Act lf_aircraft(Kind kind, std::uint32_t flightId, std::size_t n)
{
    const LatLon at = gf_destinationPoint(home, static_cast<double>(n % 360) * degToRad, (n % 50) * 200.0);
    const bool air = kind == Kind::climbing || kind == Kind::predicted;
    PathPoint first{.latitude = at.first, .longitude = at.second, .altitude = air ? 3000.0 : 0.0,
                    .speed = air ? 200.0 : 15.0, .track = static_cast<double>(n % 360),
                    .trueAirSpeed = air ? 200.0 : 15.0, .tick = static_cast<std::uint32_t>(gf_now()),
                    .airborne = static_cast<std::uint8_t>(air ? 1 : 0)};
    Act act = lf_newAct(lf_head(flightId), {first}, 0.0);
    act.base.status = statusCreated;
    act.base.objectId = flightId;
    act.latitude = at.first;
    act.longitude = at.second;
    act.altitude = first.altitude;
    act.heading = first.track * degToRad;
    act.phase = air ? phaseAirborne : phaseGround;
    act.onGround = air ? 0 : 1;
    act.lowLightsSet = 1;
    act.heightAboveGround = air ? 2900.0 : 0.0;
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
    for (std::size_t k = 0; k < 4; ++k)
        std::printf("path steps per second, %-9s %10.0f\n", kindNames[k], lf_stepsPerSecond({kinds[k]}, seconds));
    std::printf("path steps per second, mix       %10.0f\n",
                lf_stepsPerSecond({kinds, kinds + 4}, seconds));
    const double ticks = lf_ticksPerSecond(count, seconds);
    std::printf("movement passes per second, %zu aircraft: %.0f (%.1f us a pass, %.1f%% of a 10 ms tick)\n", count,
                ticks, 1e6 / ticks, 1e6 / ticks / 100.0);
    return 0;
}
