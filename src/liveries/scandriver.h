#pragma once
// The livery scan's walk over its folder list (start-up thread).
#include <cstddef>
#include <filesystem>
#include <string>

// What one scan counts over its folders.
struct ScanState {
    int priority = 0;                   // of the last existing folder: 1..10
    std::size_t total = 0;              // liveries found so far
    std::size_t countAfterPrevious = 0; // list count after the previous folder
};

// Where the last scan's time went, in seconds: the walk with its reading tasks, the reports
// (conversion lines, priority duplicates, report files), saving LiveriesScanned.xml and the
// index build.
struct LiveryScanTimes {
    double walk = 0;
    double reports = 0;
    double save = 0;
    double indexBuild = 0;
};
extern LiveryScanTimes liveryScanTimes;

// One entry of the folder list: skipped when empty, missing or no folder (logged), else
// walked with the next priority and its count logged.
void lf_scanLiveryPaths(ScanState& state, const std::string& entry);
// Reads every aircraft.cfg and sim.cfg of the tree on tasks and merges their liveries.
void lf_scanLiveryFolder(int priority, const std::filesystem::path& folder);
// Drops liveries of an airline and type that a folder of higher priority supplies.
std::size_t removeDuplicateLiveries();
// Removes the report files of the previous scan; its LiveriesScanned.xml stays until the new
// scan's result replaces it whole.
void lf_removeOldReports();
