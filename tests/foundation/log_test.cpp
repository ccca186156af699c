#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/textfiles.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {
// The lines of a log file in the current folder.
std::vector<std::string> lf_lines(const char* file = "Log.txt")
{
    std::vector<std::string> lines;
    std::istringstream in(gf_testReadFile(file));
    gf_readLines(in, lines);
    return lines;
}

// Each test starts in a fresh current folder.
class Log : public ::testing::Test {
    TempFolder m_folder{true};
};
} // namespace

TEST_F(Log, FirstStartWritesOnlyTheHeaderAndNoCopies)
{
    gf_openLog();
    gf_closeLog();
    const auto lines = lf_lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"((Mon|Tue|Wed|Thu|Fri|Sat|Sun) [A-Z][a-z]{2} [ 1-3]\d )"
                                                      R"(\d\d:\d\d:\d\d \d{4} \(utc\) Tarnwick_P3D version 9\.3\.0 )"
                                                      R"(for Prepar3D v5/v6)")))
        << lines[0];
    EXPECT_FALSE(fs::exists("Log0.txt"));
    EXPECT_FALSE(fs::exists("Log00.txt"));
}

TEST_F(Log, ThirdStartKeepsTheTwoPreviousLogs)
{
    for (const char* run : {"first run", "second run", "third run"}) {
        gf_openLog();
        gf_log(run);
        gf_closeLog();
    }
    EXPECT_EQ(lf_lines("Log00.txt").at(1), "first run");
    EXPECT_EQ(lf_lines("Log0.txt").at(1), "second run");
    EXPECT_EQ(lf_lines().at(1), "third run");
}

TEST_F(Log, MarkedLinesAreOnDiskAtOnceAndIndentedLinesHaveTenBlanks)
{
    gf_openLog();
    gf_log("plain");
    lf_logIndented("detail");
    gf_logMarked("something failed");
    gf_logf("{} Error {}, {}", errorMarker, 81, "text");
    gf_logMarked("flushes what came before");
    // Read while the log is still open: the marked line flushed everything before it.
    const auto lines = lf_lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "plain");
    EXPECT_EQ(lines[2], "          detail");
    EXPECT_EQ(lines[3], "===> something failed");
    EXPECT_EQ(lines[4], "===>  Error 81, text");
    gf_closeLog();
}

TEST_F(Log, LinesOfManyThreadsNeverMix)
{
    gf_openLog();
    constexpr int threads = 8, perThread = 400;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([t] {
            const std::string payload(200, static_cast<char>('a' + t));
            for (int i = 0; i < perThread; ++i)
                i % 2 ? gf_log(fmt::format("{}:{}:{}", t, i, payload)) : gf_logMarked(fmt::format("{}:{}:{}", t, i, payload));
        });
    for (auto& writer : writers)
        writer.join();
    gf_closeLog();
    const auto lines = lf_lines();
    ASSERT_EQ(lines.size(), 1u + threads * perThread);
    const std::regex whole(R"((===> )?(\d):(\d+):([a-h])\4{199})");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, whole)) << "line " << i << ": " << lines[i].substr(0, 60);
        EXPECT_EQ(m[4].str()[0], 'a' + std::stoi(m[2].str()));
    }
}

TEST_F(Log, AnUnwritableLogIsAnErrorAndLeavesTheWritersHarmless)
{
    gf_testWriteFile("Log.txt", "previous run\n");
    // Another program holds Log.txt open for reading only: it can be copied but not rewritten.
    HANDLE holder = CreateFileW(L"Log.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    try {
        gf_openLog();
        FAIL() << "opening must fail";
    } catch (const zeb::SysErrorException& e) {
        EXPECT_STREQ(e.what(), "sys error 40: Failed to write file Log.txt");
    }
    EXPECT_FALSE(gf_logIsOpen());
    gf_log("nothing");
    gf_logMarked("nothing");
    lf_logIndented("nothing");
    EXPECT_EQ(gf_testReadFile("Log.txt"), "previous run\n");
    EXPECT_EQ(gf_testReadFile("Log0.txt"), "previous run\n");
    CloseHandle(holder);
}

