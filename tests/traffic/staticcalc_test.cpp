// The stand search and the static parking calculation on stands built in code: levels and
// week wrap, neighbours and clearance, unique aircraft, callsign selector, wanted count,
// fit limits, excluded stands, the shuffle of the last level and its determinism.
#include "parking_fixture.h"

#include "app/mainwindow.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <set>

namespace {
class StaticCalc : public ParkingTest {
protected:
    std::vector<FitRecord> search(std::uint32_t level, WeekSlot slot = {1, 20}, bool soft = false)
    {
        std::vector<FitRecord> found;
        lf_searchStands(slot, soft, level, found, collected);
        return found;
    }
    static std::vector<std::string> candidateStands()
    {
        std::vector<std::string> names;
        for (const StaticCandidate& c : standCandidates)
            names.push_back(fmt::format("{}@{}", gf_standLogName(c.standNumber), c.level));
        return names;
    }
    std::vector<FitRecord> collected;
};

TEST_F(StaticCalc, TheLevelShiftsTheSlotBackOverMidnightAndWeekEnd)
{
    addStand("A1", 0.0, {{.day = 7, .halfHours = {46}, .callsign = "KLM1"}});
    addStand("A2", 100.0, {{.day = 1, .halfHours = {46}, .callsign = "KLM2"}});
    EXPECT_TRUE(search(2, {1, 1}).empty());
    const std::vector<FitRecord> found = search(3, {1, 1});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].standNumber, 1u);
    EXPECT_EQ(found[0].level, 3);
    EXPECT_EQ(found[0].callsign, "KLM1");
    // A found stand is marked and not searched again.
    EXPECT_TRUE(search(3, {1, 1}).empty());
}

TEST_F(StaticCalc, NeighboursAndClearanceKeepStaticAircraftApart)
{
    useReferenceWorld();
    const OptionWanted now{.halfHours = {20}};
    addStand("A1", 0.0, {now}, 25.0);
    addStand("A2", 40.0, {now}, 25.0); // overlaps A1
    EXPECT_EQ(search(0).size(), 1u);
    EXPECT_EQ(parkStands[1].neighbour, 1);

    // A2's aircraft (17.9 m) would reach a jumbo (32.2 m) on A1 40 m away, once it is created.
    gf_clearStandMarks();
    StaticAct& jumbo = addStatic(1, "KLM9*", "B744");
    parkStands[0].excluded = 1;
    jumbo.status = statusQueued;
    EXPECT_EQ(search(0).size(), 1u);
    gf_clearStandMarks();
    parkStands[0].excluded = 1;
    jumbo.status = statusCreated;
    EXPECT_TRUE(search(0).empty());
}

TEST_F(StaticCalc, AnAircraftInUseIsRejectedForGoodAndTheStandOffersItsOthers)
{
    addStand("A1", 0.0,
             {{.halfHours = {20}, .callsign = "KLM1"},
              {.halfHours = {19}, .callsign = "KLM2", .registration = "PH-BXA"},
              {.halfHours = {18}, .callsign = "KLM3"}});
    searchCallsigns = {"KLM1_"};
    collected.push_back({.registration = "PH-BXA"});
    standCandidates.push_back({}); // a pending candidate with empty texts rejects nothing
    EXPECT_TRUE(search(0).empty());
    EXPECT_TRUE(parkStands[0].options[0].rejected);
    EXPECT_TRUE(search(1).empty());
    EXPECT_TRUE(parkStands[0].options[1].rejected);
    EXPECT_EQ(std::make_pair(parkStands[0].options[0].seq, parkStands[0].options[1].seq), std::make_pair(1, 2))
        << "the saved numbers stay";
    const std::vector<FitRecord> found = search(2);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].callsign, "KLM3");

    // A live aircraft parked under a callsign and a pending candidate with it count as well.
    gf_clearStandMarks();
    parkStands[0].options[2].hh.set(20);
    liveStayers.push_back({"KLM3", 9, 0});
    EXPECT_TRUE(search(0).empty());
}

TEST_F(StaticCalc, TheFirstHoldingOptionWithRandomOffAndTheOneAlreadyParkedWithRandomOn)
{
    addStand("A1", 0.0, {{.halfHours = {20}, .callsign = "KLM1"}, {.halfHours = {20}, .callsign = "KLM2"}});
    EXPECT_EQ(search(0).at(0).callsign, "KLM1");
    RANDOM.value = true;
    addStatic(1, "KLM2*");
    gf_clearStandMarks();
    EXPECT_EQ(search(0).at(0).callsign, "KLM2");
}

