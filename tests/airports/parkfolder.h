#pragma once
// A program folder (the current folder, with Log.txt) for the airport parking file tests,
// with the park airport's state reset and a park airport set.
#include "airports/apffiles.h"
#include "foundation/logcapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using Parameters = std::vector<std::pair<std::string, std::string>>;

// A parking file: the meta block, the parameters and the given parkpos elements.
std::string gf_testApfText(const Parameters& parameters, const std::string& parkpositions);
// Writes the text, making the file's folders first.
void gf_testWriteApf(const std::filesystem::path& path, const std::string& text);
// <parkpos id=.. latitude=.. longitude=.. radius=.. /> with the metres given.
std::string gf_testParkpos(const std::string& id, double latitude, double longitude, double radiusMetres,
                           const std::string& more = "");
void gf_testSetParkAirport(const std::string& code);
// Reads the reference data of the generator's base world, with these full wingspans (metres)
// for the types named (types it lacks are added as Large).
void gf_testReadReferenceData(const std::vector<std::pair<std::string, double>>& wingspans = {});

class ParkFolder : public ::testing::Test {
protected:
    ParkFolder();
    ~ParkFolder() override;

    // Loads the file into the park airport's stands, as the traffic manager's loader does.
    std::string load(const std::filesystem::path& path);
    bool logged(const std::string& text) { return log.text().find(text) != std::string::npos; }

    LogCapture log;
    std::pair<std::int32_t, std::int32_t> quality{-2, -2};
};
