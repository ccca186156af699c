// The livery of a live flight and of a static parked aircraft, per depth and step, against
// the indexes of the generated world; refused liveries, the summary and the reset.
#include "liveries_fixture.h"

#include "foundation/exceptions.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "liveries/indexes.h"
#include "liveries/matching.h"
#include "traffic/records.h"

#include <gmock/gmock.h>

#include <set>

namespace {
class Matching : public LiveriesTest {
protected:
    Matching()
    {
        RANDOM.value = false;
        buildIndexes();
    }
    ~Matching() override
    {
        RANDOM.value = true;
        MATCHING_DEPTH.value = 4;
        failedTitles.clear();
        failedTypes.clear();
        gf_resetMatchingState();
    }

    static Act live(const std::string& airline, const std::string& type, const std::string& registration = "",
                    bool cargo = false)
    {
        Act act;
        act.ident().identity = {.airline = airline, .type = type, .callsign = airline + "123",
                                .registration = registration};
        act.ident().sizeClass = static_cast<std::uint32_t>(gf_sizeCategory(type));
        act.ident().cargo = cargo;
        return act;
    }
    static StaticAct parked(const std::string& airline, const std::string& type, const std::string& registration = "")
    {
        StaticAct act;
        act.head = live(airline, type, registration).ident();
        return act;
    }
    static StandRecord stand(bool cargo) { return StandRecord("B12", {}, 52.3, 4.76, 0.0, 40.0, cargo, false, false); }

    // The title and the step counted for a live flight at this depth.
    std::pair<std::string, int> matchLive(Act act, std::int32_t depth)
    {
        MATCHING_DEPTH.value = depth;
        const auto before = stepCounters;
        matchLiveryLive(act);
        int step = 0;
        for (std::size_t i = 0; i < stepCounters.size(); ++i)
            if (stepCounters[i] != before[i])
                step = static_cast<int>(i) + 1;
        lastFsltl = act.ident().fsltlLivery;
        return {std::string(act.ident().liveryTitle), step};
    }

    std::uint8_t lastFsltl = 0;
};

struct LiveCase {
    const char* what;
    const char* airline;
    const char* type;
    const char* registration;
    bool cargo;
    std::int32_t depth;
    const char* title; // "" for none
    int step;
};
} // namespace

TEST_F(Matching, EachStepAtEachDepthWithRandomOff)
{
    const LiveCase cases[] = {
        {"a registration spelling", "XXX", "A320", "PHBXA", false, 1, "Boeing 737-800 KLM PH-BXA", 1},
        {"depth 1: nothing but the registration", "KLM", "B738", "PH-XXX", false, 1, "", 0},
        {"airline and model, the first of the list", "KLM", "B738", "", false, 2, "Boeing 737-800 KLM FSLTL_Orange", 2},
        {"a special registration", "KLM", "B738", "PH-BXC", false, 1, "Boeing 737-800 KLM Skyteam", 1},
        {"private: the generic livery first", "PVT", "C172", "", false, 2, "Cessna 172 Generic", 4},
        {"private without generic: its own", "PVT", "PA28", "", false, 2, "Piper Cherokee D-EABC", 2},
        {"cargo", "KLM", "B744", "", true, 2, "Boeing 747-400 KLM Cargo", 2},
        {"cargo takes pax liveries", "DLH", "A320", "", true, 2, "Airbus A320 Lufthansa", 2},
        {"pax never takes cargo liveries", "KLM", "B744", "", false, 4, "", 0},
        {"the registration's airline", "TRA", "B738", "PHHSA", false, 2, "Boeing 737-800 KLM FSLTL_Orange", 2},
        {"no airline record without operator", "TRA", "B738", "PHBXB", false, 2, "Boeing 737-800 KLM PH-BXB", 1},
        {"a similar model of the airline", "EZY", "A320", "", false, 3, "Airbus A320neo easyJet", 3},
        {"depth 2 has no similar models", "EZY", "A320", "", false, 2, "", 0},
        {"Large: generic only at depth 4", "BAW", "A320", "", false, 3, "", 0},
        {"Large: generic at depth 4", "BAW", "A320", "", false, 4, "Airbus A320 Generic", 4},
        {"Light: generic at depth 3", "ABC", "C172", "", false, 3, "Cessna 172 Generic", 4},
        {"Light: any livery of the model", "ABC", "PA28", "", false, 3, "Piper Cherokee D-EABC", 5},
        {"Buzjets: the installed model of the class", "ABC", "GLF5", "", false, 3, "Challenger 350 Private", 6},
        {"Light cargo: no pax livery by model", "ABC", "PA28", "", true, 4, "", 0},
        {"Heavy without livery", "ABC", "B789", "", false, 4, "", 0},
    };
    for (const LiveCase& c : cases) {
        const auto [title, step] = matchLive(live(c.airline, c.type, c.registration, c.cargo), c.depth);
        EXPECT_EQ(title, c.title) << c.what;
        EXPECT_EQ(step, c.step) << c.what;
    }
    // A Light model without liveries takes one of a similar model (whose titles have no order).
    const auto [title, step] = matchLive(live("", "DA40", ""), 4);
    EXPECT_THAT(title, ::testing::AnyOf("Cessna 172 Generic", "Cessna 172 N172SP"));
    EXPECT_EQ(step, 6);
    EXPECT_EQ(stepCounters, (std::array<std::uint32_t, 6>{3, 5, 1, 3, 1, 2}));
    EXPECT_TRUE(log.hasLine(fmt::format("          {} =3= Airbus A320neo easyJet",
                                        gf_formatColumns(live("EZY", "A320").ident().identity))));

    // The FSLTL flag follows the title.
    matchLive(live("KLM", "B738"), 2);
    EXPECT_EQ(lastFsltl, 1);
    matchLive(live("DLH", "A320"), 2);
    EXPECT_EQ(lastFsltl, 0);
    LOG.value = false;
    const std::string before = log.text();
    matchLive(live("DLH", "A320"), 2);
    EXPECT_EQ(log.text(), before) << "no line while LOG is off";
    LOG.value = true;
}

