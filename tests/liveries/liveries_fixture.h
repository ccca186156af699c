#pragma once
// A program folder as the current folder with an open Log.txt and parameters.xml, and a
// generated world whose files the tests write into it.
#include "foundation/logcapture.h"
#include "foundation/parametersfile.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"
#include "refgen/refgen.h"
#include "support/errortext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class LiveriesTest : public ::testing::Test {
protected:
    LiveriesTest()
    {
        dataFolder = std::filesystem::current_path();
        parametersFile = dataFolder / L"parameters.xml";
        std::filesystem::create_directories(std::filesystem::path(L"output") / L"info");
        std::filesystem::create_directories(std::filesystem::path(L"output") / L"errors");
    }

    const std::filesystem::path input = L"input";
    refgen::World world = refgen::baseWorld();
    LogCapture log;

    // Writes dbase.xml and fixes.xml of the world and reads them as the start-up does.
    void readReferenceData()
    {
        refgen::writeReferenceFiles(world, input);
        gf_readAircraftData();
        gf_readFixes();
    }
    // Every file of the world, read as a start-up without scan does, and the index build.
    void buildIndexes()
    {
        refgen::writeProgramFiles(world, L".");
        gf_readAircraftData();
        gf_readFixes();
        lf_readLiveriesScanned();
        processScannedLiveries();
    }
    ::testing::AssertionResult logged(const std::string& text) { return log.holds(text); }
};
