// Two flights end to end through both stand-ins: a departure from the stand to beyond the
// range, and an arrival from the final approach onto the stand.
#include "traffic/scenario_fixture.h"

#include <algorithm>

namespace {
// Whether the phases were passed in this order (others may lie between).
bool lf_inOrder(const std::vector<std::uint32_t>& seen, const std::vector<std::uint32_t>& wanted)
{
    auto at = seen.begin();
    for (const std::uint32_t phase : wanted) {
        at = std::find(at, seen.end(), phase);
        if (at == seen.end())
            return false;
    }
    return true;
}

std::string lf_text(const std::vector<std::uint32_t>& phases)
{
    std::string text;
    for (const std::uint32_t p : phases)
        text += std::to_string(p) + " ";
    return text;
}
} // namespace

TEST_F(Scenario, ADepartureIsPushedBackTaxisTakesOffAndEndsBeyondTheRange)
{
    fly({"--kind", "departure", "--runway", runwayArgument(200.0, 400.0, 90.0), "--hold-before", "60", "--climb",
         "200"},
        [](const FlightWatch& w) { return w.gone; }, 150.0);
    EXPECT_TRUE(watch.gone);
    EXPECT_TRUE(lf_inOrder(watch.phases, {phaseAtStand, phasePushBack, phaseLeaving, phaseGround, phaseTakeOff,
                                          phaseAirborne}))
        << lf_text(watch.phases);
    EXPECT_LE(watch.overdue, 1) << "ticks late at a point";
    EXPECT_LE(watch.turnedTooFast, 1e-9);
    EXPECT_FALSE(watch.noNumber);
    EXPECT_GT(watch.highest, 2000.0);
    EXPECT_TRUE(logHas("push back")) << log.text();
    EXPECT_TRUE(logHas("KLM1234  took-off to LHR"));
    EXPECT_TRUE(sim->aiObjects().empty()) << "removed from the simulator";
}

TEST_F(Scenario, AnArrivalTouchesDownOnItsOwnRollsOutAndParksAtTheStand)
{
    fly({"--kind", "arrival", "--runway", runwayArgument(265.0, 1600.0, 90.0), "--distance", "7", "--hold-after",
         "60", "--from", "LHR", "--to", "AMS"},
        [](const FlightWatch& w) { return !w.phases.empty() && w.phases.back() == phaseAtStand; }, 150.0);
    EXPECT_TRUE(lf_inOrder(watch.phases, {phaseAirborne, phaseGround, phaseToStand, phaseAtStand}))
        << lf_text(watch.phases);
    EXPECT_LE(watch.overdue, 1);
    EXPECT_LE(watch.turnedTooFast, 1e-9);
    EXPECT_FALSE(watch.noNumber);
    EXPECT_TRUE(logHas("KLM1234  landed from LHR")) << log.text();
    EXPECT_TRUE(logHas("arrived at stand"));
    ASSERT_NE(watch.objectId, 0u);
    EXPECT_EQ(sim->objectValue(watch.objectId, "SIM ON GROUND"), 1.0);
    EXPECT_NEAR(sim->objectValue(watch.objectId, "Plane Latitude"), parkStands.front().latitude, 1e-6);
}
