#pragma once
// Log.txt opened in a fresh current folder for one test, read back as text.
#include "foundation/log.h"
#include "support/tempfolder.h"

#include <string>

class LogCapture {
public:
    LogCapture() { gf_openLog(); }
    ~LogCapture() { gf_closeLog(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text()
    {
        gf_flushLog();
        return gf_testReadFile(m_folder / "Log.txt");
    }

    // Whether one whole line (without its line end) reads so.
    bool hasLine(const std::string& line) { return gf_testHasLine(text(), line); }

private:
    TempFolder m_folder{true};
};
