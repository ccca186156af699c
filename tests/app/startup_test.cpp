// The start-up sequence before the start of traffic: run folder, daily download gate,
// reference data once per process, the scan result check, an exit during the scans.
#include "updater_support.h"

#include "support/airportlist.h"

#include "airports/airports.h"
#include "app/programcontrol.h"
#include "app/startup.h"
#include "foundation/parametersfile.h"
#include "foundation/registry.h"
#include "foundation/winstring.h"
#include "foundation/settingscatalogue.h"
#include "liveries/liverydata.h"
#include "liveries/scrambling.h"
#include "refgen/refgen.h"

#include <fmt/format.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {
class StartUp : public UpdaterTest {
protected:
    StartUp()
    {
        gf_testWriteAirportList(fs::current_path());
        refgen::writeReferenceFiles(refgen::baseWorld(), L"input");
        dateCodeInstant = noonJanuary2;
    }
    ~StartUp() override { dateCodeInstant = 0; }

    // The paths asked of the download server since the last look.
    std::vector<std::string> takeRequests()
    {
        std::vector<std::string> all = server.requests();
        std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen), all.end());
        seen = all.size();
        return fresh;
    }

    std::size_t seen = 0;
    static constexpr std::int64_t noonJanuary2 = 1704196800; // 2024-01-02 12:00 UTC
    const std::string today = gf_dateCodeAt(noonJanuary2);
};
} // namespace

TEST_F(StartUp, FromAnotherFolderOnlyTheRunFolderErrorIsShown)
{
    fs::remove(L"docs");
    lf_startUpTarnwick();
    EXPECT_EQ(errorLine(), "41: Tarnwick_P3D must be run from the Tarnwick_P3D folder!");
    EXPECT_FALSE(fs::exists(L"output"));
    EXPECT_FALSE(fs::exists(parametersFile));
    EXPECT_TRUE(takeRequests().empty()) << "no download";
    EXPECT_EQ(log.text().find("liveries scan"), std::string::npos) << "no livery scan";
    EXPECT_FALSE(exitFlag.load()) << "the program stays open";
    EXPECT_EQ(runningThreads.load(), 0);
}

TEST_F(StartUp, TheFirstStartOfADayChecksEverythingTheSecondOnlyTheRegistrationList)
{
    gf_testWriteFile(fs::path(L"input") / L"AIG-regcodes.xml", "<regcodes/>");
    writeParameters({{"DATA_CHECKED_AT_DATE", gf_dateCodeAt(noonJanuary2 - 86400)},
                     {"SIM_INSTALL_PATH", "C:\\Prepar3D v5"}});
    lf_prepareStart();
    std::vector<std::string> requests = takeRequests();
    EXPECT_TRUE(has(requests, "dbase/version.json")) << "a new day, although dbase.xml is there";
    EXPECT_TRUE(has(requests, "release/version_P3D.json"));
    EXPECT_TRUE(has(requests, "archive/p3d/version.json"));
    EXPECT_EQ(std::ranges::count(requests, "aig/version.json"), 2);
    EXPECT_EQ(requests.front(), "aig/version.json") << "the registration list comes first";
    EXPECT_EQ(stored("DATA_CHECKED_AT_DATE"), today);
    const auto readsOfReferenceData = [&] {
        const std::string text = log.text();
        return std::pair{gf_testCountOf(text, " dbase records from \"input\\dbase.xml\" read"),
                         gf_testCountOf(text, "\"input\\fixes.xml\" read")};
    };
    EXPECT_EQ(readsOfReferenceData(), std::pair(1, 1));
    EXPECT_EQ(gf_findAirport("EHAM")->alt, -11.0) << "the airport list is read";
    for (const char* folder : {"output", "output/info", "output/errors", "airports", "airports/learned",
                               "airports/learned/stock", "airports/learned/ORBX", "airports/learned/thirdparty"})
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
    EXPECT_EQ(stored("PROGRAM_INSTALL_PATH"), gf_pathText(fs::current_path()));

    // The same day again (a restart): no program check, no reference data read again.
    lf_prepareStart();
    requests = takeRequests();
    EXPECT_EQ(std::ranges::count(requests, "aig/version.json"), 1);
    EXPECT_FALSE(has(requests, "release/version_P3D.json"));
    EXPECT_FALSE(has(requests, "dbase/version.json"));
    EXPECT_EQ(readsOfReferenceData(), std::pair(1, 1));

    // A missing file is fetched on the same day.
    fs::remove(fs::path(L"input") / L"dbase.xml");
    fs::remove(fs::path(L"input") / L"AIG-regcodes.xml");
    lf_prepareStart();
    requests = takeRequests();
    EXPECT_TRUE(has(requests, "dbase/version.json"));
    EXPECT_EQ(std::ranges::count(requests, "aig/version.json"), 2);
    EXPECT_FALSE(has(requests, "release/version_P3D.json"));
}

