// Stands for live aircraft: the stand at a position, the stand choice for soft learning,
// coupled callsigns, and who yields at a stand.
#include "traffic/motion_fixture.h"

#include "app/mainloop.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"

namespace {
const LatLon apron{52.3086, 4.7639};

StandOption lf_option(const std::string& airline, const std::string& callsign, std::uint32_t day,
                      std::initializer_list<std::size_t> halfHours, const std::string& second = {})
{
    StandOption option{.airl = airline, .type = "T2", .callsign = callsign, .secondCall = second, .seq = 1,
                       .day = static_cast<std::int32_t>(day), .mark = 1};
    for (const std::size_t h : halfHours)
        option.hh.set(h);
    return option;
}
} // namespace

class Stands : public Motion {
protected:
    // A created Large aircraft of half span r (metres) at the position.
    Act& aircraft(double radiusMetres, LatLon at = apron, const std::string& callsign = "KLM1")
    {
        Act& a = addAct(largeClass, at, 0.0, phaseGround, callsign);
        a.base.head.wingspan = radiusMetres * metre;
        return a;
    }
    // A live aircraft parked and created at the stand.
    Act& parkedAt(const StandRecord& stand, const std::string& callsign, double radiusMetres = 17.9)
    {
        Act& a = addAct(largeClass, {stand.latitude, stand.longitude}, 0.0, phaseAtStand, callsign);
        a.base.standNumber = stand.standNumber;
        a.base.head.wingspan = radiusMetres * metre;
        return a;
    }
};

TEST_F(Stands, ASlightlySmallStandCloseByIsTakenAndWidenedAFartherOneIsNot)
{
    constexpr double reach = 0.029697624190064796;
    for (const auto& [away, taken] : {std::pair{10.0, true}, std::pair{25.0, false}}) {
        gf_testClearTraffic();
        gf_testAddStand("S1", gf_offset(apron, 90.0, away * metre), 0.0, 13.0);
        Act& a = aircraft(15.0);
        EXPECT_EQ(lf_findStandNear(apron.first, apron.second, a, reach, false) != nullptr, taken) << away << " m";
        EXPECT_EQ(parkStands[0].radius_change, taken ? 1 : 0);
        EXPECT_NEAR(parkStands[0].radius / metre, taken ? 14.0 : 13.0, 1e-9);
        EXPECT_EQ(apfEditCount.load(), taken ? 1 : 0);
        apfEditCount = 0;
    }
    for (const auto& [away, widened] : {std::pair{10.0, true}, std::pair{25.0, false}}) {
        gf_testClearTraffic();
        gf_testAddStand("FIT", gf_offset(apron, 0.0, 30.0 * metre), 0.0, 20.0);
        gf_testAddStand("SMALL", gf_offset(apron, 180.0, away * metre), 0.0, 13.0);
        Act& a = aircraft(15.0);
        const StandRecord* found = lf_findStandNear(apron.first, apron.second, a, reach, false);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->id, widened ? "SMALL" : "FIT");
        EXPECT_EQ(parkStands[1].radius_change, widened ? 1 : 0);
    }
}

TEST_F(Stands, AStandingAircraftFallsBackOnAStandWhoseOptionNamesIt)
{
    StandRecord& stand = gf_testAddStand("O1", gf_offset(apron, 90.0, 80.0 * metre), 0.0, 20.0);
    stand.options.push_back(lf_option("KLM", "KLM1", 3, {20}));
    gf_testAddStand("OCC", gf_offset(apron, 0.0, 5.0 * metre), 0.0, 20.0).occupied = 1;
    Act& a = aircraft(15.0);
    const StandRecord* held = lf_findStandNear(apron.first, apron.second, a, 0.029697624190064796, true);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->id, "O1");
    EXPECT_EQ(lf_findStandNear(apron.first, apron.second, a, 0.029697624190064796, false), nullptr);
}

TEST_F(Stands, HelipadsAreForRotorcraftOnlyAndARotorcraftFallsBackOnTheRamp)
{
    StandRecord& pad = gf_testAddStand("H1", apron, 0.0, 20.0);
    pad.heli = 1;
    Act& plane = aircraft(10.0);
    EXPECT_EQ(lf_findStandNear(apron.first, apron.second, plane, 0.03, false), nullptr);
    Act& heli = addAct(rotorcraftClass, apron, 0.0, phaseGround, "PHHEL");
    EXPECT_EQ(lf_findStandNear(apron.first, apron.second, heli, 0.03, false), &parkStands[0]);
    parkStands[0].options.push_back(lf_option("KLM", "X", 3, {20}));  // the pad is booked
    StandRecord& ramp = gf_testAddStand("R1", gf_offset(apron, 90.0, 0.1), 0.0, 20.0);
    ramp.ramp = 1;
    const StandRecord* chosen = lf_chooseStand({3, 20}, *act(heli.base.head.flightId), true);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->id, "R1");
}

