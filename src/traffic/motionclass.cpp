// The motion class an aircraft moves by, in its path, its events and its shown motion alike.
#include "traffic/motionclass.h"

#include "foundation/sizeclasses.h"
#include "liveries/liveries.h"

#include <algorithm>
#include <array>

namespace {
// Unlisted types by what the feed shows: faster or higher than a light aircraft flies.
constexpr double bizjetSpeed = 170.0, bizjetAltitude = 15000.0;
constexpr double largeSpeed = 260.0, largeAltitude = 25000.0;
constexpr std::size_t pointsLooked = 12;

// How its path turns and climbs, and how fast it is pushed back.
struct PathLimits {
    double turnRate;   // radians a tick
    double accelLimit; // feet a tick of climb
    double pushSpeed;  // knots
};
constexpr std::array<PathLimits, 6> pathLimits{{
    {0.002617993877991494, 0.5, 5.0},
    {0.0017453292519943294, 0.75, 4.5},
    {0.0012217304763960306, 0.6, 4.0},
    {0.0008726646259971647, 0.5, 3.0},
    {0.0017453292519943294, 1.0, 4.5},
    {0.0034906585039886587, 0.75, 5.0},
}};

void lf_applyMotionClass(Act& act, std::uint32_t c)
{
    ActHead& head = act.base.head;
    if (c != gf_motionClassOf(head))
        gf_setMotionProfile(head, c);
    const PathLimits& p = pathLimits.at(c);
    head.turnRate = head.turnStep = p.turnRate;
    head.accelLimit = p.accelLimit;
    head.pushSpeed = p.pushSpeed;
    if (act.shown.set)
        gf_setMotionClass(act.shown, c);
}
} // namespace

void gf_startMotionClass(Act& act)
{
    act.classFromFeed = gf_typeListed(act) ? 0 : 1;
    lf_applyMotionClass(act, std::min<std::uint32_t>(gf_motionClass(act), rotorcraftClass));
}

void gf_updateMotionClass(Act& act)
{
    if (!act.classFromFeed) // a listed type keeps its class
        return;
    if (const std::uint32_t c = std::min<std::uint32_t>(gf_motionClass(act), rotorcraftClass); c != gf_motionClassOf(act.base.head))
        lf_applyMotionClass(act, c);
}

void gf_setMotionClass(ShownMotion& s, std::uint32_t motionClass)
{
    s.motionClass = motionClass;
    s.maxBank = gf_maxBank(static_cast<std::int32_t>(motionClass));
}

bool gf_typeListed(const Act& act)
{
    return act.base.head.sizeClass != 0 || gf_isKnownAircraft(act.base.head.identity.type);
}

std::uint32_t gf_motionClass(const Act& act)
{
    const ActHead& head = act.base.head;
    if (gf_typeListed(act))
        return head.sizeClass;
    // The emitter category: light, small, large, high vortex large, heavy, high performance, rotorcraft.
    constexpr std::array<std::uint32_t, 8> byCategory{0, 0, 1, 2, 2, 3, 4, rotorcraftClass};
    if (act.category == rotorcraftCategory || head.motionClass == rotorcraftClass)
        return rotorcraftClass;
    std::uint32_t c = head.motionClass != ActHead::noMotionClass ? head.motionClass : 0;
    c = std::max(c, byCategory.at(std::min<std::uint32_t>(act.category, 7)));
    for (std::size_t k = 0; k < act.path.size() && k < pointsLooked; ++k) {
        const PathPoint& p = act.path[k];
        if (p.speed > largeSpeed || p.altitude > largeAltitude)
            c = std::max<std::uint32_t>(c, 2);
        else if (p.speed > bizjetSpeed || p.altitude > bizjetAltitude)
            c = std::max<std::uint32_t>(c, 1);
    }
    return c;
}
