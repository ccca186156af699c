// The index build from generated LiveriesScanned.xml, AIG-regcodes.xml and my_regcodes
// files: indexes, registration codes and their precedence, similar models, the report.
#include "liveries_fixture.h"

#include "foundation/settingscatalogue.h"
#include "liveries/indexes.h"
#include "liveries/referencedata.h"
#include "liveries/regcodes.h"
#include "support/parametersxml.h"

#include <gmock/gmock.h>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using Titles = std::vector<std::string_view>;

namespace {
class IndexBuild : public LiveriesTest {
protected:
    std::string report() { return gf_testReadFile(offlineReportPath); }
    std::string regcodeTitle(const std::string& code)
    {
        const auto found = regcodeTitles.find(code);
        return found == regcodeTitles.end() ? "<none>" : std::string(found->second);
    }
    static std::string stored(const std::string& key)
    {
        return gf_testReadParameters(parametersFile).value_or(std::map<std::string, std::string>{})[key];
    }
};
} // namespace

TEST_F(IndexBuild, TheGeneratedWorldGivesItsIndexesCodesAndReport)
{
    buildIndexes();
    EXPECT_THAT(*lf_airlineTitles(false, "KLM", "B738"),
                ElementsAre("Boeing 737-800 KLM FSLTL_Orange", "Boeing 737-800 KLM Skyteam",
                            "Boeing 737-800 KLM PH-BXA", "Boeing 737-800 KLM PH-BXB"))
        << "in the order of the list";
    EXPECT_THAT(*lf_airlineTitles(true, "KLM", "B744"), ElementsAre("Boeing 747-400 KLM Cargo"));
    EXPECT_EQ(lf_airlineTitles(false, "KLM", "B744"), nullptr) << "the model has cargo liveries only";
    EXPECT_FALSE(cargoAirlineTitles.contains("DLH"));
    EXPECT_FALSE(paxAirlineTitles.contains("FDX")) << "no pax livery at all";
    EXPECT_EQ(paxModelTitles.at("B738").size(), 6u);
    EXPECT_THAT(cargoModelTitles.at("B744"), UnorderedElementsAre("Boeing 747-400 KLM Cargo", "Boeing 747-400 UPS"));
    EXPECT_TRUE(hasAirlineModel("KLM", "B744") && isKnownModel("MD11") && !isKnownModel("A321"));
    EXPECT_TRUE(findLiveryTitle("Cessna 172 Generic") == "Cessna 172 Generic");
    EXPECT_TRUE(findLiveryTitle("Airbus A320 Generic OLD").empty());

    // In-line codes, AIG-regcodes.xml, my.txt, the UTF-16 file mine16.txt and minebom.txt.
    EXPECT_EQ(regcodeTitles.size(), 18u + 3u + 3u + 1u + 1u);
    EXPECT_EQ(regcodeTitle("PH-BXA"), "Boeing 737-800 KLM PH-BXA");
    EXPECT_EQ(regcodeTitle("PH-BXC"), "Boeing 737-800 KLM Skyteam");
    EXPECT_EQ(regcodeTitle("D-AIZC"), "Airbus A320 Lufthansa");
    EXPECT_EQ(regcodeTitle("PH-BXE"), "Boeing 737-800 KLM PH-BXA");
    EXPECT_EQ(regcodeTitle("F-HBNB"), world.liveries[10].title);
    EXPECT_EQ(regcodeTitle("A6-EDB"), "Airbus A380 Emirates") << "the mark is no part of the title";
    EXPECT_EQ(specialLiveries.size(), 6u);
    EXPECT_TRUE(gf_isSpecialTitle("Boeing 737-800 KLM Skyteam") && gf_isSpecialTitle("Boeing 737-800 Ryanair"));
    EXPECT_FALSE(gf_isSpecialTitle("Airbus A320 Lufthansa"));
    const std::string offline = report();
    for (const char* line : {"Processing input\\AIG-regcodes.xml",
                             "input\\AIG-regcodes.xml: 3 new regcodes added, 1 regcode defined as special",
                             "Processing files in input\\my_regcodes",
                             "input\\my_regcodes\\mine16.txt: 1 new regcode added, 1 regcode defined as special",
                             "input\\my_regcodes\\my.txt: 3 new regcodes added, 3 regcodes defined as special"})
        EXPECT_TRUE(gf_testHasLine(offline, line)) << line << "\n" << offline;
    EXPECT_FALSE(fs::exists(inlineReportPath));

    for (const char* line : {"Processing scanned liveries", "26 registration codes",
                             "11 airlines, 11 pax aircraft models and 2 cargo aircraft models",
                             "Offline regcode files processed, results can be found in "
                             "\"output\\info\\OfflineRegcodes.txt\"",
                             "6 special liveries", "3 models have a generic livery", "  A320,B738,C172",
                             "Category Light: 3 pax liveries", "  C172,PA28", "Category Buzjets: 1 pax liverie",
                             "Category Heavy: 3 pax liveries and 3 cargo liveries", "  A388,B744,B77W,MD11",
                             "Category HighPerf: No livery found",
                             "HIGH_PERF_AIRCRAFT temporary switched off because you do not have High Perf aircraft "
                             "installed",
                             "Category Rotorcraft: 1 pax liverie", "  EC35"})
        EXPECT_TRUE(log.hasLine(line)) << line;
    EXPECT_EQ(stored("HIGH_PERF_AIRCRAFT"), "false");
    EXPECT_FALSE(HIGH_PERF_AIRCRAFT.value.load());
    EXPECT_TRUE(LIGHT_AIRCRAFT.value.load() && HELICOPTERS.value.load());
    EXPECT_EQ(categoryModels, (std::array<std::vector<std::string>, 3>{{{"C172", "PA28"}, {"CL35"}, {"EC35"}}}));

    // Similar models: only installed ones, and per airline those it flies.
    EXPECT_THAT(similarInstalled.at("A321"), ElementsAre("A20N", "A319", "A320"));
    EXPECT_THAT(similarAll.at("A321"), ElementsAre("A20N", "A319", "A320"));
    EXPECT_THAT(airlineSimilar.at("EZY").at("A320"), ElementsAre("A20N", "A319"));
    EXPECT_FALSE(airlineSimilar.at("EZY").contains("A319")) << "it has that model itself";
    EXPECT_TRUE(logged(" similar model definitions"));
}

