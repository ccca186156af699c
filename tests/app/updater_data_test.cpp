// dbase.xml and AIG-regcodes.xml against the stand-in: when they are downloaded, and
// that no broken answer touches the installed file or its version setting.
#include "updater_support.h"

#include "app/updater.h"
#include "foundation/settingscatalogue.h"
#include "refgen/refgen.h"

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

struct DataCase {
    const char* name;          // also the folder on the server
    const char* file;          // on the server and in "input"
    StringParameter* setting;
    std::function<void()> update;
    const char* noVersionMessage;
    // Writes the file as the server holds it.
    std::function<void(const fs::path&)> write;
};

// The file's content as the server holds it; `mark` tells versions apart.
std::string lf_data(const DataCase& data, const std::string& mark)
{
    const fs::path made = fs::path("made") / data.file;
    fs::create_directories(made.parent_path());
    data.write(made);
    std::string bytes = gf_testReadFile(made);
    fs::remove_all(made.parent_path());
    return bytes + "<!-- " + mark + " -->\n";
}

// Nothing of a download stays in the program folder.
void lf_expectNoLeftovers()
{
    for (const auto& entry : fs::directory_iterator("."))
        EXPECT_TRUE(entry.is_directory() || entry.path().filename() == "Log.txt") << entry.path();
}

std::ostream& operator<<(std::ostream& out, const DataCase& data) { return out << data.name; }

DataCase dbaseCase()
{
    return {"dbase", "dbase.xml", &DBASE_VERSION, updateDbase, "No dbase version info found at the Tarnwick server?",
            [](const fs::path& file) { refgen::writeDbase(refgen::baseWorld(), file); }};
}

DataCase aigCase()
{
    return {"aig", "AIG-regcodes.xml", &AIG_VERSION, updateAigRegcodes,
            "No AIG regcodes version info found at the Tarnwick server?",
            [](const fs::path& file) { refgen::writeAigRegcodes(refgen::baseWorld(), file); }};
}

class DataUpdate : public UpdaterTest, public ::testing::WithParamInterface<DataCase> {
protected:
    DataUpdate()
    {
        fs::create_directory("input");
        DBASE_VERSION.assignValue("");
        AIG_VERSION.assignValue("");
    }

    std::string data(const std::string& mark) const { return lf_data(GetParam(), mark); }
    std::string serverPath() const { return std::string(GetParam().name) + "/" + GetParam().file; }
    std::string versionPath() const { return std::string(GetParam().name) + "/version.json"; }
    fs::path installed() const { return fs::path("input") / GetParam().file; }
    std::string storedSetting() const { return stored(GetParam().setting->key); }
    // The file in "input" and the version setting.
    void expectInstalled(const std::string& content, const std::string& version) const
    {
        EXPECT_EQ(gf_testReadFile(installed()), content);
        EXPECT_EQ(GetParam().setting->getValue(), version);
    }

    void serve(const std::string& version, const std::string& content)
    {
        server.put(versionPath(), version);
        server.put(serverPath(), content);
    }
    void install(const std::string& version, const std::string& content)
    {
        GetParam().setting->assignValue(version);
        gf_testWriteFile(installed(), content);
    }
};

TEST_P(DataUpdate, NewerServerVersionIsInstalledAndRecorded)
{
    install("1.2.2", "<old/>");
    serve("{\"major\":1,\"minor\":2,\"patch\":3}\n", data("1.2.3"));
    GetParam().update();
    expectInstalled(data("1.2.3"), "1.2.3");
    EXPECT_EQ(storedSetting(), "1.2.3");
    EXPECT_TRUE(logged(std::string("Downloading ") + GetParam().file + " version 1.2.3 ..."));
    lf_expectNoLeftovers();

    // A first installation: empty setting, no file yet.
    fs::remove(installed());
    GetParam().setting->assignValue("");
    serve("2.0.0\n", data("2.0.0"));
    GetParam().update();
    expectInstalled(data("2.0.0"), "2.0.0");
}

