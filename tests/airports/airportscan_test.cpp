// The add-on airport scan end to end on writer-made sceneries in a temp working folder.
#include "airports/airportfiles.h"
#include "airports/airports.h"
#include "airports/scenerylists.h"
#include "app/detection.h"
#include "app/programcontrol.h"
#include "bgltestfiles.h"
#include "bglwriter/scenerytree.h"
#include "foundation/logcapture.h"
#include "foundation/scanthrottle.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

namespace fs = std::filesystem;

namespace {
const fs::path scanLog = fs::path(L"output") / L"info" / L"AirportsScanLog.txt";
const fs::path offline{L"TO_BE_LEARNED_OFFLINE"};

class AirportScan : public ::testing::Test {
protected:
    AirportScan()
    {
        fs::create_directories(fs::path(L"output") / L"info");
        fs::create_directories(apfFolders::myOrbx);
        fs::create_directories(apfFolders::myThirdparty);
        root = fs::current_path();
        fs::create_directories(root / L"Prepar3D v5" / L"Scenery" / L"World" / L"scenery");
        SIM_INSTALL_PATH.assignValue(gf_pathText(root / L"Prepar3D v5"));
        lf_checkStockAirportsPath();
        programDataRedirect = root / L"ProgramData";
        fs::create_directories(gf_simulatorDataFolder());
        gf_initScanThrottle();
    }
    ~AirportScan() override
    {
        programDataRedirect.clear();
        SIM_INSTALL_PATH.assignValue("");
        stockAirportsPath.clear();
        exitFlag = false;
    }

    // A scenery file of one airport with `stands` stands under the folder, and `filler`
    // words of other records after it.
    void scenery(const fs::path& file, const std::string& code, int stands = 3, int helipads = 0,
                 std::size_t filler = 0) const
    {
        fs::create_directories((root / file).parent_path());
        bglw::File bgl = gf_testBglFile({bglw::gf_sampleAirport(code, code, 51.0, 4.0, stands, helipads)});
        if (filler > 0)
            bgl.sections[0].records.emplace_back(
                std::in_place_type<bglw::Raw>,
                bglw::Raw{.id = 0x00FE, .size = static_cast<std::int32_t>(filler * 4 + 8),
                          .body = std::vector<std::uint32_t>(filler, 7)});
        bglw::gf_writeBgl(bgl, root / file);
    }

    static void stock(const std::string& code, const std::string& parameters)
    {
        fs::create_directories(apfFolders::archiveStock);
        gf_testWriteFile(apfFolders::archiveStock / (code + ".xml"),
                         "<?xml version=\"1.0\"?>\n<parameters>" + parameters + "</parameters>\n<parkpositions />\n");
    }

    std::string scanLogText() const { return gf_testReadFile(scanLog); }

    LogCapture log;
    fs::path root;
};
} // namespace

