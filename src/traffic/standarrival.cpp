// An aircraft taxiing to its stand arrives: it parks with engines off, the stand learns
// the aircraft's cargo kind and its real option.
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"

namespace {
constexpr double twoMetres = 0.0010799136069114472;
constexpr double stoppedKnots = 1.0;

double lf_shownFromStand(const Act& act)
{
    const ShownMotion& s = act.shown;
    return s.set ? gf_distanceNm(s.latitude, s.longitude, act.base.latitude, act.base.longitude) : 0.0;
}

// The aircraft shown has stopped beside the stand, within its radius: it goes no nearer.
bool lf_stoppedAtStand(const Act& act)
{
    const ShownMotion& s = act.shown;
    const StandRecord* stand = gf_findStand(act.base.standNumber);
    return s.onGround && s.speed < stoppedKnots && stand != nullptr && lf_shownFromStand(act) <= stand->radius;
}

// Its path stands on the stand point, facing the stand's way, as a newcomer parked there is made;
// the aircraft shown slides the last metres there while its nose comes round: put there at once,
// it would jump and spin where the user watches.
void lf_standOnStand(Act& act)
{
    act.latitude = act.base.latitude;
    act.longitude = act.base.longitude;
    act.heading = act.base.heading;
    gf_settleShown(act);
}
} // namespace

void lf_arrivedAtStand(Act& act)
{
    if (gf_distanceNm(act.latitude, act.longitude, act.base.latitude, act.base.longitude) > twoMetres) {
        gf_releaseStand(act); // it may take the stand again when it stops there
        gf_setPhase(act, phaseGround);
        return;
    }
    // It parks once the aircraft the simulator shows stands there too: its path is there first.
    if (lf_shownFromStand(act) > twoMetres) {
        if (lf_stoppedAtStand(act))
            lf_standOnStand(act);
        return;
    }
    gf_setPhase(act, phaseAtStand);
    act.groundTurn = 0; // the taxi turn is over; a later push back must not take it up again
    if (StandRecord* stand = gf_findStand(act.base.standNumber))
        gf_holdStand(*stand, act);
    gf_startParkedTime(act);
    lf_enforceMaxPark(0, true);
    const bool logging = LOG.value.load();
    if (act.towed && logging)
        gf_logf("          towed aircraft {} parks", act.callsign());
    act.path.front().hold = 1;
    lf_teachCargo(act);
    lf_shutDownAtStand(act.base);
    if (logging)
        gf_logf("{:8}: {:8} arrived at stand {}", gf_standLogName(act.base.standNumber), act.callsign(),
                gf_clockTimeText());
    staticConflictChecks.push_back(act.base.head.flightId);
    const StandRecord* stand = gf_findStand(act.base.standNumber);
    if (stand == nullptr || act.base.head.identity.airline.empty() || stand->cargo != act.base.head.cargo)
        return;
    if (lf_learnRealOption(stand->standNumber, act, false, act.base.parkedSlot, false)) {
        gf_noteLearned(act.base.head.flightId, act.base.parkedSlot.halfHour);
        lf_listRatio2(true);
    }
}

void gf_startParkedTime(Act& act)
{
    act.parkedSince = gf_steadyTicks();
    act.arrivedTicks = gf_systemTicks();
    act.base.parkedSlot = gf_slotNow();
}

void lf_teachCargo(Act& act)
{
    StandRecord* stand = gf_findStand(act.base.standNumber);
    if (!act.base.head.cargo || stand == nullptr || stand->cargo)
        return;
    stand->cargo = 1;
    stand->cargo_change = 1;
    gf_countParkingEdit();
    gf_logf("{} stand: {}, cargo attribute set to true, {} parked here", gf_parkAirportCode(),
            gf_standLogName(act.base.standNumber), gf_formatColumns(act.base.head.identity));
}
