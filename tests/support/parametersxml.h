#pragma once
// parameters.xml for tests: written from name and value pairs, read back by name.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Writes the "parameter" elements in this order; false when the file cannot be written.
bool gf_testWriteParameters(const std::filesystem::path& file,
                            const std::vector<std::pair<std::string, std::string>>& elements);
// The "value" of every "parameter" element, by name ("<none>" for an element without one);
// nothing when the file does not load.
std::optional<std::map<std::string, std::string>> gf_testReadParameters(const std::filesystem::path& file);
