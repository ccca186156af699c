#include "foundation/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
const LatLon EHAM{52.308601, 4.763889};
const LatLon EGLL{51.4775, -0.461389};
const LatLon KJFK{40.639751, -73.778925};
const LatLon YSSY{-33.946111, 151.177222};
const LatLon NZAA{-37.008056, 174.791667};
const LatLon PHNL{21.318681, -157.922428};

constexpr double noNumber = std::numeric_limits<double>::quiet_NaN();

void expectNear(const LatLon& actual, const LatLon& expected, double tolerance)
{
    EXPECT_NEAR(actual.first, expected.first, tolerance);
    EXPECT_NEAR(actual.second, expected.second, tolerance);
}
} // namespace

// Expected figures come from the spherical Vincenty formula with one nautical mile per arc minute.
TEST(GeometryDistance, MatchesAnIndependentFormulaForAirportPairs)
{
    EXPECT_NEAR(gf_distanceNm(EHAM, EGLL), 199.75380624586128, 1e-6);
    EXPECT_NEAR(gf_distanceNm(EGLL, KJFK), 2989.047862221998, 1e-6);
    EXPECT_NEAR(gf_distanceNm(YSSY, NZAA), 1165.267649951272, 1e-6);
    EXPECT_NEAR(gf_distanceNm(NZAA, PHNL), 3824.956952549708, 1e-6); // across the date line
    EXPECT_DOUBLE_EQ(gf_distanceNm(EHAM, EGLL), gf_distanceNm(EGLL, EHAM));
    EXPECT_DOUBLE_EQ(gf_distanceNm(EHAM.first, EHAM.second, EGLL.first, EGLL.second), gf_distanceNm(EHAM, EGLL));
}

TEST(GeometryDistance, SimpleCasesAndAntipodes)
{
    EXPECT_EQ(gf_distanceNm(EHAM, EHAM), 0.0);
    EXPECT_NEAR(gf_distanceNm({10.0, 20.0}, {11.0, 20.0}), 60.0, 1e-9);
    EXPECT_NEAR(gf_distanceNm({0.0, 0.0}, {0.0, 1.0}), 60.0, 1e-9);
    // Half the circumference, even where rounding pushes the haversine term past 1.
    EXPECT_NEAR(gf_distanceNm({0.0, 0.0}, {0.0, 180.0}), 10800.0, 1e-6);
    EXPECT_NEAR(gf_distanceNm({45.0, 10.0}, {-45.0, -170.0}), 10800.0, 1e-6);
    EXPECT_TRUE(std::isnan(gf_distanceNm({noNumber, 0.0}, {0.0, 0.0})));
}

TEST(GeometryBearing, MatchesAnIndependentFormulaAndStaysInRange)
{
    EXPECT_NEAR(gf_initialBearing(EHAM, EGLL), 4.496207559244785, 1e-9);
    EXPECT_NEAR(gf_initialBearing(EGLL, EHAM), 1.2828337614267404, 1e-9);
    EXPECT_NEAR(gf_initialBearing(EGLL, KJFK), 5.025356061733719, 1e-9);
    EXPECT_NEAR(gf_initialBearing(NZAA, PHNL), 0.49629472170986766, 1e-9);
    EXPECT_NEAR(gf_initialBearing({0.0, 0.0}, {0.0, 1.0}), twoPi / 4, 1e-12);
    EXPECT_NEAR(gf_initialBearing({0.0, 0.0}, {0.0, -1.0}), 3 * twoPi / 4, 1e-12);
    EXPECT_EQ(gf_initialBearing({0.0, 0.0}, {1.0, 0.0}), 0.0);
    EXPECT_NEAR(gf_initialBearing({1.0, 0.0}, {0.0, 0.0}), twoPi / 2, 1e-12);
    // Almost due north but a hair west: never 2π itself.
    const double nearlyNorth = gf_initialBearing({0.0, 0.0}, {1.0, -1e-15});
    EXPECT_GE(nearlyNorth, 0.0);
    EXPECT_LT(nearlyNorth, twoPi);
}

TEST(GeometryDestination, MatchesAnIndependentFormula)
{
    expectNear(gf_destinationPoint(EHAM, 270 * degToRad, 100 * feetPerNm), {52.27724080559142, 2.0392283358031427}, 1e-7);
    expectNear(gf_destinationPoint(YSSY, 135 * degToRad, 500 * feetPerNm), {-39.6080713941218, 158.82140674318097}, 1e-7);
    expectNear(gf_destinationPoint(EHAM, 1.0, 0.0), EHAM, 1e-12);
}

TEST(GeometryDestination, WrapsAcrossTheDateLine)
{
    const LatLon east = gf_destinationPoint({0.0, 179.9}, twoPi / 4, 20 * feetPerNm);
    EXPECT_NEAR(east.second, -179.76666666666665, 1e-7);
    EXPECT_NEAR(east.first, 0.0, 1e-9);
    const LatLon west = gf_destinationPoint({10.0, -179.95}, 3 * twoPi / 4, 30 * feetPerNm);
    expectNear(west, {9.999615316872305, 179.5422870947599}, 1e-7);
}

