#pragma once
// A program folder for the program-control tests: the current folder, holding Log.txt and
// parameters.xml (the data folder is redirected there). An exit that a test starts is
// waited for before the folder goes.
#include "airports/airports.h"
#include "foundation/exceptions.h"
#include "foundation/logcapture.h"
#include "liveries/liveries.h"
#include "support/errortext.h"
#include "support/waitfor.h"
#include "traffic/traffic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

// Waits until every counted thread (the exit thread among them) has ended.
bool gf_testWaitForExitEnd();
// How often the part occurs in the text.
int gf_testCountOf(const std::string& text, const std::string& part);

// The text of the user error that the call raises, or "no error".
template <typename Call>
std::string gf_testUserError(Call call)
{
    return gf_testErrorText<zeb::UserErrorException>(call);
}

class ProgramFolderTest : public ::testing::Test {
protected:
    ProgramFolderTest();
    ~ProgramFolderTest() override;

    // Writes parameters.xml with these elements.
    void writeParameters(const std::vector<std::pair<std::string, std::string>>& elements) const;
    // The stored value of a setting; "<missing>" when it is not stored.
    static std::string stored(const std::string& key);
    bool logHasLine(const std::string& line) { return log.hasLine(line); }
    // Whether the text stands anywhere in the log; a failure shows the log.
    ::testing::AssertionResult logged(const std::string& text) { return log.holds(text); }
    static std::string errorLine();
    static std::string statusText();
    static bool has(const std::vector<std::string>& list, const std::string& item)
    {
        return std::ranges::find(list, item) != list.end();
    }

    LogCapture log;
};
