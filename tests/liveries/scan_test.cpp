// The livery scan end to end: generated package trees scanned by gf_scanLiveries in a
// program folder, against the liveries, report lines and log lines the generator expects.
#include "liveries_fixture.h"

#include "airports/scenerylists.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "foundation/exceptions.h"
#include "foundation/scanthrottle.h"
#include "foundation/settingscatalogue.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "liveries/addondiscovery.h"
#include "liveries/cfgkeys.h"
#include "liveries/liverydata.h"
#include "liveries/regcodes.h"
#include "liveries/scanreports.h"
#include "refgen/packagetree.h"
#include "support/codepage.h"

#include <fmt/format.h>
#include <windows.h>

#include <algorithm>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {
const char* const reportNames[] = {"InvalidAirlineCodes.txt",   "InvalidAircraftCodes.txt",
                                   "Fixes.txt",                 "InvalidAircraftCfgFiles.txt",
                                   "IncompleFltsimSections.txt", "AircraftCfgWithNoFltsimSection.txt",
                                   "AirlineModelConversions.txt", "LiveriesSkippedOnPriority.txt"};

fs::path lf_reportPath(const std::string& name)
{
    const bool info = name.starts_with("Aircraft") || name.starts_with("Airline") || name.starts_with("Liveries");
    return fs::path(L"output") / (info ? L"info" : L"errors") / gf_u8path(name);
}

// A livery as one comparable text.
std::string lf_show(const LiveryData& livery)
{
    return fmt::format("{}|{}|{}|{}|{}", livery.airl, livery.type, livery.title, livery.atcid, livery.cargo);
}

std::vector<std::string> lf_show(const auto& liveries)
{
    std::vector<std::string> shown;
    for (const LiveryData& livery : liveries)
        shown.push_back(lf_show(livery));
    return shown;
}

class LiveryScan : public LiveriesTest {
protected:
    LiveryScan()
    {
        for (const wchar_t* folder : {L"output", L"output\\info", L"output\\errors"})
            fs::create_directories(folder);
        refgen::writeProgramFiles(world, fs::current_path()); // with an earlier LiveriesScanned.xml
        readReferenceData();
        roamingRedirect = files / L"roaming";
        programDataRedirect = files / L"programdata";
        SIM_INSTALL_PATH.assignValue(gf_scanPathText(files / L"Prepar3D v5"));
        scanTaskLimit = 4;
    }
    ~LiveryScan() override
    {
        roamingRedirect.clear();
        programDataRedirect.clear();
        SIM_INSTALL_PATH.assignValue("");
        gf_initScanThrottle();
        exitFlag = false;
    }

    refgen::PackageTree makeTree(bool errors, bool discovery, const refgen::World& of)
    {
        refgen::TreeOptions options;
        options.errors = errors;
        if (discovery) {
            options.addOnsCfg = gf_addOnsCfgPath();
            options.simObjectsCfg = gf_simObjectsCfgPath();
            options.installFolder = files / L"Prepar3D v5";
        }
        // "airport" above the scanned folders does not keep the scan out.
        return refgen::writePackageTree(of, files / L"airport-sim" / L"AI", options);
    }

    // The liveries of output\LiveriesScanned.xml.
    std::vector<std::string> saved()
    {
        lf_readLiveriesScanned();
        std::vector<std::string> shown = lf_show(scannedLiveries);
        scannedLiveries.clear();
        return shown;
    }

    // Each report file holds the expected lines (in any order), and no other file is there.
    void expectReports(const refgen::PackageTree& tree)
    {
        for (const std::string name : reportNames) {
            const auto expected = tree.reports.find(name);
            if (expected == tree.reports.end()) {
                EXPECT_FALSE(fs::exists(lf_reportPath(name))) << name;
                continue;
            }
            std::vector<std::string> lines;
            gf_readExtTextFileToStringVector(lf_reportPath(name), lines);
            std::ranges::sort(lines);
            EXPECT_EQ(lines, expected->second) << name;
        }
    }

