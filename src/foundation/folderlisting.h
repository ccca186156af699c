#pragma once
// Folder listings that carry each entry's kind from the listing itself, so a walk over a
// large tree asks the file system once per folder instead of once per entry.
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

struct FolderEntry {
    std::wstring name;
    std::filesystem::file_type type; // directory, regular, or symlink for a reparse point
};

class FolderListing {
public:
    std::vector<FolderEntry> entries; // in listing order, without "." and ".."

    // The kind of the named entry in any letter case, trailing dots and blanks ignored as
    // Windows ignores them; not_found when the folder does not list it.
    std::filesystem::file_type typeOf(std::wstring_view name) const;

private:
    // Built at the first question, by whichever reader asks first: the walk that lists the
    // folder never asks.
    mutable std::once_flag m_indexed;
    mutable std::unordered_map<std::wstring, std::filesystem::file_type> m_byName; // lower case
};

// The folder's entries; null, with the error set, when it cannot be listed.
std::shared_ptr<const FolderListing> gf_listFolder(const std::filesystem::path& folder, std::error_code& error);

// Whether folder\name is an existing entry of that kind; the folder's listing answers when
// it lists the name, the file system otherwise. Other failures than "not found" throw the
// file system error "status".
bool gf_pathIs(const std::filesystem::path& folder, const std::filesystem::path& name, std::filesystem::file_type wanted,
               const FolderListing* listing);
