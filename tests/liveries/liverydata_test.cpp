// output\LiveriesScanned.xml and the order of the livery list.
#include "liveries_fixture.h"

#include "foundation/exceptions.h"
#include "liveries/liverydata.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <random>

namespace fs = std::filesystem;

namespace {
class LiveryFile : public LiveriesTest {
protected:
    LiveryFile() { fs::create_directory(L"output"); }

    static std::string readError()
    {
        return gf_testErrorText<zeb::UserErrorException>([] { lf_readLiveriesScanned(); });
    }
};

std::vector<LiveryData> lf_listed()
{
    return {scannedLiveries.begin(), scannedLiveries.end()};
}
} // namespace

TEST_F(LiveryFile, WrittenAndReadBackAsTheyWere)
{
    const std::string title = world.liveries[10].title; // non-ASCII bytes
    scannedLiveries.assign({{"FDX", "MD11", "MD-11 FedEx", "N123FE", 3, true},
                            {"KLM", "B738", title, "", 1, false},
                            {"PVT", "C172", "Cessna \"172\" <&>", "N172SP", 2, false}});
    lf_writeLiveriesScanned();
    EXPECT_TRUE(log.hasLine("3 liveries in output\\LiveriesScanned.xml"));
    const std::string text = gf_testReadFile(liveriesScannedPath);
    EXPECT_THAT(text, ::testing::HasSubstr("<liv airl=\"FDX\" type=\"MD11\" cargo=\"true\" title=\"MD-11 FedEx\" "
                                           "atcid=\"N123FE\" />"));
    EXPECT_THAT(text, ::testing::HasSubstr("<liv airl=\"KLM\" type=\"B738\" title=\"" + title + "\" atcid=\"\" />"));
    EXPECT_THAT(text, ::testing::StartsWith("<?xml version=\"1.0\"?>\n<meta>"));

    const std::vector<LiveryData> written = lf_listed();
    lf_readLiveriesScanned();
    EXPECT_TRUE(std::ranges::equal(lf_listed(), written, lf_liveryEquals));
    EXPECT_TRUE(std::ranges::all_of(scannedLiveries, [](const LiveryData& l) { return l.priority == 0; }));
    EXPECT_TRUE(log.hasLine("No scan done, 3 liveries read from output\\LiveriesScanned.xml"));

    // An empty list leaves the file alone and logs nothing.
    const std::string before = log.text();
    scannedLiveries.clear();
    lf_writeLiveriesScanned();
    EXPECT_EQ(gf_testReadFile(liveriesScannedPath), text);
    EXPECT_EQ(log.text(), before);
}

TEST_F(LiveryFile, CargoFlagsOfOtherSpellingsAreRead)
{
    gf_testWriteFile(liveriesScannedPath, R"(<liveries>
<liv airl="A" type="T" title="1" atcid="" cargo="1" /><liv airl="A" type="T" title="2" cargo="yes" />
<liv airl="A" type="T" title="3" cargo="True" /><liv airl="A" type="T" title="4" cargo="false" />
<liv airl="A" type="T" title="5" cargo="0" /><liv airl="A" type="T" title="6" cargo="" /><other title="7" />
<liv /></liveries>)");
    lf_readLiveriesScanned();
    std::string flags;
    for (const LiveryData& livery : scannedLiveries)
        flags += livery.cargo ? 'c' : 'p';
    EXPECT_EQ(flags, "cccpppp");
    EXPECT_TRUE(scannedLiveries.back().title.empty() && scannedLiveries.back().airl.empty());
    EXPECT_TRUE(log.hasLine("===> meta data incorrect?")) << "used all the same";
}

TEST_F(LiveryFile, UnusableFilesStopWithTheirCodes)
{
    EXPECT_EQ(readError(), "51: File output\\LiveriesScanned.xml not found");
    refgen::writeLiveriesScanned(world.liveries, liveriesScannedPath, refgen::Fault::notXml);
    EXPECT_EQ(readError(), "51: File output\\LiveriesScanned.xml not found");
    EXPECT_TRUE(scannedLiveries.empty());
    refgen::writeLiveriesScanned(world.liveries, liveriesScannedPath, refgen::Fault::missingSection);
    EXPECT_EQ(readError(), "52: output\\LiveriesScanned.xml does not contain a <liveries> section");
    refgen::writeLiveriesScanned(world.liveries, liveriesScannedPath, refgen::Fault::emptySection);
    EXPECT_EQ(readError(), "53: output\\LiveriesScanned.xml does not contain liveries");
}

TEST(LiveryOrder, SortingKeepsEqualRecordsTogetherSoOnlyExactDuplicatesGo)
{
    std::vector<LiveryData> liveries = {
        {"KLM", "B738", "b", "", 1, false},      {"KLM", "B738", "a", "", 2, false},
        {"KLM", "B738", "a", "", 5, false},      {"KLM", "B738", "a", "", 1, true},
        {"KLM", "B738", "a", "PH-BXA", 1, false}, {"", "B738", "x", "", 1, false},
        {"KLM", "B73", "z", "", 1, false},       {"KLM", "B738", "a", "PH-BXA", 9, false}};
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::ranges::shuffle(liveries, random);
        std::list<LiveryData> list(liveries.begin(), liveries.end());
        list.sort(lf_lessByNames);
        list.unique(lf_liveryEquals);
        std::vector<std::string> order;
        for (const LiveryData& l : list)
            order.push_back(l.airl + "/" + l.type + "/" + l.atcid + "/" + l.title + (l.cargo ? "/c" : ""));
        ASSERT_THAT(order, ::testing::ElementsAre("/B738//x", "KLM/B73//z", "KLM/B738//a", "KLM/B738//a/c",
                                                  "KLM/B738//b", "KLM/B738/PH-BXA/a"));
    }
    EXPECT_FALSE(lf_lessByNames(liveries[0], liveries[0]));
    EXPECT_TRUE(lf_liveryEquals({"A", "T", "t", "r", 1, false}, {"A", "T", "t", "r", 7, false}));
    EXPECT_FALSE(lf_liveryEquals({"A", "T", "t", "r", 1, false}, {"A", "T", "t", "r", 1, true}));
}
