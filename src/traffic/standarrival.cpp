// An aircraft taxiing to its stand arrives: it parks with engines off, the stand learns
// the aircraft's cargo kind and its real option.
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"

namespace {
constexpr double twoMetres = 0.0010799136069114472;
}

void lf_arrivedAtStand(Act& act)
{
    if (gf_distanceNm(act.latitude, act.longitude, act.base.latitude, act.base.longitude) > twoMetres) {
        gf_releaseStand(act); // it may take the stand again when it stops there
        gf_setPhase(act, phaseGround);
        return;
    }
    // It parks once the aircraft the simulator shows stands there too: its path is there first.
    const ShownMotion& s = act.shown;
    if (s.set && gf_distanceNm(s.latitude, s.longitude, act.base.latitude, act.base.longitude) > twoMetres)
        return;
    gf_setPhase(act, phaseAtStand);
    act.groundTurn = 0; // the taxi turn is over; a later push back must not take it up again
    if (StandRecord* stand = gf_findStand(act.base.standNumber))
        gf_holdStand(*stand, act);
    gf_startParkedTime(act);
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
