// The roll-out after touch-down: spoilers, throttle levers and flaps come back as the
// aircraft slows, and the roll ends when it turns off the runway or slows to taxi speed.
#include "traffic/motion.h"

#include "links/simids.h"
#include "links/simqueues.h"

#include <cmath>

namespace {
constexpr double turnedOff = 15.0 - 1e-9; // degrees off the roll-out heading, less rounding
constexpr double slow = 90.0;      // knots

// Spoiler handle and both throttle levers back to zero (not for light aircraft, which have none).
void lf_levelsToZero(const Act& act)
{
    if (gf_motionClassOf(act.base.head) != 0)
        gf_simRequest({.id = defSpoilersThrottles, .objectId = act.base.objectId, .values = {0.0, 0.0, 0.0}});
}
} // namespace

void lf_landingRoll(Act& act)
{
    const double off = std::abs(gf_angleDiff(act.rollOutHeading, act.heading)) * radToDeg;
    if (off >= turnedOff || gf_rollOutSlowed(act, act.path[0])) {
        lf_queueFlaps(act.base, 0);
        act.landingRoll = 0;
        act.rollOutHeading = 0.0;
        lf_queueThrottle(act.base, gf_isRotorcraft(act.base.head) ? 4 : 0);
        lf_queueSpoilers(act.base, false);
        lf_levelsToZero(act);
        gf_queueLights(act.base.objectId, {1, 1, 0, 1, 0, 1, 1});
    } else if (act.path[0].speed <= slow) {
        lf_queueSpoilers(act.base, false);
        lf_levelsToZero(act);
        lf_queueFlaps(act.base, 1);
    }
}