TEST_P(DataUpdate, EqualOrOlderServerVersionDownloadsNothing)
{
    for (const char* serverVersion : {"1.2.3", "1.2.2", "0.9.9"}) {
        SCOPED_TRACE(serverVersion);
        install("1.2.3", data("installed"));
        serve(std::string(serverVersion) + "\n", data("server"));
        GetParam().update();
        expectInstalled(data("installed"), "1.2.3");
    }
    EXPECT_FALSE(server.requested(serverPath()));
    EXPECT_FALSE(logged("Downloading"));
    lf_expectNoLeftovers();
}

TEST_P(DataUpdate, MissingInstalledFileIsFetchedAgainAtTheSameVersion)
{
    GetParam().setting->assignValue("1.2.3");
    serve("1.2.3\n", data("again"));
    GetParam().update();
    expectInstalled(data("again"), "1.2.3");

    // So is one that the start-up cannot read, such as a log-in page installed by an earlier program.
    install("1.2.3", "<html><body><p>Please log in</p></body></html>");
    GetParam().update();
    expectInstalled(data("again"), "1.2.3");
}

TEST_P(DataUpdate, MissingOrUnreadableServerVersionChangesNothing)
{
    install("1.0.0", "<installed/>");
    server.put(serverPath(), "<server/>");
    for (const char* version : {"", "not a version\n", "{\n\"major\": 5, \"minor\": 0, \"patch\": 0}\n"}) {
        server.put(versionPath(), version);
        GetParam().update();
    }
    server.fault(versionPath(), "404");
    GetParam().update();
    server.fault(versionPath(), "500");
    GetParam().update();
    EXPECT_FALSE(server.requested(serverPath()));
    expectInstalled("<installed/>", "1.0.0");
    EXPECT_EQ(storedSetting(), "<missing>");
    EXPECT_TRUE(logged(std::string("===> ") + GetParam().noVersionMessage));
    lf_expectNoLeftovers();
}

TEST_P(DataUpdate, BrokenDataDownloadsLeaveFileAndVersionAsTheyWere)
{
    install("1.0.0", "<installed/>");
    serve("2.0.0\n", "<server>" + std::string(4000, 'x') + "</server>");
    for (const char* mode : {"404", "500", "cut", "stall"}) {
        SCOPED_TRACE(mode);
        server.fault(serverPath(), mode);
        GetParam().update();
        expectInstalled("<installed/>", "1.0.0");
    }
    // Answered with success, but a proxy's log-in page (also one of well-formed XML),
    // nothing at all, or the other file's data.
    server.fault(serverPath(), "");
    const std::string otherData = lf_data(GetParam().setting == &DBASE_VERSION ? aigCase() : dbaseCase(), "other");
    for (const std::string& body : {std::string("<html><body><p>Please log in<br></body></html>"),
                                    std::string("<html><body><p>Please log in</p></body></html>"), std::string(),
                                    otherData}) {
        SCOPED_TRACE(body.substr(0, 60));
        server.put(serverPath(), body);
        GetParam().update();
        expectInstalled("<installed/>", "1.0.0");
    }
    EXPECT_EQ(storedSetting(), "<missing>");
    EXPECT_TRUE(logged("downloading " + installed().string() + " failed?"));
    EXPECT_TRUE(logged(std::string("===> downloaded ") + GetParam().file + " version 2.0.0 is not the data ("));
    EXPECT_EQ(statusText(), std::string("Downloaded ") + GetParam().file + " is not the data, see Log.txt");
    lf_expectNoLeftovers();
}

TEST_P(DataUpdate, FailureWithoutInstalledFileLeavesNoFile)
{
    serve("2.0.0\n", "<server/>");
    server.fault(serverPath(), "cut");
    GetParam().update();
    EXPECT_FALSE(fs::exists(installed()));
    EXPECT_EQ(GetParam().setting->getValue(), "");
}

INSTANTIATE_TEST_SUITE_P(Updater, DataUpdate, ::testing::Values(dbaseCase(), aigCase()),
                         [](const auto& info) { return std::string(info.param.name); });

