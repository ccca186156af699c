// A taxiing aircraft whose path ends at a stand takes it: live aircraft parked on it or too
// close beside it leave, static ones make place, and the path is laid onto the stand.
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "links/simlink.h"

namespace {
constexpr double holdReach = 0.029697624190064796; // 55 m
constexpr double moveReach = 0.010799136069114472; // 20 m


bool lf_removeParkedLiveAt(const Act& act, const StandRecord& stand, Act& other)
{
    if (&other == &act || !gf_parkedAt(other, stand.standNumber))
        return false;
    if (LOG.value.load())
        gf_logf("{:8}: {:8} removed {}", stand.id, other.callsign(), gf_nowString());
    lf_removeAircraft(other, "its stand taken");
    return true;
}

void lf_adjacentParking(const Act& act, const StandRecord& stand, std::uint32_t adjacent, Act& other)
{
    if (&other == &act || !gf_parkedAt(other, adjacent))
        return;
    const bool logging = LOG.value.load();
    const std::string name = gf_standLogName(adjacent);
    if (other.base.head.wingspan + act.base.head.wingspan >
        gf_distanceNm(other.latitude, other.longitude, stand.latitude, stand.longitude)) {
        if (logging)
            gf_logf("{:8}: {:8} removed by adjacent parking {} {}", name, other.callsign(), act.callsign(),
                    gf_clockTimeText());
        lf_removeAircraft(other, "beside a stand taken");
    } else if (logging) {
        gf_logf("{:8}: {:8} stays, while live {} at adjacent, and possibly colliding {}, is parking, but wingspans fit",
                name, other.callsign(), act.callsign(), stand.id);
    }
}
} // namespace

bool lf_takeStand(Act& act, bool landed)
{
    const PathPoint& last = act.path.back();
    if (last.latitude == act.standCheckLatitude && last.longitude == act.standCheckLongitude)
        return false;
    act.standCheckLatitude = last.latitude;
    act.standCheckLongitude = last.longitude;
    if (act.base.head.sizeClass == rotorcraftClass)
        gf_releaseStand(act); // the pad it lifted off is free, to come back to as well
    StandRecord* stand = lf_findStandNear(last.latitude, last.longitude, act, landed ? holdReach : moveReach, landed);
    if (stand == nullptr)
        return false;
    if (gf_userStand(*stand))
        return false;
    for (Act& other : liveActs)
        if (lf_removeParkedLiveAt(act, *stand, other))
            break;
    for (const std::uint32_t adjacent : stand->neighbours)
        for (Act& other : liveActs)
            lf_adjacentParking(act, *stand, adjacent, other);
    lf_clearStand(act, *stand);
    gf_releaseStand(act);
    gf_holdStand(*stand, act);
    act.base.latitude = stand->latitude;
    act.base.longitude = stand->longitude;
    act.base.heading = stand->heading;
    act.base.standNumber = stand->standNumber;
    act.base.standCargo = stand->cargo;
    act.path.resize(1);
    gf_setPhase(act, phaseToStand);
    lf_pathToStand(act, stand->latitude, stand->longitude, stand->heading);
    return true;
}
