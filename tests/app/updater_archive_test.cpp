// The airport archive against the stand-in: when it is installed, where its entries go,
// and that no broken answer or hostile archive changes ARCHIVE_VERSION or writes outside
// "airports".
#include "updater_support.h"

#include "app/updater.h"
#include "foundation/settingscatalogue.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "liveries/liveries.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

const fs::path archiveFolder = fs::path("airports") / "archive";

class ArchiveUpdate : public UpdaterTest {
protected:
    ArchiveUpdate()
    {
        fs::create_directory("airports");
        ARCHIVE_VERSION.assignValue("");
        publisherGroups.clear();
        gf_addSplitFields({"FlyTampa, FlyTampa_, FT_", "Aerosoft, AS_"});
        server.put("docs/P3D_archive.txt", "archive notes\n");
        server.put("docs/P3D_archive.csv", "code;publisher\n");
    }

    void serve(const std::string& version, const Entries& entries)
    {
        server.put("archive/p3d/version.json", version + "\n");
        server.put("archive/p3d/archive.zip", gf_testZip(entries));
    }
    void makeFolders()
    {
        for (const char* name : {"stock", "ORBX", "thirdparty"})
            fs::create_directories(archiveFolder / name);
    }
    static std::string installed(const std::string& name) { return gf_testReadFile(fs::path("airports") / name); }
};

const Entries firstArchive = {
    {"archive/", ""},
    {"archive/stock/EHAM.xml", "<stock>\n</stock>"},
    {"archive/ORBX/YBBN.xml", "<orbx/>"},
    {"archive/thirdparty/FlyTampa/EKCH.xml", "<ft/>"},
    {"archive/thirdparty/AS_sceneries/LOWI.xml", "<as/>"},
    {"archive/thirdparty/Nobody/KXYZ.xml", "<nobody/>"},
    {"archive/readme.txt", "not an airport"},
};

TEST_F(ArchiveUpdate, FirstInstallationExtractsEveryAirportWithItsPublisherFolders)
{
    serve("2.3.0", firstArchive);
    EXPECT_TRUE(updateArchive());
    EXPECT_EQ(installed("archive/stock/EHAM.xml"), "<stock>\r\n</stock>\r\n");
    EXPECT_EQ(installed("archive/ORBX/YBBN.xml"), "<orbx/>\r\n");
    EXPECT_EQ(installed("archive/thirdparty/FlyTampa/EKCH.xml"), "<ft/>\r\n");
    EXPECT_EQ(installed("archive/thirdparty/AS_sceneries/LOWI.xml"), "<as/>\r\n");
    EXPECT_TRUE(fs::is_directory(archiveFolder / "thirdparty" / "Aerosoft")) << "the publisher's own folder";
    // No publisher, still extracted.
    EXPECT_EQ(installed("archive/thirdparty/Nobody/KXYZ.xml"), "<nobody/>\r\n");
    EXPECT_FALSE(fs::exists(archiveFolder / "readme.txt"));
    EXPECT_EQ(ARCHIVE_VERSION.getValue(), "2.3.0");
    EXPECT_EQ(stored("ARCHIVE_VERSION"), "2.3.0");
    EXPECT_TRUE(logged("===> pub archive/thirdparty/Nobody/KXYZ.xml not found"));
    EXPECT_TRUE(logged("Downloading archive files version 2.3.0 ..."));
    EXPECT_TRUE(logged("archive.zip extracted 5 files"));
    EXPECT_TRUE(logged("Archive has been updated to version 2.3.0"));
    EXPECT_EQ(gf_testReadFile(fs::path("docs") / "P3D_archive.txt"), "archive notes\n");
    EXPECT_EQ(gf_testReadFile(fs::path("docs") / "P3D_archive.csv"), "code;publisher\n");
    EXPECT_FALSE(fs::exists("archive.zip"));
    EXPECT_FALSE(fs::exists("P3D_archive.txt"));
}

