// The simulator's scenery lists: active areas, Local keys, stock scenery, Path elements.
#include "airports/airports.h"
#include "airports/scenerylists.h"
#include "app/detection.h"
#include "foundation/logcapture.h"
#include "foundation/settingscatalogue.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(SceneryLists, TheActiveKeyNeedsBothWordsAndIsNeverCleared)
{
    const std::pair<const char*, bool> lines[] = {
        {"Active=TRUE", true}, {"ACTIVE=true", true}, {"active=True", true}, {"Active=FALSE", false},
        {"Active=tRUE", false}, {"Local=True", false}, {"aCTIVE=TRUE", false}, {"", false}};
    for (const auto& [line, expected] : lines) {
        bool flag = false;
        lf_isActiveTrue(flag, line);
        EXPECT_EQ(flag, expected) << line;
        flag = true;
        lf_isActiveTrue(flag, line);
        EXPECT_TRUE(flag) << line;
    }
}

TEST(SceneryLists, StockSceneryIsAWholeFolderName)
{
    const std::pair<const char*, bool> texts[] = {
        {"Local=Scenery\\World", true},          {"Local=Scenery\\World\\Scenery", true},
        {"Local=D:\\Worldwide Airports", false}, {"Local=Scenery\\0607", true},
        {"Local=Scenery\\06070", false},         {"Local=Scenery\\EURW\\x", true},
        {"Local=Scenery\\world", false},         {"Local=World", false},
        {"Local=Scenery\\cities", true},         {"Local=Scenery/BASE", false}};
    for (const auto& [text, stock] : texts)
        EXPECT_EQ(lf_isStockSceneryPath(text), stock) << text;
}

TEST(SceneryLists, ScenerycfgGivesTheLocalFoldersOfActiveAreasOnly)
{
    LogCapture log;
    SIM_INSTALL_PATH.assignValue("C:\\Prepar3D v5");
    lf_checkStockAirportsPath();
    const std::string cfg = "[General]\r\nTitle=Scenery\r\n"
                            "[Area.001]\r\nTitle=Harbour Area\r\nLocal=Addon Scenery\\MyAirport\r\nActive=TRUE\r\n"
                            "[Area.002]\r\nTitle=Off\r\nLocal=D:\\Off\r\nActive=FALSE\r\n"
                            "[Area.003]\r\nLocal=Scenery\\World\r\nActive=TRUE\r\n"
                            "[Area.004]\r\nLocal=C:\\Prepar3D v5\\Scenery\\0607\\x\r\nActive=TRUE\r\n"
                            "[Area.005]\r\nLocal=C:\\Prepar3D v5\\scenery\\Extra\r\nActive=TRUE\r\n"
                            "[Area.006]\r\n  Local = D:\\Bay Area  \r\nTitle=Active True\r\nActive=TRUE\r\n"
                            "[AREA.007]\r\nLayer=Active TRUE\r\nLocal=D:\\Layered\r\n";
    gf_testWriteFile("scenery.cfg", cfg);
    std::vector<std::string> paths{"E:\\given"};
    lf_readSceneryCfgFile(L"scenery.cfg", paths);
    EXPECT_EQ(paths, (std::vector<std::string>{"E:\\given", "C:\\Prepar3D v5\\Addon Scenery\\MyAirport",
                                               "D:\\Bay Area"}));
    EXPECT_TRUE(log.hasLine("      found:D:\\Bay Area"));
    EXPECT_TRUE(log.hasLine("3 scenery add-on paths found"));

    // The same file in UTF-16 LE with its mark gives the same folders.
    std::string utf16 = "\xFF\xFE";
    for (char c : cfg)
        utf16 += {c, '\0'};
    gf_testWriteFile("scenery16.cfg", utf16);
    std::vector<std::string> again;
    lf_readSceneryCfgFile(L"scenery16.cfg", again);
    EXPECT_EQ(again, (std::vector<std::string>{"C:\\Prepar3D v5\\Addon Scenery\\MyAirport", "D:\\Bay Area"}));

    // A UTF-8 file is taken as it is: a Local value that is no UTF-8 is skipped.
    // So is an absolute one with an encoded surrogate.
    gf_testWriteFile("scenery8.cfg", "\xEF\xBB\xBF[Area.001]\r\nLocal=Bad\xFF\r\nActive=TRUE\r\n"
                                     "[Area.002]\r\nLocal=D:\\Good\r\nActive=TRUE\r\n"
                                     "[Area.003]\r\nLocal=C:\\S\xED\xA0\x80.\r\nActive=TRUE\r\n");
    std::vector<std::string> utf8;
    lf_readSceneryCfgFile(L"scenery8.cfg", utf8);
    EXPECT_EQ(utf8, std::vector<std::string>{"D:\\Good"});
    EXPECT_TRUE(log.hasLine("===> Bad\\xFF is no path text, skipped!"));
    EXPECT_TRUE(log.hasLine("===> C:\\S\\xED\\xA0\\x80. is no path text, skipped!"));

    lf_readSceneryCfgFile(L"missing.cfg", again);
    EXPECT_TRUE(log.hasLine("missing.cfg not found!"));
    SIM_INSTALL_PATH.assignValue("");
    stockAirportsPath.clear();
}

TEST(SceneryLists, SceneryAddOnsXmlGivesEveryPathWithoutFilters)
{
    LogCapture log;
    gf_testWriteFile("scenery_add-ons.xml", "<Root>\n<Path>D:\\Addons\\EHAM</Path>\n<Path></Path>\n"
                                           "  <Path>C:\\P3D\\Scenery\\World</Path>\n</Root>\n");
    std::vector<std::string> paths;
    lf_readSceneryAddOnsXmlFile(L"scenery_add-ons.xml", paths);
    EXPECT_EQ(paths, (std::vector<std::string>{"D:\\Addons\\EHAM", "C:\\P3D\\Scenery\\World"}));
    EXPECT_TRUE(log.hasLine("found path:D:\\Addons\\EHAM"));
    EXPECT_TRUE(log.hasLine("2 scenery add-on paths found"));

    // A UTF-8 file is taken as it is: a path that is no UTF-8 is skipped.
    gf_testWriteFile("scenery_add-ons8.xml", "\xEF\xBB\xBF<Root>\n<Path>D:\\Bad\xFF</Path>\n"
                                            "<Path>C:\\S\xED\xA0\x80.</Path>\n<Path>D:\\Good</Path>\n</Root>\n");
    std::vector<std::string> utf8;
    lf_readSceneryAddOnsXmlFile(L"scenery_add-ons8.xml", utf8);
    EXPECT_EQ(utf8, std::vector<std::string>{"D:\\Good"});
    EXPECT_TRUE(log.hasLine("===> D:\\Bad\\xFF is no path text, skipped!"));
    EXPECT_TRUE(log.hasLine("===> C:\\S\\xED\\xA0\\x80. is no path text, skipped!"));
}