TEST(GeometryDestination, RoundTripsWithBearingAndDistance)
{
    const LatLon pairs[][2] = {{EHAM, EGLL}, {EGLL, KJFK}, {YSSY, NZAA}, {NZAA, PHNL}, {PHNL, YSSY}};
    for (const auto& pair : pairs) {
        const double bearing = gf_initialBearing(pair[0], pair[1]);
        const double feet = gf_distanceNm(pair[0], pair[1]) * feetPerNm;
        const LatLon reached = gf_destinationPoint(pair[0], bearing, feet);
        EXPECT_LT(gf_distanceNm(reached, pair[1]), 1e-5) << pair[0].first << "," << pair[0].second;
        EXPECT_GE(reached.second, -180.0);
        EXPECT_LE(reached.second, 180.0);
    }
    // Out and back along the reverse bearing.
    const LatLon out = gf_destinationPoint(EHAM, 0.7, 25000.0);
    const LatLon back = gf_destinationPoint(out, gf_initialBearing(out, EHAM), 25000.0);
    EXPECT_LT(gf_distanceNm(back, EHAM), 1e-7);
}

TEST(GeometryAngleDiff, TakesTheShortWayAcrossNorth)
{
    EXPECT_NEAR(gf_angleDiff(0.1, 6.2), 6.1 - twoPi, 1e-12);
    EXPECT_NEAR(gf_angleDiff(6.2, 0.1), twoPi - 6.1, 1e-12);
    EXPECT_NEAR(gf_angleDiff(0.0, 359.0 * degToRad), -1.0 * degToRad, 1e-12);
    EXPECT_NEAR(gf_angleDiff(1.0, 2.5), 1.5, 1e-12);
    EXPECT_NEAR(gf_angleDiff(2.5, 1.0), -1.5, 1e-12);
    EXPECT_EQ(gf_angleDiff(3.0, 3.0), 0.0);
    // A half turn is +π one way and -π the other.
    EXPECT_EQ(gf_angleDiff(0.0, twoPi / 2), twoPi / 2);
    EXPECT_EQ(gf_angleDiff(twoPi / 2, 0.0), -twoPi / 2);
}

namespace {
CurveSegment lf_segment(double endNorth, double endEast, double controlNorth, double controlEast)
{
    return {52.0, 4.0, 10.0, endNorth, endEast, 20.0, controlEast, controlNorth};
}
} // namespace

TEST(GeometryCurve, PassesThroughItsEndPoints)
{
    const CurveSegment s = lf_segment(300.0, 400.0, 0.0, 200.0);
    LatLon position;
    double heading = -1.0;
    ASSERT_TRUE(gf_interpolateSegment(s, position, heading, 10.0));
    expectNear(position, {52.0, 4.0}, 1e-12);
    EXPECT_NEAR(heading, twoPi / 4, 1e-12); // towards the control point: due east

    ASSERT_TRUE(gf_interpolateSegment(s, position, heading, 20.0));
    expectNear(position, {52.0 + 300.0 / 111132.95, 4.0 + 400.0 / (std::cos(52.0 * degToRad) * 111132.95)}, 1e-12);
    EXPECT_NEAR(heading, std::atan2(200.0, 300.0), 1e-12); // from the control point to the end
    // The end lies about 500 m away.
    EXPECT_NEAR(gf_distanceNm({52.0, 4.0}, position) * 1852.0, 500.0, 1.0);
}

TEST(GeometryCurve, StraightWhenTheControlPointIsHalfway)
{
    const CurveSegment s = lf_segment(-600.0, -800.0, -300.0, -400.0);
    const double expectedHeading = std::atan2(-800.0, -600.0) + twoPi;
    for (double t = 10.0; t <= 20.0; t += 2.5) {
        LatLon position;
        double heading = 0.0;
        ASSERT_TRUE(gf_interpolateSegment(s, position, heading, t));
        const double f = (t - 10.0) / 10.0;
        EXPECT_NEAR((position.first - 52.0) * 111132.95, -600.0 * f, 1e-6);
        EXPECT_NEAR(heading, expectedHeading, 1e-12);
        EXPECT_GE(heading, 0.0);
    }
}

TEST(GeometryCurve, FailsWithoutWritingOutsideItsRangeWithoutACurveOrWithoutDuration)
{
    LatLon position{1.0, 2.0};
    double heading = 3.0;
    EXPECT_FALSE(gf_interpolateSegment(lf_segment(300.0, 400.0, 0.0, 200.0), position, heading, 9.999));
    EXPECT_FALSE(gf_interpolateSegment(lf_segment(300.0, 400.0, 0.0, 200.0), position, heading, 20.001));
    EXPECT_FALSE(gf_interpolateSegment(lf_segment(300.0, 400.0, noNumber, 200.0), position, heading, 15.0));
    EXPECT_FALSE(gf_interpolateSegment(lf_segment(300.0, 400.0, 0.0, noNumber), position, heading, 15.0));
    EXPECT_FALSE(gf_interpolateSegment(lf_segment(300.0, 400.0, 0.0, 200.0), position, heading, noNumber));
    EXPECT_FALSE(gf_interpolateSegment(lf_segment(noNumber, 400.0, 0.0, 200.0), position, heading, 15.0));
    // A reset segment: parameters and control point all NaN.
    EXPECT_FALSE(gf_interpolateSegment({52.0, 4.0, noNumber, 0.0, 0.0, noNumber, noNumber, noNumber}, position, heading, 0.5));
    // Equal start and end times: no position without a number in it.
    EXPECT_FALSE(gf_interpolateSegment({52.0, 4.0, 5.0, 300.0, 400.0, 5.0, 200.0, 0.0}, position, heading, 5.0));
    EXPECT_EQ(position, (LatLon{1.0, 2.0})) << "untouched";
    EXPECT_EQ(heading, 3.0) << "untouched";
}
