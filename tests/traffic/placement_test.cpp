// Static aircraft placement from candidates, and a new live aircraft against the static ones.
#include "parking_fixture.h"

#include "app/mainloop.h"
#include "app/startup.h"
#include "foundation/settingscatalogue.h"
#include "traffic/motion.h"

namespace {
class Placement : public ParkingTest {
protected:
    static StaticCandidate candidate(std::uint32_t stand, const std::string& callsign, std::uint8_t selector = 1,
                                     std::int32_t level = 0)
    {
        return {0, level, "KLM", "B738", stand, callsign, "KLM2", "PH-BXA", selector, 0};
    }
};

TEST_F(Placement, TheStaticCallsignIsTheSelectedOneStarred)
{
    struct Case {
        std::string callsign;
        std::uint8_t selector;
        std::string expected;
    };
    for (const Case& c : {Case{"ABC123__", 1, "ABC123*"}, Case{"ABC123*", 1, "ABC123*"}, Case{"ABC123", 0, "KLM2*"},
                          Case{"", 1, "KLM7*"}})
        EXPECT_EQ(lf_staticCallsign(candidate(1, c.callsign, c.selector), 7), c.expected) << c.callsign;
}

TEST_F(Placement, StaticFlightIdsRunFromOneTo9999AndNeverZero)
{
    staticFlightIdCounter = 9998;
    EXPECT_EQ(gf_nextStaticFlightId(), 9999u);
    EXPECT_EQ(gf_nextStaticFlightId(), 1u);
    EXPECT_EQ(gf_nextStaticFlightId(), 2u);
}

TEST_F(Placement, AfterTheWrapAnIdInUseIsSkippedSoTheNewAircraftSettles)
{
    useReferenceWorld();
    addStand("A1", 0.0);
    addStand("A2", 100.0);
    staticFlightIdCounter = 0;
    const std::uint32_t oldId = addStatic(1, "KLM7*", "B738", 501).head.flightId; // id 1, created long ago
    staticFlightIdCounter = 9998;
    standCandidates = {candidate(2, "KLM1")};
    lf_placeStaticParked();
    ASSERT_EQ(staticActs.size(), 2u);
    EXPECT_EQ(staticActs[1].head.flightId, 9999u);
    staticActs[1].status = statusCreated; // settled meanwhile
    staticActs[1].objectId = 502;
    standCandidates = {candidate(1, "KLM1")};
    lf_placeStaticParked();
    ASSERT_EQ(staticActs.size(), 3u);
    const std::uint32_t newId = staticActs[2].head.flightId;
    EXPECT_NE(newId, oldId);
    EXPECT_NE(newId, 9999u);
    // The simulator creates it; once settled it is the new record that holds the object.
    lf_pushToBuffer({503, newId, 0, AnswerKind::staticCreated, 0.0, 0.0});
    for (int tick = 0; tick <= 201; ++tick)
        lf_processBuffer();
    EXPECT_EQ(staticActs[2].status, statusCreated);
    EXPECT_EQ(staticActs[2].objectId, 503u);
    EXPECT_EQ(staticActs[0].objectId, 501u);
    EXPECT_TRUE(removals().empty()) << "no object was taken for a stray one";
}

TEST_F(Placement, ACandidateBecomesAQueuedStaticAircraftWithALivery)
{
    useReferenceWorld();
    addStand("A1", 0.0);
    setSlot(1, 1);
    standCandidates = {candidate(1, "KLM1", 1, 3)};
    lf_placeStaticParked();
    ASSERT_EQ(staticActs.size(), 1u);
    const StaticAct& parked = staticActs[0];
    EXPECT_EQ(parked.status, statusQueued);
    EXPECT_EQ(parked.head.identity.callsign, "KLM1*");
    EXPECT_EQ(parked.head.identity.optionCallsign, "KLM1");
    EXPECT_EQ(parked.head.identity.optionSecond, "KLM2");
    EXPECT_EQ(parked.head.identity.registration, "PH-BXA");
    EXPECT_EQ(parked.parkedSlot, (WeekSlot{7, 46}));
    EXPECT_FALSE(parked.head.liveryTitle.empty());
    EXPECT_EQ(parkStands[0].occupied, 0) << "the stand stays open to live aircraft";
    ASSERT_EQ(staticCreationItems.size(), 1u);
    const CreationItem& item = staticCreationItems.front();
    EXPECT_EQ(item.tailNumber, "KLM1*");
    EXPECT_EQ(item.flightId, parked.head.flightId);
    EXPECT_EQ(item.liveryTitle, parked.head.liveryTitle);
    EXPECT_DOUBLE_EQ(item.position.latitude, parkStands[0].latitude);
    EXPECT_DOUBLE_EQ(item.position.heading, parkStands[0].heading * radToDeg);
    EXPECT_EQ(item.position.onGround, 1u);
    EXPECT_EQ(item.position.altitude, 0.0);

    // A live aircraft takes the stand; the static one making way leaves it taken.
    parkStands[0].occupied = 1;
    staticActs[0].objectId = 501;
    lf_removeAircraft(staticActs[0]);
    EXPECT_EQ(staticActs[0].status, statusRemoving);
    EXPECT_EQ(parkStands[0].occupied, 1);
}

TEST_F(Placement, WithoutLiveryTheIdIsUsedButNothingIsLeft)
{
    useReferenceWorld();
    addStand("A1", 0.0);
    StaticCandidate none = candidate(1, "XYZ1");
    none.airline = "XYZ";
    none.type = "EUFI";
    none.registration.clear();
    standCandidates = {none};
    lf_placeStaticParked();
    EXPECT_TRUE(staticActs.empty());
    EXPECT_TRUE(staticCreationItems.empty());
    EXPECT_EQ(staticFlightIdCounter, 1u);
}

TEST_F(Placement, ALiveAircraftAtOrBesideTheStandKeepsTheCandidateAway)
{
    addStand("A1", 0.0, {}, 25.0);
    addStand("A2", 40.0, {}, 25.0); // beside A1
    addStand("A3", 200.0);
    addLive(1, "DLH1", 2);
    addLive(2, "DLH2", 3).phase = phaseToStand;
    standCandidates = {candidate(1, "KLM1"), candidate(3, "KLM3")};
    lf_placeStaticParked();
    lf_placeStaticParked();
    EXPECT_TRUE(standCandidates.empty());
    EXPECT_TRUE(staticActs.empty());
    EXPECT_EQ(staticFlightIdCounter, 0u);
    EXPECT_TRUE(logged("A3      : no static parking for KLM3*, live aircraft DLH2 standing here"));
    EXPECT_TRUE(
        logged("A1      : no static parking for KLM1*, live aircraft DLH1 is adjacent at A2, possibly colliding"));

    // A helicopter lifting off its pad keeps it until it has left it.
    StandRecord& pad = addStand("H1", 400.0);
    Act& helicopter = addLive(3, "DHA1", pad.standNumber);
    helicopter.base.head.sizeClass = rotorcraftClass;
    gf_holdStand(pad, helicopter);
    helicopter.phase = phaseTakeOff;
    // On it, hovering low over it, and climbed out: only then is a static aircraft placed.
    const struct {
        std::uint8_t onGround;
        double height;
        std::uint32_t placed;
    } rows[] = {{1, 0.0, 0}, {0, 20.0, 0}, {0, 900.0, 1}};
    gf_setParkAirport({.code = "EHAM", .elevation = -11.0});
    for (const auto& row : rows) {
        helicopter.onGround = row.onGround;
        helicopter.altitude = row.height - 11.0;
        standCandidates = {candidate(pad.standNumber, "KLM4")};
        lf_placeStaticParked();
        EXPECT_EQ(staticFlightIdCounter, row.placed) << "on the ground " << int{row.onGround} << ", " << row.height;
    }
}

TEST_F(Placement, ANewLiveAircraftReplacesTheStaticOneItStandsFor)
{
    addStand("A1", 0.0);
    struct Case {
        const char* what;
        std::string callsign, registration, coupled;
        bool linked;
        std::uint32_t status;
        std::int32_t result;
    };
    const Case cases[] = {
        {"creation still queued", "KLM1", "PH-BXA", "", true, statusQueued, 0},
        {"same hexid", "DLH9", "", "", true, statusCreated, 1},
        {"same registration", "DLH9", "PH-BXA", "", false, statusCreated, 1},
        {"same callsign", "KLM1", "", "", false, statusCreated, 1},
        {"coupled callsign", "KLM7", "", "KLM2", false, statusCreated, 1},
        {"ghost", "KLM1_", "", "", false, statusCreated, 1},
        {"another aircraft", "DLH9", "D-AIMA", "", false, statusCreated, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        staticActs.clear();
        liveActs.clear();
        StaticAct& parked = addStatic(1, "KLM1*");
        parked.head.identity.optionCallsign = "KLM1";
        parked.head.identity.optionSecond = "KLM2";
        parked.head.identity.registration = "PH-BXA";
        parked.linkedFlightKnown = c.linked;
        parked.linkedFlightId = 0xABCDEF;
        parked.status = c.status;
        Act& live = addLive(0xABCDEF, c.callsign);
        live.base.head.identity.registration = c.registration;
        live.base.head.identity.optionSecond = c.coupled;
        const LiveContext context{&live, c.callsign.substr(0, c.callsign.size() - 1), true};
        EXPECT_EQ(lf_newLiveAircraft(context, parked), c.result);
    }
    EXPECT_TRUE(logged("A1      : KLM1*    removed, new DLH9 on ground has same hexid"));
    EXPECT_TRUE(logged("has coupled callsign KLM7"));
}

TEST_F(Placement, TheConflictCheckRemovesOnlyTheFirstStaticAndSearchesTheCoupledCallsignOnce)
{
    addStand("A1", 0.0);
    addStand("A2", 100.0);
    addStatic(1, "KLM1*", "B738", 501).head.identity.optionCallsign = "KLM1";
    addStatic(2, "KLM1*", "B738", 502).head.identity.optionCallsign = "KLM1";
    addLive(5, "KLM1");
    currentWeekSlot = WeekSlot{1, 20}.value();
    staticConflictChecks = {5, 6};
    lf_checkStaticConflict();
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{501});
    EXPECT_EQ(liveActs[0].base.head.identity.word & 1, 1u);
    lf_checkStaticConflict(); // an aircraft gone meanwhile is passed over
    EXPECT_TRUE(staticConflictChecks.empty());
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{501});
}
} // namespace