TEST_F(Matching, OnlyLightBizjetAndRotorcraftFlightsFallBackOnTheModelAlone)
{
    world.liveries.push_back({"KLM", "F16", "F-16 KLM Demo", ""});
    buildIndexes();
    const LiveCase cases[] = {
        {"Light: its model", "ABC", "PA28", "", false, 3, "Piper Cherokee D-EABC", 5},
        {"Light: not at depth 2", "ABC", "PA28", "", false, 2, "", 0},
        {"Buzjets: its model", "ABC", "CL35", "", false, 3, "Challenger 350 Private", 5},
        {"Buzjets: a similar model", "ABC", "C25A", "", false, 3, "Challenger 350 Private", 6},
        {"Large: its airline's", "KLM", "E190", "", false, 2, "Embraer 190 KLM Cityhopper", 2},
        {"Large: never by model", "ABC", "E190", "", false, 4, "", 0},
        {"Heavy: its airline's", "DLH", "A388", "", false, 2, "Airbus A380 Lufthansa", 2},
        {"Heavy: never by model", "ABC", "A388", "", false, 4, "", 0},
        {"HighPerf: its airline's", "KLM", "F16", "", false, 2, "F-16 KLM Demo", 2},
        {"HighPerf: never by model", "ABC", "F16", "", false, 4, "", 0},
        {"Rotorcraft: its model", "ABC", "EC35", "", false, 3, "EC135 ADAC", 5},
        {"Rotorcraft: a similar model", "ABC", "AS50", "", false, 3, "EC135 ADAC", 6},
    };
    for (const LiveCase& c : cases) {
        EXPECT_EQ(matchLive(live(c.airline, c.type), c.depth), std::pair(std::string(c.title), c.step)) << c.what;
        StaticAct parkedOne = parked(c.airline, c.type);
        EXPECT_EQ(matchLiveryParked(parkedOne, stand(false)), *c.title != '\0') << c.what;
        EXPECT_EQ(parkedOne.head.liveryTitle, c.title) << c.what << ", parked";
    }
}

