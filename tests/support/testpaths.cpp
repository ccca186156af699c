#include "support/testpaths.h"

#include "foundation/winstring.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

std::filesystem::path gf_testBuildFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

std::string gf_testSourceDir()
{
    const char* source = std::getenv("TARNWICK_SOURCE_DIR");
    if (source == nullptr)
        throw std::runtime_error("TARNWICK_SOURCE_DIR is not set");
    return source;
}

std::filesystem::path gf_testSourcePath(const std::string& relative)
{
    return std::filesystem::path(L"Z:" + gf_utf8ToUtf16(gf_testSourceDir())) / gf_utf8ToUtf16(relative);
}