TEST_F(Stands, TheChoiceTriesGatesFirstAtKAirportsAndLightAircraftOnlyOnTheRamp)
{
    gf_testAddStand("G1", apron, 0.0, 20.0);
    StandRecord& ramp = gf_testAddStand("R1", gf_offset(apron, 90.0, 0.1), 0.0, 20.0);
    ramp.ramp = 1;
    gf_setParkAirport({.code = "KJFK", .latitude = apron.first, .longitude = apron.second});
    Act& large = aircraft(17.9);
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        gf_seedRandomEngine(seed);
        ASSERT_EQ(lf_chooseStand({3, 20}, large, true)->id, "G1") << "seed " << seed;
    }
    // Elsewhere the one draw of the choice puts the ramp first below 10 of 100.
    gf_setParkAirport({.code = "EHAM", .latitude = apron.first, .longitude = apron.second});
    for (const auto& [draw, side] : {std::pair{9u, "R1"}, std::pair{10u, "G1"}, std::pair{99u, "G1"}}) {
        std::uint32_t seed = 0;
        for (; seed < 100000; ++seed) {
            gf_seedRandomEngine(seed);
            if (gf_randomEngine()() % 100 == draw)
                break;
        }
        gf_seedRandomEngine(seed);
        ASSERT_EQ(lf_chooseStand({3, 20}, large, true)->id, side) << "a draw of " << draw;
    }
    Act& light = addAct(lightClass, apron, 0.0, phaseGround, "PHABC");
    EXPECT_EQ(lf_chooseStand({3, 20}, light, true)->id, "R1");
    parkStands[1].ramp = 0;
    EXPECT_EQ(lf_chooseStand({3, 20}, *act(light.base.head.flightId), true), nullptr) << "no ramp stand left";
}

TEST_F(Stands, TheChoiceTakesTheBestFitOfTheFreeStandsUnlessAnEarlierOneNamesTheFlight)
{
    struct Stand {
        const char* name;
        double radiusMetres;
        bool named = false, booked = false, cargo = false;
    };
    struct Case {
        const char* what;
        std::vector<Stand> stands;
        const char* chosen;
        bool cargoFlight = false;
    };
    // A Large aircraft of half span 17.9 m: its size steps are 21 m.
    const Case cases[] = {
        {"the best of three fits", {{"S60", 60}, {"S40", 40}, {"S18", 18}}, "S18"},
        {"a worse fit after a better one", {{"S18", 18}, {"S60", 60}}, "S18"},
        {"an earlier stand naming the flight", {{"N40", 40, true}, {"S18", 18}}, "N40"},
        {"a later stand naming the flight", {{"S18", 18}, {"N40", 40, true}}, "S18"},
        {"too small to fit", {{"S15", 15}, {"S30", 30}}, "S30"},
        {"booked at the half hour", {{"B18", 18, false, true}, {"S40", 40}}, "S40"},
        {"the same fit naming the flight", {{"S18", 18}, {"N18", 18, true}}, "N18"},
        {"a cargo flight: a cargo stand", {{"S18", 18}, {"C40", 40, false, false, true}}, "C40", true},
        {"a cargo flight: a small cargo stand", {{"S18", 18}, {"C15", 15, false, false, true}}, "C15", true},
        {"a cargo flight: the best fit of the others", {{"S18", 18}, {"S60", 60}}, "S18", true},
        {"a cargo flight: a small stand", {{"B18", 18, false, true}, {"S15", 15}}, "S15", true},
        {"equal fits: the later one", {{"A30", 30}, {"B30", 30}}, "B30"}, // the last row: drawn with RANDOM on
    };
    for (const Case& c : cases) {
        gf_testClearTraffic();
        gf_setParkAirport({.code = "KJFK", .latitude = apron.first, .longitude = apron.second});
        for (const Stand& s : c.stands) {
            StandRecord& added = gf_testAddStand(s.name, apron, 0.0, s.radiusMetres);
            if (s.named)
                added.options.push_back(lf_option("KLM", "KLM1", 4, {20}));
            if (s.booked)
                added.options.push_back(lf_option("DLH", "DLH9", 3, {20}));
            added.cargo = s.cargo;
        }
        Act& a = aircraft(17.9);
        a.base.head.cargo = c.cargoFlight;
        const StandRecord* chosen = lf_chooseStand({3, 20}, a, false);
        ASSERT_NE(chosen, nullptr) << c.what;
        ASSERT_EQ(chosen->id, c.chosen) << c.what;
        RANDOM.value = &c != std::end(cases) - 1;
        for (std::uint32_t seed = 1; seed <= 8; ++seed) {
            gf_seedRandomEngine(seed);
            EXPECT_EQ(lf_chooseStand({3, 20}, a, false)->id, c.chosen) << c.what << ", RANDOM on, seed " << seed;
        }
        RANDOM.value = false;
    }
}

