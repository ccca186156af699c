// A created aircraft from the simulator's answer to its first moves: object id, flight plan,
// static-CG request, 200 ticks of settling with the lights toggled, then status 2.
#include "traffic/manager.h"
#include "traffic/motion.h"

#include "app/status.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "foundation/winstring.h"
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"

#include <algorithm>

namespace {
constexpr std::int32_t settledAt = 200;
} // namespace

void lf_createFlightPlan(Act& act)
{
    const FlightIdent& ident = act.base.head.identity;
    if (ident.departure.empty() || ident.destination.empty())
        return;
    const std::wstring path = gf_flightPlanPath(act.base.objectId);
    bool done = gf_writeFlightPlan(path, act.base.head);
    if (done) {
        act.flightPlanSet = 1;
        done = gf_simRequest({.id = reqFlightPlan, .objectId = act.base.objectId, .path = gf_utf16ToUtf8(path)});
    }
    if (!done)
        gf_showStatus(gf_identLine(ident) + " creating a flight plan failed !", true);
}

namespace {
bool lf_staticSettled(const InboundAnswer& entry, StaticAct& act)
{
    if (act.head.flightId != entry.secondValue)
        return false;
    act.status = statusCreated;
    act.objectId = entry.objectId;
    lf_shutDownAtStand(act);
    if (LOG.value.load())
        gf_logf("{:8}: {:8} parked {}", gf_standLogName(act.standNumber), act.head.identity.callsign,
                gf_nowString());
    if (act.removeWhenCreated)
        lf_removeAircraft(act);
    return true;
}

// The static record that waits for the entry's object; null when it went meanwhile.
StaticAct* lf_waitingStatic(const InboundAnswer& entry)
{
    StaticAct* act = gf_findStatic(entry.secondValue);
    return act && act->status == statusQueued ? act : nullptr;
}

// The live record that holds the entry's object; null when it went meanwhile.
Act* lf_owningAct(const InboundAnswer& entry)
{
    Act* act = gf_findAct(entry.secondValue);
    return act && act->base.objectId == entry.objectId ? act : nullptr;
}

void lf_settle(InboundAnswer& entry)
{
    if (entry.kind == AnswerKind::staticCreated) {
        if (StaticAct* act = lf_waitingStatic(entry); act && lf_staticSettled(entry, *act))
            return;
    } else if (Act* act = lf_owningAct(entry)) {
        if (act->base.status != statusQueued)
            return; // being removed already
        lf_liveSettled(*act);
        if (act->base.removeWhenCreated)
            lf_removeAircraft(*act, "withdrawn while created");
        return;
    }
    // The record went while its creation was under way: its object goes too.
    removalQueue.push_back(entry.objectId);
}
} // namespace

void lf_removeUnsettled()
{
    for (const InboundAnswer& entry : settlingList) {
        if (entry.settling < 0)
            continue;
        if (entry.kind == AnswerKind::staticCreated) {
            if (StaticAct* act = lf_waitingStatic(entry)) {
                act->objectId = entry.objectId;
                lf_removeAircraft(*act);
                continue;
            }
        } else if (Act* act = lf_owningAct(entry)) {
            if (act->base.status == statusQueued)
                lf_removeAircraft(*act, "the traffic stops");
            continue;
        }
        removalQueue.push_back(entry.objectId);
    }
    settlingList.clear();
}

void liveAIAdded(Act& act, const InboundAnswer& answer)
{
    act.base.objectId = answer.objectId;
    act.heightAboveGround = answer.secondNumber;
    if (act.madeAgain) {
        act.parksLogged = 0;
    } else if (!act.path.empty() && !act.path.front().airborne) {
        act.onGround = 1;
        act.groundTimer = 0;
        if (act.phase == phaseAtStand) {
            act.base.parkedSlot = gf_slotNow();
            if (LOG.value.load() && !act.parksLogged)
                gf_logf("{:8}: {:8} parks {}", gf_standLogName(act.base.standNumber), act.callsign(),
                        gf_nowString());
            const std::uint32_t stand = act.base.standNumber;
            std::erase_if(standCandidates, [stand](const StaticCandidate& c) { return c.standNumber == stand; });
            // Only an aircraft the simulator has created takes a parked one's place: one refused
            // or withdrawn costs none its stand.
            lf_enforceMaxPark(0);
        }
        act.parksLogged = 0;
        act.rotationCounter = 1;
    }
    lf_createFlightPlan(act);
    if (!gf_simRequest({.id = reqStaticCg, .objectId = act.base.objectId})) {
        gf_logMarked("SimConnect request StaticCG fails");
        countRequestError();
    }
}

void gf_allLightsToggle(bool& finished, InboundAnswer& entry)
{
    if (entry.settling < 0)
        return;
    if (entry.settling < settledAt) {
        ++entry.settling;
        const bool toggle = entry.settling == 50 || entry.settling == 100;
        if (toggle && entry.kind == AnswerKind::liveCreated &&
            !gf_simRequest({.id = ceAllLightsToggle, .objectId = entry.objectId}))
            gf_logMarked("SimConnect gf_allLightsToggle fails");
        return;
    }
    lf_settle(entry);
    entry.settling = -1;
    finished = true;
}

void lf_liveSettled(Act& act)
{
    StaticAct& base = act.base;
    base.status = statusCreated;
    gf_startAtPresent(act);
    const bool rotor = gf_isRotorcraft(base.head);
    const std::uint32_t id = base.objectId;
    const bool airborne = gf_madeInTheAir(act);
    act.madeAgain = 0;
    if (airborne) {
        queueEngineStart(id);
        lf_queueSpoilers(base, false);
        const std::uint32_t low = act.altitude <= 10000.0 ? 1 : 0;
        gf_queueLights(id, {1, 1, low, 0, 1, low, act.heightAboveGround >= 2000.0 ? 1u : 0u});
        return;
    }
    lf_queueSpoilers(base, false);
    const bool atStand = act.phase == phaseAtStand;
    std::uint32_t nav = 1;
    if (atStand) {
        queueEngineShutdown(id);
        nav = NAV_LIGHTS_WHILE_PARKED.value.load() ? 1 : 0;
    } else {
        queueEngineStart(id);
    }
    const std::uint32_t moving = act.phase == phaseGround ? 1 : 0;
    gf_queueLights(id, {nav, atStand ? 0u : 1u, 0, moving, 0, 1, 1});
    lf_queueThrottle(base, rotor ? 4 : 0);
    lf_queueFlaps(base, moving);
}
