// Which live aircraft holds each marked stand: the one parked at it, placed at it for its
// creation, or taxiing to it. Only the holder frees a stand, so a stand is never given to two
// aircraft because a third left it or never got there.
#include "traffic/manager.h"

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
               act.base.standNumber == stand.standNumber;
    });
}

void gf_forgetStandHolders() { standHolders.clear(); }