TEST_F(Stands, AFullyBookedSmallAirportIsTriedAgainHalfAnHourLater)
{
    for (const auto& [stands, found] : {std::pair{8, true}, std::pair{10, true}, std::pair{11, false}}) {
        gf_testClearTraffic();
        for (int i = 0; i < stands; ++i)
            gf_testAddStand("S" + std::to_string(i), gf_offset(apron, 90.0, 0.05 * i), 0.0, 20.0)
                .options.push_back(lf_option("DLH", "DLH9", 5, {47}));
        Act& a = aircraft(17.9);
        const StandRecord* chosen = lf_chooseStand({5, 47}, a, true);
        EXPECT_EQ(chosen != nullptr, found) << stands << " stands";
        for (StandRecord& s : parkStands)
            s.options.push_back(lf_option("DLH", "DLH9", 6, {0}));
        EXPECT_EQ(lf_chooseStand({5, 47}, a, true), nullptr) << "one retry only, booked then too";
    }
}

TEST_F(Stands, TheCoupledCallsignComesFromAnOptionWithinTheClassWindow)
{
    StandRecord& stand = gf_testAddStand("C1", apron, 0.0, 30.0);
    for (const auto& [sizeClass, halfHour, coupled] :
         {std::tuple{heavyClass, 19u, true}, std::tuple{heavyClass, 20u, false}, std::tuple{largeClass, 15u, true},
          std::tuple{largeClass, 16u, false}}) {
        stand.options = {lf_option("KLM", "KLM1", 3, {halfHour}, "KLM2")};
        Act& a = addAct(sizeClass, apron, 0.0, phaseGround, "KLM1_");
        lf_searchForCoupledCsAroundThisTime({3, 5}, a);
        EXPECT_EQ(a.base.head.identity.optionSecond, coupled ? "KLM2" : "") << sizeClass << " at " << halfHour;
        EXPECT_EQ(a.base.head.identity.optionCallsign, coupled ? "KLM1" : "");
    }
}

TEST_F(Stands, AStaticAircraftGivesWayToATaxiingLiveOneWithinTheirSpansAndATenth)
{
    for (const auto& [apart, removed] : {std::pair{0.0384, true}, std::pair{0.0386, false}}) {
        gf_testClearTraffic();
        Act& live = aircraft(0.0);
        live.base.head.wingspan = 0.02;
        StaticAct& parked = staticActs.emplace_back();
        parked.head.wingspan = 0.015;
        parked.status = statusCreated;
        parked.objectId = 77;
        const LatLon at = gf_offset(apron, 45.0, apart);
        parked.latitude = at.first;
        parked.longitude = at.second;
        lf_liveParkedCollisions();
        EXPECT_EQ(staticActs[0].status, removed ? statusRemoving : statusCreated) << apart << " nm";
        staticActs[0].status = statusCreated;
        lf_liveParkedCollisions();
        EXPECT_EQ(staticActs[0].status, statusCreated) << "checked again only after the aircraft moved";
    }
}

TEST_F(Stands, ANewcomerDisplacesAParkedAircraftUnlessItIsItsGhostOrTheOtherKeepsTheStand)
{
    struct Case {
        std::string parked, newcomer;
        bool keep, refused;
    };
    const StandRecord& stand = gf_testAddStand("A1", apron, 0.0, 30.0);
    for (const Case& c : {Case{"ABC1", "ABC1_", false, true}, Case{"ABC1_", "ABC1", false, false},
                          Case{"BAW12", "BAW123", false, false}, Case{"BAW123", "BAW12", false, false},
                          Case{"DLH4", "DLH4", true, false}, Case{"DLH4", "KLM5", true, true},
                          Case{"DLH4_", "KLM5_", false, false}, Case{"DLH4", "KLM5_", false, true}}) {
        liveActs.clear();
        Act& parked = parkedAt(stand, c.parked);
        parked.keepStand = c.keep;
        Act& newcomer = aircraft(17.9, apron, c.newcomer);
        newcomer.base.status = statusNew;
        StandContext context{stand.standNumber, &newcomer, true, &stand};
        EXPECT_TRUE(lf_standWanted(context, liveActs[0]));
        EXPECT_EQ(context.goAhead, !c.refused) << c.newcomer << " at " << c.parked;
        EXPECT_EQ(liveActs[0].base.status, c.refused ? statusCreated : statusRemoving) << c.newcomer << " at " << c.parked;
    }
}

