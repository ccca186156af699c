// Where approaches come down: to the park airport's touch-down, or onto another field near it.
#include "traffic/motion_fixture.h"
#include "traffic/scenario_fixture.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>

// A field 6.5 nm east of the park airport, its runway heading east, its stand 150 m south of
// the runway: its ground reports lie beyond the park airport's ground traffic. The arrival
// there rolls out and turns off the runway where its reports do.
TEST_F(Scenario, AnArrivalAtAnotherFieldNearTheParkAirportRollsOutAndTurnsOffWithItsReports)
{
    const std::string runway = runwayArgument(90.0, 6.5 * metresPerNm, 90.0);
    const double runwayLatitude = std::stod(runway);
    const LatLon threshold{runwayLatitude, std::stod(runway.substr(runway.find(',') + 1))};
    const LatLon beside = gf_offset(gf_offset(threshold, 90.0, 1700.0 * metre), 180.0, 150.0 * metre);
    const auto turnedOff = [&](const FlightWatch& w) {
        const auto south = [&](const auto& p) { return (runwayLatitude - p[0]) * 60.0 > 40.0 * metre; };
        return std::ranges::any_of(w.positions, south);
    };
    fly({"--kind", "arrival", "--runway", runway, "--distance", "5", "--hold-after", "0", "--stand",
         fmt::format("{:.7f},{:.7f},180", beside.first, beside.second)},
        [&](const FlightWatch& w) { return w.gone || turnedOff(w); }, 60.0);
    EXPECT_LT(watch.lowest, 20.0) << "feet above the runway";
    EXPECT_TRUE(turnedOff(watch));
    EXPECT_FALSE(watch.noNumber);
}

// The approach step holds an approach at the park airport's height until its touch-down is
// known; one whose reports end at another field follows them instead. With no park airport (the
// user in the air) any aircraft is held over the ground the simulator tells under it, that ground
// and not its path's altitude less the shown aircraft's height. Right on its next point with the
// flare there or behind it, the step is a number.
TEST_F(Motion, TheApproachStepHoldsArrivalsWhereTheirGroundIsKnownAndIsAlwaysANumber)
{
    const LatLon park{52.3086, 4.7639};
    const LatLon elsewhere = gf_offset(park, 90.0, 6.5);
    constexpr double untold = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* what;
        bool withPark;
        LatLon to;
        double offNext; // nautical miles short of its next point
        bool onGround;  // its next point
        bool landing;
        double groundUnder; // feet, as the simulator tells it
        bool held;
        std::uint32_t sizeClass = largeClass;
    };
    for (const Row& row : {Row{"to the park airport", true, park, 0.3, false, true, untold, true},
                           Row{"to another field", true, elsewhere, 0.3, false, true, untold, false},
                           Row{"to another field 300 ft higher", true, elsewhere, 0.3, false, true, 300.0, false},
                           Row{"to the park airport, its ground told", true, park, 0.3, false, true, 20.0, true},
                           Row{"on its next point, down there", true, park, 0.0, true, true, untold, true},
                           Row{"no park airport, over the ground told", false, elsewhere, 0.3, false, false, 0.0, true},
                           Row{"no park airport, no ground told", false, elsewhere, 0.3, false, false, untold, false},
                           Row{"no park airport, a helicopter", false, elsewhere, 0.3, false, false, 0.0, false, rotorcraftClass}}) {
        SCOPED_TRACE(row.what);
        gf_testClearTraffic();
        if (row.withPark)
            gf_testPark(park, 0.0);
        else
            gf_setParkAirport({});
        Act& a = addAct(row.sizeClass, row.offNext > 0.0 ? gf_offset(row.to, 270.0, row.offNext) : row.to, 90.0,
                        phaseAirborne);
        a.landing = row.landing ? 1 : 0;
        a.altitude = 300.0;
        a.groundUnder = row.groundUnder;
        a.heightAboveGround = 100.0; // the shown aircraft 200 ft below its path
        a.path = {point(gf_offset(row.to, 270.0, 0.6), 140.0, 0, 350.0),
                  point(row.to, 130.0, 100, row.onGround ? 0.0 : 200.0)};
        const std::optional<double> step = lf_approachStep(a, 1, 100.0);
        ASSERT_EQ(step.has_value(), row.held);
        if (step || row.withPark) {
            EXPECT_EQ(gf_groundElevation(a), std::isnan(row.groundUnder) ? 0.0 : row.groundUnder) << "feet: the ground under it";
        }
        if (step) {
            EXPECT_FALSE(std::isnan(*step));
            EXPECT_LT(*step, 0.0) << "down toward its flare";
        }
    }
}