TEST_F(StaticCalc, TheSelectorTellsWhetherTheAircraftStaysPastTheNextHalfHour)
{
    struct Case {
        WeekSlot slot;
        std::vector<OptionWanted> options;
        std::uint8_t selector;
    };
    const Case cases[] = {
        {{1, 20}, {{.halfHours = {20}, .callsign = "KLM1"}}, 1},
        {{1, 20}, {{.halfHours = {20, 21}, .callsign = "KLM1", .secondCallsign = "KLM2"}}, 1},
        {{1, 20}, {{.halfHours = {20}, .callsign = "KLM1", .secondCallsign = "KLM2"}}, 0},
        {{1, 47}, {{.halfHours = {47}, .callsign = "KLM1", .secondCallsign = "KLM2"}, {.day = 2, .halfHours = {0}}}, 1},
        {{7, 47},
         {{.day = 7, .halfHours = {47}, .callsign = "KLM1", .secondCallsign = "KLM2"}, {.day = 1, .halfHours = {0}}},
         1},
        {{1, 47}, {{.halfHours = {47}, .callsign = "KLM1", .secondCallsign = "KLM2"}, {.day = 3, .halfHours = {0}}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fmt::format("day {} hh {}, {} options", c.slot.weekday, c.slot.halfHour, c.options.size()));
        parkStands.clear();
        StandRecord& stand = addStand("A1", 0.0);
        for (const OptionWanted& wanted : c.options)
            stand.options.push_back(gf_testOption(wanted, static_cast<std::int32_t>(stand.options.size()) + 1));
        EXPECT_EQ(search(0, c.slot).at(0).selector, c.selector);
    }
}

TEST_F(StaticCalc, TheWantedCountFollowsThePercentage)
{
    struct Case {
        std::int32_t percent;
        std::size_t stands;
        std::int32_t wanted;
    };
    for (const Case c :
         {Case{30, 10, 3}, Case{30, 3, 1}, Case{30, 1, 1}, Case{50, 0, 0}, Case{30, 0, 1}, Case{45, 5, 2}}) {
        parkStands.clear();
        for (std::size_t i = 0; i < c.stands; ++i)
            addStand(fmt::format("S{}", i), 100.0 * static_cast<double>(i));
        parking_percentage.value = c.percent;
        EXPECT_EQ(lf_wantedStaticCount(), c.wanted) << c.percent << "% of " << c.stands;
        EXPECT_EQ(parkMaximum, c.wanted);
    }
}

TEST_F(StaticCalc, MaxFitLimitsHowFarBackTheOptionsMayHold)
{
    addStand("A1", 0.0, {{.halfHours = {15}, .callsign = "KLM1"}});
    addStand("A2", 100.0, {{.halfHours = {20}, .callsign = "KLM2"}});
    for (const auto& [maxFit, expected] : {std::pair{0, std::vector<std::string>{"A2@0"}},
                                           std::pair{47, std::vector<std::string>{"A1@5", "A2@0"}}}) {
        MAX_FIT.value = maxFit;
        lf_calcStaticParking();
        EXPECT_EQ(candidateStands(), expected) << "MAX_FIT " << maxFit;
    }
    EXPECT_EQ(realFitLevel, 5);
    EXPECT_TRUE(logged("1 real position found, Max fit=0.5 hours, day 1, hh:20 or 10.5 hrs fit: 0.5 hour"));
    EXPECT_TRUE(logged("2 positions (100% vs wanted 100%, with Max fit=24 hours)"));
    EXPECT_TRUE(staticParkingRunning.load());
}

TEST_F(StaticCalc, EachCalculationIsForTheHalfHourItRunsIn)
{
    // No renewal runs between them (none does during a flight or with INITIAL_LOAD_ONLY).
    addStand("A1", 0.0, {{.day = 1, .halfHours = {20}, .callsign = "KLM1"}});
    addStand("A2", 100.0, {{.day = 3, .halfHours = {40}, .callsign = "KLM2"}});
    MAX_FIT.value = 0;
    for (const auto& [slot, stand] : {std::pair{WeekSlot{1, 20}, "A1@0"}, std::pair{WeekSlot{3, 40}, "A2@0"}}) {
        setSlot(slot.weekday, slot.halfHour);
        lf_calcStaticParking();
        EXPECT_EQ(candidateStands(), std::vector<std::string>{stand}) << "day " << slot.weekday;
    }
}

TEST_F(StaticCalc, TheReservedStandAndTheStandUnderTheUserNeverGetAStaticAircraft)
{
    const OptionWanted now{.halfHours = {20}};
    addStand("A1", 0.0, {now});
    addStand("A2", 100.0, {now});
    addStand("A3", 200.0, {now});
    gf_setReservedStandName("A1");
    setUser(parkStands[2].latitude, parkStands[2].longitude, true);
    lf_calcStaticParking();
    EXPECT_EQ(candidateStands(), std::vector<std::string>{"A2@0"});
}

TEST_F(StaticCalc, SoftOptionsFillAShortageOnlyWhenAllowed)
{
    addStand("A1", 0.0, {{.halfHours = {20}, .callsign = "KLM1"}});
    addStand("A2", 100.0, {{.halfHours = {20}, .callsign = "KLM2", .soft = true}});
    lf_calcStaticParking();
    EXPECT_EQ(candidateStands(), std::vector<std::string>{"A1@0"});
    EXPECT_FALSE(mainWindow.softMarker.load());
    PARK_SOFT.value = true;
    lf_calcStaticParking();
    EXPECT_EQ(candidateStands().size(), 2u);
    EXPECT_TRUE(mainWindow.softMarker.load());
    EXPECT_EQ(softFitLevel, 0);
}

TEST_F(StaticCalc, BeyondTheWantedCountTheLowerLevelsStayAndTheLastLevelGivesTheRest)
{
    struct Case {
        std::vector<std::uint32_t> levels; // of the stands S0, S1, ...
        std::int32_t percent;
        std::uint32_t lastLevel;       // the level that fills the count
        std::vector<std::string> kept; // with RANDOM off
    };
    const Case cases[] = {
        {{0, 1, 1, 1}, 50, 1, {"S1@1", "S0@0"}},
        {{0, 1, 1, 1}, 75, 1, {"S1@1", "S2@1", "S0@0"}},
        {{1, 1, 1, 0}, 50, 1, {"S0@1", "S3@0"}},
        {{2, 0, 2, 1, 0, 2}, 50, 1, {"S3@1", "S1@0", "S4@0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fmt::format("{}% of levels {}", c.percent, fmt::join(c.levels, ",")));
        parkStands.clear();
        for (std::size_t i = 0; i < c.levels.size(); ++i)
            addStand(fmt::format("S{}", i), 100.0 * static_cast<double>(i),
                     {{.halfHours = {20 - c.levels[i]}, .callsign = fmt::format("KLM{}", i)}});
        parking_percentage.value = c.percent;
        RANDOM.value = false;
        lf_calcStaticParking();
        EXPECT_EQ(candidateStands(), c.kept);
        RANDOM.value = true;
        for (const std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
            gf_seedRandomEngine(seed);
            lf_calcStaticParking();
            const std::vector<std::string> drawn = candidateStands();
            EXPECT_EQ(drawn.size(), c.kept.size()) << "seed " << seed;
            for (std::size_t i = 0; i < c.levels.size(); ++i)
                if (c.levels[i] < c.lastLevel) {
                    EXPECT_NE(std::ranges::find(drawn, fmt::format("S{}@{}", i, c.levels[i])), drawn.end())
                        << "seed " << seed << ", S" << i;
                }
        }
    }
}

TEST_F(StaticCalc, TheLastLevelIsDrawnAtRandomKeepingTheCountAndRepeatsWithTheSeed)
{
    for (int i = 0; i < 10; ++i)
        addStand(fmt::format("S{}", i), 100.0 * i, {{.halfHours = {20}, .callsign = fmt::format("KLM{}", i)}});
    addStand("EARLY", 1000.0, {{.halfHours = {19}, .callsign = "KLM99"}});
    parking_percentage.value = 45; // 5 of 11
    useReferenceWorld();
    // The stands drawn, then the creations that placing them queues.
    const auto calculate = [this](std::uint32_t seed) {
        staticActs.clear();
        staticCreationItems.clear();
        staticFlightIdCounter = 0;
        gf_seedRandomEngine(seed);
        lf_calcStaticParking();
        std::vector<std::string> result = candidateStands();
        while (!standCandidates.empty())
            lf_placeStaticParked();
        for (const CreationItem& item : staticCreationItems)
            result.push_back(fmt::format("{} {} {} {:.6f}", item.tailNumber, item.flightId, item.liveryTitle,
                                         item.position.longitude));
        return result;
    };
    const std::vector<std::string> fixed = calculate(1);
    EXPECT_EQ(std::vector<std::string>(fixed.begin(), fixed.begin() + 5),
              (std::vector<std::string>{"S0@0", "S1@0", "S2@0", "S3@0", "S4@0"}));
    EXPECT_EQ(fixed.size(), 10u) << "five creations";
    RANDOM.value = true;
    std::set<std::vector<std::string>> drawn;
    for (const std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        const std::vector<std::string> run = calculate(seed);
        EXPECT_EQ(run.size(), 10u);
        EXPECT_EQ(calculate(seed), run);
        drawn.insert(std::vector<std::string>(run.begin(), run.begin() + 5));
    }
    EXPECT_GT(drawn.size(), 1u);
}
} // namespace
