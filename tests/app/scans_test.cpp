// The start-up's livery and add-on airport scans, and the folder helpers they use.
#include "control_fixture.h"

#include "airports/scenerylists.h"
#include "app/detection.h"
#include "app/scans.h"
#include "foundation/settingscatalogue.h"
#include "bglwriter/scenerytree.h"
#include "foundation/winstring.h"
#include "liveries/liverydata.h"
#include "refgen/packagetree.h"
#include "support/tempfolder.h"

#include <fmt/format.h>
#include <windows.h>

#include <algorithm>
#include <thread>

namespace fs = std::filesystem;

namespace {
class Scans : public ProgramFolderTest {
protected:
    Scans()
    {
        for (const wchar_t* folder : {L"input", L"output\\info", L"output\\errors"})
            fs::create_directories(folder);
        refgen::writeReferenceFiles(refgen::baseWorld(), L"input");
        gf_readAircraftData();
        gf_readFixes();
        SIM_INSTALL_PATH.assignValue("C:\\Prepar3D v5");
    }
    ~Scans() override { SIM_INSTALL_PATH.assignValue(""); }

    // A folder of liveries with one aircraft.cfg of one livery.
    std::string liveryFolder(const wchar_t* name, const std::string& title)
    {
        refgen::writeConfigFile(liveries / name / L"B738", "B738", {{title, "KLM", "GATE"}});
        return gf_pathText(liveries / name);
    }

    TempFolder liveries;
};

const std::string liveriesEnd = "-------------------------- liveries scan ends   --------------------------------";
} // namespace

TEST_F(Scans, ManualLiveryScanWithoutFoldersStopsBeforeScanning)
{
    LIG_AUTOMATIC.value = false;
    refgen::writeLiveriesScanned(refgen::baseWorld().liveries, liveriesScannedPath);
    EXPECT_EQ(gf_testUserError([] { gf_scanLiveriesAtStart(true); }),
              "48: Set lfolder parameter(-s) to your liveries first, see Manual 5.1 (or check Liveries automatic)");
    EXPECT_TRUE(fs::exists(liveriesScannedPath)) << "no scan removed the earlier result";
    EXPECT_TRUE(logHasLine("++++++++++++++++++++++++ liveries scan manual starts ++++++++++++++++++++++++++++++++"));
}

TEST_F(Scans, ManualLiveryScanTakesTheSetFoldersInOrderAndIsNotRepeated)
{
    LIG_AUTOMATIC.value = false;
    LIG_PRIORITIZE.value = true;
    SCAN_LIVERIES.value = true;
    lfolder4.assignValue(liveryFolder(L"second", "KLM second"));
    lfolder1.assignValue(liveryFolder(L"first", "KLM first"));
    // The old result, under a second name too: written beside it and moved over it, the new
    // one leaves the old one's contents to that name.
    gf_testWriteFile(liveriesScannedPath, "old");
    fs::create_hard_link(liveriesScannedPath, L"kept.xml");
    gf_scanLiveriesAtStart(true);
    EXPECT_EQ(gf_testReadFile(L"kept.xml"), "old");
    EXPECT_NE(gf_testReadFile(liveriesScannedPath).find("KLM first"), std::string::npos);
    const std::string text = log.text();
    EXPECT_LT(text.find("1 liverie found in " + lfolder1.getValue()), text.find("1 liverie found in " + lfolder4.getValue()));
    EXPECT_TRUE(logged("1 liverie skipped on priority")) << "prioritized";
    EXPECT_EQ(statusText(), "");
    EXPECT_FALSE(logHasLine("Scanning prioritized for liveries ..."));
    EXPECT_FALSE(SCAN_LIVERIES.value.load());
    EXPECT_EQ(stored("SCAN_LIVERIES"), "false");
    EXPECT_TRUE(logHasLine(liveriesEnd));
}

