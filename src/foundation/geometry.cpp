#include "foundation/geometry.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace {
constexpr double earthDiameterNm = 6875.493541569878; // 2 x 60 x 180 / π
constexpr double radiansPerFoot = 4.787404208238998e-8;
constexpr double metresPerDegree = 111132.95;
constexpr double pi = std::numbers::pi;
} // namespace

double gf_distanceNm(const LatLon& a, const LatLon& b)
{
    const double latA = a.first * degToRad;
    const double latB = b.first * degToRad;
    const double sinLat = std::sin((latA - latB) / 2.0);
    const double sinLon = std::sin((a.second - b.second) * degToRad / 2.0);
    const double h = sinLat * sinLat + std::cos(latB) * std::cos(latA) * sinLon * sinLon;
    // Rounding can lift h a hair above 1 for antipodal points.
    return std::asin(std::sqrt(h > 1.0 ? 1.0 : h)) * earthDiameterNm;
}

LatLon gf_destinationPoint(const LatLon& start, double bearing, double distanceFeet)
{
    const double lat1 = start.first * degToRad;
    const double lon1 = start.second * degToRad;
    const double delta = distanceFeet * radiansPerFoot;
    const double sinLat1 = std::sin(lat1);
    const double cosLat1 = std::cos(lat1);
    const double sinDelta = std::sin(delta);
    const double cosDelta = std::cos(delta);
    const double lat2 = std::asin(std::cos(bearing) * cosLat1 * sinDelta + sinLat1 * cosDelta);
    const double dLon = std::atan2(std::sin(bearing) * sinDelta * cosLat1, cosDelta - std::sin(lat2) * sinLat1);
    double lon2 = pi - std::fmod(pi - lon1 - dLon, twoPi);
    if (lon2 < -pi)
        lon2 += twoPi;
    if (lon2 > pi)
        lon2 -= twoPi;
    return {lat2 * radToDeg, lon2 * radToDeg};
}

double gf_initialBearing(const LatLon& from, const LatLon& to)
{
    const double lat1 = from.first * degToRad;
    const double lat2 = to.first * degToRad;
    const double dLon = (to.second - from.second) * degToRad;
    double bearing = std::atan2(std::sin(dLon) * std::cos(lat2),
                                std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dLon));
    if (bearing < 0.0)
        bearing += twoPi;
    // A tiny negative angle plus 2π rounds to 2π itself.
    return bearing >= twoPi ? 0.0 : bearing;
}

double gf_angleDiff(double a, double b)
{
    if (b > a) {
        const double d = b - a;
        return d > pi ? d - twoPi : d;
    }
    if (a > b) {
        const double d = a - b;
        return -(d > pi ? d - twoPi : d);
    }
    return 0.0;
}

double gf_lineOffsetFeet(double distanceNm, double lineDirection, double bearing)
{
    return distanceNm * feetPerNm * std::abs(std::sin(lineDirection - bearing));
}

double gf_aheadOffsetFeet(double distanceNm, double lineDirection, double bearing)
{
    if (std::cos(lineDirection - bearing) <= 0.0)
        return std::numeric_limits<double>::infinity();
    return gf_lineOffsetFeet(distanceNm, lineDirection, bearing);
}

bool gf_interpolateSegment(const CurveSegment& segment, LatLon& position, double& heading, double t)
{
    const CurveSegment& s = segment;
    if (std::isnan(s.controlEast) || std::isnan(s.controlNorth) || t < s.t0 || t > s.t1)
        return false;
    // Equal start and end parameters would divide zero by zero.
    if (!(s.t1 > s.t0))
        return false;
    const double f = (t - s.t0) / (s.t1 - s.t0);
    if (!(f >= 0.0 && f <= 1.0))
        return false;

    const double dEast = 2.0 * f * (s.endEast - s.controlEast) + 2.0 * (1.0 - f) * s.controlEast;
    const double dNorth = 2.0 * f * (s.endNorth - s.controlNorth) + 2.0 * (1.0 - f) * s.controlNorth;
    double direction = std::atan2(dEast, dNorth);
    if (direction < 0.0)
        direction += twoPi;
    else if (direction > twoPi)
        direction -= twoPi;

    const double east = 2.0 * f * (1.0 - f) * s.controlEast + f * f * s.endEast;
    const double north = 2.0 * f * (1.0 - f) * s.controlNorth + f * f * s.endNorth;
    const double refLatitude = s.refLatitude > 180.0 ? s.refLatitude - 360.0 : s.refLatitude;
    const double latitude = s.refLatitude + north / metresPerDegree;
    const double longitude = s.refLongitude + east / (std::cos(refLatitude * degToRad) * metresPerDegree);
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || !std::isfinite(direction))
        return false;
    position = {latitude, longitude};
    heading = direction;
    return true;
}
