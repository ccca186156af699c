// The traffic tables: cancelling queued static creations and the learning list's spacing.
#include "links/simlink.h"
#include "traffic/manager.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
StaticAct lf_staticFor(std::uint32_t flightId)
{
    ActHead head;
    head.flightId = flightId;
    return StaticAct(std::move(head), 0, 0.0, 0.0, 0.0, false);
}
} // namespace

TEST(TrafficTables, CancellingAStaticCreationDropsItsItemsAndRecordsAndKeepsTheOrder)
{
    staticActs.clear();
    staticCreationItems.clear();
    EXPECT_FALSE(lf_cancelStaticCreation("KLM1*")) << "an empty queue";

    for (std::uint32_t id : {1u, 2u, 3u, 4u})
        staticActs.push_back(lf_staticFor(id));
    staticCreationItems = {{.tailNumber = "KLM1*", .flightId = 2},
                           {.tailNumber = "DLH2*", .flightId = 3},
                           {.tailNumber = "KLM1*", .flightId = 4}};
    EXPECT_TRUE(lf_cancelStaticCreation("KLM1*"));
    ASSERT_EQ(staticCreationItems.size(), 1u);
    EXPECT_EQ(staticCreationItems.front().flightId, 3u);
    ASSERT_EQ(staticActs.size(), 2u);
    EXPECT_EQ(staticActs[0].head.flightId, 1u);
    EXPECT_EQ(staticActs[1].head.flightId, 3u);
    EXPECT_FALSE(lf_cancelStaticCreation("KLM1"));
    staticActs.clear();
    staticCreationItems.clear();
}

TEST(TrafficTables, LearningWaitsThreeHalfHoursAcrossMidnightUnlessForced)
{
    learningList.clear();
    EXPECT_TRUE(lf_allowLearning({1, 47}, 0xABCDEF, false)) << "a new flight";
    EXPECT_FALSE(lf_allowLearning({2, 1}, 0xABCDEF, false)) << "two half hours later";
    EXPECT_TRUE(lf_allowLearning({2, 2}, 0xABCDEF, false)) << "three half hours later";
    EXPECT_TRUE(lf_allowLearning({2, 3}, 0xABCDEF, true));
    EXPECT_FALSE(lf_allowLearning({2, 4}, 0xABCDEF, false)) << "forcing stored the new half hour";
    EXPECT_EQ(learningList.size(), 1u);
    learningList.clear();
}

TEST(TrafficTables, ANewActStartsUnplacedWithItsPath)
{
    ActHead head;
    head.identity.callsign = "KLM123";
    head.flightId = 0x484B1E;
    const Act act = lf_newAct(std::move(head), {PathPoint{.latitude = 52.0, .tick = 7}}, 1.7e9);
    EXPECT_TRUE(head.identity.callsign.empty()) << "moved out of the head";
    EXPECT_EQ(act.callsign(), "KLM123");
    EXPECT_EQ(act.path.size(), 1u);
    EXPECT_EQ(act.phase, phaseInitial);
    EXPECT_EQ(act.base.status, statusNew);
    EXPECT_EQ(act.base.throttleStep, 5u) << "the first throttle request is always sent";
    EXPECT_EQ(act.base.flapsStep, 4u);
    EXPECT_TRUE(std::isnan(act.curve.controlNorth)) << "no curve";
}

TEST(TrafficTables, TheStandAtAPositionIsTheNearestWithin55MetresWhileTheUserIsOnTheGround)
{
    const double metre = 1.0 / 1852.0 / 60.0; // of latitude, in degrees
    parkStands.clear();
    parkStands.emplace_back("A", std::vector<StandOption>{}, 52.0 + 50 * metre, 4.0, 0.0, 40.0, false, false, false);
    parkStands.emplace_back("B", std::vector<StandOption>{}, 52.0 - 54 * metre, 4.0, 0.0, 40.0, false, false, false);
    gf_publishStandsWhenChanged();
    userOnGround = true;
    EXPECT_EQ(lf_standNameAt(52.0, 4.0), "A");
    userOnGround = false;
    EXPECT_EQ(lf_standNameAt(52.0, 4.0), "") << "only while the user aircraft is on the ground";
    userOnGround = true;
    parkStands[0].latitude = 52.0 + 56 * metre; // stands of another airport: a new copy, no cached name
    parkStands[1].latitude = 52.0 - 56 * metre;
    gf_publishStandsWhenChanged();
    EXPECT_EQ(lf_standNameAt(52.0, 4.0), "");
    parkStands.clear();
    gf_publishStands();
    userOnGround = false;
}