    // The last log line that holds the text.
    std::string lastLine(const std::string& part)
    {
        std::istringstream text(log.text());
        std::string last;
        for (std::string line; std::getline(text, line);)
            if (line.find(part) != std::string::npos)
                last = line.substr(0, line.find_last_not_of('\r') + 1);
        return last;
    }

    TempFolder files;
};
} // namespace

TEST_F(LiveryScan, AGeneratedTreeGivesItsLiveriesWithAnyTaskLimitAndTheSavedListTheSameIndexes)
{
    const refgen::PackageTree tree = makeTree(false, true, world);
    std::vector<std::string> all = tree.manualFolders;
    all.insert(all.end(), tree.discoveredFolders.begin(), tree.discoveredFolders.end());
    std::error_code ec; // the folder output\errors may be missing
    for (const std::int32_t limit : {1, 8}) {
        scanTaskLimit = limit;
        std::vector<std::string> folders = tree.manualFolders;
        EXPECT_TRUE(gf_scanLiveries(true, true, false, folders));
        EXPECT_EQ(folders, all) << "discovery appends the package folders";
        EXPECT_EQ(runningScanTasks.load(), 0);
        EXPECT_EQ(mainWindow.liveryCount.load(), static_cast<std::int64_t>(tree.liveries.size()));
        EXPECT_EQ(saved(), lf_show(tree.liveries)) << "task limit " << limit;
        expectReports(tree);
        for (const fs::directory_entry& entry : fs::directory_iterator(L"output\\errors", ec))
            EXPECT_EQ(entry.path().filename(), L"InlineRegcodes.txt") << "the scan writes no error file";
        EXPECT_TRUE(log.hasLine("No errors"));
        std::size_t total = 0;
        for (const auto& [folder, count] : tree.folderCounts) {
            EXPECT_TRUE(log.hasLine(fmt::format("{} liverie{} found in {}", count, count > 1 ? "s" : "", folder)));
            total += count;
        }
        EXPECT_EQ(lastLine(" in total"), fmt::format("{} in total", total));
    }
    EXPECT_TRUE(log.hasLine(fmt::format("{} liveries updated with real live data from dbase, see "
                                        "output\\info\\AirlineModelConversions.txt",
                                        tree.reports.at("AirlineModelConversions.txt").size())));
    EXPECT_TRUE(log.hasLine("Information:"));

    // The next start reads the saved list instead: the indexes count the same.
    const std::string codes = lastLine(" registration codes"), models = lastLine(" pax aircraft models and ");
    std::vector<std::string> none;
    EXPECT_TRUE(gf_scanLiveries(false, true, false, none));
    EXPECT_EQ(lastLine(" registration codes"), codes);
    EXPECT_EQ(lastLine(" pax aircraft models and "), models);
    EXPECT_TRUE(logged(fmt::format("No scan done, {} liveries read from output\\LiveriesScanned.xml", tree.liveries.size())));
}

TEST_F(LiveryScan, RefusalsDamagedFilesAndOddNamesGiveTheirReportLines)
{
    const refgen::PackageTree tree = makeTree(true, false, world);
    std::vector<std::string> folders = tree.manualFolders;
    EXPECT_TRUE(gf_scanLiveries(true, false, false, folders));
    EXPECT_EQ(saved(), lf_show(tree.liveries));
    expectReports(tree);
    const auto count = [&](const char* name) { return tree.reports.at(name).size(); };
    EXPECT_TRUE(log.hasLine("Errors:"));
    EXPECT_TRUE(log.hasLine(fmt::format("{} invalid airline codes, see output\\errors\\InvalidAirlineCodes.txt",
                                        count("InvalidAirlineCodes.txt"))));
    EXPECT_TRUE(log.hasLine(fmt::format("{} incomplete [fltsim.x] sections, see output\\errors\\IncompleFltsimSections.txt",
                                        count("IncompleFltsimSections.txt"))));
    EXPECT_TRUE(log.hasLine(fmt::format("{} code fixes, see output\\errors\\Fixes.txt", count("Fixes.txt"))));
    EXPECT_TRUE(logged("fltsim num [fltsim.99999999999] incorrect"));
    EXPECT_TRUE(logged("wild cards no longer supported, atc_id skipped"));
    for (const auto& [folder, found] : tree.folderCounts)
        EXPECT_TRUE(log.hasLine(fmt::format("{} liveries found in {}", found, folder)));
}

