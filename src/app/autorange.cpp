// The automatic live radius: small on the ground and near the park airport, large aloft.
#include "app/mainloop.h"

#include "foundation/geometry.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"
#include "links/simlink.h"
#include "traffic/traffic.h"

#include <cmath>

std::int32_t gf_autoRangeRadius(bool onGround, double altitudeFeet, std::int32_t airportHeight, double distanceNm)
{
    constexpr std::int32_t nearRadius = 8;
    constexpr std::int32_t farRadius = 40;
    if (onGround)
        return nearRadius;
    if (altitudeFeet > airportHeight)
        return farRadius;
    if (distanceNm <= 5)
        return nearRadius;
    if (distanceNm < 37)
        return static_cast<std::int32_t>(std::lround(distanceNm)) + 3;
    return farRadius;
}

void gf_autoRange()
{
    const UserAircraft user = gf_userAircraftBlock();
    double distance = 10000;
    {
        std::lock_guard lock(parkAirportsMutex);
        if (!parkAirports.empty())
            distance = gf_distanceNm(user.latitude, user.longitude, parkAirports.front().latitude,
                                     parkAirports.front().longitude);
    }
    const std::int32_t before = LATERAL_RANGE.value.load();
    gf_setRadius(gf_autoRangeRadius(userOnGround.load(), user.altitude, AIRPORT_HEIGHT.value.load(), distance));
    if (LATERAL_RANGE.value.load() != before)
        gf_showIntParameter(LATERAL_RANGE);
}
