#include "support/tempfolder.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

TempFolder::TempFolder(bool makeCurrent)
{
    static std::atomic<int> counter{0};
    const fs::path base = fs::temp_directory_path() / L"tarnwick-tests";
    fs::create_directories(base);
    do {
        m_path = base / (std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) + L"-" +
                         std::to_wstring(GetTickCount64()));
    } while (!fs::create_directory(m_path));
    if (makeCurrent) {
        m_previous = fs::current_path();
        fs::current_path(m_path);
    }
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    if (!m_previous.empty())
        fs::current_path(m_previous, ignored);
    fs::remove_all(m_path, ignored);
}

std::string gf_testReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void gf_testWriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool gf_testHasLine(const std::string& text, const std::string& line)
{
    std::istringstream stream(text);
    for (std::string read; std::getline(stream, read);) {
        if (!read.empty() && read.back() == '\r')
            read.pop_back();
        if (read == line)
            return true;
    }
    return false;
}