TEST_F(LiveryScan, FolderPrioritiesAndTheLiveriesSkippedOnPriority)
{
    const fs::path root = files / L"priorities";
    std::vector<std::string> folders{""};
    const auto folder = [&](int n, const std::vector<refgen::SectionSpec>& sections, const char* type) {
        const fs::path path = root / std::to_wstring(n);
        fs::create_directories(path);
        if (!sections.empty())
            refgen::writeConfigFile(path / L"a", type, sections);
        folders.push_back(gf_scanPathText(path));
        return folders.back();
    };
    const std::string first = folder(1, {}, "B738");
    folder(2, {{"k2", "KLM", "GATE"}}, "B738");
    folders.insert(folders.end(), {gf_scanPathText(root / L"missing"), ""});
    folder(3, {{"k3", "KLM", "GATE"}}, "A320");
    gf_testWriteFile(root / L"a file", "");
    folders.push_back(gf_scanPathText(root / L"a file"));
    folder(4, {{"k4", "KLM", "GATE"}}, "B738");
    std::string empty;
    for (int n = 5; n <= 8; ++n)
        empty = folder(n, {}, "B738");
    folder(9, {{"d9", "DLH", "GATE"}}, "A320");
    folder(10, {{"d10", "DLH", "GATE"}, {"b10", "BAW", "GATE"}}, "A320"); // the tenth and
    folder(11, {{"b11", "BAW", "GATE"}}, "A320");                          // eleventh: both 10

    EXPECT_TRUE(gf_scanLiveries(true, false, true, folders));
    EXPECT_EQ(saved(), (std::vector<std::string>{"BAW|A320|b10||false", "BAW|A320|b11||false",
                                                 "DLH|A320|d9||false", "KLM|A320|k3||false", "KLM|B738|k2||false"}));
    std::vector<std::string> skipped;
    gf_readExtTextFileToStringVector(lf_reportPath("LiveriesSkippedOnPriority.txt"), skipped);
    EXPECT_EQ(skipped, (std::vector<std::string>{"DLH A320 \"d10\"", "KLM B738 \"k4\""}));
    EXPECT_TRUE(logged("2 liveries skipped on priority, see output\\info\\LiveriesSkippedOnPriority.txt"));
    EXPECT_TRUE(log.hasLine("No liveries found in " + first));
    EXPECT_TRUE(log.hasLine("1 liverie found in " + folders[2]));
    EXPECT_TRUE(log.hasLine("0 liverie found in " + empty));
    EXPECT_TRUE(log.hasLine("2 liveries found in " + gf_scanPathText(root / L"10")));
    EXPECT_TRUE(log.hasLine(gf_scanPathText(root / L"missing") + " does not exist, skipped!"));
    EXPECT_TRUE(log.hasLine(gf_scanPathText(root / L"a file") + " is not a folder name, skipped!"));
    EXPECT_TRUE(log.hasLine("7 in total"));

    // One skipped livery, and one invalid airline code: the singular lines.
    std::vector<std::string> two{folders[2], gf_scanPathText(root / L"4")};
    refgen::writeConfigFile(root / L"4" / L"b", "B738", {{"q4", "QQQQ", "GATE"}});
    EXPECT_TRUE(gf_scanLiveries(true, false, true, two));
    EXPECT_TRUE(log.hasLine("1 liverie skipped on priority, see output\\info\\LiveriesSkippedOnPriority.txt"));
    EXPECT_TRUE(log.hasLine("1 invalid airline code, see output\\errors\\InvalidAirlineCodes.txt"));
}

