#pragma once
// Positions on the Earth: great-circle distance, destination point, bearing, heading
// difference and the curved ground segment. Pure and allocation-free.
#include <cmath>
#include <utility>

// (latitude, longitude) in degrees.
using LatLon = std::pair<double, double>;

inline constexpr double degToRad = 0.017453292519943295;
inline constexpr double radToDeg = 57.29577951308232;
inline constexpr double twoPi = 6.283185307179586;
inline constexpr double metresPerNm = 1852.0;
inline constexpr double feetPerNm = 6076.11549;

// Haversine distance in nautical miles (one per arc minute).
double gf_distanceNm(const LatLon& a, const LatLon& b);
inline double gf_distanceNm(double latitudeA, double longitudeA, double latitudeB, double longitudeB)
{
    return gf_distanceNm(LatLon{latitudeA, longitudeA}, LatLon{latitudeB, longitudeB});
}
// Degrees of longitude from one position east to another, the short way round the globe.
inline double gf_longitudeDelta(double to, double from)
{
    const double d = to - from;
    return d > 180.0 ? d - 360.0 : d < -180.0 ? d + 360.0 : d;
}

// Whether two positions lie at most `nm` nautical miles apart; most are plainly so without
// trigonometry (a minute of arc is at most a mile either way).
inline bool gf_withinNm(double latitudeA, double longitudeA, double latitudeB, double longitudeB, double nm)
{
    const double most = (std::abs(latitudeB - latitudeA) + std::abs(gf_longitudeDelta(longitudeB, longitudeA))) * 60.0;
    return most <= nm || gf_distanceNm(latitudeA, longitudeA, latitudeB, longitudeB) <= nm;
}
// The position reached along a bearing (radians) after a distance in feet; longitude in [-180, 180].
LatLon gf_destinationPoint(const LatLon& start, double bearing, double distanceFeet);
// Initial great-circle bearing in radians, in [0, 2π).
double gf_initialBearing(const LatLon& from, const LatLon& to);
// The signed turn from heading a to heading b (radians), in [-π, π].
double gf_angleDiff(double a, double b);

// How far (feet) a point passes a straight line: the point lies `distanceNm` away along
// `bearing` from a point of the line, which runs along `lineDirection` (radians). Either way
// round: the offset of an aircraft from the user's line of motion, or of the user from the
// aircraft's.
double gf_lineOffsetFeet(double distanceNm, double lineDirection, double bearing);
// The same for a line that runs only ahead from its point: infinite for a place behind it.
double gf_aheadOffsetFeet(double distanceNm, double lineDirection, double bearing);

// A quadratic curve in a flat frame of metres north and east of its first point.
// The control point holds NaN while no curve is set.
struct CurveSegment {
    double refLatitude;
    double refLongitude;
    double t0;
    double endNorth;
    double endEast;
    double t1;
    double controlEast;
    double controlNorth;
};

// Position and heading (radians) at parameter t; false, writing nothing, when no curve
// is set, t lies outside [t0, t1], the segment is empty (t1 <= t0) or the result is no number.
bool gf_interpolateSegment(const CurveSegment& segment, LatLon& position, double& heading, double t);