TEST_F(StartUp, AProgramFolderWithoutInputGetsItBeforeTheDownloadsInstallThere)
{
    const std::string dbase = gf_testReadFile(fs::path(L"input") / L"dbase.xml");
    refgen::writeAigRegcodes(refgen::baseWorld(), fs::path(L"input") / L"AIG-regcodes.xml");
    const std::string regcodes = gf_testReadFile(fs::path(L"input") / L"AIG-regcodes.xml");
    fs::remove_all(L"input");
    for (const auto& [folder, file, content] :
         {std::tuple<std::string, std::string, std::string>{"aig", "AIG-regcodes.xml", regcodes},
          {"dbase", "dbase.xml", dbase}}) {
        server.put(folder + "/version.json", "1.0.0");
        server.put(folder + "/" + file, content);
    }
    writeParameters({{"DATA_CHECKED_AT_DATE", today}, {"SIM_INSTALL_PATH", "C:\\Prepar3D v5"}});
    lf_startUpTarnwick();
    EXPECT_EQ(gf_testReadFile(fs::path(L"input") / L"AIG-regcodes.xml"), regcodes);
    EXPECT_EQ(gf_testReadFile(fs::path(L"input") / L"dbase.xml"), dbase);
    // What the installer puts there besides is missing: the user is told, the program stays.
    EXPECT_EQ(errorLine(), "3: input\\fixes.xml (or sections of it) not found?");
    EXPECT_EQ(exitReason.load(), 0u);
}

// Reference data installed by an earlier program that the start-up cannot read: the user is
// told, the program stays open, and the next day's check fetches the data again.
TEST_F(StartUp, AnInstalledDbaseWithABadCodeIsShownAndFetchedAgainTheNextDay)
{
    const fs::path installed = fs::path(L"input") / L"dbase.xml";
    const std::string good = gf_testReadFile(installed);
    std::string bad = good;
    bad.insert(bad.find("</dbase>"), "<db reg=\"\" airl=\"ABCD\" />");
    gf_testWriteFile(installed, bad);
    server.put("dbase/version.json", "1.0.0\n");
    server.put("dbase/dbase.xml", good);
    writeParameters({{"DATA_CHECKED_AT_DATE", today}, {"DBASE_VERSION", "1.0.0"}, {"SIM_INSTALL_PATH", "C:\\Prepar3D v5"}});
    lf_startUpTarnwick();
    EXPECT_EQ(errorLine(), "60: \"input\\dbase.xml\" not read because of decrypt airl \"ABCD\" error");
    EXPECT_EQ(exitReason.load(), 0u) << "no system error";
    EXPECT_FALSE(exitFlag.load());
    EXPECT_FALSE(referenceDataRead.load());

    dateCodeInstant = noonJanuary2 + 86400;
    lf_prepareStart();
    EXPECT_EQ(gf_testReadFile(installed), good);
    EXPECT_EQ(stored("DBASE_VERSION"), "1.0.0");
    EXPECT_TRUE(referenceDataRead.load());
    EXPECT_TRUE(logged(" dbase records from \"input\\dbase.xml\" read"));
}

TEST_F(StartUp, ALiveMaximumAndRadiusAreTakenAndTheHoursDerived)
{
    writeParameters({{"DATA_CHECKED_AT_DATE", today},
                     {"SIM_INSTALL_PATH", "C:\\Prepar3D v5"},
                     {"MAX_LIVE", "120"},
                     {"LATERAL_RANGE", "25"},
                     {"MAX_FIT", "9"},
                     {"ARCHIVE_VERSION", "2417.3.1"}});
    lf_prepareStart();
    EXPECT_EQ(liveMaximum.load(), 120);
    EXPECT_EQ(lateralRangeAtStart.load(), 25);
    EXPECT_EQ(MAX_FIT_FL.value.load(), 5.0f);
    EXPECT_EQ(archiveWeek.load(), 2417);
}

