#include "foundation/folderlisting.h"

#include <windows.h>

namespace fs = std::filesystem;

namespace {
std::wstring lf_key(std::wstring_view name)
{
    while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
        name.remove_suffix(1);
    std::wstring key(name);
    if (!key.empty())
        CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

fs::file_type lf_typeOf(const WIN32_FIND_DATAW& data)
{
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return fs::file_type::symlink;
    return data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? fs::file_type::directory : fs::file_type::regular;
}

struct FindHandle {
    HANDLE handle;
    ~FindHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            FindClose(handle);
    }
};
} // namespace

fs::file_type FolderListing::typeOf(std::wstring_view name) const
{
    std::call_once(m_indexed, [this] {
        for (const FolderEntry& entry : entries)
            m_byName.emplace(lf_key(entry.name), entry.type);
    });
    const auto found = m_byName.find(lf_key(name));
    return found == m_byName.end() ? fs::file_type::not_found : found->second;
}

std::shared_ptr<const FolderListing> gf_listFolder(const fs::path& folder, std::error_code& error)
{
    auto listing = std::make_shared<FolderListing>();
    WIN32_FIND_DATAW data;
    const FindHandle find{FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH)};
    if (find.handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) // an empty drive root lists nothing at all
            return listing;
        error.assign(static_cast<int>(code), std::system_category());
        return nullptr;
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (name != L"." && name != L"..")
            listing->entries.push_back({std::wstring(name), lf_typeOf(data)});
    } while (FindNextFileW(find.handle, &data));
    if (const DWORD code = GetLastError(); code != ERROR_NO_MORE_FILES) {
        error.assign(static_cast<int>(code), std::system_category());
        return nullptr;
    }
    return listing;
}

bool gf_pathIs(const fs::path& folder, const fs::path& name, fs::file_type wanted, const FolderListing* listing)
{
    if (listing && name.wstring().find_first_of(L"\\/") == std::wstring::npos && listing->typeOf(name.wstring()) == wanted)
        return true;
    const fs::path path = folder / name;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        return false;
    if (error)
        throw fs::filesystem_error("status", path, error);
    return status.type() == wanted;
}
