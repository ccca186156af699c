// Stops and in-process restarts: the connection is always closed and nothing of one run of
// the link reaches the next.
#include "links/simlink_fixture.h"

#include "simconnect/protocol.h"

TEST_F(SimLink, ARestartClosesTheConnectionAndStartsFromNothing)
{
    start(SimTransport::pipe, {.userValues = {{"Plane Latitude", 52.3}, {"Plane Longitude", 4.7}}});
    requestUserTitleAndModel();
    ASSERT_TRUE(waitForUserBlock([](const UserAircraft& u) { return u.latitude == 52.3; }));
    ASSERT_TRUE(gf_waitFor([] { return !gf_userAircraftInfo().title.empty(); }));
    // A creation sent and not yet answered, and queued work that the restart drops.
    queueAiCreation(gf_testCreation("KLM1234", 0x4840D6));
    sim().stepFrames(1);
    ASSERT_TRUE(sim().waitForRequests(scReqAiCreateNonAtcAircraft, 1, linkWait));
    queueAiRemoval(12345);
    queueNavLights(12345, 1);

    gf_resetSimLink();
    EXPECT_EQ(runningThreads, 0);
    EXPECT_EQ(requestsOf(scReqUnsubscribeSystemEvent).size(), 6u);
    EXPECT_FALSE(flightRunning);
    EXPECT_EQ(userObjectId, 0u);
    EXPECT_EQ(gf_userAircraftBlock().latitude, 0.0);
    EXPECT_EQ(gf_userAircraftInfo().title, "");
    {
        std::lock_guard lock(simQueues.mutex);
        EXPECT_EQ(simConnection, nullptr);
        EXPECT_TRUE(simQueues.removals.empty());
        EXPECT_TRUE(simQueues.events.empty());
    }

    gf_startSimConnectThread();
    ASSERT_TRUE(waitForSetup(2));
    EXPECT_EQ(requestsOf(scReqAddToDataDefinition, 2).size(), 33u) << "everything declared anew";
    EXPECT_EQ(requestsOf(scReqAiRemoveObject, 2).size(), 0u);
    // The old creation is no longer awaited: an aircraft with its callsign is somebody else's.
    const std::uint32_t stranger = sim().addObject("Livery OK", "KLM1234", {});
    sim().stepFrames(1);
    requestWithinRange();
    EXPECT_TRUE(waitForLog(fmt::format("oid: {}, callsign \"KLM1234\" unknown", stranger)));
    for (const InboundAnswer& answer : answers())
        EXPECT_NE(answer.kind, AnswerKind::liveCreated);
}

TEST_P(SimLinkOverTransport, ABrokenConnectionEndsTheLinkAndTheProgramAndARestartConnectsAgain)
{
    start(GetParam());
    sim().closeAbruptly();
    ASSERT_TRUE(waitForThreadEnd()) << "no dispatching on a dead connection";
    EXPECT_FALSE(flightRunning);
    EXPECT_EQ(pendingExitReason, 1u);
    EXPECT_EQ(pendingExits, 1);
    EXPECT_TRUE(connectionClosed());
    // What the restart of the program does with the link.
    gf_resetSimLink();
    gf_startSimConnectThread();
    EXPECT_TRUE(waitForSetup(2));
    EXPECT_EQ(sim().sessionCount(), 2);
    EXPECT_EQ(runningThreads, 1);
}

TEST_F(SimLink, StartingAgainStopsThePreviousThreadFirst)
{
    start(SimTransport::ipv4);
    gf_startSimConnectThread();
    ASSERT_TRUE(waitForSetup(2));
    EXPECT_EQ(requestsOf(scReqUnsubscribeSystemEvent, 1).size(), 6u) << "the first connection closed";
    EXPECT_EQ(runningThreads, 1);
}
