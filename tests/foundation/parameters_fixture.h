#pragma once
// A test folder that holds parameters.xml and Log.txt, with every setting at its default.
#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <map>
#include <string>

class ParametersTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes parameters.xml with these elements, in this order.
    void writeParameters(const std::vector<std::pair<std::string, std::string>>& elements) const;
    // The "value" of every "parameter" element, by name; a missing "value" reads as "<none>".
    std::map<std::string, std::string> fileValues() const;
    int countInFile(const std::string& key) const;
    std::string logText() const;
    bool logHasLine(const std::string& line) const; // a whole line of Log.txt
    bool fileExists(const std::wstring& name) const;

    TempFolder folder{true};
};

void gf_testResetSettings();
