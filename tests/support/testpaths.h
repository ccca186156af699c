#pragma once
// Where the test programs find the build and the source tree.
#include <filesystem>
#include <string>

// The folder of the running test program: the build folder.
std::filesystem::path gf_testBuildFolder();
// The source tree as a Unix path (TARNWICK_SOURCE_DIR, set by ctest); raises when unset.
std::string gf_testSourceDir();
// A file of the source tree as a Windows path (drive Z: is the Unix root).
std::filesystem::path gf_testSourcePath(const std::string& relative);
