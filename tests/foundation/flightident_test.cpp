#include "airports/airports.h"
#include "foundation/aircraftprofile.h"
#include "foundation/flightident.h"
#include "foundation/geometry.h"
#include "foundation/random.h"
#include "foundation/texthelpers.h"
#include "liveries/referencedata.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {
FlightIdent lf_ident(std::string airline, std::string type, std::string callsign)
{
    return {.airline = std::move(airline), .type = std::move(type), .callsign = std::move(callsign)};
}

StandRecord lf_stand(double radiusMetres)
{
    return StandRecord("A1", {}, 52.3, 4.76, 1.0, radiusMetres, false, false, false);
}

double lf_nm(double metres) { return metres / 1852.0; }
} // namespace

TEST(FlightIdent, TakesTheAirlineOnlyFromAnAirlineCallsign)
{
    FlightIdent ident = lf_ident("", "A320", "DLH4AB");
    EXPECT_TRUE(gf_airlineFromCallsign(ident));
    EXPECT_EQ(ident.airline, "DLH");
    for (const char* callsign : {"DL4", "dlh123", "DLHA12", "D1H123", ""}) {
        FlightIdent other = lf_ident("XXX", "A320", callsign);
        EXPECT_FALSE(gf_airlineFromCallsign(other)) << callsign;
        EXPECT_EQ(other.airline, "XXX") << callsign;
    }
}

TEST(FlightIdent, ColumnsAndLines)
{
    FlightIdent ident = lf_ident("KLM", "B738", "KLM1234");
    ident.registration = "PH-BXA";
    EXPECT_EQ(gf_airlineTypeText(ident), "KLM B738");
    EXPECT_EQ(gf_airlineTypeText(lf_ident("", "C2", "")), "    C2  ");
    EXPECT_EQ(gf_callsignColumn(ident), "KLM1234 ");
    EXPECT_EQ(gf_routeColumn(ident), "        ");
    EXPECT_EQ(gf_identText(ident), "KLM B738 PH-BXA");
    EXPECT_EQ(gf_identLine(ident), "KLM1234  PH-BXA KLM B738");
    EXPECT_EQ(gf_formatColumns(ident), "KLM1234  PH-BXA            KLM B738");

    ident.departure = "EHAM";
    EXPECT_EQ(gf_routeColumn(ident), "EHAM->   ");
    ident.departure = "AMS";
    ident.destination = "LHR";
    EXPECT_EQ(gf_routeColumn(ident), "AMS->LHR");
    ident.registration.clear();
    EXPECT_EQ(gf_formatColumns(ident), "KLM1234           AMS->LHR KLM B738");
}

TEST(FlightIdent, SameAirlineTypeComparesBothCodesExactly)
{
    EXPECT_TRUE(gf_sameAirlineType(lf_ident("KLM", "B738", "KLM1"), lf_ident("KLM", "B738", "KLM2")));
    EXPECT_FALSE(gf_sameAirlineType(lf_ident("KLM ", "B738", ""), lf_ident("KLM", "B738", "")));
    EXPECT_FALSE(gf_sameAirlineType(lf_ident("KLM", "B738", ""), lf_ident("KLM", "B737", "")));
}

TEST(FlightIdent, SizeClassNames)
{
    EXPECT_EQ(gf_sizeClassName(0), "Light");
    EXPECT_EQ(gf_sizeClassName(4), "HighPerf");
    EXPECT_EQ(gf_sizeClassName(5), "Rotorcraft");
    for (int wrong : {6, -1})
        EXPECT_THAT([wrong] { gf_sizeClassName(wrong); },
                    ::testing::ThrowsMessage<std::out_of_range>(::testing::StrEq("invalid unordered_map<K, T> key")));
}

