// The tick's pacing: one removal every 10 ticks, one creation every 50 (live before static,
// static placement only on a 50th tick without a live one), two reports and one creation
// request a tick, and the within-range request.
#include "traffic_fixture.h"

#include "foundation/settingscatalogue.h"
#include "links/simlink.h"

TEST_F(TrafficTest, TheTickPacesRemovalsCreationsReportsAndRequests)
{
    removalQueue = {201, 202};
    liveActs.push_back(gf_testAct(0x400001, statusQueued, 0, "KLM1"));
    liveActs.push_back(gf_testAct(0x400002, statusQueued, 0, "KLM2"));
    // KLM1 flies on while it waits in the queue: it is made where its reports put it when it is sent.
    liveActs[0].latitude = 52.0;
    liveActs[0].onGround = 0;
    liveActs[0].phase = phaseAirborne;
    liveActs[0].path = {{.latitude = 52.0, .longitude = 4.0, .altitude = 3000.0, .tick = 0, .airborne = 1},
                        {.latitude = 52.2, .longitude = 4.0, .altitude = 5000.0, .tick = 200, .airborne = 1}};
    creationRequests = {0x400001, 0x400002, 0x499999}; // the last one has no record
    staticCreationItems.push_back({.tailNumber = "KLM7*", .flightId = 7});
    standCandidates.resize(2); // for a stand that is not there: each placement drops one
    parkStands.emplace_back("A1", std::vector<StandOption>{}, 52.3, 4.76, 0.0, 40.0, false, false, false);
    parkStands.back().standNumber = 1;
    for (std::uint32_t n : {1u, 2u, 3u})
        queueReport(report(0x500000 + n, "DLH" + std::to_string(n), 50.0 + n, 8.0, 0.0, 1000.0, 5000));

    runTicks(1); // tick 0: every modulus holds
    ASSERT_EQ(creations.size(), 1u) << "no live item yet: the static one goes";
    EXPECT_EQ(creations[0].tailNumber, "KLM7*");
    EXPECT_EQ(standCandidates.size(), 1u) << "static placement went on";
    EXPECT_EQ(removals, std::vector<std::uint32_t>{201});
    EXPECT_EQ(liveActs.size(), 4u) << "two reports a tick";
    EXPECT_TRUE(liveCreationItems.empty()) << "a request without record is dropped";
    ASSERT_EQ(requestsOf(101), 1u);
    EXPECT_EQ(requests[0].radius, static_cast<std::uint32_t>(lateralRadiusMetres.load()));

    runTicks(49);
    EXPECT_EQ(liveActs.size(), 5u);
    EXPECT_EQ(removals, (std::vector<std::uint32_t>{201, 202}));
    ASSERT_EQ(liveCreationItems.size(), 2u);
    EXPECT_EQ(liveCreationItems.front().flightId, 0x400002u) << "the request pushed last first";
    runTicks(1); // tick 50
    ASSERT_EQ(creations.size(), 2u);
    EXPECT_EQ(creations[1].tailNumber, "KLM2");
    EXPECT_EQ(standCandidates.size(), 1u) << "no static placement beside a live creation";
    runTicks(100); // ticks 51 to 150
    ASSERT_EQ(creations.size(), 3u);
    EXPECT_NEAR(creations[2].position.latitude, 52.1, 1e-9) << "sent at tick 100";
    EXPECT_NEAR(creations[2].position.altitude, 4000.0, 1e-6);
    EXPECT_TRUE(standCandidates.empty());
    EXPECT_EQ(requestsOf(101), 2u);

    simPaused = true;
    runTicks(100);
    EXPECT_EQ(requestsOf(101), 2u) << "nothing asked while paused";
    simPaused = false;
    landingFlag = true;
    runTicks(100);
    EXPECT_EQ(requestsOf(101), 7u) << "every 20 ticks while an aircraft lands";
}

TEST_F(TrafficTest, CreatedAircraftAreMovedAndHandedToTheFrameFlush)
{
    Act& act = gf_testAddAct(0x400001, statusCreated, 61, "KLM1", 52.3, 4.76);
    act.path.front().tick = 1000;
    act.verticalRate = 600.0;
    act.keptSpeed = 12.0;
    gf_testAddAct(0x400002, statusNew, 0, "KLM2").path.clear(); // no points: dropped
    runTicks(1);
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0].objectId, 61u);
    EXPECT_EQ(positions[0].latitude, 52.3);
    EXPECT_EQ(liveActs.size(), 1u);
    tickCounter = 1000; // the point falls due: the path step runs
    runTicks(1);
    // Sent with the position: the climb and the speed of what the simulator shows.
    EXPECT_EQ(liveActs.front().rate1, liveActs.front().shown.verticalRate / 60.0);
    EXPECT_EQ(liveActs.front().rate2, liveActs.front().shown.speed);
}