TEST_F(Log, CopiesThatCannotBeKeptCostNeitherTheLogNorAWord)
{
    gf_testWriteFile("Log.txt", "previous run\n");
    gf_testWriteFile("Log0.txt", "run before\n");
    // Another program holds Log0.txt open: it can be copied but not replaced.
    HANDLE holder = CreateFileW(L"Log0.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    gf_openLog();
    gf_log("this run");
    gf_closeLog();
    CloseHandle(holder);
    // The last run's log has no copy: it stays, and this run's follows it.
    const auto lines = lf_lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "previous run");
    EXPECT_NE(lines[1].find(" (utc) Tarnwick_P3D version "), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2].rfind("===> Log0.txt and Log00.txt not kept, this run's log follows the last one's: ", 0), 0u)
        << lines[2];
    EXPECT_EQ(lines[3], "this run");
    EXPECT_EQ(gf_logOpenProblem(), lines[2].substr(errorMarker.size())) << "shown on the status line";
    EXPECT_EQ(gf_testReadFile("Log0.txt"), "run before\n");

    // Once the copies work again, the next start truncates as usual.
    gf_openLog();
    gf_closeLog();
    EXPECT_EQ(lf_lines().size(), 1u);
    EXPECT_EQ(lf_lines("Log0.txt").at(0), "previous run");

    fs::remove("Log.txt");
    fs::create_directory("Log.txt"); // a folder where the file should be: no log at all
    EXPECT_THROW(gf_openLog(), zeb::SysErrorException);
    EXPECT_FALSE(gf_logIsOpen());
    EXPECT_EQ(gf_logOpenProblem(), "sys error 40: Failed to write file Log.txt");
}

TEST_F(Log, ALogContinuedForEverKeepsTheTwoRunsBeforeThisOneAndMarksTheCut)
{
    gf_testWriteFile("Log0.txt", "run before\n");
    // Log0.txt stays read-only, start after start: Log.txt is continued every time.
    HANDLE holder = CreateFileW(L"Log0.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    // A callsign from the network, logged as received, that carries the header's words.
    const auto runLine = [](int run, int line) {
        return fmt::format("run {} line {}{}", run, line,
                           line == 1 ? " callsign \"Mon Jan  1 00:00:00 2024 (utc) Tarnwick_P3D version 9.3.0 for "
                                       "Prepar3D v5/v6\""
                                     : "");
    };
    for (int run = 1; run <= 4; ++run) {
        gf_openLog();
        for (int line = 0; line < 3; ++line)
            gf_log(runLine(run, line));
        gf_closeLog();
    }
    CloseHandle(holder);
    const auto lines = lf_lines();
    // Run 1 (its header and three lines) is cut; runs 2 and 3 stay as Log0.txt and Log00.txt
    // would have kept them, and run 4 follows.
    ASSERT_EQ(lines.size(), 1u + 3 * 5u);
    EXPECT_EQ(lines[0], "===> 4 lines of earlier runs cut: while Log0.txt cannot be replaced, Log.txt keeps the 2 "
                        "runs before this one");
    for (int run = 2; run <= 4; ++run) {
        const std::size_t header = 1 + 5 * static_cast<std::size_t>(run - 2);
        EXPECT_NE(lines[header].find(" (utc) Tarnwick_P3D version "), std::string::npos) << lines[header];
        EXPECT_TRUE(lines[header + 1].starts_with("===> Log0.txt and Log00.txt not kept")) << lines[header + 1];
        for (int line = 0; line < 3; ++line)
            EXPECT_EQ(lines[header + 2 + static_cast<std::size_t>(line)], runLine(run, line));
    }
    EXPECT_EQ(gf_testReadFile("Log0.txt"), "run before\n");
    EXPECT_FALSE(fs::exists("Log.txt.part"));
}

TEST_F(Log, WritersAfterCloseWriteNothing)
{
    gf_openLog();
    gf_log("before");
    gf_closeLog();
    gf_log("after");
    gf_logMarked("after");
    const auto lines = lf_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "before");
}

TEST(Exceptions, MessagesCarryTheirCodeExceptForCode99)
{
    EXPECT_STREQ(zeb::UserErrorException(99, "New version 9.4.0 available").what(), "New version 9.4.0 available");
    EXPECT_STREQ(zeb::UserErrorException(98, "text").what(), "98: text");
    EXPECT_STREQ(zeb::UserErrorException(0, "text").what(), "0: text");
    try {
        throw zeb::SysErrorException(40, "Failed to write file Log.txt");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "sys error 40: Failed to write file Log.txt");
    }
}