TEST_F(LiveryScan, AReportThatCannotBeWrittenIsNamedInTheLog)
{
    // A folder that holds a file stands where the report goes.
    const fs::path inTheWay = lf_reportPath("InvalidAirlineCodes.txt");
    fs::create_directories(inTheWay);
    gf_testWriteFile(inTheWay / L"x", "");
    refgen::writeConfigFile(files / L"a" / L"b", "B738", {{"Kept KLM", "KLM", "GATE"}, {"Unknown", "QQQQ", "GATE"}});
    std::vector<std::string> folders{gf_scanPathText(files / L"a")};
    EXPECT_TRUE(gf_scanLiveries(true, false, false, folders));
    EXPECT_TRUE(log.hasLine("===> could not write output\\errors\\InvalidAirlineCodes.txt"));
    EXPECT_TRUE(log.hasLine("1 invalid airline code, see output\\errors\\InvalidAirlineCodes.txt"));
    EXPECT_EQ(saved(), std::vector<std::string>{"KLM|B738|Kept KLM||false"}) << "the scan goes on";
}

TEST_F(LiveryScan, ReportFilesAreSortedByteWiseButFixesAndConversionsKeepTheOrderFound)
{
    for (ScanReportList* list : {&invalidAirlineCodes, &invalidAircraftCodes, &codeFixes, &invalidCfgFiles,
                                 &incompleteSections, &emptyCfgFiles, &conversions, &skippedOnPriority})
        for (const char* line : {"b", "B", "a"})
            list->add(line);
    lf_writeScanReports();
    lf_clearScanLists();
    for (const std::string name : reportNames) {
        const bool found = name == "Fixes.txt" || name == "AirlineModelConversions.txt";
        EXPECT_EQ(gf_testReadFile(lf_reportPath(name)), found ? "b\r\nB\r\na\r\n" : "B\r\na\r\nb\r\n") << name;
    }
}

TEST_F(LiveryScan, AReportFolderThatCannotBeMadeIsNamedOnceAndTheScanGoesOn)
{
    fs::remove_all(infoFolder);
    gf_testWriteFile(infoFolder, "a file where the folder belongs");
    fs::remove(liveriesScannedPath);
    const refgen::PackageTree tree = makeTree(false, false, world);
    ASSERT_TRUE(tree.reports.contains("AirlineModelConversions.txt")) << "an information file is due";
    std::vector<std::string> folders = tree.manualFolders;
    EXPECT_TRUE(gf_scanLiveries(true, false, false, folders));
    const std::string text = log.text();
    const std::size_t first = text.find("===> scan reports not written: ");
    ASSERT_NE(first, std::string::npos) << text;
    const std::size_t lineEnd = text.find('\n', first);
    EXPECT_EQ(text.find("scan reports not written", lineEnd), std::string::npos) << "one line\n" << text;
    EXPECT_NE(text.substr(first, lineEnd - first).find("output\\info"), std::string::npos) << text;
    EXPECT_EQ(saved(), lf_show(tree.liveries)) << "the scan's list is saved all the same";
}