TEST_F(ArchiveUpdate, WhenToInstall)
{
    makeFolders();
    serve("2.3.0", {{"archive/stock/EHAM.xml", "<a/>"}});
    // Same version, all folders there: nothing to do.
    ARCHIVE_VERSION.assignValue("2.3.0");
    EXPECT_FALSE(updateArchive());
    ARCHIVE_VERSION.assignValue("2.4.0");
    EXPECT_FALSE(updateArchive());
    EXPECT_FALSE(server.requested("archive/p3d/archive.zip"));
    EXPECT_FALSE(fs::exists(archiveFolder / "stock" / "EHAM.xml"));

    // Major number 0: installed at every call.
    ARCHIVE_VERSION.assignValue("0.5.0");
    serve("0.4.0", {{"archive/stock/EHAM.xml", "<a/>"}});
    EXPECT_TRUE(updateArchive());
    EXPECT_EQ(ARCHIVE_VERSION.getValue(), "0.4.0");

    // A missing folder brings the same version again.
    ARCHIVE_VERSION.assignValue("2.3.0");
    serve("2.3.0", {{"archive/stock/EHAM.xml", "<b/>"}});
    fs::remove_all(archiveFolder / "ORBX");
    EXPECT_TRUE(prepareArchiveFolders());
    EXPECT_TRUE(updateArchive());
    EXPECT_FALSE(prepareArchiveFolders());
    EXPECT_EQ(installed("archive/stock/EHAM.xml"), "<b/>\r\n");

    // The server went back to 1.0.0 or 0.1.0.
    for (const char* back : {"1.0.0", "0.1.0"}) {
        ARCHIVE_VERSION.assignValue("2.3.0");
        serve(back, {{"archive/stock/EHAM.xml", back}});
        EXPECT_TRUE(updateArchive());
        EXPECT_EQ(ARCHIVE_VERSION.getValue(), back);
        EXPECT_EQ(installed("archive/stock/EHAM.xml"), std::string(back) + "\r\n");
    }
    // ... but not to another older version.
    ARCHIVE_VERSION.assignValue("2.3.0");
    serve("1.5.0", {{"archive/stock/EHAM.xml", "<c/>"}});
    EXPECT_FALSE(updateArchive());
    EXPECT_EQ(ARCHIVE_VERSION.getValue(), "2.3.0");
}

TEST_F(ArchiveUpdate, NewArchiveOverwritesItsFilesAndKeepsTheOthers)
{
    serve("1.0.0", {{"archive/stock/EHAM.xml", "<one/>"}, {"archive/stock/EDDF.xml", "<gone/>"}});
    ASSERT_TRUE(updateArchive());
    serve("1.1.0", {{"archive/stock/EHAM.xml", "<two/>"}});
    ASSERT_TRUE(updateArchive());
    EXPECT_EQ(installed("archive/stock/EHAM.xml"), "<two/>\r\n");
    EXPECT_EQ(installed("archive/stock/EDDF.xml"), "<gone/>\r\n");
    EXPECT_EQ(ARCHIVE_VERSION.getValue(), "1.1.0");
}

TEST_F(ArchiveUpdate, CountsEveryAirportFile)
{
    Entries entries;
    for (int i = 0; i < 650; ++i)
        entries.emplace_back("archive/stock/A" + std::to_string(i) + ".xml", "<a/>");
    entries.emplace_back("archive/stock/notes.txt", "skipped");
    serve("3.0.0", entries);
    ASSERT_TRUE(updateArchive());
    EXPECT_TRUE(logged("archive.zip extracted 650 files"));
    EXPECT_EQ(gf_countDirEntries(archiveFolder / "stock"), 650);
}

TEST_F(ArchiveUpdate, BrokenAnswersLeaveAirportsAndVersionAsTheyWere)
{
    serve("1.0.0", {{"archive/stock/EHAM.xml", "<one/>"}});
    ASSERT_TRUE(updateArchive());
    const auto expectVersionOne = [] {
        EXPECT_EQ(installed("archive/stock/EHAM.xml"), "<one/>\r\n");
        EXPECT_EQ(ARCHIVE_VERSION.getValue(), "1.0.0");
    };
    server.put("archive/p3d/archive.zip", gf_testZip({{"archive/stock/EHAM.xml", "<two/>"}}));
    server.put("archive/p3d/version.json", "2.0.0\n");
    for (const char* mode : {"404", "500", "cut", "stall"}) {
        SCOPED_TRACE(mode);
        server.fault("archive/p3d/archive.zip", mode);
        EXPECT_FALSE(updateArchive());
        expectVersionOne();
    }
    EXPECT_TRUE(logged("Downloading archive files version 2.0.0 failed"));

    // Success status, but no zip.
    server.fault("archive/p3d/archive.zip", "");
    server.put("archive/p3d/archive.zip", "<html><body>Service unavailable</body></html>");
    EXPECT_FALSE(updateArchive());
    EXPECT_TRUE(logged("===> could not open archive.zip"));
    expectVersionOne();

    // No version information.
    server.put("archive/p3d/archive.zip", gf_testZip({{"archive/stock/EHAM.xml", "<two/>"}}));
    for (const char* mode : {"404", "cut"}) {
        server.fault("archive/p3d/version.json", mode);
        EXPECT_FALSE(updateArchive());
    }
    EXPECT_TRUE(logged("===> No archive version info found at the Tarnwick server?"));
    expectVersionOne();
    EXPECT_EQ(stored("ARCHIVE_VERSION"), "1.0.0");
}

