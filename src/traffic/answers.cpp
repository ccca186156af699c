// The simulator's answers about the AI aircraft, handed over by the SimConnect thread and
// handled on the main loop: creations, failures, removals, ground contact, static CG, blocks.
#include "traffic/manager.h"

#include "foundation/log.h"
#include "foundation/timehelpers.h"
#include "links/simids.h"
#include "links/simqueues.h"
#include "liveries/liveries.h"

#include <algorithm>
#include <exception>
#include <filesystem>

std::mutex inboundMutex;
std::vector<InboundAnswer> inboundBuffer;

namespace {
constexpr std::uint32_t lowestObjectId = 3;
constexpr std::int64_t removalWait = 500; // ticks for the answer to a removal, of an aircraft made again

// Removes the record by moving the last one into its place; the stand it held is free.
void lf_dropAct(Act& act)
{
    gf_releaseStand(act);
    if (&act != &liveActs.back())
        act = std::move(liveActs.back());
    liveActs.pop_back();
}

void lf_dropStatic(const StaticAct& act)
{
    staticActs.erase(staticActs.begin() + (&act - staticActs.data()));
}

void lf_deleteFlightPlan(std::uint32_t objectId)
{
    try {
        const std::filesystem::path file(gf_flightPlanPath(objectId));
        if (std::filesystem::exists(file))
            std::filesystem::remove(file);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("flight plan {} not deleted: {}", gf_flightPlanName(objectId), e.what()));
    }
}

void lf_objectRemoved(std::uint32_t objectId)
{
    // A creation still settling is over: its object must not be removed a second time.
    std::erase_if(settlingList, [objectId](const InboundAnswer& entry) { return entry.objectId == objectId; });
    if (Act* act = gf_findActByObject(objectId)) {
        if (act->base.status == statusRecreate) {
            gf_oldObjectGone(*act);
            return;
        }
        if (act->base.status != statusRemoving)
            gf_logf("{} removed, by the simulator", gf_actColumns(*act));
        if (act->flightPlanSet)
            lf_deleteFlightPlan(objectId);
        lf_dropAct(*act);
    } else if (const StaticAct* parked = gf_findStaticByObject(objectId)) {
        lf_dropStatic(*parked);
    }
}

} // namespace

void gf_oldObjectGone(Act& act)
{
    const std::uint32_t objectId = act.base.objectId;
    std::erase_if(settlingList, [objectId](const InboundAnswer& entry) { return entry.objectId == objectId; });
    // The plan went with the old object; the new one writes its own when it settles.
    if (act.flightPlanSet)
        lf_deleteFlightPlan(objectId);
    act.flightPlanSet = 0;
    act.parksLogged = 1; // a new object of a flight shown: no second "parks" line, and a remake dropped is logged
    act.base.throttleStep = 5;
    act.base.flapsStep = 4;
    act.highLightsSet = act.lowLightsSet = 0;
    act.base.objectId = 0;
    if (!act.madeAgain) {
        act.base.status = statusNew; // decided anew under its new identity
        return;
    }
    // Asked for at once, where its path is now.
    act.base.status = statusQueued;
    creationRequests.push_back(act.base.head.flightId);
}

bool gf_oldObjectOverdue(Act& act)
{
    // Timed from its removal's sending: behind other removals queued, the new object was made while
    // the old one was still there.
    const std::uint32_t objectId = act.base.objectId;
    if (std::ranges::find(removalQueue, objectId) != removalQueue.end() || gf_removalWaiting(objectId)) {
        act.removalAsked = gf_now();
        return false;
    }
    return gf_now() - act.removalAsked >= removalWait;
}

