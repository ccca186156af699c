#include "foundation/aircraftprofile.h"

#include "airports/airports.h"
#include "foundation/geometry.h"
#include "foundation/random.h"
#include "foundation/sizeclasses.h"
#include "liveries/liveries.h"

#include <cmath>

namespace {
void lf_setClassValues(AircraftProfile& head, std::int32_t c)
{
    head.flareTicks = gf_flareTicks(c);
    head.rollOutSlots = gf_rollOutSlots(c);
    head.rotationTicks = gf_rotationTicks(c);
    head.pitchUpTicks = gf_pitchUpTicks(c);
    head.rotationPitch = gf_randomVariation(gf_rotationPitchDegrees(c), 2.5) * degToRad;
    head.climbPitch = gf_randomVariation(gf_climbPitchDegrees(c), 5.0) * degToRad;
}
} // namespace

AircraftProfile::AircraftProfile(const FlightIdent& ident) : identity(ident)
{
    wingspan = gf_wingspan(identity.type);
    lf_setClassValues(*this, gf_sizeCategory(identity.type));
}

void gf_setMotionProfile(AircraftProfile& head, std::uint32_t motionClass)
{
    head.motionClass = motionClass;
    lf_setClassValues(head, static_cast<std::int32_t>(motionClass));
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