TEST_F(IndexBuild, SimilarModelsKeepOnlyInstalledMembers)
{
    world.types.insert(world.types.end(), {{"PPP", 2}, {"QQQ", 2}, {"RRR", 2}, {"SSS", 2}});
    world.similarGroups = {{"PPP", "QQQ", "RRR"}, {"SSS"}};
    world.liveries = {{"ABC", "RRR", "R livery", ""}, {"ABC", "SSS", "S livery", ""}};
    world.aig.clear();
    world.myRegcodes.clear();
    buildIndexes();
    EXPECT_EQ(similarInstalled.size(), 2u);
    EXPECT_THAT(similarInstalled.at("PPP"), ElementsAre("RRR"));
    EXPECT_THAT(similarInstalled.at("QQQ"), ElementsAre("RRR"));
    EXPECT_EQ(similarAll.size(), 3u) << "a group of one gives no line";
    EXPECT_THAT(airlineSimilar.at("ABC").at("QQQ"), ElementsAre("RRR"));
    EXPECT_TRUE(log.hasLine("2 similar model definitions"));
}

TEST_F(IndexBuild, RegistrationSourcesOverrideEachOtherInTheirOrder)
{
    world.liveries = {{"KLM", "B738", "T1", "PH-AAA"},   {"KLM", "B738", "T2", "PH-AAA"},
                      {"KLM", "B738", "T3", "PH-BBB"},   {"KLM", "B738", "T4", "PH-CCC"},
                      {"KLM", "B738", "TITLE", ""},      {"KLM", "B738", "T5", ""}};
    world.aig = {{"T1", {"PH-BBB"}},                     // replaces the in-line code of T3
                 {"T2", {"G-XXXX"}},                     // then replaced by the next element
                 {"T3", {"G-XXXX", "ABCDEFGHIJKLM", "ABCDEFGHIJKL"}, true},
                 {"Not installed", {"G-YYYY"}}};
    world.myRegcodes = {{"a.txt",
                         {"T5;PH-CCC", "TITLE;ABC", "TITLE;ABD,ABE", "TITLE;ABF,ABG;#", "TITLE;ABH,ABI;x",
                          "TITLE;ABJ,,ABK", "a;b;c;d", "Unknown title;XYZ", "TITLE;"}},
                        {"b.TXT", {"T4;G-XXXX"}},
                        {"c.txt", {"only a long title here"}},
                        {"d.dat", {"T4;D-NOPE"}}};
    buildIndexes();

    const std::string clashes = gf_testReadFile(inlineReportPath);
    EXPECT_TRUE(gf_testHasLine(clashes, "[KLM B738] PH-AAA \"T2\" => in use by \"T1\"")) << clashes;
    EXPECT_TRUE(log.hasLine("===> 1 in-line regcode clashes, see \"output\\errors\\InlineRegcodes.txt\""));
    EXPECT_EQ(regcodeTitle("PH-AAA"), "T1") << "the first in list order";
    EXPECT_EQ(regcodeTitle("PH-BBB"), "T1") << "AIG-regcodes.xml over the in-line code";
    EXPECT_EQ(regcodeTitle("PH-CCC"), "T5") << "a text file over the in-line code";
    EXPECT_EQ(regcodeTitle("ABCDEFGHIJKL"), "T3");
    EXPECT_EQ(regcodeTitle("ABCDEFGHIJKLM"), "<none>");
    EXPECT_EQ(regcodeTitle("G-YYYY"), "<none>");
    EXPECT_EQ(regcodeTitle("D-NOPE"), "<none>") << "only .txt files";
    for (const char* code : {"ABC", "ABD", "ABE", "ABF", "ABG", "ABJ", "ABK"})
        EXPECT_EQ(regcodeTitle(code), "TITLE") << code;
    EXPECT_EQ(regcodeTitle("ABH"), "<none>");

    // A text file over AIG-regcodes.xml, which counts as replaced; within a file the later wins.
    const std::string offline = report();
    for (const char* line : {"   regcode PH-BBB for \"T1\", instead of for \"T3\"",
                             "   regcode G-XXXX for \"T3\", instead of for \"T2\"",
                             "===> wrong regcode length \"ABCDEFGHIJKLM\" in T3",
                             "input\\AIG-regcodes.xml: 2 new regcodes added, 2 regcodes replaced, "
                             "2 regcodes defined as special",
                             "===> input\\my_regcodes\\a.txt wrong format: a;b;c;d",
                             "===> wrong regcode length \"\" in input\\my_regcodes\\a.txt",
                             "   regcode PH-CCC for \"T5\", instead of for \"T4\"",
                             "input\\my_regcodes\\a.txt: 7 new regcodes added, 1 regcode replaced, "
                             "4 regcodes defined as special",
                             "   regcode G-XXXX for \"T4\", instead of for \"T3\"",
                             "input\\my_regcodes\\b.TXT: 0 new regcodes added, 1 regcode replaced, "
                             "1 regcode defined as special",
                             "input\\my_regcodes\\c.txt: 0 new regcodes added"})
        EXPECT_TRUE(gf_testHasLine(offline, line)) << line << "\n" << offline;
    EXPECT_TRUE(log.hasLine("===> input\\my_regcodes\\a.txt wrong format: a;b;c;d"));
    EXPECT_TRUE(gf_isSpecialTitle("T5") && gf_isSpecialTitle("TITLE") && gf_isSpecialTitle("T3"));
    EXPECT_FALSE(gf_isSpecialTitle("T1"));
}