// The reference data with one stored airline code of four characters where the start-up
// unscrambles one: among the ICAO airlines, or in a registration record.
std::string lf_dbaseWithBadCode(const std::string& section, const std::string& entry)
{
    std::string text = lf_data(dbaseCase(), "bad " + section);
    text.insert(text.find("</" + section + ">"), entry);
    return text;
}

class DbaseUpdate : public UpdaterTest {
protected:
    DbaseUpdate() { fs::create_directory("input"); }
    void install(const std::string& version, const std::string& content) const
    {
        DBASE_VERSION.assignValue(version);
        gf_testWriteFile(fs::path("input") / "dbase.xml", content);
    }
};

// Data the start-up would stop on (every start, since the installed-file check let it pass)
// are refused like any other that is not the data, and a file of them already installed is
// fetched again at the same version.
TEST_F(DbaseUpdate, DataTheStartUpCannotReadAreRefusedAndReplaced)
{
    const std::string good = lf_data(dbaseCase(), "good");
    for (const auto& [section, entry] : {std::pair{"ICAO_airlines", "<ICAO codes=\"ABCD\" />"},
                                         std::pair{"dbase", "<db reg=\"\" airl=\"ABCD\" />"},
                                         std::pair{"dbase", "<db reg=\"\" opr=\"ABCD\" />"}}) {
        SCOPED_TRACE(entry);
        install("1.0.0", good);
        const std::string bad = lf_dbaseWithBadCode(section, entry);
        server.put("dbase/version.json", "2.0.0\n");
        server.put("dbase/dbase.xml", bad);
        ASSERT_NO_THROW(updateDbase());
        EXPECT_EQ(gf_testReadFile(fs::path("input") / "dbase.xml"), good);
        EXPECT_EQ(DBASE_VERSION.getValue(), "1.0.0");
        EXPECT_TRUE(logged("===> downloaded dbase.xml version 2.0.0 is not the data (decrypt airl \"ABCD\" error)"));
        lf_expectNoLeftovers();

        install("2.0.0", bad);
        server.put("dbase/dbase.xml", good);
        updateDbase();
        EXPECT_EQ(gf_testReadFile(fs::path("input") / "dbase.xml"), good);
        EXPECT_EQ(DBASE_VERSION.getValue(), "2.0.0");
    }
}

class AigOldLayout : public UpdaterTest {
protected:
    AigOldLayout()
    {
        fs::create_directories(oldFolder);
        gf_testWriteFile(oldFolder / "AIG-regcodes.xml", "<old/>");
        AIG_VERSION.assignValue("1.0.0");
        gf_testWriteFile(fs::path("input") / "AIG-regcodes.xml", lf_data(aigCase(), "installed"));
        server.put("aig/AIG-regcodes.xml", newList);
    }
    const std::string newList = lf_data(aigCase(), "new");
    const fs::path oldFolder = fs::path("input") / "regcodesAIG";
};

TEST_F(AigOldLayout, IsRemovedAfterADownload)
{
    server.put("aig/version.json", "1.1.0\n");
    updateAigRegcodes();
    EXPECT_FALSE(fs::exists(oldFolder));
    EXPECT_EQ(gf_testReadFile(fs::path("input") / "AIG-regcodes.xml"), newList);
}

TEST_F(AigOldLayout, KeepsFilesOfTheUserAndStaysWhenNothingWasDownloaded)
{
    server.put("aig/version.json", "1.0.0\n");
    updateAigRegcodes();
    EXPECT_TRUE(fs::exists(oldFolder / "AIG-regcodes.xml"));

    gf_testWriteFile(oldFolder / "mine.txt", "user");
    server.put("aig/version.json", "1.1.0\n");
    updateAigRegcodes();
    EXPECT_FALSE(fs::exists(oldFolder / "AIG-regcodes.xml"));
    EXPECT_EQ(gf_testReadFile(oldFolder / "mine.txt"), "user");
}

} // namespace
