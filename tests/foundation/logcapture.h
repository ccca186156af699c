#pragma once
// Log.txt opened in a fresh current folder for one test, read back as text.
#include "foundation/log.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

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

    // Whether the text stands anywhere in the log; a failure shows the log.
    ::testing::AssertionResult holds(const std::string& part)
    {
        const std::string all = text();
        if (all.find(part) != std::string::npos)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "\"" << part << "\" is not in the log:\n" << all;
    }

private:
    TempFolder m_folder{true};
};
