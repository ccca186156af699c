// Links to archived parking files and generated parking files, in a temp working folder.
#include "airports/airportfiles.h"
#include "bgltestfiles.h"
#include "bglwriter/scenerytree.h"
#include "foundation/logcapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace fs = std::filesystem;

namespace {
class AirportFiles : public ::testing::Test {
protected:
    AirportFiles()
    {
        fs::create_directories(apfFolders::myOrbx);
        fs::create_directories(apfFolders::myThirdparty);
        airportFileCount = 0;
        gf_takeAirportsLogLines();
    }

    // The airport of a scenery file at `path` with `stands` stands and `helipads` helipads.
    static BglAirport airport(const std::string& code, int stands, int helipads, const std::string& path)
    {
        bglw::Airport written = bglw::gf_sampleAirport(code, code + " airport", 50.0, 5.0, stands, helipads);
        const BglRead read = gf_testReadBgl(gf_testBglFile({written}));
        BglAirport got = read.airports.at(0);
        got.file.BGLpath = path;
        return got;
    }

    static void archive(const fs::path& folder, const std::string& code, int stands)
    {
        fs::create_directories(folder);
        BglAirport archived = airport(code, stands, 0, "archived");
        ASSERT_TRUE(gf_writeParkPositions(archived.file, folder / (code + ".xml"), false));
    }

    static std::vector<std::string> lines() { return gf_takeAirportsLogLines(); }
    static bool has(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::ranges::find(lines, line) != lines.end();
    }

    LogCapture log;
};
} // namespace

TEST_F(AirportFiles, AnUnknownPublisherGetsAGeneratedFileWithoutFolderLines)
{
    BglAirport eham = airport("EHAM", 1, 0, "D:\\Addons\\EHAM\\scenery\\AF2_EHAM.bgl");
    gf_linkOrWriteAirport(eham);
    EXPECT_EQ(eham.file.publisher, "unknown");
    EXPECT_TRUE(fs::exists(apfFolders::myThirdparty / L"EHAM.xml"));
    EXPECT_EQ(lines(), (std::vector<std::string>{"===> EHAM has 1 parkpos while archived one has 0",
                                                 "Generated EHAM.xml: 1 position"}));
    EXPECT_EQ(airportFileCount.load(), 1);

    const std::tuple<int, int, std::string> counts[] = {{3, 2, "Generated EHRD.xml: 5 positions, of which 2 helipads"},
                                                        {2, 1, "Generated EHRD.xml: 3 positions, of which 1 helipad"},
                                                        {0, 1, "Generated EHRD.xml: 1 position, of which 1 helipad"}};
    for (const auto& [stands, helipads, line] : counts) {
        BglAirport ehrd = airport("EHRD", stands, helipads, "D:\\x.bgl");
        gf_linkOrWriteAirport(ehrd);
        EXPECT_TRUE(has(lines(), line)) << line;
    }
    // The stands are written by id (the helipads were read first), with the scenery's path.
    BglAirport sorted = airport("EHRD", 3, 2, "D:\\x.bgl");
    gf_linkOrWriteAirport(sorted);
    const std::string text = gf_testReadFile(apfFolders::myThirdparty / L"EHRD.xml");
    EXPECT_LT(text.find("id=\"g3\""), text.find("id=\"helipad1\"")) << text;
    EXPECT_NE(text.find("name=\"BGLpath\" value=\"D:\\x.bgl\""), std::string::npos) << text;
    BglAirport empty = airport("EHXX", 0, 0, "D:\\x.bgl");
    gf_linkOrWriteAirport(empty);
    EXPECT_FALSE(fs::exists(apfFolders::myThirdparty / L"EHXX.xml"));
}

TEST_F(AirportFiles, AnOrbxAirportIsLinkedAndGeneratedOnlyWhenTheSceneryHasMoreStands)
{
    BglAirport missing = airport("EGKK", 38, 0, "E:\\Orbx\\EGKK\\a.bgl");
    gf_linkOrWriteAirport(missing);
    std::vector<std::string> got = lines();
    EXPECT_TRUE(has(got, "from filename => publisher  ORBX")) << "any letter case";
    EXPECT_TRUE(has(got, "\nairports\\archive\\ORBX folder does not exist\n"));
    EXPECT_TRUE(fs::exists(apfFolders::myOrbx / L"EGKK.xml"));

    archive(apfFolders::archive / L"ORBX", "EGKK", 40);
    fs::remove(apfFolders::myOrbx / L"EGKK.xml");
    BglAirport fewer = airport("EGKK", 38, 0, "E:\\ORBX\\EGKK\\a.bgl");
    gf_linkOrWriteAirport(fewer);
    got = lines();
    EXPECT_TRUE(has(got, "ORBX airport EGKK linked to airports\\archive\\ORBX\\EGKK.xml"));
    EXPECT_EQ(gf_testReadFile(apfFolders::myOrbx / L"EGKK.txt"), "airports\\archive\\ORBX\\EGKK.xml\r\n");
    EXPECT_FALSE(fs::exists(apfFolders::myOrbx / L"EGKK.xml"));

    BglAirport more = airport("EGKK", 42, 0, "E:\\ORBX\\EGKK\\a.bgl");
    gf_linkOrWriteAirport(more);
    EXPECT_TRUE(has(lines(), "===> EGKK has 42 parkpos while archived one has 40"));
    EXPECT_TRUE(fs::exists(apfFolders::myOrbx / L"EGKK.xml"));

    archive(apfFolders::archive / L"ORBX", "EGLL", 40);
    fs::create_directory(apfFolders::myOrbx / L"EGLL.txt"); // the link cannot be written
    const std::int32_t before = airportFileCount.load();
    BglAirport unlinked = airport("EGLL", 12, 0, "E:\\ORBX\\EGLL\\a.bgl");
    gf_linkOrWriteAirport(unlinked);
    got = lines();
    EXPECT_TRUE(has(got, "===> Linking airports\\my_ORBX\\EGLL.txt to airports\\archive\\ORBX\\EGLL.xml did not succeed"));
    EXPECT_TRUE(has(got, "===> EGLL has 12 parkpos while archived one has 0"));
    EXPECT_TRUE(fs::exists(apfFolders::myOrbx / L"EGLL.xml")) << "generated instead";
    EXPECT_EQ(airportFileCount.load(), before + 1) << "only the generated file counts";
}

TEST_F(AirportFiles, TwoTasksWithTheSameAirportLeaveOneWholeFile)
{
    std::vector<std::thread> tasks;
    for (int task = 0; task < 2; ++task)
        tasks.emplace_back([task] {
            for (int round = 0; round < 20; ++round) {
                BglAirport same = airport("EHAM", 60 + task, 1, "D:\\x.bgl");
                gf_linkOrWriteAirport(same);
            }
        });
    for (std::thread& task : tasks)
        task.join();
    EXPECT_EQ(airportFileCount.load(), 40);
    const std::int32_t stands = gf_readNumParkPos(apfFolders::myThirdparty / L"EHAM.xml");
    EXPECT_TRUE(stands == 61 || stands == 62) << stands;
}
