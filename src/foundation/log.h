#pragma once
// Log.txt: one file, whole lines under one mutex, no time stamps or levels.
#include <fmt/format.h>

#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

extern std::ofstream logStream;
extern std::mutex logMutex;
extern const std::string errorMarker; // "===> ", first argument of error templates

// Keeps Log0.txt and Log00.txt, truncates Log.txt and writes the header line.
// Raises SysErrorException 40 when Log.txt cannot be opened; when the copies cannot be
// kept, Log.txt is continued with a marked line: it keeps the two runs before this one,
// and a marked line at its top counts the lines of earlier runs that were cut.
void gf_openLog();
// What went wrong at the last gf_openLog (the copies or the log itself), for the status
// line; empty when nothing did.
std::string gf_logOpenProblem();
void gf_closeLog();
bool gf_logIsOpen();
void gf_flushLog();

void gf_log(std::string_view text);
void gf_logLine(const std::string& text);
void gf_logMarked(std::string_view text);          // "===> " + text, flushed
void lf_logIndented(std::string_view text);         // ten blanks + text
void gf_logFlushed(std::string_view text);          // one line, flushed at once

// Formats a "{}" template and writes it as one line (nothing when the log is closed).
template <typename... Args>
void gf_logf(fmt::format_string<Args...> format, Args&&... args)
{
    if (gf_logIsOpen())
        gf_log(fmt::format(format, std::forward<Args>(args)...));
}
