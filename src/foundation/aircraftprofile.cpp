#include "foundation/aircraftprofile.h"

#include "airports/airports.h"
#include "foundation/geometry.h"
#include "foundation/random.h"
#include "foundation/sizeclasses.h"
#include "liveries/liveries.h"

#include <cmath>

AircraftProfile::AircraftProfile(const FlightIdent& ident) : identity(ident)
{
    wingspan = gf_wingspan(identity.type);
    const std::int32_t c = gf_sizeCategory(identity.type);
    flareTicks = gf_flareTicks(c);
    rollOutSlots = gf_rollOutSlots(c);
    rotationTicks = gf_rotationTicks(c);
    pitchUpTicks = gf_pitchUpTicks(c);
    rotationPitch = gf_randomVariation(gf_rotationPitchDegrees(c), 2.5) * degToRad;
    climbPitch = gf_randomVariation(gf_climbPitchDegrees(c), 5.0) * degToRad;
}

bool gf_checkRounded(const StandRecord& stand, double aircraftRadius)
{
    constexpr double tolerance = 0.0009719222462203025; // 1.8 m
    constexpr double smallStep = 0.00755939524838013;   // 14 m
    constexpr double largeStep = 0.011339092872570195;  // 21 m
    constexpr double smallLimit = 0.009611230689557531; // 17.8 m as a float
    const double r = aircraftRadius;
    const double R = stand.radius;
    if (r - R > tolerance)
        return false;
    const double step = r <= smallLimit ? smallStep : largeStep;
    return std::trunc(std::round((R - r) / step)) == 0.0;
}