TEST_F(AirportScan, TheSimulatorsListsNameTheSceneriesAndEachAirportGetsItsFile)
{
    scenery(L"Prepar3D v5/Addon Scenery/MyAirport/scenery/AF2_EHAM.bgl", "EHAM", 3, 1);
    scenery(L"Prepar3D v5/Addon Scenery/MyAirport/scenery/EHAM_statics.bgl", "EHAX");
    scenery(L"Prepar3D v5/Addon Scenery/MyAirport/statics/x.bgl", "EHAY");
    scenery(L"Prepar3D v5/Addon Scenery/MyAirport/scenery/XYZ_heliports.bgl", "EHHH");
    scenery(L"Prepar3D v5/Addon Scenery/MyAirport/scenery/APT.Bgl", "EHBB");
    scenery(L"Prepar3D v5/Addon Scenery/MyAirport/more/APT.BGL", "EHCC");
    scenery(L"Prepar3D v5/Addon Scenery/Inactive/scenery/a.bgl", "EHIN");
    scenery(L"Prepar3D v5/Scenery/World/scenery/stock.bgl", "EHST");
    scenery(L"Orbx/EGLL/scenery/ADE_EGLL.bgl", "EGLL", 42);
    scenery(L"Other/EHDD/a.bgl", "EHDD", 2);
    fs::create_directories(apfFolders::archive / L"ORBX");
    gf_testWriteFile(apfFolders::archive / L"ORBX" / L"EGLL.xml",
                     "<?xml version=\"1.0\"?>\n<parameters><parameter name=\"num_parkpos\" value=\"40\" /></parameters>\n");
    stock("EGLL", "<parameter name=\"Qf_real\" value=\"50\" />");
    stock("EHAM", "<parameter name=\"Qf_soft\" value=\"0\" />");
    stock("EHCC", "<parameter name=\"Qf_real\" value=\"-1\" />");

    const std::string cfg = "[General]\r\nTitle=Scenery\r\n"
                            "[Area.001]\r\nTitle=My Area\r\nLocal=Addon Scenery\\MyAirport\r\nActive=TRUE\r\n"
                            "[Area.002]\r\nLocal=Addon Scenery\\Inactive\r\nActive=FALSE\r\n"
                            "[Area.003]\r\nLocal=Scenery\\World\r\nActive=TRUE\r\n"
                            "[Area.004]\r\nLocal=" + gf_pathText(root / L"Orbx") + "\r\nActive=TRUE\r\n"
                            "[Area.005]\r\nLocal=" + gf_pathText(root / L"Missing") + "\r\nActive=TRUE\r\n";
    std::wstring wide = L"\xFEFF" + gf_utf8ToUtf16(cfg);
    gf_testWriteFile(gf_simulatorDataFolder() / L"scenery.cfg",
                     std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));
    gf_testWriteFile(gf_simulatorDataFolder() / L"scenery_add-ons.xml",
                     "<Root>\n  <Path>" + gf_pathText(root / L"Other") + "</Path>\n</Root>\n");
    SIM_INSTALL_PATH.assignValue(gf_pathText(root / L"Prepar3D v5"));

    ASSERT_TRUE(gf_scanAirports(true, {}));
    for (const wchar_t* file : {L"my_thirdparty/EHCC.xml", L"my_thirdparty/EHDD.xml", L"my_ORBX/EGLL.txt"})
        EXPECT_TRUE(fs::exists(apfFolders::airports / file)) << gf_pathText(file);
    for (const char* code : {"EHAX", "EHAY", "EHHH", "EHBB", "EHIN", "EHST"})
        EXPECT_FALSE(fs::exists(apfFolders::myThirdparty / (std::string(code) + ".xml"))) << code;
    EXPECT_EQ(airportFileCount.load(), 5) << "EHAM, EHCC, EHDD, the EGLL link and the EGLL file";

    const std::string report = scanLogText();
    for (const std::string& line :
         {"Scanning for addon airports in " + gf_pathText(root / L"Prepar3D v5" / L"Addon Scenery" / L"MyAirport"),
          std::string("Generated EHAM.xml: 4 positions, of which 1 helipad"),
          std::string("ORBX airport EGLL linked to airports\\archive\\ORBX\\EGLL.xml"),
          std::string("===> EGLL has 42 parkpos while archived one has 40")})
        EXPECT_TRUE(gf_testHasLine(report, line)) << line << "\n" << report;
    EXPECT_TRUE(log.hasLine(gf_pathText(root / L"Missing") + " does not exist, skipped!"));
    EXPECT_TRUE(log.hasLine("output\\info\\AirportsScanLog.txt written"));
    EXPECT_TRUE(log.hasLine("Airports scan successful"));

    // Off-line learning: airports whose stock file carries a quality factor.
    EXPECT_TRUE(fs::exists(offline / L"EGLL.xml"));
    EXPECT_FALSE(fs::exists(apfFolders::myOrbx / L"EGLL.xml")) << "the linked airport keeps its link only";
    EXPECT_TRUE(fs::exists(offline / L"EHAM.xml"));
    EXPECT_TRUE(fs::exists(apfFolders::myThirdparty / L"EHAM.xml"));
    EXPECT_FALSE(fs::exists(offline / L"EHCC.xml")) << "Qf_real -1 is no quality factor";
    EXPECT_EQ(tbloAirportCount.load(), 2);
    EXPECT_TRUE(log.hasLine("EHAM copied to TO_BE_LEARNED_OFFLINE\\EHAM.xml"));

    // A rescan that finds nothing reports nothing found, and leaves no off-line folder.
    scenery(L"Empty/a.bgl", "EHEE", 0);
    fs::remove_all(apfFolders::myOrbx);
    fs::remove_all(apfFolders::myThirdparty);
    EXPECT_FALSE(gf_scanAirports(false, {gf_pathText(root / L"Empty")}));
    EXPECT_FALSE(fs::exists(offline));
    EXPECT_EQ(tbloAirportCount.load(), 0);
}

