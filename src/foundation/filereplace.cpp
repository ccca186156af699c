#include "foundation/filereplace.h"

#include <windows.h>

#include <system_error>

void gf_replaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    // Copy-allowed covers a target on another volume, where no single-step move exists.
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        throw std::filesystem::filesystem_error(
            "rename", from, to, std::error_code(static_cast<int>(GetLastError()), std::system_category()));
}