TEST_F(IndexBuild, WithoutRegcodeFilesNoReportRemains)
{
    gf_testWriteFile(offlineReportPath, "from an earlier build\n");
    world.aig.clear();
    world.myRegcodes.clear();
    refgen::writeProgramFiles(world, L".");
    fs::remove(aigRegcodesPath);
    lf_readLiveriesScanned();
    processScannedLiveries();
    EXPECT_FALSE(fs::exists(offlineReportPath));
    EXPECT_FALSE(logged("Offline regcode"));
    EXPECT_TRUE(log.hasLine("18 registration codes"));
}

TEST_F(IndexBuild, AnEmptyListSwitchesOffTheClassesThatNeedLiveries)
{
    // Switched off before: neither saved again nor logged.
    ASSERT_TRUE(gf_testWriteParameters(parametersFile, {{"LIGHT_AIRCRAFT", "true"}, {"HELICOPTERS", "false"}}));
    HELICOPTERS.value = false;
    readReferenceData();
    scannedLiveries.clear();
    world.aig.clear();
    world.myRegcodes.clear();
    processScannedLiveries();
    EXPECT_TRUE(airlineLiveries.empty() && paxModelTitles.empty() && cargoAirlineTitles.empty());
    for (const char* line : {"0 registration codes", "0 airlines, 0 pax aircraft models and 0 cargo aircraft models",
                             "No generic liveries", "Category Light: No livery found",
                             "Category Buzjets: No livery found", "Category Large: No livery found",
                             "Category Heavy: No livery found", "Category HighPerf: No livery found",
                             "Category Rotorcraft: No livery found",
                             "LIGHT_AIRCRAFT temporary switched off because you do not have light aircraft installed"})
        EXPECT_TRUE(log.hasLine(line)) << line;
    EXPECT_FALSE(logged("HELICOPTERS"));
    EXPECT_FALSE(LIGHT_AIRCRAFT.value.load() || HIGH_PERF_AIRCRAFT.value.load());
    EXPECT_EQ(stored("LIGHT_AIRCRAFT"), "false");
    EXPECT_EQ(stored("HIGH_PERF_AIRCRAFT"), "false");
    EXPECT_EQ(stored("HELICOPTERS"), "false");

    // 21 light models: one line of 20 and one of the 21st; one pax livery is "liverie".
    for (int i = 1; i <= 21; ++i)
        scannedLiveries.push_back({"PVT", fmt::format("L{:03}", i), fmt::format("Light {}", i), ""});
    scannedLiveries.push_back({"PVT", "EC35", "One helicopter", ""});
    processScannedLiveries();
    EXPECT_TRUE(log.hasLine("Category Light: 21 pax liveries"));
    EXPECT_TRUE(log.hasLine("  L001,L002,L003,L004,L005,L006,L007,L008,L009,L010,L011,L012,L013,L014,L015,L016,"
                            "L017,L018,L019,L020"));
    EXPECT_TRUE(log.hasLine("  L021"));
    EXPECT_TRUE(log.hasLine("Category Rotorcraft: 1 pax liverie"));
    EXPECT_EQ(categoryModels[0].size(), 21u) << "the lists are emptied before each build";
}

