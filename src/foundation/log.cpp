#include "foundation/log.h"

#include "foundation/exceptions.h"
#include "foundation/filereplace.h"
#include "foundation/textfiles.h"
#include "foundation/timehelpers.h"
#include "foundation/version.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <regex>

std::ofstream logStream;
std::mutex logMutex;
const std::string errorMarker = "===> ";

namespace {
const char* const logFileName = "Log.txt";
std::string logOpenProblem; // under logMutex

enum class LineEnd { plain, flushed };

// What a start keeps of the earlier runs: Log0.txt and Log00.txt hold the two before this one.
constexpr std::size_t keptEarlierRuns = 2;

constexpr const char* headerProgram = "Tarnwick_P3D";
constexpr const char* headerSimulators = "Prepar3D v5/v6";

// The line that begins a run, as gf_openLog writes it, and nothing else: callsigns and types
// from the network are logged as received and may carry its words anywhere in a line.
bool lf_isRunHeader(const std::string& line)
{
    static const std::regex header(fmt::format(R"([A-Z][a-z]{{2}} [A-Z][a-z]{{2}} [ \d]\d \d\d:\d\d:\d\d \d{{4,}} )"
                                               R"(\(utc\) {} version \d+\.\d+\.\d+ for {}\r?)",
                                               headerProgram, headerSimulators));
    return line.find(headerProgram) != std::string::npos && std::regex_match(line, header);
}

// A Log.txt that is continued, because its copies cannot be kept, holds what they would: the
// last two runs before this one. The earlier ones are cut, and a marked line says so where
// they were. A cut that cannot be made leaves the file whole: it is never half-written.
void lf_keepLastRuns()
{
    std::deque<std::pair<std::uint64_t, std::size_t>> lastHeaders; // byte and line where each run begins
    {
        std::ifstream in(std::filesystem::path(logFileName), std::ios::binary);
        std::string line;
        std::uint64_t at = 0;
        for (std::size_t index = 0; std::getline(in, line); ++index, at += line.size() + 1) {
            if (!lf_isRunHeader(line))
                continue;
            lastHeaders.emplace_back(at, index);
            if (lastHeaders.size() > keptEarlierRuns)
                lastHeaders.pop_front();
        }
    }
    if (lastHeaders.size() < keptEarlierRuns || lastHeaders.front().first == 0)
        return;
    const auto [from, cutLines] = lastHeaders.front();
    gf_writeReplacing(logFileName, [&](const std::filesystem::path& part) {
        std::ifstream in(std::filesystem::path(logFileName), std::ios::binary);
        in.seekg(static_cast<std::streamoff>(from));
        return gf_writeWholeFile(
            part,
            [&](std::ostream& out) {
                // The line end the text-mode log stream writes.
                out << errorMarker
                    << fmt::format("{} lines of earlier runs cut: while Log0.txt cannot be replaced, Log.txt keeps "
                                   "the {} runs before this one",
                                   cutLines, keptEarlierRuns)
                    << "\r\n"
                    << in.rdbuf();
                return in.good() && static_cast<bool>(out);
            },
            std::ios::binary);
    });
}

void lf_write(std::string_view prefix, std::string_view text, LineEnd end)
{
    std::lock_guard lock(logMutex);
    if (!logStream.is_open())
        return;
    logStream << prefix << text;
    if (end == LineEnd::flushed)
        logStream << std::endl;
    else
        logStream << '\n';
}
} // namespace

void gf_openLog()
{
    // Copies that cannot be made (a locked or read-only Log0.txt) must not cost this run its
    // log, nor the last run's: without its copy, Log.txt is continued instead of truncated.
    std::string backupFailure;
    try {
        gf_backupFile(logFileName);
    } catch (const std::exception& e) {
        backupFailure = fmt::format("Log0.txt and Log00.txt not kept, this run's log follows the last one's: {}",
                                    e.what());
        try {
            lf_keepLastRuns();
        } catch (const std::exception& cut) {
            backupFailure += fmt::format("; earlier runs not cut: {}", cut.what());
        }
    }
    std::lock_guard lock(logMutex);
    if (logStream.is_open())
        logStream.close();
    logStream.clear();
    logStream.open(std::filesystem::path(logFileName),
                   std::ios::out | (backupFailure.empty() ? std::ios::trunc : std::ios::app));
    if (!logStream.is_open()) {
        logStream.clear();
        const zeb::SysErrorException failure(40, std::string("Failed to write file ") + logFileName);
        logOpenProblem = failure.what();
        throw failure;
    }
    logOpenProblem = backupFailure;
    logStream << fmt::format("{} (utc) {} version {} for {}", gf_utcTimeString(std::time(nullptr)), headerProgram,
                             programVersion.toString(), headerSimulators)
              << '\n';
    if (!backupFailure.empty())
        logStream << errorMarker << backupFailure << std::endl;
}

std::string gf_logOpenProblem()
{
    std::lock_guard lock(logMutex);
    return logOpenProblem;
}

void gf_closeLog()
{
    std::lock_guard lock(logMutex);
    if (logStream.is_open()) {
        logStream.flush();
        logStream.close();
    }
}

bool gf_logIsOpen()
{
    std::lock_guard lock(logMutex);
    return logStream.is_open();
}

void gf_flushLog()
{
    std::lock_guard lock(logMutex);
    if (logStream.is_open())
        logStream.flush();
}

void gf_log(std::string_view text) { lf_write({}, text, LineEnd::plain); }
void gf_logLine(const std::string& text) { lf_write({}, text, LineEnd::plain); }
void gf_logMarked(std::string_view text) { lf_write(errorMarker, text, LineEnd::flushed); }
void lf_logIndented(std::string_view text) { lf_write("          ", text, LineEnd::plain); }
void gf_logFlushed(std::string_view text) { lf_write({}, text, LineEnd::flushed); }
