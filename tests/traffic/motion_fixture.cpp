#include "traffic/motion_fixture.h"

#include "app/mainloop.h"
#include "app/startup.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "foundation/sizeclasses.h"
#include "foundation/standoptions.h"
#include "links/qnhreader.h"

#include <algorithm>
#include <mutex>

namespace {
// The half spans (nautical miles) of a light, bizjet, large, heavy, fast and rotary test type.
constexpr double spans[] = {5.5 * metre, 8.0 * metre, 17.9 * metre, 32.4 * metre, 6.0 * metre, 6.0 * metre};

ActHead lf_headOf(std::uint32_t sizeClass, std::uint32_t flightId, const std::string& callsign)
{
    const auto c = static_cast<std::int32_t>(sizeClass);
    ActHead head;
    head.identity.callsign = callsign;
    head.identity.airline = callsign.substr(0, 3);
    head.identity.type = "T" + std::to_string(sizeClass);
    head.identity.registration = "PH-" + callsign;
    head.sizeClass = sizeClass;
    head.flightId = flightId;
    head.wingspan = spans[sizeClass];
    head.staticCgHeight = 9.5;
    head.staticPitch = 0.0087;
    head.rotationPitch = gf_rotationPitchDegrees(c) * degToRad;
    head.climbPitch = gf_climbPitchDegrees(c) * degToRad;
    head.turnRate = head.turnStep = gf_turnRate(c);
    head.accelLimit = gf_climbStep(c);
    head.pushSpeed = gf_pushSpeed(c);
    head.flareTicks = gf_flareTicks(c);
    head.rollOutSlots = gf_rollOutSlots(c);
    head.rotationTicks = gf_rotationTicks(c);
    head.pitchUpTicks = gf_pitchUpTicks(c);
    return head;
}
} // namespace

void Motion::SetUp()
{
    gf_testClearTraffic();
    staticConflictChecks.clear();
    tickCounter = 100000;
    currentWeekSlot = WeekSlot{3, 20}.value();
    apfEditCount = 0;
    staticParkingActive = true;
    softLearningAllowed = true;
    for (auto* setting : {&LIGHT_AIRCRAFT, &HELICOPTERS, &HIGH_PERF_AIRCRAFT, &LEARN_SOFT})
        setting->value = true;
    LOG.value = false;
    RANDOM.value = false;
    lateralRadiusNm = 40.0;
    currentQnh = 1013;
    gf_setCurrentUserAircraft({});
    gf_seedRandomEngine(7);
}

void Motion::TearDown()
{
    gf_testClearTraffic();
    staticConflictChecks.clear();
    staticParkingActive = false;
}

Act& Motion::addAct(std::uint32_t sizeClass, LatLon at, double headingDegrees, std::uint32_t phase,
                    const std::string& callsign)
{
    const std::uint32_t flightId = nextFlightId++;
    const bool onGround = phase != phaseAirborne && phase != phaseTakeOff;
    Act act = lf_newAct(lf_headOf(sizeClass, flightId, callsign), {point(at, 0.0, 0)}, 0.0);
    act.base.status = statusCreated;
    act.base.objectId = flightId - 0x400000 + 10;
    act.latitude = at.first;
    act.longitude = at.second;
    act.heading = headingDegrees * degToRad;
    act.phase = phase;
    act.previousPhase = phase == phaseAtStand ? phaseAtStand : phaseGround;
    act.onGround = onGround ? 1 : 0;
    act.pitch = onGround ? act.base.head.staticPitch : 0.0;
    return liveActs.emplace_back(std::move(act));
}

Act& Motion::hovering(LatLon at, double headingDegrees, double altitude, double elevation)
{
    gf_testPark(at, elevation);
    Act& added = addAct(rotorcraftClass, at, headingDegrees, phaseAirborne);
    added.altitude = added.path.front().altitude = altitude;
    added.path.front().airborne = 1;
    return added;
}

PathPoint Motion::point(LatLon at, double speed, std::int64_t dueIn, double altitude)
{
    return {.latitude = at.first,
            .longitude = at.second,
            .altitude = altitude,
            .speed = speed,
            .trueAirSpeed = speed,
            .tick = static_cast<std::uint32_t>(gf_now() + dueIn),
            .airborne = static_cast<std::uint8_t>(altitude > 0.0 ? 1 : 0)};
}

void gf_testPark(LatLon at, double elevation)
{
    gf_setParkAirport({.code = "EHAM", .iata = "AMS", .latitude = at.first, .longitude = at.second,
                       .elevation = elevation});
}

StandRecord& gf_testAddStand(const std::string& name, LatLon at, double headingDegrees, double radiusMetres)
{
    StandRecord& stand =
        parkStands.emplace_back(name, StandOptions{}, at.first, at.second, headingDegrees * degToRad, radiusMetres,
                                false, false, false);
    stand.standNumber = static_cast<std::uint32_t>(parkStands.size());
    return stand;
}

void Motion::run(std::int64_t ticks)
{
    for (std::int64_t i = 0; i < ticks; ++i) {
        lf_groundMovementTick();
        ++tickCounter;
    }
}

std::vector<ClientEventItem> Motion::takeEvents()
{
    std::lock_guard lock(simQueues.mutex);
    std::vector<ClientEventItem> taken;
    taken.swap(simQueues.events);
    return taken;
}

bool Motion::hasEvent(const std::vector<ClientEventItem>& events, std::uint32_t eventId, std::uint32_t value)
{
    return std::any_of(events.begin(), events.end(),
                       [&](const ClientEventItem& e) { return e.eventId == eventId && e.value == value; });
}

double Motion::halfSpan(std::uint32_t sizeClass) { return spans[sizeClass]; }

LatLon gf_offset(LatLon from, double bearingDegrees, double distanceNm)
{
    return gf_destinationPoint(from, bearingDegrees * degToRad, distanceNm * feetPerNm);
}