TEST_F(LiveryScan, ATitleWindows1252CannotHoldIsRefusedWithItsReportLine)
{
    SKIP_UNLESS_ANSI_IS_1252();
    const std::string greek = "Boeing 737-800 KLM \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1";
    const std::string held = "Boeing 737-800 KLM Z\xC3\xBCrich";
    const std::string cjk = "B738 KLM \xE6\x9D\xB1\xE4\xBA\xAC";
    const fs::path ordinary = files / L"ai" / L"B738", ivao = files / L"ai" / L"IVAO_MTL" / L"IVAO_B738";
    refgen::writeConfigFile(ordinary, "B738", {{greek, "KLM", "GATE"}, {held, "KLM", "GATE"}}, "aircraft.cfg",
                            refgen::TextForm::utf16le);
    refgen::writeConfigFile(ivao, "B738", {{cjk, "", "GATE"}, {"B738 KLM IVAO", "", "GATE"}}, "aircraft.cfg",
                            refgen::TextForm::utf8Bom);
    std::vector<std::string> folders{gf_scanPathText(files / L"ai")};
    EXPECT_TRUE(gf_scanLiveries(true, false, false, folders));
    EXPECT_EQ(saved(), (std::vector<std::string>{"KLM|B738|B738 KLM IVAO||false", "KLM|B738|" + held + "||false"}));
    std::vector<std::string> lines;
    gf_readExtTextFileToStringVector(lf_reportPath("IncompleFltsimSections.txt"), lines);
    std::ranges::sort(lines);
    const auto line = [](const fs::path& folder, const std::string& title) {
        return fmt::format("{} [fltsim.0] title \"{}\" has characters that the simulator's code page 1252 lacks",
                           gf_scanPathText(folder), title);
    };
    EXPECT_EQ(lines, (std::vector<std::string>{line(ordinary, greek), line(ivao, cjk)}));
}

// A file without a mark is read in the ANSI code page, as the simulator reads it, so UTF-8
// titles there are held in that reading, while the lists of titles not to use and of
// registrations are UTF-8: a list title matches either reading of the file's bytes.
TEST_F(LiveryScan, TitlesOfUtf8FilesWithoutMarkMatchTheListsInEveryCodePage)
{
    const std::string dontUseXml = "Boeing 737-800 KLM D\xC3\xBCsseldorf", dontUseTxt = "Boeing 737-800 KLM Z\xC3\xBCrich";
    const std::string regXml = "Boeing 737-800 KLM M\xC3\xBCnchen", regTxt = "Boeing 737-800 KLM K\xC3\xB6ln";
    const std::string plain = "Boeing 737-800 KLM plain";
    world.aig.push_back({dontUseXml, {}, false});
    world.aig.push_back({regXml, {"PH-UTM"}, false});
    world.myRegcodes["bomless.txt"] = {dontUseTxt, regTxt + ";PH-UTK"};
    refgen::writeProgramFiles(world, fs::current_path());
    const fs::path folder = files / L"utf8";
    refgen::writeConfigFile(folder / L"B738", "B738",
                            {{dontUseXml, "KLM", "GATE"}, {regXml, "KLM", "GATE"}, {dontUseTxt, "KLM", "GATE"},
                             {regTxt, "KLM", "GATE"}, {plain, "KLM", "GATE"}},
                            "aircraft.cfg", refgen::TextForm::utf8);
    ASSERT_EQ(gf_testReadFile(folder / L"B738" / L"aircraft.cfg").rfind("[", 0), 0u) << "no mark";
    std::vector<std::string> folders{gf_scanPathText(folder)};
    EXPECT_TRUE(gf_scanLiveries(true, false, false, folders));

    const std::string heldXml = gf_ansiToUtf8(regXml), heldTxt = gf_ansiToUtf8(regTxt);
    std::vector<std::string> expected{"KLM|B738|" + heldXml + "||false", "KLM|B738|" + heldTxt + "||false",
                                      "KLM|B738|" + plain + "||false"};
    std::ranges::sort(expected);
    EXPECT_EQ(saved(), expected) << "the titles not to use are gone";
    ASSERT_TRUE(regcodeTitles.contains("PH-UTM") && regcodeTitles.contains("PH-UTK"));
    EXPECT_EQ(regcodeTitles.at("PH-UTM"), heldXml);
    EXPECT_EQ(regcodeTitles.at("PH-UTK"), heldTxt);
    EXPECT_EQ(gf_utf8ToAnsi(regcodeTitles.at("PH-UTM")), regXml) << "the simulator is asked in the file's bytes";
}