namespace {
void lf_landed(Act& act)
{
    if (act.base.status == statusRemoving || act.phase == phaseTakeOff)
        return;
    if (!gf_landingFlagsSet(act)) {
        // Down without an approach (no park airport near): it rolls out all the same.
        act.onGround = 1;
        act.groundTimer = 0;
        act.rotationCounter = 1;
        act.landingRoll = 1;
        act.rollOutHeading = act.heading;
        return;
    }
    // Touch-down: the roll-out begins and the nose comes down over the roll-out slots.
    act.landed = 1;
    act.landingRoll = 1;
    act.noseLowering = 1;
    act.landing = 0;
    landingFlag = false;
    act.rollOutHeading = act.heading;
    const FlightIdent& ident = act.base.head.identity;
    const bool home = !ident.departure.empty() && !ident.destination.empty() &&
                      ident.destination == gf_parkAirport().iata;
    lf_logIndented(fmt::format("{:8} landed{} {}", ident.callsign, home ? " from " + ident.departure : "",
                               gf_nowString()));
    lf_queueSpoilers(act.base, true);
    if (gf_motionClassOf(act.base.head) != 0) {
        const double other = act.base.head.fsltlLivery ? -100.0 : 100.0;
        gf_simRequest({.id = defSpoilersThrottles, .objectId = act.base.objectId, .values = {100.0, other, other}});
    }
    const double slots = act.base.head.rollOutSlots;
    if (slots <= 0) {
        gf_logf("{} ! onGround slots {:.1F}", ident.callsign, slots);
        act.pitchStep = act.base.head.staticPitch;
        act.bankStep = 0.0;
    } else {
        act.pitchStep = (act.base.head.staticPitch - act.pitch) / slots;
        act.bankStep = -act.bank / slots;
    }
    staticConflictChecks.push_back(act.base.head.flightId);
    act.onGround = 1;
    act.groundTimer = 0;
    act.rotationCounter = 1;
}

bool lf_blocked(Act& act, std::uint32_t flightId)
{
    if (act.base.head.flightId != flightId)
        return false;
    if (act.base.status == statusNew) {
        gf_logf("{} will be removed from buffer while blocked", gf_formatColumns(act.base.head.identity));
        gf_releaseStand(act); // one created again under a new identity keeps its stand till then
        act.remove = 1;
    } else if (act.base.status == statusCreated) {
        gf_logf("{} removed from simulator immediately while blocked", gf_formatColumns(act.base.head.identity));
        lf_removeAircraft(act, "blocked");
    }
    return true;
}

// The aircraft is not created either way; its livery counts as failed only when the
// simulator refused it, not when the creation never reached the simulator (a pause, a failed
// send, a tail number too long).
void lf_failed(const InboundAnswer& answer)
{
    const std::uint32_t flightId = answer.secondValue;
    ActHead head;
    if (flightId > highestStaticFlightId) {
        Act* act = gf_findAct(flightId);
        if (!act)
            return;
        head = act->base.head;
        gf_dropAct(*act, answer.liveryBlamed ? "the simulator refused its creation"
                                             : "its creation did not reach the simulator");
        lf_dropAct(*act);
    } else {
        const StaticAct* parked = gf_findStatic(flightId);
        if (!parked)
            return;
        head = parked->head;
        lf_dropStatic(*parked);
    }
    if (answer.liveryBlamed)
        gf_liveryNotCreated(head);
}

// A creation answered with an object id that no AI aircraft can have.
bool lf_impossibleObject(const InboundAnswer& answer)
{
    if (answer.objectId >= lowestObjectId)
        return false;
    if (answer.kind == AnswerKind::liveCreated) {
        Act* act = gf_findAct(answer.secondValue);
        gf_logMarked(fmt::format("{} objectId in liveAIAdded {}", act ? act->callsign() : "", answer.objectId));
        if (act && act->base.status == statusQueued) {
            gf_releaseStand(*act);
            act->remove = 1;
        }
    } else if (const StaticAct* parked = gf_findStatic(answer.secondValue)) {
        gf_logMarked(fmt::format("{} objectId in static creation {}", parked->head.identity.callsign, answer.objectId));
        if (parked->status == statusQueued)
            lf_dropStatic(*parked);
    }
    return true;
}

void lf_objectData(Act& act, const InboundAnswer& answer)
{
    if (answer.secondValue == 1 && !act.onGround && act.rotationCounter <= 1)
        lf_landed(act);
    act.heightAboveGround = answer.secondNumber;
    act.groundUnder = answer.firstNumber;
    if (act.onGround || act.rotationCounter >= 2)
        act.altitude = act.base.head.staticCgHeight + answer.firstNumber;
}

void lf_staticCg(Act& act, const InboundAnswer& answer)
{
    ActHead& head = act.base.head;
    const double height = answer.firstNumber;
    if (height < 1.0 || height > 35.0)
        gf_logMarked(fmt::format("{}: static CG {:.1F}ft wrong?", gf_formatColumns(head.identity), height));
    else
        head.staticCgHeight = height;
    const double pitch = answer.secondNumber;
    head.staticPitch = pitch <= -0.017453292519943295 || pitch > 0.04363323129985824 ? 0.012217304763960306 : pitch;
}
} // namespace

void lf_pushToBuffer(const InboundAnswer& answer)
{
    std::lock_guard lock(inboundMutex);
    inboundBuffer.push_back(answer);
}

void lf_processAnswer(const InboundAnswer& answer)
{
    switch (answer.kind) {
    case AnswerKind::liveCreated:
        if (lf_impossibleObject(answer))
            return;
        if (Act* act = gf_findAct(answer.secondValue); act && act->base.status == statusQueued && !act->remove)
            liveAIAdded(*act, answer);
        settlingList.push_back(answer);
        return;
    case AnswerKind::staticCreated:
        if (!lf_impossibleObject(answer))
            settlingList.push_back(answer);
        return;
    case AnswerKind::removed:
        lf_objectRemoved(answer.objectId);
        return;
    case AnswerKind::objectData:
        if (Act* act = gf_findActByObject(answer.objectId))
            lf_objectData(*act, answer);
        return;
    case AnswerKind::staticCg:
        if (Act* act = gf_findActByObject(answer.objectId))
            lf_staticCg(*act, answer);
        return;
    case AnswerKind::blocked:
        for (Act& act : liveActs)
            if (lf_blocked(act, answer.secondValue))
                return;
        return;
    case AnswerKind::creationFailed:
        lf_failed(answer);
        return;
    }
}

void lf_processBuffer()
{
    // Taken out under the lock, so that the SimConnect thread never waits for the handling.
    static std::vector<InboundAnswer> answers; // main-loop thread only; its room is reused
    answers.clear();
    {
        std::lock_guard lock(inboundMutex);
        answers.swap(inboundBuffer);
    }
    // An answer that ends the traffic (too many refused liveries) must not cost the others:
    // among them may be aircraft just created, which only their answers make known.
    std::exception_ptr failure;
    for (const InboundAnswer& answer : answers) {
        try {
            lf_processAnswer(answer);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    bool finished = false;
    for (InboundAnswer& entry : settlingList)
        gf_allLightsToggle(finished, entry);
    if (finished)
        std::erase_if(settlingList, [](const InboundAnswer& entry) { return entry.settling < 0; });
    if (failure)
        std::rethrow_exception(failure);
}
