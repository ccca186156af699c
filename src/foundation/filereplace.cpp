#include "foundation/filereplace.h"

#include <windows.h>

#include <system_error>

namespace fs = std::filesystem;

void gf_replaceFile(const fs::path& from, const fs::path& to)
{
    // Copy-allowed covers a target on another volume, where no single-step move exists.
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        throw fs::filesystem_error("rename", from, to,
                                   std::error_code(static_cast<int>(GetLastError()), std::system_category()));
}

bool gf_writeReplacing(const fs::path& to, const std::function<bool(const fs::path&)>& write)
{
    fs::path partial = to;
    partial += L".part";
    std::error_code ignored;
    try {
        if (write(partial)) {
            gf_replaceFile(partial, to);
            return true;
        }
    } catch (...) {
        fs::remove(partial, ignored);
        throw;
    }
    fs::remove(partial, ignored);
    return false;
}
