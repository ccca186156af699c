#pragma once
// Created live aircraft of four kinds for the movement benchmarks: taxiing straight,
// taxiing through curves, climbing, and flying on predictions (no more reports), with the
// motion values a Medium aircraft gets at its creation.
#include "traffic/motion.h"

#include "foundation/sizeclasses.h"

#include <cmath>
#include <cstdint>
#include <string>

enum class Kind { taxiing, curving, climbing, predicted };
inline constexpr Kind kinds[] = {Kind::taxiing, Kind::curving, Kind::climbing, Kind::predicted};
inline const char* const kindNames[] = {"taxiing", "curving", "climbing", "predicted"};
inline constexpr LatLon benchHome{52.3086, 4.7639};

inline bool lf_flies(Kind kind) { return kind == Kind::climbing || kind == Kind::predicted; }

inline ActHead lf_benchHead(std::uint32_t flightId)
{
    ActHead head;
    head.identity.callsign = "KLM" + std::to_string(flightId % 10000);
    head.identity.type = "B738";
    head.sizeClass = 2;
    head.flightId = flightId;
    head.wingspan = 17.9 / metresPerNm;
    head.staticCgHeight = 9.5;
    head.rotationPitch = gf_rotationPitchDegrees(2) * degToRad;
    head.climbPitch = gf_climbPitchDegrees(2) * degToRad;
    head.turnRate = head.turnStep = gf_turnRate(2);
    head.accelLimit = gf_climbStep(2);
    head.pushSpeed = gf_pushSpeed(2);
    head.flareTicks = gf_flareTicks(2);
    head.rollOutSlots = gf_rollOutSlots(2);
    head.rotationTicks = gf_rotationTicks(2);
    head.pitchUpTicks = gf_pitchUpTicks(2);
    return head;
}

// Where the kind is `seconds` after p, its track first turned by `turn` degrees, due that
// much later: taxiing at 15 kt, flying at 200 kt, climbing 1875 ft a minute.
inline PathPoint lf_pointAfter(const PathPoint& p, Kind kind, double seconds, double turn)
{
    PathPoint next = p;
    const bool air = lf_flies(kind);
    const bool climbing = kind == Kind::climbing;
    next.speed = next.trueAirSpeed = air ? 200.0 : 15.0;
    next.track = std::fmod(p.track + turn + 360.0, 360.0);
    const LatLon to = gf_destinationPoint({p.latitude, p.longitude}, next.track * degToRad,
                                          next.speed * seconds / 3600.0 * feetPerNm);
    next.latitude = to.first;
    next.longitude = to.second;
    next.altitude = air ? p.altitude + (climbing ? 31.25 * seconds : 0.0) : 0.0;
    next.verticalSpeed = climbing ? 1875.0 : 0.0;
    next.airborne = air ? 1 : 0;
    next.hold = 0;
    next.tick = p.tick + static_cast<std::uint32_t>(seconds * 100.0);
    return next;
}

// The first point of an aircraft of the kind number n, spread around the airport, due at `tick`.
inline PathPoint lf_firstPoint(Kind kind, std::size_t n, std::int64_t tick)
{
    const LatLon at = gf_destinationPoint(benchHome, static_cast<double>(n % 360) * degToRad, (n % 50) * 200.0);
    const bool air = lf_flies(kind);
    return {.latitude = at.first, .longitude = at.second, .altitude = air ? 3000.0 : 0.0,
            .speed = air ? 200.0 : 15.0, .track = static_cast<double>(n % 360),
            .trueAirSpeed = air ? 200.0 : 15.0, .tick = static_cast<std::uint32_t>(tick),
            .airborne = static_cast<std::uint8_t>(air ? 1 : 0)};
}

// A created aircraft of the kind standing at its path's first point.
inline Act lf_benchAircraft(Kind kind, std::uint32_t flightId, const PathPoint& first)
{
    Act act = lf_newAct(lf_benchHead(flightId), {first}, 0.0);
    const bool air = lf_flies(kind);
    act.base.status = statusCreated;
    act.base.objectId = flightId;
    act.latitude = first.latitude;
    act.longitude = first.longitude;
    act.altitude = first.altitude;
    act.heading = first.track * degToRad;
    act.phase = air ? phaseAirborne : phaseGround;
    act.onGround = air ? 0 : 1;
    act.lowLightsSet = 1;
    act.heightAboveGround = air ? 2900.0 : 0.0;
    return act;
}
