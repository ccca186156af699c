#pragma once
// The head of every aircraft record: the flight's identity and its size-dependent profile.
#include "foundation/flightident.h"

#include <cstdint>
#include <string_view>

struct StandRecord;

struct AircraftProfile {
    FlightIdent identity;
    std::uint32_t sizeClass = 2; // 0 Light .. 5 Rotorcraft; set by the caller
    // How it moves where that differs from its size class: a type the reference data do not list
    // moves as what the feed shows of it. `noMotionClass`: as its size class.
    static constexpr std::uint32_t noMotionClass = 0xffffffff;
    std::uint32_t motionClass = noMotionClass;
    std::uint8_t cargo = 0;
    std::uint8_t fsltlLivery = 0;
    double wingspan = 0.0;       // half the span in nautical miles: the aircraft's radius
    double staticCgHeight = 0.0; // feet
    double staticPitch = 0.0;    // radians
    double rotationPitch = 0.0;  // radians, negative = nose up
    double climbPitch = 0.0;     // radians
    double turnRate = 0.0;
    double turnStep = 0.0;
    double accelLimit = 0.0;
    double pushSpeed = 0.0;
    std::uint32_t flightId = 0;
    std::uint32_t flareTicks = 0;
    std::uint32_t rollOutSlots = 0;
    std::uint32_t rotationTicks = 0;
    std::uint32_t pitchUpTicks = 0;
    std::string_view liveryTitle; // a view into the livery list; empty: no livery

    AircraftProfile() = default;
    // Copies the identity and sets the wingspan and the class's take-off and landing values;
    // throws std::out_of_range for a type whose class has no table entry.
    explicit AircraftProfile(const FlightIdent& ident);
};

using ActHead = AircraftProfile;

// The class by which the aircraft moves: taxis, takes off, turns, flies, lands.
inline std::uint32_t gf_motionClassOf(const AircraftProfile& head)
{
    return head.motionClass != AircraftProfile::noMotionClass ? head.motionClass : head.sizeClass;
}
// Makes the aircraft move as the class: its take-off and landing values become the class's.
void gf_setMotionProfile(AircraftProfile& head, std::uint32_t motionClass);

// True when an aircraft of this radius (nautical miles) suits the stand: at most 1.8 m
// larger than the stand and less than half a size step smaller.
bool gf_checkRounded(const StandRecord& stand, double aircraftRadius);
