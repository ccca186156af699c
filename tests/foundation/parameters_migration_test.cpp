#include "parameters_fixture.h"

#include "foundation/version.h"

#include <filesystem>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {
const char* const obsoleteKeys[] = {"TIME_COMPRESSION_CHECK", "SECONDS_DELAY",    "FLIGHTPLANS_FOLDER",
                                    "CALLSIGN_OBJECTID",      "DESTINATION_AIRPORT", "DESTINATION_GATE",
                                    "MAX_FIT_WEEK"};
} // namespace

TEST_F(ParametersTest, ANewFileGetsTheProgramVersionWithoutMigration)
{
    gf_setupParameters();
    EXPECT_EQ(PROGRAM_VERSION.getValue(), programVersion.toString());
    EXPECT_EQ(fileValues()["PROGRAM_VERSION"], programVersion.toString());
    EXPECT_THAT(logText(), Not(HasSubstr("This is a version update")));
}

TEST_F(ParametersTest, AnOlderVersionIsMigratedOnceAndItsVersionSavedLast)
{
    std::vector<std::pair<std::string, std::string>> elements = {{"PROGRAM_VERSION", "9.2.7"},
                                                                 {"MAX_FIT", "60"},
                                                                 {"LAST_EPOCH_TIME", "1700000000"},
                                                                 {"DATA_CHECKED_AT_DATE", "20260101"}};
    for (const char* key : obsoleteKeys)
        elements.emplace_back(key, "1");
    writeParameters(elements);
    gf_testWriteFile(folder / L"install_new_version.exe", "MZ");

    gf_setupParameters();

    const std::string log = logText();
    EXPECT_TRUE(logHasLine("This is a version update from 9.2.7 -> " + programVersion.toString()));
    auto values = fileValues();
    for (const char* key : obsoleteKeys) {
        EXPECT_EQ(values.count(key), 0u) << key;
        EXPECT_TRUE(logHasLine(std::string("Parameter ") + key + " removed"));
    }
    EXPECT_FALSE(fileExists(L"install_new_version.exe"));
    EXPECT_EQ(values["MAX_FIT"], "47");
    EXPECT_EQ(LAST_EPOCH_TIME.value.load(), 0);
    EXPECT_EQ(values["LAST_EPOCH_TIME"], "0");
    EXPECT_EQ(DATA_CHECKED_AT_DATE.getValue(), ""); // emptied in memory only
    EXPECT_EQ(values["DATA_CHECKED_AT_DATE"], "20260101");
    EXPECT_EQ(values["PROGRAM_VERSION"], programVersion.toString());
    // The version is stored after every other step, so an interrupted migration runs again.
    const std::size_t versionSaved = log.find("PROGRAM_VERSION=" + programVersion.toString());
    ASSERT_NE(versionSaved, std::string::npos);
    EXPECT_GT(versionSaved, log.find("LAST_EPOCH_TIME=0"));
    EXPECT_GT(versionSaved, log.find("Parameter MAX_FIT_WEEK removed"));

    // The next start finds the running version and migrates nothing.
    LAST_EPOCH_TIME.value = 5;
    gf_saveParameterValue(LAST_EPOCH_TIME);
    gf_closeLog();
    gf_openLog();
    gf_setupParameters();
    EXPECT_THAT(logText(), Not(HasSubstr("This is a version update")));
    EXPECT_EQ(LAST_EPOCH_TIME.value.load(), 5);
}

TEST_F(ParametersTest, ANewerStoredVersionIsOverwrittenWithoutMigration)
{
    writeParameters({{"PROGRAM_VERSION", "99.0.1"}, {"LAST_EPOCH_TIME", "1700000000"}, {"SECONDS_DELAY", "3"}});
    gf_setupParameters();
    const auto values = fileValues();
    EXPECT_EQ(values.at("PROGRAM_VERSION"), programVersion.toString());
    EXPECT_EQ(values.at("LAST_EPOCH_TIME"), "1700000000");
    EXPECT_EQ(values.count("SECONDS_DELAY"), 1u);
    EXPECT_THAT(logText(), Not(HasSubstr("This is a version update")));
}

TEST_F(ParametersTest, AnInstallerThatCannotBeRemovedDoesNotStopTheMigration)
{
    writeParameters({{"PROGRAM_VERSION", "1.0.0"}, {"LAST_EPOCH_TIME", "42"}});
    // A folder with content in its place cannot be removed as a file.
    std::filesystem::create_directories(folder / L"install_new_version.exe" / L"inside");

    gf_setupParameters();

    EXPECT_THAT(logText(), HasSubstr("===> could not remove install_new_version.exe"));
    const auto values = fileValues();
    EXPECT_EQ(values.at("LAST_EPOCH_TIME"), "0");
    EXPECT_EQ(values.at("PROGRAM_VERSION"), programVersion.toString());
}

TEST_F(ParametersTest, AnUnreadableStoredVersionCountsAsOld)
{
    writeParameters({{"PROGRAM_VERSION", "unknown"}, {"LAST_EPOCH_TIME", "42"}});
    gf_setupParameters();
    EXPECT_TRUE(logHasLine("This is a version update from 0.0.0 -> " + programVersion.toString()));
    EXPECT_EQ(fileValues().at("PROGRAM_VERSION"), programVersion.toString());
}