TEST_F(Matching, SpecialAndRefusedLiveriesAreLeftWhileOthersRemain)
{
    // KLM B738: FSLTL_Orange, Skyteam (special), PH-BXA (special), PH-BXB.
    Act refused = live("KLM", "B738");
    refused.ident().liveryTitle = findLiveryTitle("Boeing 737-800 KLM FSLTL_Orange");
    gf_liveryNotCreated(refused.ident());
    EXPECT_EQ(matchLive(live("KLM", "B738"), 2), std::pair(std::string("Boeing 737-800 KLM PH-BXB"), 2));
    // The registration of a refused livery gives none at all.
    refused.ident().liveryTitle = findLiveryTitle("Boeing 737-800 KLM PH-BXA");
    gf_liveryNotCreated(refused.ident());
    EXPECT_EQ(matchLive(live("KLM", "B738", "PHBXA"), 4), std::pair(std::string(), 0));
    // Every candidate special or refused: the next step is tried.
    refused.ident().liveryTitle = findLiveryTitle("Boeing 737-800 KLM PH-BXB");
    gf_liveryNotCreated(refused.ident());
    EXPECT_EQ(matchLive(live("KLM", "B738"), 4), std::pair(std::string("Boeing 737-800 Generic"), 4));

    // The similar models of the flight's own airline refused: the registration's airline
    // (D-ABYA: Lufthansa) is tried in those models, not in its own.
    for (const char* title : {"Airbus A320 Air France", "Airbus A320 Air France \xE2\x80\x93 Ch\xC3\xA2teau",
                              "Airbus A319 easyJet", "Airbus A320neo easyJet"}) {
        refused.ident().liveryTitle = findLiveryTitle(title);
        gf_liveryNotCreated(refused.ident());
    }
    EXPECT_EQ(matchLive(live("AFR", "A319", "D-ABYA"), 3), std::pair(std::string("Airbus A320 Lufthansa"), 3));
    EXPECT_EQ(matchLive(live("EZY", "A321", "D-ABYA"), 3), std::pair(std::string(), 0))
        << "easyJet flies no A320, so Lufthansa's is not asked";

    // With RANDOM on, every allowed candidate is drawn and no other.
    failedTitles.clear();
    RANDOM.value = true;
    gf_seedRandomEngine(1234);
    std::set<std::string> drawn;
    for (int i = 0; i < 200; ++i)
        drawn.insert(matchLive(live("KLM", "B738"), 2).first);
    EXPECT_EQ(drawn, (std::set<std::string>{"Boeing 737-800 KLM FSLTL_Orange", "Boeing 737-800 KLM PH-BXB"}));
}

TEST_F(Matching, StaticAircraftTryTheRegistrationsAirlineAndTakeTheStandsCargoFlag)
{
    LOG.value = true;
    StaticAct noAirline = parked("", "B738", "PHHSA");
    EXPECT_TRUE(matchLiveryParked(noAirline, stand(false)));
    EXPECT_EQ(noAirline.head.liveryTitle, "Boeing 737-800 KLM FSLTL_Orange") << "through the registration's airline";
    EXPECT_EQ(noAirline.head.fsltlLivery, 0) << "no flag for static aircraft";
    EXPECT_EQ(matchLive(live("", "B738", "PHHSA"), 4).first, "Boeing 737-800 Generic") << "a live one skips it";

    StaticAct cargo = parked("KLM", "B744");
    EXPECT_TRUE(matchLiveryParked(cargo, stand(true)));
    EXPECT_EQ(cargo.head.cargo, 1);
    EXPECT_EQ(cargo.head.liveryTitle, "Boeing 747-400 KLM Cargo");
    EXPECT_TRUE(log.hasLine(fmt::format("          {} =2= Boeing 747-400 KLM Cargo",
                                        gf_formatColumns(cargo.head.identity))));

    StaticAct none = parked("ABC", "B789");
    EXPECT_FALSE(matchLiveryParked(none, stand(false)));
    EXPECT_TRUE(log.hasLine(fmt::format("B12     : {} no livery match ...", gf_identLine(none.head.identity))));

    // A title it arrives with stays, refused or not; a refused match is dropped.
    gf_liveryNotCreated(cargo.head);
    EXPECT_TRUE(matchLiveryParked(cargo, stand(true)));
    EXPECT_TRUE(log.hasLine(fmt::format("          {} =s= Boeing 747-400 KLM Cargo",
                                        gf_formatColumns(cargo.head.identity))));
    StaticAct byRegistration = parked("KLM", "B744", "PHCKA");
    EXPECT_FALSE(matchLiveryParked(byRegistration, stand(true)));
    EXPECT_TRUE(byRegistration.head.liveryTitle.empty());
    EXPECT_EQ(stepCounters, (std::array<std::uint32_t, 6>{0, 0, 0, 1, 0, 0})) << "only the live flight counts";
}