TEST_F(Stands, AnAircraftBesideStaysWhenTheSpansFitAndBlocksWhenTheyOverlap)
{
    gf_testAddStand("A1", apron, 0.0, 30.0);
    for (const auto& [apartMetres, blocks] : {std::pair{36.0, false}, std::pair{35.0, true}}) {
        liveActs.clear();
        StandRecord& beside = gf_testAddStand("A2", gf_offset(apron, 90.0, apartMetres * metre), 0.0, 30.0);
        parkedAt(beside, "DLH4", 17.5);
        Act& newcomer = aircraft(18.0, apron, "KLM5");
        StandContext context{beside.standNumber, &newcomer, true, &parkStands[0]};
        EXPECT_EQ(lf_adjacentColliding(context, liveActs[0]), blocks) << apartMetres << " m";
        EXPECT_EQ(context.goAhead, !blocks);
        parkStands.pop_back();
    }
}

TEST_F(Stands, ATaxiingAircraftTakesTheStandItStopsAtClearingItAndBesideIt)
{
    liveActs.reserve(8);
    gf_testAddStand("A1", apron, 180.0, 30.0);
    gf_testAddStand("A2", gf_offset(apron, 90.0, 30.0 * metre), 0.0, 30.0);
    parkStands[0].neighbours = {parkStands[1].standNumber};
    parkStands[0].occupied = 1;
    parkedAt(parkStands[0], "OLD1");
    parkedAt(parkStands[1], "NEAR1", 17.9);
    StaticAct& parked = staticActs.emplace_back();
    parked.standNumber = parkStands[0].standNumber;
    parked.status = statusCreated;
    parked.objectId = 90;
    Act& a = aircraft(17.9, gf_offset(apron, 0.0, 20.0 * metre), "KLM7");
    a.path.back() = point(gf_offset(apron, 0.0, 10.0 * metre), 0.0, 500);
    a.path.back().hold = 1;
    EXPECT_FALSE(lf_takeStand(a, false)) << "the stand is occupied";
    parkStands[0].occupied = 0;
    EXPECT_FALSE(lf_takeStand(a, false)) << "the same last point is not looked at again";
    a.path.back().latitude -= 1e-6;
    ASSERT_TRUE(lf_takeStand(a, false));
    EXPECT_EQ(a.phase, phaseToStand);
    EXPECT_EQ(a.base.standNumber, parkStands[0].standNumber);
    ASSERT_EQ(a.path.size(), 3u);
    EXPECT_EQ(a.path.back().latitude, apron.first);
    EXPECT_EQ(a.path.back().hold, 1);
    EXPECT_EQ(liveActs[0].base.status, statusRemoving) << "the live aircraft on the stand";
    EXPECT_EQ(liveActs[1].base.status, statusRemoving) << "the one beside, 35.8 m of spans 30 m apart";
    EXPECT_EQ(staticActs[0].status, statusRemoving);
    // Taken for the taxi-in: no newcomer is given it, until the aircraft taxis elsewhere.
    Act& newcomer = aircraft(17.9, apron, "KLM8");
    EXPECT_EQ(lf_findStandNear(apron.first, apron.second, newcomer, 0.005, true), nullptr);
    // One that stood there before leaves it only now: it frees nothing.
    Act& left = parkedAt(parkStands[0], "KLM6");
    left.previousPhase = phaseGround;
    std::tie(left.base.latitude, left.base.longitude) = apron;
    lf_applyReport(left, point(gf_offset(apron, 180.0, 100.0 * metre), 5.0, 900));
    ASSERT_TRUE(left.leavingStand);
    EXPECT_EQ(lf_findStandNear(apron.first, apron.second, newcomer, 0.005, true), nullptr);
    lf_applyReport(a, point(gf_offset(apron, 0.0, 120.0 * metre), 10.0, 900));
    EXPECT_EQ(a.phase, phaseGround);
    EXPECT_NE(lf_findStandNear(apron.first, apron.second, newcomer, 0.005, true), nullptr);
}
