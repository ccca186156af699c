#pragma once
// Putting a finished file in place of another in one step.
#include <filesystem>

// Moves `from` over `to`, replacing it; `to` is either the old or the new file, never a
// mixture. Raises std::filesystem::filesystem_error ("rename") on failure.
void gf_replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);