TEST_F(Matching, TheTwentiethRefusalStopsWithError81)
{
    Act act = live("KLM", "B738", "PHBXA");
    matchLiveryLive(act);
    for (int i = 1; i < 20; ++i)
        gf_liveryNotCreated(act.ident());
    EXPECT_TRUE(log.hasLine("KLM123 \"Boeing 737-800 KLM PH-BXA\" could not be created by your Sim!"));
    EXPECT_FALSE(logged("Error 81"));
    EXPECT_EQ(gf_testErrorText<zeb::UserErrorException>([&] { gf_liveryNotCreated(act.ident()); }),
              "81: there are too many liveries that could not be created by P3D!, see Log.txt");
    EXPECT_TRUE(log.hasLine("===> Error 81, there are too many liveries that could not be created by P3D!"));
}

TEST_F(Matching, SummaryNoMatchesAndTheReset)
{
    logMatchingSummary();
    EXPECT_TRUE(log.hasLine("  1: 0") && log.hasLine("  6: 0"));
    EXPECT_FALSE(logged("Could not be created"));
    gf_logNoMatches();
    EXPECT_FALSE(logged("No match found")) << "nothing for an empty set";

    matchLive(live("KLM", "B738", "PHBXA"), 4);
    matchLive(live("KLM", "B738"), 4);
    Act refused = live("KLM", "B738");
    refused.ident().liveryTitle = findLiveryTitle("Boeing 737-800 KLM PH-BXB");
    gf_liveryNotCreated(refused.ident());
    gf_liveryNotCreated(refused.ident());
    refused.ident().identity.airline = "DLH";
    gf_liveryNotCreated(refused.ident());
    noMatchSet = {"KLM B789 PH-ZZZ", "ABC B738 D-ABCD"};
    logMatchingSummary();
    gf_logNoMatches();
    const std::string banner(31, '*');
    const std::string text = log.text();
    EXPECT_THAT(text, ::testing::HasSubstr("\r\n\r\n" + banner + " live traffic livery matching summary " + banner +
                                           "\r\nMatches at step: \r\n  1: 1\r\n  2: 1\r\n  3: 0\r\n  4: 0\r\n"
                                           "  5: 0\r\n  6: 0\r\n\r\nCould not be created by P3D:\r\n  B738 DLH\r\n"
                                           "  B738 KLM\r\n" + std::string(100, '*') + "\r\n\r\n"));
    EXPECT_THAT(text, ::testing::HasSubstr("\r\nNo match found for: \r\nABC B738 D-ABCD\r\nKLM B789 PH-ZZZ\r\n\r\n"));

    gf_resetMatchingState();
    EXPECT_EQ(stepCounters, (std::array<std::uint32_t, 6>{}));
    EXPECT_TRUE(noMatchSet.empty());
    EXPECT_EQ(failedTitles.size(), 3u) << "refused titles stay refused";
}

TEST_F(Matching, ARebuildFromAChangedListGivesNewLiveriesAndNeverRemovedOnes)
{
    Act held = live("KLM", "B738", "PHBXB");
    matchLiveryLive(held);
    ASSERT_EQ(held.ident().liveryTitle, "Boeing 737-800 KLM PH-BXB");
    Act refused = live("KLM", "B738", "PHBXA");
    matchLiveryLive(refused);
    gf_liveryNotCreated(refused.ident());

    world.liveries.erase(world.liveries.begin() + 1); // PH-BXB goes
    world.liveries.push_back({"KLM", "B738", "Boeing 737-800 KLM New", ""});
    world.liveries.push_back({"KLM", "A20N", "Airbus A320neo KLM", "PH-AXA"});
    refgen::writeLiveriesScanned(world.liveries, liveriesScannedPath);
    lf_readLiveriesScanned();
    processScannedLiveries();

    EXPECT_EQ(held.ident().liveryTitle, "Boeing 737-800 KLM PH-BXB") << "a view held across the rebuild";
    EXPECT_EQ(failedTitles.front(), "Boeing 737-800 KLM PH-BXA");
    EXPECT_TRUE(findLiveryTitle("Boeing 737-800 KLM PH-BXB").empty());
    EXPECT_EQ(matchLive(live("KLM", "B738", "PHBXB"), 4).first, "Boeing 737-800 KLM FSLTL_Orange");
    EXPECT_EQ(matchLive(live("KLM", "A20N"), 2).first, "Airbus A320neo KLM") << "a new model of a known airline";
    RANDOM.value = true;
    std::set<std::string> drawn;
    for (int i = 0; i < 100; ++i)
        drawn.insert(matchLive(live("KLM", "B738"), 2).first);
    EXPECT_EQ(drawn, (std::set<std::string>{"Boeing 737-800 KLM FSLTL_Orange", "Boeing 737-800 KLM New"}));
}