TEST_F(AirportScan, AfolderPathsAreScannedWithAtMostTheLimitOfTasks)
{
    for (int i = 0; i < 24; ++i)
        scenery(fs::path(L"Many") / ("f" + std::to_string(i) + ".bgl"), "ZA" + std::string(1, 'A' + i / 10) +
                                                                             std::string(1, 'A' + i % 10));
    scenery(L"Many/terrain.bgl", "ZZZZ");
    scenery(L"Lone.bgl", "EHLO");
    scanTaskLimit = 2;
    std::atomic<bool> scanning{true};
    std::atomic<std::int32_t> most{0};
    std::thread watcher([&] {
        while (scanning)
            most = std::max(most.load(), runningScanTasks.load());
    });
    const bool found =
        gf_scanAirports(false, {"", "D:\\\xFF", gf_pathText(root / L"Many"), gf_pathText(root / L"Lone.bgl")});
    scanning = false;
    watcher.join();
    EXPECT_TRUE(found);
    EXPECT_LE(most.load(), 2);
    EXPECT_EQ(runningScanTasks.load(), 0);
    EXPECT_EQ(airportFileCount.load(), 25);
    EXPECT_TRUE(log.hasLine(gf_pathText(root / L"Lone.bgl") + " is not a folder name, skipped!"));
    EXPECT_TRUE(log.hasLine("===> D:\\\\xFF is no path text, skipped!"));
}

TEST_F(AirportScan, AWalkThatFailsEndsTheFolderAfterItsStartedTasksHaveEnded)
{
    // An airport whose task walks a megabyte after it, then a folder that is listed but
    // cannot be opened (Windows drops the trailing dot of a path).
    scenery(L"Broken/a.bgl", "EHAA", 3, 0, 256 * 1024);
    const std::wstring unlisted = L"\\\\?\\" + (root / L"Broken" / L"b.").wstring();
    ASSERT_TRUE(CreateDirectoryW(unlisted.c_str(), nullptr));
    scanTaskLimit = 1;
    const bool found = gf_scanAirports(false, {gf_pathText(root / L"Broken")});
    RemoveDirectoryW(unlisted.c_str());
    EXPECT_TRUE(found);
    EXPECT_EQ(runningScanTasks.load(), 0);
    EXPECT_TRUE(fs::exists(apfFolders::myThirdparty / L"EHAA.xml"));
    const std::string report = scanLogText();
    EXPECT_NE(report.find(errorMarker + " airports search in folder " + gf_pathText(root / L"Broken") +
                          " aborted because of iterator problem: "),
              std::string::npos)
        << report;
    EXPECT_TRUE(gf_testHasLine(report, "Generated EHAA.xml: 3 positions")) << report;
}

TEST_F(AirportScan, AFileThatEndsAtAPageBoundaryIsReadUpToItsLastByte)
{
    // The file is mapped: the page after its last byte cannot be read.
    const std::vector<std::uint8_t> bytes = gf_testListAtPageEnd("EHPE");
    ASSERT_EQ(bytes.size() % 4096, 0u);
    fs::create_directories(root / L"PageEnd");
    gf_testWriteFile(root / L"PageEnd" / L"EHPE.bgl", std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(gf_scanAirports(false, {gf_pathText(root / L"PageEnd")}));
    EXPECT_EQ(runningScanTasks.load(), 0);
    const std::string report = scanLogText();
    EXPECT_TRUE(gf_testHasLine(report, errorMarker + gf_pathText(root / L"PageEnd" / L"EHPE.bgl") +
                                           ": airport EHPE: parking list without its count, no stands read"))
        << report;
    EXPECT_TRUE(gf_testHasLine(report, "Generated EHPE.xml: 1 position, of which 1 helipad")) << report;
}

TEST_F(AirportScan, AnExitStopsTheWalkAndTheScanEndsWithoutReport)
{
    // Each task walks a megabyte after its airport, so the exit comes while the walk goes on.
    for (int i = 0; i < 60; ++i)
        scenery(fs::path(L"Many") / ("f" + std::to_string(i) + ".bgl"),
                "ZB" + std::string(1, 'A' + i / 10) + std::string(1, 'A' + i % 10), 3, 0, 256 * 1024);
    gf_testWriteFile(scanLog, "earlier scan");
    exitFlag = true;
    EXPECT_FALSE(gf_scanAirports(false, {gf_pathText(root / L"Many")}));
    EXPECT_TRUE(fs::is_empty(apfFolders::myThirdparty)) << "no task started";
    EXPECT_FALSE(fs::exists(scanLog));

    exitFlag = false;
    scanTaskLimit = 1;
    std::thread exiter([] {
        while (!exitFlag && fs::is_empty(apfFolders::myThirdparty))
            std::this_thread::yield();
        exitFlag = true;
    });
    EXPECT_FALSE(gf_scanAirports(false, {gf_pathText(root / L"Many")}));
    exitFlag = true;
    exiter.join();
    EXPECT_EQ(runningScanTasks.load(), 0) << "every started task has ended";
    EXPECT_FALSE(fs::exists(scanLog));
    EXPECT_FALSE(fs::exists(offline));
}