TEST(AircraftProfile, TakesTheTypesSizeAndTheClassValues)
{
    heavyTypes.insert("B744");
    wingspans["B744"] = lf_nm(64.4 * 0.5);
    FlightIdent ident = lf_ident("KLM", "B744", "KLM685");
    ident.word = 0x1234;
    gf_seedRandomEngine(11);
    const AircraftProfile head(ident);

    EXPECT_EQ(head.identity.callsign, "KLM685");
    EXPECT_EQ(head.identity.word, 0x1234u);
    EXPECT_EQ(head.sizeClass, 2u); // the callers set the class
    EXPECT_DOUBLE_EQ(head.wingspan, lf_nm(32.2));
    EXPECT_EQ(head.flareTicks, 450u);
    EXPECT_EQ(head.rollOutSlots, 450u);
    EXPECT_EQ(head.rotationTicks, 250u);
    EXPECT_EQ(head.pitchUpTicks, 400u);
    EXPECT_EQ(head.flightId, 0u);
    EXPECT_TRUE(head.liveryTitle.empty());
    EXPECT_EQ(head.turnRate, 0.0);
    // Heavy: rotation -5° ±2.5 %, climb -12.5° ±5 %, in radians.
    EXPECT_NEAR(std::abs(head.rotationPitch / degToRad + 5.0), 0.125, 1e-12) << head.rotationPitch;
    EXPECT_NEAR(std::abs(head.climbPitch / degToRad + 12.5), 0.625, 1e-12) << head.climbPitch;
    heavyTypes.erase("B744");
    wingspans.erase("B744");
}

TEST(AircraftProfile, VariationRepeatsWithTheSeedAndTakesBothSigns)
{
    const FlightIdent ident = lf_ident("", "ZZZ9", "N123AB"); // unknown type: Light
    int up = 0;
    int down = 0;
    for (std::uint32_t seed = 1; seed <= 32; ++seed) {
        gf_seedRandomEngine(seed);
        const AircraftProfile first(ident);
        gf_seedRandomEngine(seed);
        const AircraftProfile second(ident);
        EXPECT_EQ(first.rotationPitch, second.rotationPitch);
        EXPECT_EQ(first.climbPitch, second.climbPitch);
        const double degrees = first.rotationPitch / degToRad;
        if (std::abs(degrees + 9.225) < 1e-12)
            ++up;
        else if (std::abs(degrees + 8.775) < 1e-12)
            ++down;
        else
            ADD_FAILURE() << degrees;
    }
    EXPECT_GT(up, 0);
    EXPECT_GT(down, 0);
}

TEST(StandFit, AircraftMaySlightlyOverhangButNotRattleAround)
{
    EXPECT_DOUBLE_EQ(lf_stand(1852.0).radius, 1.0);
    EXPECT_EQ(lf_stand(0.0).radius, 0.0);

    EXPECT_TRUE(gf_checkRounded(lf_stand(21.0), lf_nm(15.0)));   // 6/14 rounds to 0
    EXPECT_FALSE(gf_checkRounded(lf_stand(22.1), lf_nm(15.0)));  // 7.1/14 rounds to 1
    EXPECT_FALSE(gf_checkRounded(lf_stand(13.0), lf_nm(15.0)));  // 2 m too small
    EXPECT_TRUE(gf_checkRounded(lf_stand(13.3), lf_nm(15.0)));   // 1.7 m too small
    EXPECT_TRUE(gf_checkRounded(lf_stand(15.0), lf_nm(15.0)));
    // Above 17.8 m the step is 21 m: 10 m spare still fits, 11 m does not.
    EXPECT_TRUE(gf_checkRounded(lf_stand(40.0), lf_nm(30.0)));
    EXPECT_FALSE(gf_checkRounded(lf_stand(41.0), lf_nm(30.0)));
    EXPECT_FALSE(gf_checkRounded(lf_stand(41.0), lf_nm(30.0) * std::numeric_limits<double>::quiet_NaN()));
}

TEST(FlightIdent, StarredCallsignOfAStaticAircraft)
{
    EXPECT_TRUE(gf_equalsStarred("KLM", "KLM*"));
    EXPECT_TRUE(gf_equalsStarred("", "*"));
    EXPECT_FALSE(gf_equalsStarred("KLM", "*KLM"));
    EXPECT_FALSE(gf_equalsStarred("KLM", "KLM"));
    EXPECT_FALSE(gf_equalsStarred("KLM", "KLM**"));
    EXPECT_FALSE(gf_equalsStarred("KLM", "KLX*"));
    EXPECT_FALSE(gf_equalsStarred("KLM", ""));
}
