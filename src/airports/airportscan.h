#pragma once
// The add-on airport scan: the scenery folders, one task per .bgl file, the scan report
// and the copies for off-line learning.
#include <filesystem>
#include <functional>
#include <string>

struct BglAirport;
// What becomes of each airport read: its parking file linked or written.
using AirportHandler = std::function<void(BglAirport&)>;
void gf_linkOrWriteAirport(BglAirport& airport);

// Checks one scenery path and scans it; returns when its tasks have ended.
void lf_scanSceneryPaths(const std::string& path);
// Walks the folder and reads each .bgl file with airports on a task; `handle` takes each
// airport (the benchmark passes one that writes nothing).
void lf_scanSceneryFolder(const std::filesystem::path& folder, const AirportHandler& handle = gf_linkOrWriteAirport);
// ".BGL" or ".bgl" exactly.
bool lf_isBglFile(const std::string& extension);
// Copies the generated files of airports due for off-line learning to TO_BE_LEARNED_OFFLINE.
void lf_prepareOfflineLearning();
