#pragma once
// The test's own folder on the download stand-in that scripts/test.sh starts for the run
// (TARNWICK_DOWNLOAD_ROOT, TARNWICK_DOWNLOAD_PORT). While it lives, the test build's
// download address points at it.
#include "control_fixture.h"

#include "support/tempfolder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

class StandInFolder {
public:
    StandInFolder();
    ~StandInFolder();
    StandInFolder(const StandInFolder&) = delete;
    StandInFolder& operator=(const StandInFolder&) = delete;

    // False (with the reason) when the run has no stand-in server.
    static bool available(std::string& reason);

    // A file the server will answer with, at a path relative to the download address.
    void put(const std::string& path, const std::string& bytes);
    // Makes the server misbehave on the path: "404", "500", "cut", "stall",
    // "zip-traversal", "zip-absolute"; an empty mode ends the fault.
    void fault(const std::string& path, const std::string& mode);
    // The paths asked for so far, in order.
    std::vector<std::string> requests() const;
    // Whether the path was asked for so far.
    bool requested(const std::string& path) const;
    std::string url(const std::string& path) const;

private:
    std::string m_name;
};

// Binary content of that size: every byte value, in a pattern that repeats every 256 bytes.
std::string gf_testBytes(std::size_t size);
// A zip archive's bytes holding the given (name, content) entries in this order.
std::string gf_testZip(const std::vector<std::pair<std::string, std::string>>& entries);

// A program folder (the current folder, with "docs" and an open Log.txt; parameters.xml in
// its "data" folder, so that a download's leftovers stand out) and a folder of its own on
// the stand-in.
class UpdaterTest : public ProgramFolderTest {
protected:
    UpdaterTest();
    void SetUp() override;

    StandInFolder server;
};
