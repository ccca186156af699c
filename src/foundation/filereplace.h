#pragma once
// Putting a finished file in place of another in one step.
#include <filesystem>
#include <functional>

// Moves `from` over `to`, replacing it; `to` is either the old or the new file, never a
// mixture. A refusal (`to` read-only, or open in another program) is tried again once, half a
// second later. Raises std::filesystem::filesystem_error ("rename") on failure.
void gf_replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// `write` fills a file beside `to` (its name with ".part" appended), which is flushed to the
// disk and replaces `to` when `write` returns true, and is removed otherwise, so `to` is never
// left half-written. False, logged, when `write` failed; a failed flush ("flush") or
// replacement raises as gf_replaceFile does.
bool gf_writeReplacing(const std::filesystem::path& to, const std::function<bool(const std::filesystem::path&)>& write);
