// "Check version": which newer versions the stand-in offers; only version files are
// fetched and no setting changes.
#include "updater_support.h"

#include "app/updater.h"
#include "foundation/settingscatalogue.h"

namespace {

class CheckVersions : public UpdaterTest {
protected:
    CheckVersions()
    {
        DBASE_VERSION.assignValue("1.2.2");
        ARCHIVE_VERSION.assignValue("2.0.0");
        AIG_VERSION.assignValue("3.0.0");
        server.put("release/version_P3D.json", "9.3.0\n");
        server.put("dbase/version.json", "1.2.2\n");
        server.put("archive/p3d/version.json", "{\"major\":2,\"minor\":0,\"patch\":0}\n");
        server.put("aig/version.json", "3.0.0\n");
    }
    void expectSettingsUnchanged()
    {
        EXPECT_EQ(DBASE_VERSION.getValue(), "1.2.2");
        EXPECT_EQ(ARCHIVE_VERSION.getValue(), "2.0.0");
        EXPECT_EQ(AIG_VERSION.getValue(), "3.0.0");
    }
};

TEST_F(CheckVersions, ListsWhatIsNewer)
{
    EXPECT_EQ(checkVersions(), "");

    server.put("dbase/version.json", "1.2.3\n");
    EXPECT_EQ(checkVersions(), "New version for: dbase (1.2.3)");

    server.put("archive/p3d/version.json", "3.0.0\n");
    EXPECT_EQ(checkVersions(), "New versions for: dbase (1.2.3), archive (3.0.0)");

    server.put("release/version_P3D.json", "9.4.0\n");
    server.put("aig/version.json", "3.0.1\n");
    EXPECT_EQ(checkVersions(),
              "New versions for: Tarnwick_P3D (9.4.0), dbase (1.2.3), archive (3.0.0), AIG-regcodes (3.0.1)");
    expectSettingsUnchanged();

    // Only version files were asked for.
    for (const std::string& path : server.requests())
        EXPECT_TRUE(path.ends_with("version.json") || path.ends_with("version_P3D.json")) << path;
}

TEST_F(CheckVersions, OlderOrMissingVersionsAreNotNewer)
{
    server.put("release/version_P3D.json", "9.2.0\n");
    server.put("dbase/version.json", "1.0.0\n");
    server.fault("archive/p3d/version.json", "500");
    server.put("aig/version.json", "{\n\"major\": 9, \"minor\": 0, \"patch\": 0}\n");
    EXPECT_EQ(checkVersions(), "");

    // An empty setting counts as 0.0.0; a server without information still is not newer.
    DBASE_VERSION.assignValue("");
    server.fault("dbase/version.json", "404");
    EXPECT_EQ(checkVersions(), "");
    server.fault("dbase/version.json", "");
    EXPECT_EQ(checkVersions(), "New version for: dbase (1.0.0)");
}

} // namespace
