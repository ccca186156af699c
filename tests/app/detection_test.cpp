// The simulator's version, install path, stock airports and add-on folders.
#include "control_fixture.h"

#include "app/detection.h"
#include "app/status.h"
#include "foundation/registry.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"
#include "support/registrysandbox.h"

namespace fs = std::filesystem;

namespace {
const std::wstring v5Key = L"SOFTWARE\\Lockheed Martin\\Prepar3D v5";
const std::wstring v6Key = L"SOFTWARE\\Lockheed Martin\\Prepar3D v6";

class Detection : public ProgramFolderTest {
protected:
    void installed(bool v4, bool v5, bool v6)
    {
        p3dv4Installed = v4;
        p3dv5Installed = v5;
        p3dv6Installed = v6;
    }

    RegistrySandbox registry;
};

const std::string askForPath = "151: No P3D install path detected, type full Install Path above, and press Enter";
} // namespace

TEST_F(Detection, OnlyVersionFourIsNotDetectedAndTheUserMustTypeThePath)
{
    installed(true, false, false);
    SIM_INSTALL_PATH.assignValue("stale");
    EXPECT_EQ(gf_testUserError(gf_detectSimulator), askForPath);
    EXPECT_EQ(statusText(), "P3D not detected?");
    EXPECT_TRUE(logHasLine("P3D not detected?"));
    EXPECT_EQ(SIM_INSTALL_PATH.getValue(), "");
    EXPECT_EQ(stored("SIM_INSTALL_PATH"), "");
}

TEST_F(Detection, WithoutASimulatorExplicitFoldersAreEnough)
{
    installed(false, false, false);
    afolder7.assignValue("D:\\Addon Airports");
    EXPECT_EQ(gf_testUserError(gf_detectSimulator), "no error");
    EXPECT_EQ(SIM_INSTALL_PATH.getValue(), "");
    afolder7.assignValue("");
    lfolder0.assignValue("D:\\AI");
    EXPECT_EQ(gf_testUserError(gf_detectSimulator), "no error");
}

TEST_F(Detection, TwoSupportedVersionsMustBeChosenByTheUser)
{
    installed(false, true, true);
    EXPECT_EQ(gf_testUserError(gf_detectSimulator),
              "153: More than one P3D version detected, type full Install Path to wanted version above and press "
              "Enter");
}

TEST_F(Detection, TheOneSupportedVersionGivesTheInstallPathFromTheRegistry)
{
    installed(true, false, true);
    RegistrySandbox::setString(HKEY_LOCAL_MACHINE, v6Key, L"SetupPath", L"E:\\Lockheed Martin\\Prepar3D v6\\");
    EXPECT_EQ(gf_testUserError(gf_detectSimulator), "no error");
    EXPECT_TRUE(logHasLine("P3Dv6detected"));
    EXPECT_EQ(SIM_INSTALL_PATH.getValue(), "E:\\Lockheed Martin\\Prepar3D v6\\");
    EXPECT_EQ(stored("SIM_INSTALL_PATH"), "E:\\Lockheed Martin\\Prepar3D v6\\");
}

TEST_F(Detection, AnInstalledVersionWithoutSetupPathAsksForThePath)
{
    installed(false, true, false);
    RegistrySandbox::createKey(HKEY_LOCAL_MACHINE, v5Key);
    SIM_INSTALL_PATH.assignValue("stale");
    EXPECT_EQ(gf_testUserError(gf_detectSimulator), askForPath);
    EXPECT_TRUE(logHasLine("P3Dv5detected"));
    EXPECT_EQ(SIM_INSTALL_PATH.getValue(), "");
}

