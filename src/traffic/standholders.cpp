// Which live aircraft holds each marked stand: the one parked at it, placed at it for its
// creation, taxiing to it, or a helicopter lifting off its pad until it has left it. Only the
// holder frees a stand, so a stand is never given to two aircraft because a third left it or
// never got there.
#include "traffic/manager.h"
#include "traffic/motion.h"

#include <algorithm>
#include <unordered_map>

namespace {
// Flight id of the holder by stand number; main-loop thread only.
std::unordered_map<std::uint32_t, std::uint32_t> standHolders;

bool lf_holds(const Act& act, std::uint32_t standNumber)
{
    const auto holder = standHolders.find(standNumber);
    // A mark without a known holder is that of the aircraft parked at it.
    if (holder == standHolders.end())
        return act.phase == phaseAtStand;
    return holder->second == act.base.head.flightId;
}

// Feet above the ground where a take-off's initial climb ends: lower over its pad, a helicopter
// still lifts off it or sets down on it, and nothing may be put beneath it.
constexpr double climbOutHeight = 800.0;

// A helicopter on its way from its pad (its reports come half a minute ahead: it waits on the
// pad for them) holds it while its path or what the simulator shows still stands or hovers low
// on it.
bool lf_stillOn(const Act& act, const StandRecord& stand)
{
    if (!gf_isRotorcraft(act.base.head) ||
        (act.phase != phaseGround && act.phase != phaseTakeOff && act.phase != phaseAirborne))
        return true;
    const double reach = std::max(stand.radius, act.base.head.wingspan);
    const auto on = [&](double latitude, double longitude, std::uint8_t ground, double height) {
        return (ground || height < climbOutHeight) &&
               gf_distanceNm(latitude, longitude, stand.latitude, stand.longitude) <= reach;
    };
    const double ground = gf_groundElevation(act); // not known: not low
    const ShownMotion& s = act.shown;
    return on(act.latitude, act.longitude, act.onGround, act.altitude - ground) ||
           (s.set && on(s.latitude, s.longitude, s.onGround, s.altitude - ground));
}
} // namespace

void gf_holdStand(StandRecord& stand, const Act& act)
{
    stand.occupied = 1;
    standHolders[stand.standNumber] = act.base.head.flightId;
}

void gf_releaseStand(const Act& act)
{
    StandRecord* stand = gf_findStand(act.base.standNumber);
    if (stand == nullptr || !lf_holds(act, stand->standNumber))
        return;
    stand->occupied = 0;
    standHolders.erase(stand->standNumber);
}

void gf_keepPad(const Act& act)
{
    if (StandRecord* stand = gf_findStand(act.base.standNumber); stand != nullptr && lf_holds(act, stand->standNumber))
        gf_holdStand(*stand, act);
}

bool gf_onKeptPad(const Act& act)
{
    if (!gf_isRotorcraft(act.base.head))
        return false;
    const auto holder = standHolders.find(act.base.standNumber);
    if (holder == standHolders.end() || holder->second != act.base.head.flightId)
        return false;
    const StandRecord* stand = gf_findStand(act.base.standNumber);
    return stand != nullptr && lf_stillOn(act, *stand);
}

bool gf_standTaken(const StandRecord& stand)
{
    if (!stand.occupied)
        return false;
    const auto holder = standHolders.find(stand.standNumber);
    if (holder == standHolders.end())
        return true;
    // A holder that has gone without freeing it (a creation dropped) holds it no longer.
    return std::ranges::any_of(liveActs, [&](const Act& act) {
        return act.base.head.flightId == holder->second && !act.remove && act.base.status != statusRemoving &&
               act.base.standNumber == stand.standNumber && lf_stillOn(act, stand);
    });
}

void gf_forgetStandHolders() { standHolders.clear(); }
