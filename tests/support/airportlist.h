#pragma once
// A small airport list in the layout of input\airports_p3d.xml, for tests that run the
// start-up or look airports up.
#include <filesystem>

// Writes the list as <folder>\input\airports_p3d.xml (the input folder is made).
void gf_testWriteAirportList(const std::filesystem::path& folder);
// The real airport list that the set-up made (TARNWICK_AIRPORT_LIST, a Unix path) as a
// Windows path; raises when it is not set.
std::filesystem::path gf_testRealAirportList();
