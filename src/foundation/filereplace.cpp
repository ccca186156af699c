#include "foundation/filereplace.h"

#include "foundation/log.h"
#include "foundation/winstring.h"

#include <windows.h>

#include <system_error>

namespace fs = std::filesystem;

namespace {
// Another program that has the old file open (a virus scanner, an editor) often lets go of it
// a moment later.
constexpr DWORD refusalPauseMs = 500;

bool lf_refused(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

[[noreturn]] void lf_raise(const char* what, const fs::path& from, const fs::path& to, DWORD error)
{
    throw fs::filesystem_error(what, from, to, std::error_code(static_cast<int>(error), std::system_category()));
}

// The new file's contents on the disk before its name replaces the old one: a crash after the
// move then leaves the new file whole, not an empty one in its place.
void lf_flushFile(const fs::path& file)
{
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        lf_raise("flush", file, {}, GetLastError());
    const bool flushed = FlushFileBuffers(handle);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (!flushed)
        lf_raise("flush", file, {}, error);
}
} // namespace

void gf_replaceFile(const fs::path& from, const fs::path& to)
{
    // Copy-allowed covers a target on another volume, where no single-step move exists.
    constexpr DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if (MoveFileExW(from.c_str(), to.c_str(), flags))
        return;
    DWORD error = GetLastError();
    if (lf_refused(error)) {
        gf_logf("\"{}\" cannot be replaced now, tried again in {} ms", gf_pathText(to), refusalPauseMs);
        Sleep(refusalPauseMs);
        if (MoveFileExW(from.c_str(), to.c_str(), flags))
            return;
        error = GetLastError();
    }
    lf_raise("rename", from, to, error);
}

bool gf_writeReplacing(const fs::path& to, const std::function<bool(const fs::path&)>& write)
{
    fs::path partial = to;
    partial += L".part";
    std::error_code ignored;
    try {
        if (write(partial)) {
            lf_flushFile(partial);
            gf_replaceFile(partial, to);
            return true;
        }
    } catch (...) {
        fs::remove(partial, ignored);
        throw;
    }
    fs::remove(partial, ignored);
    gf_logMarked(fmt::format("{} could not be written, left as it was", gf_pathText(to)));
    return false;
}