// An old result that another program holds open and does not let go of: the liveries scanned
// serve this run, and the next start scans again.
TEST_F(Scans, AScanWhoseResultCannotReplaceTheOldOneStaysOnAndSaysSo)
{
    LIG_AUTOMATIC.value = false;
    SCAN_LIVERIES.value = true;
    lfolder1.assignValue(liveryFolder(L"first", "KLM first"));
    gf_testWriteFile(liveriesScannedPath, "old");
    HANDLE held = CreateFileW(liveriesScannedPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    gf_scanLiveriesAtStart(true);
    CloseHandle(held);
    EXPECT_EQ(gf_testReadFile(liveriesScannedPath), "old");
    EXPECT_FALSE(fs::exists(L"output\\LiveriesScanned.xml.part"));
    EXPECT_TRUE(SCAN_LIVERIES.value.load());
    EXPECT_EQ(stored("SCAN_LIVERIES"), "true");
    EXPECT_EQ(statusText().rfind("Liveries scanned, but output\\LiveriesScanned.xml not saved (", 0), 0u)
        << statusText();

    // Let go of while the refused move waits: tried again, it puts the result in place.
    held = CreateFileW(liveriesScannedPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::size_t before = log.text().size();
    std::thread letGo([&] {
        gf_waitFor([&] { return log.text().find("cannot be replaced now", before) != std::string::npos; });
        CloseHandle(held);
    });
    gf_scanLiveriesAtStart(true);
    letGo.join();
    EXPECT_NE(gf_testReadFile(liveriesScannedPath).find("KLM first"), std::string::npos);
}

TEST_F(Scans, WithoutScanOnlyTheEarlierResultIsReadBetweenThePlainFrame)
{
    LIG_AUTOMATIC.value = false; // no folders needed to read the result
    refgen::writeLiveriesScanned(refgen::baseWorld().liveries, liveriesScannedPath);
    gf_scanLiveriesAtStart(false);
    EXPECT_TRUE(logged(fmt::format("No scan done, {} liveries read from output\\LiveriesScanned.xml",
                                   refgen::baseWorld().liveries.size())));
    EXPECT_TRUE(logHasLine("++++++++++++++++++++++++ liveries scan starts ++++++++++++++++++++++++++++++++"));
    EXPECT_TRUE(logHasLine(liveriesEnd));
    EXPECT_EQ(statusText(), "");
    EXPECT_NE(stored("SCAN_LIVERIES"), "false") << "the next start reads it again";
}

TEST_F(Scans, AnAutomaticScanThatFindsNothingFailsAndStaysOn)
{
    LIG_AUTOMATIC.value = true;
    SCAN_LIVERIES.value = true;
    EXPECT_EQ(gf_testUserError([] { gf_scanLiveriesAtStart(true); }), "53: no liveries found");
    EXPECT_TRUE(SCAN_LIVERIES.value.load());
    EXPECT_TRUE(logged("0 AI add-on packages found")) << "the packages were looked for";
}

TEST_F(Scans, ASuccessfulAirportScanReplacesTheGeneratedFilesAndIsNotRepeated)
{
    AFG_AUTOMATIC.value = false;
    SCAN_AIRPORTS.value = true;
    fs::create_directories(fs::path(L"airports") / L"my_ORBX");
    gf_testWriteFile(fs::path(L"airports") / L"my_ORBX" / L"EGLL.xml", "old");
    fs::create_directories(fs::path(L"Sceneries") / L"Schiphol");
    bglw::gf_writeBgl(bglw::File{.sections = {bglw::Section{.records = {bglw::gf_sampleAirport(
                                     "EHAM", "Amsterdam", 52.3, 4.76, 4, 1)}}}},
                      fs::path(L"Sceneries") / L"Schiphol" / L"AF2_EHAM.bgl");
    afolder3.assignValue(gf_pathText(fs::absolute(L"Sceneries")));
    gf_scanAirportsAtStart();
    EXPECT_FALSE(fs::exists(fs::path(L"airports") / L"my_ORBX" / L"EGLL.xml"));
    EXPECT_TRUE(fs::exists(fs::path(L"airports") / L"my_thirdparty" / L"EHAM.xml")) << "made when missing";
    EXPECT_FALSE(SCAN_AIRPORTS.value.load());
    EXPECT_EQ(stored("SCAN_AIRPORTS"), "false");
    EXPECT_TRUE(logHasLine("++++++++++++++++++++++++ airports scan manual starts +++++++++++++++++++++++++++++"));
    EXPECT_TRUE(logHasLine("Airports scan successful"));
    EXPECT_TRUE(logHasLine("-------------------------- airports scan ends    ----------------------------"));
}

TEST_F(Scans, AnAirportScanThatFindsNothingWarnsAndScansAgainNextTime)
{
    AFG_AUTOMATIC.value = true;
    SCAN_AIRPORTS.value = true;
    SIM_INSTALL_PATH.assignValue("C:\\Prepar3D v5");
    programDataRedirect = fs::absolute(L"ProgramData"); // without scenery.cfg and scenery_add-ons.xml
    fs::create_directory(L"airports");
    gf_scanAirportsAtStart();
    programDataRedirect.clear();
    EXPECT_EQ(statusText(), "Warning: Scan has not found any add-on airports");
    EXPECT_TRUE(logHasLine("Warning: Scan has not found any add-on airports"));
    EXPECT_TRUE(logged("scenery.cfg not found!"));
    EXPECT_TRUE(SCAN_AIRPORTS.value.load());
}

TEST_F(Scans, AManualAirportScanNeedsAddOnFoldersOutsideTheStockAirports)
{
    AFG_AUTOMATIC.value = false;
    fs::create_directory(L"airports");
    EXPECT_EQ(gf_testUserError(gf_scanAirportsAtStart),
              "49: Set afolder parameter(-s) to your add-on airports first, see Manual 6.1");
    SIM_INSTALL_PATH.assignValue("C:\\Prepar3D v6");
    lf_checkStockAirportsPath();
    afolder1.assignValue("C:\\Prepar3D v6\\Scenery\\World");
    EXPECT_EQ(gf_testUserError(gf_scanAirportsAtStart),
              "42: parameter afolder1 points to stock airports instead of add-on airports!");
    afolder1.assignValue("E:\\Orbx");
    gf_scanAirportsAtStart();
    EXPECT_TRUE(logHasLine("E:\\Orbx does not exist, skipped!"));
    EXPECT_TRUE(logHasLine("++++++++++++++++++++++++ airports scan manual starts +++++++++++++++++++++++++++++"));
}

TEST_F(Scans, AGeneratedFolderThatCannotBeEmptiedStopsTheStartUp)
{
    AFG_AUTOMATIC.value = true;
    const fs::path orbx = fs::path(L"airports") / L"my_ORBX";
    fs::create_directories(orbx / L"sub");
    gf_testWriteFile(orbx / L"sub" / L"kept.xml", "x");
    const std::string error = gf_testUserError(gf_scanAirportsAtStart);
    EXPECT_EQ(error.rfind("5: ", 0), 0u) << error;
    EXPECT_EQ(gf_testCountOf(log.text(), "for airport add-ons"), 0) << "no scan";
}

TEST_F(Scans, RemovingOldFilesOfAMissingFolderDoesNothing)
{
    EXPECT_NO_THROW(lf_removeOldFiles(L"no such folder"));
    gf_testWriteFile(L"a file", "x");
    EXPECT_NO_THROW(lf_removeOldFiles(L"a file"));
    EXPECT_TRUE(fs::exists(L"a file"));
}

TEST_F(Scans, TheXmlListingTakesRegularFilesWithAnXmlExtensionInAnyCase)
{
    TempFolder folder;
    gf_testWriteFile(folder / L"a.xml", "");
    gf_testWriteFile(folder / L"B.XmL", "");
    gf_testWriteFile(folder / L"c.txt", "");
    gf_testWriteFile(folder / L"xml", "");
    fs::create_directory(folder / L"d.xml");
    std::vector<std::string> names{"left over"};
    gf_scanXmlFolder(names, folder.path());
    std::ranges::sort(names);
    EXPECT_EQ(names, (std::vector<std::string>{"B.XmL", "a.xml"}));
    EXPECT_THROW(gf_scanXmlFolder(names, folder / L"missing"), fs::filesystem_error);
}