TEST_F(ArchiveUpdate, EntriesOutsideAirportsAreRefused)
{
    // The stand-in builds these archives: a good entry beside ..\..\evil.xml and
    // archive/../../evil2.xml, or beside /tmp/evil.xml, C:/evil.xml and \evil3.xml.
    ARCHIVE_VERSION.assignValue("1.0.0");
    server.put("archive/p3d/version.json", "2.0.0\n");
    for (const char* mode : {"zip-traversal", "zip-absolute"}) {
        SCOPED_TRACE(mode);
        server.fault("archive/p3d/archive.zip", mode);
        EXPECT_FALSE(updateArchive());
        EXPECT_EQ(installed("archive/stock/good.xml"), "<airport code=\"GOOD\"/>\r\n");
        EXPECT_EQ(ARCHIVE_VERSION.getValue(), "1.0.0") << "not every entry was installed";
    }
    EXPECT_EQ(stored("ARCHIVE_VERSION"), "<missing>");
    const fs::path program = fs::current_path();
    for (const fs::path& place : {program / "evil.xml", program / "evil2.xml", program.parent_path() / "evil.xml",
                                  program.parent_path() / "evil2.xml", program.parent_path().parent_path() / "evil.xml",
                                  fs::path("C:/evil.xml"), fs::path("C:/tmp/evil.xml"), fs::path("C:/evil3.xml"),
                                  fs::path("/evil3.xml")})
        EXPECT_FALSE(fs::exists(place)) << place;
    EXPECT_TRUE(logged("entry ..\\..\\evil.xml refused"));
    EXPECT_TRUE(logged("entry C:/evil.xml refused"));
    EXPECT_TRUE(logged("Archive version 2.0.0 was not installed completely"));
}

TEST_F(ArchiveUpdate, AFailedWriteIsReportedAndTheVersionNotRecorded)
{
    ARCHIVE_VERSION.assignValue("1.0.0");
    makeFolders();
    // A folder where the file should go cannot be replaced by it.
    fs::create_directories(archiveFolder / "stock" / "EHAM.xml");
    serve("2.0.0", {{"archive/stock/EHAM.xml", "<blocked/>"}, {"archive/stock/EGLL.xml", "<fine/>"}});
    EXPECT_FALSE(updateArchive());
    EXPECT_EQ(installed("archive/stock/EGLL.xml"), "<fine/>\r\n");
    EXPECT_EQ(ARCHIVE_VERSION.getValue(), "1.0.0");
    EXPECT_TRUE(logged("===> writing airports\\archive\\stock\\EHAM.xml failed?"));
    EXPECT_FALSE(fs::exists(archiveFolder / "stock" / "EHAM.xml.part"));
    EXPECT_FALSE(fs::exists(fs::path("docs") / "P3D_archive.txt")) << "no documents for an archive not installed";
}

TEST_F(ArchiveUpdate, ADamagedEntryIsNotInstalled)
{
    ARCHIVE_VERSION.assignValue("1.0.0");
    const std::string name = "archive/stock/EHAM.xml";
    std::string zip = gf_testZip({{name, std::string(3000, 'q') + "<x/>"}});
    zip[30 + name.size() + 8] ^= 0x33;
    server.put("archive/p3d/version.json", "2.0.0\n");
    server.put("archive/p3d/archive.zip", zip);
    EXPECT_FALSE(updateArchive());
    EXPECT_FALSE(fs::exists(archiveFolder / "stock" / "EHAM.xml"));
    EXPECT_EQ(ARCHIVE_VERSION.getValue(), "1.0.0");
    EXPECT_TRUE(logged("===> could not read archive/stock/EHAM.xml from archive.zip"));
}

TEST_F(ArchiveUpdate, MissingDocumentsDoNotUndoTheArchive)
{
    server.fault("docs/P3D_archive.csv", "404");
    serve("1.0.0", {{"archive/stock/EHAM.xml", "<one/>"}});
    EXPECT_TRUE(updateArchive());
    EXPECT_EQ(ARCHIVE_VERSION.getValue(), "1.0.0");
    EXPECT_TRUE(fs::exists(fs::path("docs") / "P3D_archive.txt"));
    EXPECT_FALSE(fs::exists(fs::path("docs") / "P3D_archive.csv"));
    EXPECT_TRUE(logged("===> downloading docs\\P3D_archive.csv failed?"));
}

TEST_F(ArchiveUpdate, PublisherNamesThatAreNoFolderAreLoggedAndTheEntryStillExtracted)
{
    publisherGroups.clear();
    gf_addSplitFields({"..\\..\\Up, Climb_", "Bad<Name>, Odd_"});
    serve("1.0.0", {{"archive/thirdparty/Climb_/EHAM.xml", "<c/>"}, {"archive/thirdparty/Odd_/EGLL.xml", "<o/>"}});
    EXPECT_TRUE(updateArchive());
    EXPECT_EQ(installed("archive/thirdparty/Climb_/EHAM.xml"), "<c/>\r\n");
    EXPECT_EQ(installed("archive/thirdparty/Odd_/EGLL.xml"), "<o/>\r\n");
    EXPECT_FALSE(fs::exists("Up"));
    EXPECT_FALSE(fs::exists(fs::path("airports") / "Up"));
    EXPECT_TRUE(logged("===> no folder for pub ..\\..\\Up of archive/thirdparty/Climb_/EHAM.xml: not a folder name"));
    EXPECT_TRUE(logged("===> no folder for pub Bad<Name> of archive/thirdparty/Odd_/EGLL.xml"));
}

} // namespace
