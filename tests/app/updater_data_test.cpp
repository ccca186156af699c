// dbase.xml and AIG-regcodes.xml against the stand-in: when they are downloaded, and
// that no broken answer touches the installed file or its version setting.
#include "updater_support.h"

#include "app/updater.h"
#include "foundation/settingscatalogue.h"

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
};

std::ostream& operator<<(std::ostream& out, const DataCase& data) { return out << data.name; }

class DataUpdate : public UpdaterTest, public ::testing::WithParamInterface<DataCase> {
protected:
    DataUpdate()
    {
        fs::create_directory("input");
        DBASE_VERSION.assignValue("");
        AIG_VERSION.assignValue("");
    }

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
    // Nothing of a download stays in the program folder.
    void expectNoLeftovers() const
    {
        for (const auto& entry : fs::directory_iterator("."))
            EXPECT_TRUE(entry.is_directory() || entry.path().filename() == "Log.txt") << entry.path();
    }
};

TEST_P(DataUpdate, NewerServerVersionIsInstalledAndRecorded)
{
    install("1.2.2", "<old/>");
    serve("{\"major\":1,\"minor\":2,\"patch\":3}\n", "<data>\n<new/>\n</data>\n");
    GetParam().update();
    expectInstalled("<data>\n<new/>\n</data>\n", "1.2.3");
    EXPECT_EQ(storedSetting(), "1.2.3");
    EXPECT_TRUE(logged(std::string("Downloading ") + GetParam().file + " version 1.2.3 ..."));
    expectNoLeftovers();

    // A first installation: empty setting, no file yet.
    fs::remove(installed());
    GetParam().setting->assignValue("");
    serve("2.0.0\n", "<v2/>");
    GetParam().update();
    expectInstalled("<v2/>", "2.0.0");
}

TEST_P(DataUpdate, EqualOrOlderServerVersionDownloadsNothing)
{
    for (const char* serverVersion : {"1.2.3", "1.2.2", "0.9.9"}) {
        SCOPED_TRACE(serverVersion);
        install("1.2.3", "<installed/>");
        serve(std::string(serverVersion) + "\n", "<server/>");
        GetParam().update();
        expectInstalled("<installed/>", "1.2.3");
    }
    EXPECT_FALSE(server.requested(serverPath()));
    EXPECT_FALSE(logged("Downloading"));
    expectNoLeftovers();
}

TEST_P(DataUpdate, MissingInstalledFileIsFetchedAgainAtTheSameVersion)
{
    GetParam().setting->assignValue("1.2.3");
    serve("1.2.3\n", "<again/>");
    GetParam().update();
    expectInstalled("<again/>", "1.2.3");
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
    expectNoLeftovers();
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
    // Answered with success, but an HTML page or nothing at all.
    server.fault(serverPath(), "");
    for (const char* body : {"<html><body><p>Please log in<br></body></html>", ""}) {
        SCOPED_TRACE(body);
        server.put(serverPath(), body);
        GetParam().update();
        expectInstalled("<installed/>", "1.0.0");
    }
    EXPECT_EQ(storedSetting(), "<missing>");
    EXPECT_TRUE(logged("downloading " + installed().string() + " failed?"));
    EXPECT_TRUE(logged("is no XML file"));
    expectNoLeftovers();
}

TEST_P(DataUpdate, FailureWithoutInstalledFileLeavesNoFile)
{
    serve("2.0.0\n", "<server/>");
    server.fault(serverPath(), "cut");
    GetParam().update();
    EXPECT_FALSE(fs::exists(installed()));
    EXPECT_EQ(GetParam().setting->getValue(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Updater, DataUpdate,
    ::testing::Values(DataCase{"dbase", "dbase.xml", &DBASE_VERSION, updateDbase,
                               "No dbase version info found at the Tarnwick server?"},
                      DataCase{"aig", "AIG-regcodes.xml", &AIG_VERSION, updateAigRegcodes,
                               "No AIG regcodes version info found at the Tarnwick server?"}),
    [](const auto& info) { return std::string(info.param.name); });

class AigOldLayout : public UpdaterTest {
protected:
    AigOldLayout()
    {
        fs::create_directories(oldFolder);
        gf_testWriteFile(oldFolder / "AIG-regcodes.xml", "<old/>");
        AIG_VERSION.assignValue("1.0.0");
        gf_testWriteFile(fs::path("input") / "AIG-regcodes.xml", "<installed/>");
        server.put("aig/AIG-regcodes.xml", "<new/>");
    }
    const fs::path oldFolder = fs::path("input") / "regcodesAIG";
};

TEST_F(AigOldLayout, IsRemovedAfterADownload)
{
    server.put("aig/version.json", "1.1.0\n");
    updateAigRegcodes();
    EXPECT_FALSE(fs::exists(oldFolder));
    EXPECT_EQ(gf_testReadFile(fs::path("input") / "AIG-regcodes.xml"), "<new/>");
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