TEST_F(LiveryScan, WithoutAnyLiveryTheScanFailsAndWritesNoList)
{
    const fs::path root = files / L"nothing";
    fs::create_directories(root / L"sub");
    gf_testWriteFile(root / L"sub" / L"aircraft.txt", "[fltsim.0]\r\n");
    const std::string earlier = gf_testReadFile(liveriesScannedPath);
    ASSERT_FALSE(earlier.empty());
    std::vector<std::string> folders{gf_scanPathText(root)};
    EXPECT_EQ(gf_testErrorText<zeb::UserErrorException>([&] { gf_scanLiveries(true, false, false, folders); }),
              "53: no liveries found");
    EXPECT_EQ(gf_testReadFile(liveriesScannedPath), earlier) << "the earlier list stays";
    EXPECT_EQ(mainWindow.liveryCount.load(), 0);
    EXPECT_TRUE(log.hasLine("No liveries found in " + folders.front()));
}

TEST_F(LiveryScan, AFolderThatCannotBeListedEndsItsWalkWithoutResultsAndTheScanGoesOn)
{
    const fs::path broken = files / L"broken", fine = files / L"fine";
    refgen::writeConfigFile(broken / L"a", "B738", {{"Dropped KLM", "KLM", "GATE"}});
    // Listed, but never opened: Windows drops the trailing dot of a path.
    const std::wstring unlisted = L"\\\\?\\" + (broken / L"b.").wstring();
    ASSERT_TRUE(CreateDirectoryW(unlisted.c_str(), nullptr));
    refgen::writeConfigFile(fine / L"a", "B738", {{"Kept KLM", "KLM", "GATE"}});
    std::vector<std::string> folders{gf_scanPathText(broken), gf_scanPathText(fine)};
    EXPECT_TRUE(gf_scanLiveries(true, false, false, folders));
    RemoveDirectoryW(unlisted.c_str());
    EXPECT_EQ(saved(), std::vector<std::string>{"KLM|B738|Kept KLM||false"});
    EXPECT_TRUE(logged("liveries search in folder " + folders[0] + " aborted because of iterator problem: "));
    EXPECT_TRUE(log.hasLine("No liveries found in " + folders[0]));
    EXPECT_EQ(runningScanTasks.load(), 0);
}

TEST_F(LiveryScan, AnExitDuringTheScanEndsItWithoutResultsOrTasks)
{
    refgen::TreeOptions options;
    options.sectionsPerFile = 2;
    const refgen::PackageTree tree = refgen::writePackageTree(refgen::scaledWorld(500, 7), files / L"big", options);
    scanTaskLimit = 1;
    std::jthread exit([] {
        // Raised once the first file is being read.
        for (int i = 0; i < 20'000'000 && runningScanTasks.load() == 0; ++i)
            std::this_thread::yield();
        exitFlag = true;
    });
    std::vector<std::string> folders = tree.manualFolders;
    const std::string earlier = gf_testReadFile(liveriesScannedPath);
    ASSERT_FALSE(earlier.empty());
    EXPECT_TRUE(gf_scanLiveries(true, false, false, folders));
    EXPECT_EQ(runningScanTasks.load(), 0) << "every started task has ended";
    EXPECT_TRUE(scannedLiveries.empty());
    EXPECT_EQ(gf_testReadFile(liveriesScannedPath), earlier) << "the earlier list stays";
    for (const std::string name : reportNames)
        EXPECT_FALSE(fs::exists(lf_reportPath(name))) << name;
    EXPECT_TRUE(codeFixes.lines.empty() && incompleteSections.lines.empty() && emptyCfgFiles.lines.empty());
    EXPECT_FALSE(logged(" in total"));
}
