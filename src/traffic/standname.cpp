// The stand at a position, asked by the SimConnect thread as well as the main loop: it
// reads a copy of the park airport's stands that the main loop publishes under a lock.
#include "traffic/manager.h"

#include "links/simlink.h"

#include <mutex>
#include <optional>

namespace {
struct StandPlace {
    std::string name;
    double latitude = 0.0;
    double longitude = 0.0;
};

std::mutex standPlacesMutex;
std::vector<StandPlace> standPlaces;
// What the published copy was made from, to see a reload (main-loop thread only).
struct StandsSeen {
    std::size_t count = 0;
    double firstLatitude = 0.0, lastLongitude = 0.0;
    bool operator==(const StandsSeen&) const = default;
};
StandsSeen published;

StandsSeen lf_seen()
{
    if (parkStands.empty())
        return {};
    return {parkStands.size(), parkStands.front().latitude, parkStands.back().longitude};
}
struct CachedName {
    double latitude;
    double longitude;
    std::string name;
};
std::optional<CachedName> lastAsked; // under standPlacesMutex

constexpr double standReach = 0.029697624190064796; // 55 m
} // namespace

void gf_publishStands()
{
    std::vector<StandPlace> places;
    places.reserve(parkStands.size());
    for (const StandRecord& stand : parkStands)
        places.push_back({stand.id, stand.latitude, stand.longitude});
    published = lf_seen();
    std::lock_guard lock(standPlacesMutex);
    standPlaces = std::move(places);
    lastAsked.reset();
}

void gf_publishStandsWhenChanged()
{
    if (!(lf_seen() == published))
        gf_publishStands();
}

std::string lf_standNameAt(double latitude, double longitude)
{
    if (!userOnGround.load())
        return {};
    std::lock_guard lock(standPlacesMutex);
    if (lastAsked && lastAsked->latitude == latitude && lastAsked->longitude == longitude)
        return lastAsked->name;
    const StandPlace* nearest = nullptr;
    double nearestDistance = standReach;
    for (const StandPlace& place : standPlaces) {
        const double distance = gf_distanceNm(latitude, longitude, place.latitude, place.longitude);
        if (distance <= nearestDistance && (nearest == nullptr || distance < nearestDistance)) {
            nearest = &place;
            nearestDistance = distance;
        }
    }
    lastAsked = CachedName{latitude, longitude, nearest ? nearest->name : std::string()};
    return lastAsked->name;
}
