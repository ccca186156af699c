#pragma once
// The add-on airport scan: the scenery folders, one task per .bgl file, the scan report
// and the copies for off-line learning.
#include <filesystem>
#include <string>

// Checks one scenery path and scans it; returns when its tasks have ended.
void lf_scanSceneryPaths(const std::string& path);
void lf_scanSceneryFolder(const std::filesystem::path& folder);
// ".BGL" or ".bgl" exactly.
bool lf_isBglFile(const std::string& extension);
// Copies the generated files of airports due for off-line learning to TO_BE_LEARNED_OFFLINE.
void lf_prepareOfflineLearning();