TEST_F(StartUp, AGoneScanResultSwitchesTheLiveryScanOnAndAnExitStopsAfterTheScans)
{
    writeParameters({{"DATA_CHECKED_AT_DATE", today},
                     {"SCAN_LIVERIES", "false"},
                     {"SCAN_AIRPORTS", "true"},
                     {"SIM_INSTALL_PATH", "C:\\Prepar3D v5"}});
    // An exit under way: the start-up stops after the liveries and starts no traffic.
    exitFlag = true;
    lf_startUpTarnwick();
    const std::string shown = "File output\\LiveriesScanned.xml is gone, rescan liveries";
    EXPECT_TRUE(logHasLine(shown));
    EXPECT_EQ(stored("SCAN_LIVERIES"), "true") << "switched on, and on still: the exit cut the scan short";
    EXPECT_TRUE(logged("liveries scan automatic starts"));
    EXPECT_FALSE(fs::exists(fs::path(L"airports") / L"my_ORBX")) << "no airport scan";
    EXPECT_FALSE(fs::exists(dataFolder / L"orig_dest")) << "no traffic started";
    EXPECT_TRUE(fs::is_directory(fs::path(L"input") / L"my_regcodes"));
    EXPECT_EQ(runningThreads.load(), 0);
    exitFlag = false;
}

// Titles read by an earlier program (UTF-8 lines of files without a mark kept as UTF-8) or in
// another ANSI code page: those beyond ASCII would be refused by the simulator, and such a
// result is scanned again at that start, where the settings allow a scan; titles in ASCII are
// right as they stand and only get the mark. The user's scan setting is never switched on. A
// scan cut short by the exit, or failing (its folder gone), leaves the result in place, and the
// failed one has it read as it stands.
TEST_F(StartUp, AScanResultOfAnotherReadingOrCodePageIsRescannedOnlyForTitlesBeyondAscii)
{
    const std::string ascii = "Boeing 737-800 KLM", beyond = "Boeing 737-800 KLM D\xC3\xBCsseldorf";
    const std::string marked = fmt::format(" codepage=\"{}\"", gf_ansiCodePage());
    const std::string other = fmt::format(" codepage=\"{}\"", gf_ansiCodePage() == 1252 ? 1251 : 1252);
    const std::string shown = "File output\\LiveriesScanned.xml holds titles read another way, ";
    const struct {
        std::string mark, title;
        bool automatic, rescanned, folderGone = false;
    } rows[] = {{"", ascii, true, false},          {other, ascii, true, false}, {"", beyond, true, true},
                {other, beyond, true, true},       {marked, beyond, true, false},
                {"", beyond, false, false}, // manual without folders: nothing to scan with
                {"", beyond, false, true, true}};
    fs::create_directories(liveriesScannedPath.parent_path());
    std::size_t seen = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mark + " " + row.title + (row.automatic ? " automatic" : " manual"));
        writeParameters({{"DATA_CHECKED_AT_DATE", today},
                         {"SCAN_LIVERIES", "false"},
                         {"LIG_AUTOMATIC", row.automatic ? "true" : "false"},
                         {"AFG_AUTOMATIC", "false"}, // without airport folders the start-up stops after the liveries
                         {"lfolder1", row.folderGone ? gf_pathText(fs::absolute(L"Gone")) : ""},
                         {"SIM_INSTALL_PATH", "C:\\Prepar3D v5"}});
        const std::string liv = "<liv airl=\"KLM\" type=\"B738\" title=\"" + row.title + "\" atcid=\"\" />";
        gf_testWriteFile(liveriesScannedPath, "<liveries" + row.mark + ">" + liv + "</liveries>");
        exitFlag = !row.folderGone; // the start-up ends after the scans, cutting short a scan
        lf_startUpTarnwick();
        exitFlag = false;
        const std::string text = log.text().substr(seen);
        seen = log.text().size();
        EXPECT_EQ(gf_testCountOf(text, shown + "rescan liveries"), row.rescanned ? 1 : 0) << text;
        const std::string scanStarts = row.automatic ? "liveries scan automatic starts" : "liveries scan manual starts";
        EXPECT_EQ(gf_testCountOf(text, scanStarts), row.rescanned ? 1 : 0);
        EXPECT_EQ(stored("SCAN_LIVERIES"), "false");
        EXPECT_NE(gf_testReadFile(liveriesScannedPath).find(row.title), std::string::npos) << "the result stays";
        if (row.folderGone) {
            EXPECT_TRUE(logged("Liveries not scanned again (53: no liveries found), output\\LiveriesScanned.xml "
                               "read as it stands"));
            EXPECT_EQ(errorLine(), "49: Set afolder parameter(-s) to your add-on airports first, see Manual 6.1");
        } else {
            EXPECT_EQ(errorLine(), "");
        }
        if (!row.rescanned || row.folderGone) {
            EXPECT_EQ(gf_testCountOf(text, "No scan done, 1 liveries read from output\\LiveriesScanned.xml"), 1);
            const bool markedNow = gf_testReadFile(liveriesScannedPath).find(marked) != std::string::npos;
            EXPECT_EQ(markedNow, row.title == ascii || row.mark == marked);
        }
    }
    EXPECT_TRUE(logHasLine(shown + "set lfolder parameter(-s) or check Liveries automatic to rescan them"));

    // A scan the user asked for that fails stops the start with its error: the old result is
    // not read in its place.
    for (const auto& [folder, error] :
         {std::pair{std::string(), "48: Set lfolder parameter(-s) to your liveries first, see Manual 5.1 (or check "
                                   "Liveries automatic)"},
          std::pair{gf_pathText(fs::absolute(L"Gone")), "53: no liveries found"}}) {
        writeParameters({{"DATA_CHECKED_AT_DATE", today},
                         {"SCAN_LIVERIES", "true"},
                         {"LIG_AUTOMATIC", "false"},
                         {"AFG_AUTOMATIC", "false"}, // a start that went on would stop at its airport scan
                         {"lfolder1", folder},
                         {"SIM_INSTALL_PATH", "C:\\Prepar3D v5"}});
        lf_startUpTarnwick();
        EXPECT_EQ(errorLine(), error);
        EXPECT_EQ(gf_testCountOf(log.text().substr(seen), "liveries read from"), 0);
        EXPECT_EQ(stored("SCAN_LIVERIES"), "true");
        seen = log.text().size();
    }
}

