// The static renewal: which static aircraft stay, which go, what fills the gap, and how the
// live aircraft parked at the airport count.
#include "parking_fixture.h"

#include "foundation/settingscatalogue.h"
#include "links/trafficreader.h"

#include <fmt/format.h>

namespace {
class Renewal : public ParkingTest {
protected:
    static std::vector<std::string> candidateCallsigns()
    {
        std::vector<std::string> callsigns;
        for (const StaticCandidate& c : standCandidates)
            callsigns.push_back(fmt::format("{}@{}", c.selector ? c.callsign : c.secondCallsign,
                                            gf_standLogName(c.standNumber)));
        return callsigns;
    }
};

TEST_F(Renewal, EachStaticAircraftStaysOrGoesByWhatItsStandOffersNow)
{
    struct Case {
        const char* what;
        std::string callsign;
        WeekSlot parked;
        bool seen;
        bool removed;
        bool replaced; // a new static aircraft is to be placed at the stand
        bool otherDue = false; // another aircraft's option holds at the stand now
    };
    // At Monday 03 the stand's option for KLM1 holds at 01 (two half hours back).
    const Case cases[] = {
        {"the option it was placed for", "KLM1*", {1, 2}, false, false, false},
        {"another aircraft parked since Monday 02", "DLH5*", {1, 2}, false, false, false},
        {"another aircraft parked since Sunday 46", "DLH5*", {7, 46}, false, true, true},
        {"its real aircraft was seen live", "KLM1*", {1, 2}, true, true, false},
        {"its real aircraft was seen live, another is due", "KLM1*", {1, 3}, true, true, true, true},
        {"another is due, it was parked this half hour", "KLM1*", {1, 3}, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        parkStands.clear();
        staticActs.clear();
        removalQueue.clear();
        addStand("A1", 0.0, {{.halfHours = {1}, .callsign = "KLM1"}});
        if (c.otherDue)
            parkStands[0].options.push_back(gf_testOption({.halfHours = {3}, .callsign = "KLM7"}, 2));
        setSlot(1, 3);
        StaticAct& parked = addStatic(1, c.callsign, "B738", 501);
        parked.head.identity.optionCallsign = "KLM1";
        parked.parkedSlot = c.parked;
        gf_startCollectingCallsigns();
        if (c.seen) {
            std::lock_guard lock(trafficUdpReader.callsignMutex);
            trafficUdpReader.callsignsSeen.insert("KLM1");
        }
        lf_parkingAdjustments();
        EXPECT_EQ(!removals().empty(), c.removed);
        EXPECT_EQ(!standCandidates.empty(), c.replaced);
    }
}

TEST_F(Renewal, WithoutACandidateTheStandMayStillHoldTheAircraftWithinTheFitWindow)
{
    addStand("A1", 0.0, {{.day = 7, .halfHours = {46}, .callsign = "KLM1"}});
    addStand("A2", 100.0);
    setSlot(1, 0);
    MAX_FIT.value = 0;
    addStatic(1, "KLM1*", "B738", 501);
    parking_percentage.value = 50; // one of two stands
    for (const auto& [window, kept] : {std::pair{1, false}, std::pair{2, true}}) {
        realFitLevel = window;
        softFitLevel = -1;
        EXPECT_EQ(lf_standHasOption({1, 0}, 1, staticActs[0]), kept) << window;
    }
    // The renewal's own search (MAX_FIT 0) leaves a window of 0.
    lf_parkingAdjustments();
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{501});

    // Kept so, it stands beside the two candidates wanted: the one over goes, the one
    // found farthest back.
    parkStands.clear();
    staticActs.clear();
    removalQueue.clear();
    setSlot(1, 20);
    MAX_FIT.value = 47;
    parking_percentage.value = 67; // two of three
    addStand("S0", 0.0, {{.halfHours = {20}, .callsign = "KLM10"}});
    addStand("S1", 100.0, {{.halfHours = {19}, .callsign = "KLM11"}});
    addStand("S2", 200.0, {{.halfHours = {19}, .callsign = "KLM12"}});
    addStatic(3, "KLM12*", "B738", 503).head.identity.optionCallsign = "KLM12";
    lf_parkingAdjustments();
    EXPECT_TRUE(removals().empty());
    EXPECT_EQ(candidateCallsigns(), std::vector<std::string>{"KLM10@S0"});
}

TEST_F(Renewal, AStaticAircraftWhoseOptionEndsIsReplacedUnderItsDepartingCallsign)
{
    addStand("A1", 0.0, {{.halfHours = {18, 19, 20}, .callsign = "KLM1", .secondCallsign = "KLM2"}});
    addStatic(1, "KLM1*", "B738", 501).head.identity.optionCallsign = "KLM1";
    staticActs[0].head.identity.optionSecond = "KLM2";
    lf_parkingAdjustments();
    EXPECT_EQ(candidateCallsigns(), std::vector<std::string>{"KLM2@A1"});
    EXPECT_EQ(removals(), std::vector<std::uint32_t>{501});
    EXPECT_TRUE(logged("Parking adjustments: 1 to be removed, 1 to be added"));
}

TEST_F(Renewal, LiveAircraftParkedAtTheAirportCountAgainstTheWantedNumber)
{
    for (int i = 0; i < 6; ++i)
        addStand(fmt::format("S{}", i), 100.0 * i, {{.halfHours = {20}, .callsign = fmt::format("KLM{}", i)}});
    parking_percentage.value = 50; // 3 of 6
    addLive(1, "DLH1", 1);
    addLive(2, "DLH2", 2);
    lf_parkingAdjustments();
    // The live aircraft's stands (and their callsigns) are taken; one static aircraft is wanted.
    EXPECT_EQ(candidateCallsigns(), std::vector<std::string>{"KLM2@S2"});

    for (int i = 3; i <= 5; ++i)
        addLive(static_cast<std::uint32_t>(i), fmt::format("DLH{}", i), static_cast<std::uint32_t>(i));
    INITIAL_LOAD_ONLY.value = true;
    lf_parkingAdjustments();
    EXPECT_TRUE(removals().empty());
    EXPECT_TRUE(standCandidates.empty());
    INITIAL_LOAD_ONLY.value = false;
    lf_parkingAdjustments();
    EXPECT_EQ(removals().size(), 2u);
    EXPECT_TRUE(logged("Parking adjustments: 2 more live ac than wanted"));
}
} // namespace
