// What an aircraft shown in the simulator can do: the rates of its speed and turn by class and
// phase, and the speeds within which it catches up with its path.
#include "traffic/shownlimits.h"

#include "foundation/sizeclasses.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {
// By class (Light, Bizjet, Large, Heavy, HighPerf, Rotorcraft): knots a second ...
using ClassValues = std::array<double, 6>;
constexpr ClassValues rollAcceleration{4.0, 6.0, 5.0, 4.0, 8.0, 4.0}; // on the take-off roll
constexpr ClassValues airAcceleration{1.5, 2.5, 2.0, 1.5, 4.0, 3.0};  // either way, in the air
constexpr ClassValues taxiAcceleration{2.5, 2.0, 2.0, 1.5, 3.0, 3.0}; // taxiing
constexpr ClassValues braking{5.0, 7.0, 7.0, 6.0, 8.0, 5.0};          // on the ground
// ... and knots: the slowest it flies and the fastest over the ground (below 10,000 ft at most
// fastestLow: 250 kt of air speed and a strong wind).
constexpr ClassValues slowestInAir{45.0, 90.0, 110.0, 120.0, 110.0, 0.0};
constexpr ClassValues fastestOverGround{220.0, 550.0, 600.0, 650.0, 1000.0, 200.0};
constexpr double fastestLow = 350.0;
constexpr double lowAltitude = 10000.0;
constexpr double firstClimbShare = 0.6; // of its roll's acceleration, in its first climb
constexpr double farFromReported = 1.6; // times the reported speed that the way of the reports may show

constexpr double speedShare = 0.25;  // of the path's speed that catching up may add or take
constexpr double speedMargin = 5.0;  // knots it may in any case
constexpr double taxiCatchUp = 15.0; // knots at which it may always catch up on the ground
constexpr double bankedTurn = 655.0; // degrees a second times knots: a turn at 30 degrees of bank ...
constexpr double rotorBankedTurn = 740.0; // ... and at 34 for a helicopter
constexpr double slowestTurn = 3.5;  // degrees a second any aircraft may turn in the air
constexpr double groundSideForce = 0.25 * gravity; // metres a second squared in a turn on the ground
constexpr std::int64_t shortestSpan = 1500;        // ticks of reports whose way may tell their speed

double lf_classValue(const ClassValues& values, std::uint32_t sizeClass) { return values.at(sizeClass); }

// The fastest the class flies over the ground at the altitude, knots.
double lf_fastest(const Act& act, double altitude)
{
    const double fastest = lf_classValue(fastestOverGround, act.base.head.sizeClass);
    return altitude < lowAltitude ? std::min(fastest, fastestLow) : fastest;
}
} // namespace

SpeedBounds gf_speedBounds(const Act& act, double pathSpeed)
{
    const ShownMotion& s = act.shown;
    const std::uint32_t c = act.base.head.sizeClass;
    SpeedBounds b;
    if (s.onGround) {
        // The feed's taxi speeds often exceed the way its positions go: the faster of the two.
        b.highest = std::max(std::max(s.referenceSpeed, pathSpeed) * (1.0 + speedShare) + speedMargin, taxiCatchUp);
        b.up = lf_classValue(act.takeOff ? rollAcceleration : taxiAcceleration, c);
        b.down = lf_classValue(braking, c);
        return b;
    }
    const double reference = s.referenceSpeed > 0.0 ? s.referenceSpeed : pathSpeed;
    const double share = std::max(reference * speedShare, speedMargin);
    b.lowest = std::max(reference - share, c == rotorcraftClass ? 0.0 : lf_classValue(slowestInAir, c));
    b.highest = std::max(reference + share, b.lowest);
    b.up = b.down = lf_classValue(airAcceleration, c);
    // Still at take-off thrust in its first climb, it speeds up faster.
    if (act.takeOff)
        b.up = std::max(b.up, firstClimbShare * lf_classValue(rollAcceleration, c));
    return b;
}

double gf_turnLimit(const Act& act, double knots)
{
    const double classRate = act.base.head.turnRate / tickSeconds;
    if (act.shown.onGround)
        return std::min(classRate, groundSideForce / std::max(knots * knot, 0.1));
    const double banked = act.base.head.sizeClass == rotorcraftClass ? rotorBankedTurn : bankedTurn;
    return std::min(classRate, std::max(banked / std::max(knots, 1.0), slowestTurn) * degToRad);
}

// The middle one of the reported speeds of the point passed and the next four (a garbage speed or
// two decides nothing), unless the way those points go over their times says it is off by half or
// more: the feed sends some flights' speeds wrong throughout.
double gf_referenceSpeed(const Act& act, const PathPoint& passed)
{
    std::array<double, 5> speeds{};
    std::size_t n = 0;
    speeds[n++] = passed.speed;
    double metres = 0.0;
    const PathPoint* from = &passed;
    std::int64_t ticks = 0;
    for (std::size_t k = 0; k < act.path.size() && n < speeds.size(); ++k) {
        const PathPoint& p = act.path[k];
        speeds[n++] = p.speed;
        metres += gf_distanceNm(from->latitude, from->longitude, p.latitude, p.longitude) * metresPerNm;
        ticks = static_cast<std::int64_t>(p.tick) - passed.tick;
        from = &p;
    }
    std::sort(speeds.begin(), speeds.begin() + static_cast<std::ptrdiff_t>(n));
    const double reported = speeds[n / 2];
    const double fastest = lf_fastest(act, passed.altitude);
    if (ticks < shortestSpan)
        return std::min(reported, fastest);
    const double implied = metres / (static_cast<double>(ticks) * tickSeconds) / knot;
    if (reported <= 2.0 * implied && 2.0 * reported >= implied)
        return std::min(reported, fastest);
    // A reported speed that an aircraft of its class can fly is wrong by a share at most.
    const bool flyable = !passed.airborne || reported >= lf_classValue(slowestInAir, act.base.head.sizeClass);
    return std::min(flyable ? std::min(implied, farFromReported * reported) : implied, fastest);
}

double gf_stopDistance(const Act& act, double eastScale)
{
    const ShownMotion& s = act.shown;
    for (std::size_t k = 0; k < 3 && k < act.path.size(); ++k) {
        const PathPoint& p = act.path[k];
        // A path that ends at taxi speed is predicted to stand there.
        const bool last = k + 1 == act.path.size() && p.speed < runwaySpeed;
        if (p.hold || p.speed < standstill || last)
            return gf_length({gf_longitudeDelta(p.longitude, s.longitude) * eastScale, (p.latitude - s.latitude) * metresPerDegree});
    }
    return std::numeric_limits<double>::infinity();
}

std::int64_t gf_rollTicks(const Act& act, double metres, double knots)
{
    const std::uint32_t c = act.base.head.sizeClass;
    const double a = lf_classValue(rollAcceleration, c) * knot;
    const double top = std::max(knots, gf_liftOffSpeed(static_cast<std::int32_t>(c))) * knot;
    // Not shown yet, it rolls at the speed of the point it leaves.
    const double now = act.shown.set || act.path.empty() ? act.shown.speed : act.path.front().speed;
    const double v = std::min(now * knot, top);
    // Speeding up until the top speed, then on at it.
    const double toTop = (top * top - v * v) / (2.0 * a);
    const double seconds = metres <= toTop ? (std::sqrt(v * v + 2.0 * a * metres) - v) / a
                                           : (top - v) / a + (metres - toTop) / std::max(top, 1.0);
    return std::max<std::int64_t>(std::llround(seconds / tickSeconds), 25);
}