TEST_F(IndexBuild, DontUseTitlesComeFromBothKindsOfFile)
{
    world.aig = {{"Unwanted livery one", {}}, {"Wanted livery", {"PH-AAA"}}, {"Unwanted livery one", {}}};
    world.myRegcodes = {{"a.txt",
                         {"Unwanted livery two", "Short", "First on a line;PH-XYZ", "First on a line",
                          "Alone first then coded", "Alone first then coded;PH-ABC"}},
                        {"b.txt", {"Unwanted livery two"}}};
    refgen::writeProgramFiles(world, L".");
    readDontUseTitlesXml();
    readDontUseTitlesTxt();
    EXPECT_THAT(dontUseTitles, ::testing::UnorderedElementsAre("Unwanted livery one", "Unwanted livery two",
                                                              "Unwanted livery two", "Alone first then coded"));
    EXPECT_EQ(dontUseTitles.front(), "Unwanted livery one");
    for (const char* line : {"===> don't use title \"Unwanted livery one\" not unique in file input\\AIG-regcodes.xml",
                             "1 don't use title read from files in input\\AIG-regcodes.xml",
                             "===> don't use title \"First on a line\" not unique in file input\\my_regcodes\\a.txt",
                             "===> title \"Alone first then coded\" not unique in file input\\my_regcodes\\a.txt",
                             "3 don't use titles read from files in input\\my_regcodes"})
        EXPECT_TRUE(log.hasLine(line)) << line;
    dontUseTitles.clear();
}
