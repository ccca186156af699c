#pragma once
// A program folder as the current folder with an open Log.txt, and a generated world whose
// files the tests write into it.
#include "foundation/logcapture.h"
#include "liveries/liveries.h"
#include "refgen/refgen.h"
#include "support/errortext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class LiveriesTest : public ::testing::Test {
protected:
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
    ::testing::AssertionResult logged(const std::string& text) { return log.holds(text); }
};
