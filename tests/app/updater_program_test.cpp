// A newer program on the stand-in: the installer is fetched and unpacked and the user
// is told to run it; anything broken leaves the program going on as it is.
#include "updater_support.h"

#include "app/updater.h"
#include "foundation/settingscatalogue.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string installerName = "setup_Tarnwick_P3D_v9.4.0.zip";

// More than one chunk of the extraction.
const std::string installerBytes = "MZ" + gf_testBytes(600000);

class ProgramUpdate : public UpdaterTest {
protected:
    ProgramUpdate() { PROGRAM_INSTALL_PATH.assignValue("C:\\Program Files\\Tarnwick_P3D"); }

    void expectGoesOn()
    {
        EXPECT_NO_THROW(updateProgram());
        EXPECT_FALSE(fs::exists("install_new_version.exe"));
        EXPECT_FALSE(fs::exists("install_new_version.exe.part"));
        EXPECT_FALSE(fs::exists(installerName));
    }
};

TEST_F(ProgramUpdate, NewerVersionIsUnpackedAndReportedAsUserError99)
{
    server.put("release/version_P3D.json", "{\"major\": 9, \"minor\": 4, \"patch\": 0}\n");
    server.put("release/" + installerName,
               gf_testZip({{"Tarnwick_P3D/", ""}, {"Tarnwick_P3D/setup.exe", installerBytes}}));
    EXPECT_EQ(gf_testUserError(updateProgram), "New version 9.4.0 available. Exit here, and run as administrator:   "
                                               "\"C:\\Program Files\\Tarnwick_P3D\\install_new_version.exe\"");
    EXPECT_EQ(gf_testReadFile("install_new_version.exe"), installerBytes);
    EXPECT_FALSE(fs::exists(installerName));
    EXPECT_TRUE(logged("downloaded " + installerName));
    EXPECT_TRUE(logged(installerName + " extracted to install_new_version.exe"));
}

TEST_F(ProgramUpdate, SameOlderOrUnknownVersionDownloadsNothing)
{
    server.put("release/" + installerName, gf_testZip({{"setup.exe", "MZ"}}));
    for (const char* version : {"9.3.0", "9.2.9", "8.9.9"}) {
        server.put("release/version_P3D.json", std::string(version) + "\n");
        expectGoesOn();
    }
    server.fault("release/version_P3D.json", "404");
    expectGoesOn();
    EXPECT_TRUE(logged("===> Program Version file not found?"));
    EXPECT_FALSE(server.requested("release/" + installerName));
}

TEST_F(ProgramUpdate, BrokenInstallerDownloadsLetTheProgramGoOn)
{
    server.put("release/version_P3D.json", "9.4.0\n");
    server.put("release/" + installerName, gf_testZip({{"setup.exe", installerBytes}}));
    for (const char* mode : {"404", "500", "cut", "stall"}) {
        SCOPED_TRACE(mode);
        server.fault("release/" + installerName, mode);
        expectGoesOn();
    }
    EXPECT_TRUE(logged("Downloading program installer file version 9.4.0 failed"));

    server.fault("release/" + installerName, "");
    server.put("release/" + installerName, "<html>moved</html>");
    expectGoesOn();
    EXPECT_TRUE(logged("===> could not open " + installerName));

    // A damaged installer inside an intact zip.
    std::string zip = gf_testZip({{"setup.exe", installerBytes}});
    zip[30 + 9 + 100] ^= 0x44;
    server.put("release/" + installerName, zip);
    expectGoesOn();
    EXPECT_TRUE(logged("===> extracting error code : "));
    EXPECT_TRUE(logged("download/extract of the new version failed? Try manually via my website"));
}

} // namespace
