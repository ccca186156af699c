#pragma once
// A fresh current folder that holds parameters.xml and Log.txt, with every setting at its default.
#include "foundation/parametersfile.h"
#include "logcapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <map>
#include <string>

class ParametersTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Writes parameters.xml with these elements, in this order.
    void writeParameters(const std::vector<std::pair<std::string, std::string>>& elements) const;
    // The "value" of every "parameter" element, by name; a missing "value" reads as "<none>".
    std::map<std::string, std::string> fileValues() const;
    int countInFile(const std::string& key) const;
    std::string logText() { return log.text(); }
    bool logHasLine(const std::string& line) { return log.hasLine(line); }
    bool fileExists(const std::wstring& name) const;

    LogCapture log;
    std::filesystem::path folder;
};

void gf_testResetSettings();
