// Client events for one aircraft (spoilers, flaps, gear, throttle, shut-down and lights)
// and the removal of one aircraft.
#include "traffic/manager.h"
#include "traffic/motion.h"

#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "links/simids.h"
#include "links/simqueues.h"

#include <array>

namespace {
constexpr std::array<std::uint32_t, 5> flapsValues{0, 3072, 10240, 16383, 0};
constexpr std::array<std::uint32_t, 5> throttleValues{0, 4914, 8191, 11468, 16383};

void lf_queueEvent(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t value)
{
    // A live aircraft shown behind its path changes its configuration where its path did.
    if (Act* act = gf_findActByObject(objectId); act != nullptr && gf_holdEvent(*act, eventId, value))
        return;
    gf_sendEvent(objectId, eventId, value);
}
} // namespace

void gf_sendEvent(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t value)
{
    std::lock_guard lock(simQueues.mutex);
    simQueues.events.push_back({objectId, eventId, value, 0});
}

void gf_queueLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& values)
{
    constexpr std::array<std::uint32_t, 7> lights{ceNavLights, ceBeaconLights, ceLandingLights, ceTaxiLights,
                                                  ceStrobes,   ceLogoLights,   ceCabinLights};
    for (std::size_t i = 0; i < lights.size(); ++i)
        lf_queueEvent(objectId, lights[i], values[i]);
}

void gf_queueCabinLights(std::uint32_t objectId, std::uint32_t value) { lf_queueEvent(objectId, ceCabinLights, value); }

void lf_queueSpoilers(const StaticAct& act, bool extended)
{
    if (!gf_isRotorcraft(act.head))
        lf_queueEvent(act.objectId, ceSpoilers, extended ? 16383 : 0);
}

void lf_queueFlaps(StaticAct& act, std::uint32_t step)
{
    if (step == act.flapsStep || gf_isRotorcraft(act.head))
        return;
    lf_queueEvent(act.objectId, ceFlaps, flapsValues.at(step));
    act.flapsStep = step;
}

void lf_queueGear(const StaticAct& act, bool down)
{
    if (!gf_isRotorcraft(act.head))
        lf_queueEvent(act.objectId, ceGear, down ? 1 : 0);
}

void lf_queueThrottle(StaticAct& act, std::uint32_t step)
{
    if (step == act.throttleStep)
        return;
    if (step < throttleValues.size())
        lf_queueEvent(act.objectId, ceThrottle, throttleValues[step]);
    act.throttleStep = step;
}

void lf_shutDownAtStand(StaticAct& act)
{
    lf_queueThrottle(act, 0);
    lf_queueFlaps(act, 0);
    queueEngineShutdown(act.objectId);
    std::uint32_t cabin = 0;
    if (!act.standCargo)
        cabin = RANDOM.value.load() ? (gf_randomEngine()() % 10 <= 8 ? 1 : 0) : 1;
    gf_queueLights(act.objectId, {NAV_LIGHTS_WHILE_PARKED.value.load() ? 1u : 0u, 0, 0, 0, 0, 1, cabin});
}

namespace {
// Marks the record as being removed; false when it has no object yet.
bool lf_startRemoval(StaticAct& act)
{
    if (act.objectId == 0) {
        gf_logMarked(fmt::format("removing act {} with objectId=0 ?", gf_formatColumns(act.head.identity)));
        return false;
    }
    act.status = statusRemoving;
    removalQueue.push_back(act.objectId);
    return true;
}
} // namespace

void lf_removeAircraft(StaticAct& act)
{
    // Without an object the creation is still on its way: the aircraft goes once created.
    if (!lf_startRemoval(act))
        act.removeWhenCreated = 1;
}

void lf_removeAircraft(Act& act, std::string_view reason)
{
    // Every absence of a live aircraft is explained in the log (an empty reason: the caller wrote
    // a line of its own); one never shown is no absence.
    if (!reason.empty() && act.base.status != statusRemoving && act.base.objectId != 0)
        gf_logf("{} removed, {}", gf_actColumns(act), reason);
    // Only the live aircraft that holds a stand frees it: a static one leaving frees nothing, as
    // a live aircraft may already stand where it stood, and neither does a live one that has
    // left its stand (it keeps the stand's number).
    gf_releaseStand(act);
    // Without an object the record is dropped; an answer for it finds no record and its
    // object is removed once it has settled.
    if (!lf_startRemoval(act.base)) {
        act.base.status = statusRemoving;
        act.remove = 1;
    }
}

void gf_dropAct(Act& act, std::string_view why)
{
    // Its old object went to be made again (logged so), and the new one is not made yet.
    const bool remade = act.base.objectId == 0 && act.parksLogged;
    if (remade && !act.remove)
        gf_logf("{} not made again: {}", gf_actColumns(act), why);
    gf_releaseStand(act);
    act.remove = 1;
}

void gf_createAgain(Act& act, std::string_view why)
{
    gf_logf("{} removed, made again where its path is: {}", gf_actColumns(act), why);
    // It keeps its path and all it does: only the object changes.
    act.madeAgain = 1;
    act.base.status = statusRecreate;
    act.removalAsked = gf_now();
    removalQueue.push_back(act.base.objectId);
}

bool gf_remakeWhenDue(Act& act)
{
    if (act.remakeTick == 0 || gf_now() < act.remakeTick || act.path.empty())
        return false;
    act.remakeTick = 0;
    const PathPoint& there = act.path.front();
    act.latitude = there.latitude;
    act.longitude = there.longitude;
    if (there.trackPresent)
        act.heading = gf_normalHeading(there.track * degToRad);
    gf_createAgain(act, "far from its stand");
    return true;
}