TEST_F(StartUp, AnUnknownSimulatorWithoutFoldersStopsTheStartUpWithItsError)
{
    writeParameters({{"DATA_CHECKED_AT_DATE", today}});
    p3dv5Installed = false;
    p3dv6Installed = false;
    lf_startUpTarnwick();
    EXPECT_EQ(errorLine(), "151: No P3D install path detected, type full Install Path above, and press Enter");
    EXPECT_EQ(log.text().find("liveries scan"), std::string::npos) << "no livery scan";
    EXPECT_FALSE(exitFlag.load());
}

TEST_F(StartUp, AMissingAirportListStopsTheStartUpWithItsError)
{
    writeParameters({{"DATA_CHECKED_AT_DATE", today}, {"SIM_INSTALL_PATH", "C:\\Prepar3D v5"}});
    fs::remove(fs::path(L"input") / L"airports_p3d.xml");
    lf_startUpTarnwick();
    EXPECT_EQ(errorLine(), "88: input\\airports_p3d.xml not loaded File was not found");
    EXPECT_EQ(log.text().find("liveries scan"), std::string::npos) << "no livery scan";
}

TEST(SinceLastRun, SecondsMinutesAndNothingAfterAYear)
{
    const std::int32_t now = 1700000000;
    EXPECT_EQ(gf_sinceLastRunText(now, now - 1), "1 second since last run");
    EXPECT_EQ(gf_sinceLastRunText(now, now - 59), "59 seconds since last run");
    EXPECT_EQ(gf_sinceLastRunText(now, now - 61), "1 minute and 1 second since last run");
    EXPECT_EQ(gf_sinceLastRunText(now, now - 120), "2 minutes and 0 seconds since last run");
    EXPECT_EQ(gf_sinceLastRunText(now, now - 524159 * 60), "524159 minutes and 0 seconds since last run");
    EXPECT_EQ(gf_sinceLastRunText(now, now - 524160 * 60), "");
    EXPECT_EQ(gf_sinceLastRunText(now, 0), "") << "never stored";
    EXPECT_EQ(gf_sinceLastRunText(now, now + 5), "-5 second since last run") << "a clock set back: no plural";
}

TEST(ProgramName, BothPlaceholdersTakeTheName)
{
    EXPECT_EQ(gf_formatWithProgramName("{} must be run from the {} folder!"),
              "Tarnwick_P3D must be run from the Tarnwick_P3D folder!");
}