TEST_F(Detection, TheVersionComesFromThePathBeforeTheSetting)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Prepar3D v5", "5"},           {"D:\\P3D V6\\", "6"}, {"C:\\v6 and then v5", "5"},
        {"C:\\Lockheed Martin\\Prepar3D V5", "5"},
    };
    P3D_VERSION.value = 6;
    for (const auto& [path, version] : cases) {
        SIM_INSTALL_PATH.assignValue(path);
        EXPECT_EQ(gf_checkInstallPathVersion(), version) << path;
    }
    SIM_INSTALL_PATH.assignValue("C:\\Simulator");
    EXPECT_EQ(gf_checkInstallPathVersion(), "6");
    P3D_VERSION.value = 5;
    EXPECT_EQ(gf_checkInstallPathVersion(), "5");
    P3D_VERSION.value = 4; // below the setting's limits; only another program writes that
    EXPECT_EQ(gf_testUserError(gf_checkInstallPathVersion),
              "77: P3D install path does not contain v5 or v6? Use hidden parameter P3D_VERSION, set it at 5 or 6");
}

TEST_F(Detection, AMissingStockAirportsFolderIsShownAndNothingElseChanges)
{
    const fs::path simulator = fs::current_path() / L"Prepar3D v5";
    fs::create_directory(simulator);
    SIM_INSTALL_PATH.assignValue(gf_pathText(simulator));
    lf_checkStockAirportsPath();
    EXPECT_EQ(stockAirportsPath, simulator / L"Scenery");
    const std::string shown = "Stock airports path does not exist: " + gf_pathText(simulator / L"Scenery");
    EXPECT_EQ(statusText(), shown);
    EXPECT_TRUE(logHasLine(shown));

    gf_clearStatus();
    fs::create_directory(simulator / L"Scenery");
    lf_checkStockAirportsPath();
    EXPECT_EQ(statusText(), "");
}

TEST_F(Detection, AddOnFoldersInOrderAndNoneInsideTheStockAirports)
{
    SIM_INSTALL_PATH.assignValue("C:\\Prepar3D v5");
    lf_checkStockAirportsPath();
    afolder2.assignValue("D:\\Addons\\EGLL");
    afolder0.assignValue("D:\\Addons\\EHAM");
    std::vector<std::string> folders{"left over"};
    lf_checkAddOnFolders(folders);
    EXPECT_EQ(folders, (std::vector<std::string>{"D:\\Addons\\EHAM", "D:\\Addons\\EGLL"}));

    // Folders compare by whole names in any case: a folder beside "Scenery" whose name
    // begins like it is an add-on folder.
    afolder5.assignValue("C:\\Prepar3D v5\\Scenery Addons\\MyAirport");
    lf_checkAddOnFolders(folders);
    EXPECT_EQ(folders, (std::vector<std::string>{"D:\\Addons\\EHAM", "D:\\Addons\\EGLL",
                                                 "C:\\Prepar3D v5\\Scenery Addons\\MyAirport"}));
    for (const char* stock : {"C:\\Prepar3D v5\\Scenery\\0601", "c:\\prepar3d V5\\SCENERY\\0601\\",
                              "C:\\Prepar3D v5\\Scenery"}) {
        afolder3.assignValue(stock);
        EXPECT_EQ(gf_testUserError([&] { lf_checkAddOnFolders(folders); }),
                  "42: parameter afolder3 points to stock airports instead of add-on airports!")
            << stock;
    }
    // A folder that is no path text cannot be scanned: it is passed over.
    afolder3.assignValue("D:\\Addons\\Z\xFCrich");
    lf_checkAddOnFolders(folders);
    EXPECT_EQ(folders.size(), 3u);
}

TEST_F(Detection, WithoutAnInstallPathNoFolderCountsAsStock)
{
    // The stock path would be "Scenery" alone (or empty after a restart), which matches
    // any folder with that word, or every folder.
    SIM_INSTALL_PATH.assignValue("");
    lf_checkStockAirportsPath();
    afolder0.assignValue("D:\\My Scenery\\EGLL");
    std::vector<std::string> folders;
    EXPECT_EQ(gf_testUserError([&] { lf_checkAddOnFolders(folders); }), "no error");
    stockAirportsPath.clear();
    EXPECT_EQ(gf_testUserError([&] { lf_checkAddOnFolders(folders); }), "no error");
    EXPECT_EQ(folders, std::vector<std::string>{"D:\\My Scenery\\EGLL"});
}
