#include "foundation/log.h"

#include "foundation/exceptions.h"
#include "foundation/textfiles.h"
#include "foundation/timehelpers.h"
#include "foundation/version.h"

#include <filesystem>

std::ofstream logStream;
std::mutex logMutex;
const std::string errorMarker = "===> ";

namespace {
const char* const logFileName = "Log.txt";
std::string logOpenProblem; // under logMutex

enum class LineEnd { plain, flushed };

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
    logStream << fmt::format("{} (utc) {} version {} for {}", gf_utcTimeString(std::time(nullptr)),
                             "Tarnwick_P3D", programVersion.toString(), "Prepar3D v5/v6")
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
