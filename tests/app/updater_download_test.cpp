// Single downloads against the stand-in server: what arrives, and what a broken answer
// leaves behind.
#include "updater_support.h"

#include "app/download.h"

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

class DownloadTest : public UpdaterTest {};

TEST_F(DownloadTest, FetchesTheWholeBodyIntoTheFile)
{
    const std::string body = gf_testBytes(70000);
    server.put("bin/data.zip", body);
    const CurlHandle handle = gf_newCurlHandle();
    ASSERT_TRUE(gf_download(handle.get(), server.url("bin/data.zip"), "data.zip"));
    EXPECT_EQ(gf_testReadFile("data.zip"), body);
    EXPECT_FALSE(fs::exists("data.zip.part"));

    // Text files too arrive as the server sent them: no line end is doubled.
    server.put("t/lines.txt", "a\r\nb\n");
    ASSERT_TRUE(gf_download(handle.get(), server.url("t/lines.txt"), "lines.txt"));
    EXPECT_EQ(gf_testReadFile("lines.txt"), "a\r\nb\n");
}

TEST_F(DownloadTest, BrokenAnswersFailAndLeaveTheFileAsItWas)
{
    server.put("d/file.xml", std::string(5000, 'n'));
    const CurlHandle handle = gf_newCurlHandle();
    for (const char* mode : {"404", "500", "cut", "stall", "redirect"}) {
        SCOPED_TRACE(mode);
        gf_testWriteFile("file.xml", "old content");
        server.fault("d/file.xml", mode);
        EXPECT_FALSE(gf_download(handle.get(), server.url("d/file.xml"), "file.xml"));
        EXPECT_EQ(gf_testReadFile("file.xml"), "old content");
        EXPECT_FALSE(fs::exists("file.xml.part"));
    }
    // A missing file on the server is a 404 too.
    EXPECT_FALSE(gf_download(handle.get(), server.url("d/none.xml"), "none.xml"));
    EXPECT_FALSE(fs::exists("none.xml"));
    EXPECT_TRUE(logged("download error: HTTP response code said error"));
    EXPECT_TRUE(logged("download error: HTTP status 302"));
    EXPECT_TRUE(logged(server.url("d/file.xml") + "\" => \"file.xml\" download error"));
}

TEST_F(DownloadTest, UnreachableServerOrUnwritableFileFails)
{
    const CurlHandle handle = gf_newCurlHandle();
    // Port 9 (discard) has no listener on this machine's loopback.
    EXPECT_FALSE(gf_download(handle.get(), "http://127.0.0.1:9/x.xml", "x.xml"));
    EXPECT_FALSE(fs::exists("x.xml"));

    server.put("x.xml", "<x/>");
    EXPECT_FALSE(gf_download(handle.get(), server.url("x.xml"), "no_such_folder/x.xml"));
    EXPECT_TRUE(logged("could not open file: no_such_folder"));
    EXPECT_FALSE(gf_download(nullptr, server.url("x.xml"), "x.xml"));
    EXPECT_FALSE(fs::exists("x.xml"));
}

TEST_F(DownloadTest, VersionFilesInBothFormsAndBrokenOnes)
{
    const CurlHandle handle = gf_newCurlHandle();
    const auto fetch = [&](const std::string& body) {
        server.put("v/version.json", body);
        return gf_downloadFile(handle.get(), server.url("v/version.json"));
    };
    EXPECT_EQ(fetch("9.4.0\n"), Version(9, 4, 0));
    EXPECT_EQ(fetch("{\"major\": 2, \"minor\": 11, \"patch\": 7}\r\nsecond line 5.5.5\n"), Version(2, 11, 7));
    EXPECT_EQ(fetch("{\n\"major\": 2, \"minor\": 11, \"patch\": 7}\n"), Version());
    EXPECT_EQ(fetch(""), Version());
    EXPECT_EQ(fetch("no version here\n3.2.1\n"), Version());

    server.fault("v/version.json", "500");
    EXPECT_EQ(gf_downloadFile(handle.get(), server.url("v/version.json")), Version());
    EXPECT_TRUE(logged("===> downloading \"" + server.url("v/version.json") + "\" failed"));

    // Nothing of the version files stays in the program folder.
    for (const auto& entry : fs::directory_iterator("."))
        EXPECT_FALSE(entry.path().extension() == ".json" || entry.path().extension() == ".part") << entry.path();
}

TEST_F(DownloadTest, VersionChecksOnSeveralThreadsDoNotShareAFile)
{
    server.put("a/version.json", "1.1.1\n");
    server.put("b/version.json", "{\"major\":2,\"minor\":2,\"patch\":2}\n");
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            const CurlHandle handle = gf_newCurlHandle();
            const bool a = t % 2 == 0;
            for (int i = 0; i < 15; ++i)
                if (gf_downloadFile(handle.get(), server.url(a ? "a/version.json" : "b/version.json")) !=
                    (a ? Version(1, 1, 1) : Version(2, 2, 2)))
                    ++wrong[t];
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

} // namespace
