// Add-on package discovery: add-ons.cfg with each package's add-on.xml, and simobjects.cfg.
#include "airports/scenerylists.h"
#include "foundation/logcapture.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"
#include "liveries/addondiscovery.h"
#include "liveries/cfgkeys.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {
class Discovery : public ::testing::Test {
protected:
    Discovery()
    {
        roamingRedirect = files / L"roaming";
        programDataRedirect = files / L"programdata";
        SIM_INSTALL_PATH.assignValue(text(files / L"Prepar3D v5"));
        fs::create_directories(gf_addOnsCfgPath().parent_path());
        fs::create_directories(gf_simObjectsCfgPath().parent_path());
    }
    ~Discovery() override
    {
        roamingRedirect.clear();
        programDataRedirect.clear();
        SIM_INSTALL_PATH.assignValue("");
    }

    std::string text(const fs::path& path) { return gf_scanPathText(path); }

    LogCapture log;
    TempFolder files;
};
} // namespace

TEST_F(Discovery, ActivePackagesGiveTheirSimObjectsComponentsInFileOrder)
{
    const std::string packageA = text(files / L"AI Packages" / L"Pkg A"), packageB = text(files / L"Pkg B");
    const std::string missing = text(files / L"no such package");
    gf_testWriteFile(gf_addOnsCfgPath(), "[Discovery.0]\r\nPath=" + text(files / L"discovered") + "\r\nActive=true\r\n"
                                         "[Package.0]\r\nPATH=" + packageA + " \t\r\nACTIVE=TRUE\r\nREQUIRED=TRUE\r\n"
                                         "[Discovery.1]\r\nPath=D:\\Merged\r\n" // not part of the package
                                         "[Package.1]\r\nPath=" + packageB + "\r\nActive=false\r\nRequired=true\r\n"
                                         "[Package.2]\r\n  path = " + missing + "\r\nTitle=AI Package\r\nActive=true\r\n");
    fs::create_directories(gf_u8path(packageA));
    fs::create_directories(gf_u8path(packageB));
    gf_testWriteFile(gf_u8path(packageA) / L"add-on.xml",
                     "<SimBase.Document>\n<AddOn.Component>\n<Category>SimObjects</Category>\n"
                     "<Path>SimObjects\\Airplanes</Path>\n</AddOn.Component>\n"
                     "<AddOn.Component>\n<Category>Scenery</Category>\n<Path>Scenery</Path>\n</AddOn.Component>\n"
                     "<AddOn.Component>\n<Category>SimObjects</Category>\n<Path>" + text(files / L"Shared AI") +
                     "</Path>\n</AddOn.Component>\n"
                     "<AddOn.Component>\n<Category>SimObjects</Category>\n<Path>D:\\Lights Reborn\\AI</Path>\n"
                     "</AddOn.Component>\n</SimBase.Document>\n");
    gf_testWriteFile(gf_u8path(packageB) / L"add-on.xml",
                     "<Category>SimObjects</Category>\n<Path>D:\\Inactive</Path>\n");
    std::vector<std::string> folders{"E:\\given"};
    lf_readAddOnsCfg(folders);
    EXPECT_EQ(folders, (std::vector<std::string>{"E:\\given", packageA + "\\SimObjects\\Airplanes",
                                                 text(files / L"Shared AI")}));
    EXPECT_TRUE(log.hasLine("Reading " + text(gf_addOnsCfgPath()) + " for AI add-on packages..."));
    EXPECT_TRUE(log.hasLine("path found:" + packageA + " \t"));
    EXPECT_TRUE(log.hasLine("path found: " + missing));
    EXPECT_TRUE(log.hasLine("   exploring " + packageA + "\\add-on.xml"));
    EXPECT_TRUE(log.hasLine("      Simobjects found:" + packageA + "\\SimObjects\\Airplanes"));
    EXPECT_TRUE(log.hasLine(missing + "\\add-on.xml not found!"));
    EXPECT_TRUE(log.hasLine("2 AI add-on packages found"));
    EXPECT_EQ(log.text().find("exploring " + packageB), std::string::npos) << "an inactive package is not read";
    EXPECT_EQ(log.text().find("discovered"), std::string::npos) << "only Package sections give paths";
    EXPECT_EQ(log.text().find("Merged"), std::string::npos) << "another section ends the package before it";
}

TEST_F(Discovery, SimObjectsEntriesSkipTheSimulatorsOwnFolders)
{
    gf_testWriteFile(gf_simObjectsCfgPath(), "[Entry.0]\r\nTitle=Default Path\r\nPath=SimObjects\\Airplanes\r\n"
                                             "Required=True\r\nActive=True\r\n"
                                             "[Entry.1]\r\nPath=SimObjects\\MyTraffic\r\nActive=True\r\n"
                                             "[Entry.2]\r\nPath=D:\\Traffic\\Aircraft\r\nActive=True\r\n"
                                             "[Other.0]\r\nPath=D:\\Other\r\n" // not part of the entry
                                             "[Entry.3]\r\nPath=D:\\Off\r\nActive=False\r\nRequired=True\r\n"
                                             "[Entry.4]\r\nTitle=Path only in a title\r\nActive=True\r\n");
    std::vector<std::string> folders;
    lf_readAddOnsCfg(folders); // none: its count line, and simobjects.cfg is still read
    lf_readSimObjectsCfg(folders);
    EXPECT_EQ(folders, (std::vector<std::string>{text(files / L"Prepar3D v5" / L"SimObjects" / L"MyTraffic"),
                                                 "D:\\Traffic\\Aircraft"}));
    EXPECT_TRUE(log.hasLine(text(gf_addOnsCfgPath()) + " not found!"));
    EXPECT_TRUE(log.hasLine("0 AI add-on packages found"));
    EXPECT_TRUE(log.hasLine("2 AI add-on packages found"));
}
