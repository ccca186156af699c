#include "simstandin/packagetitles.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace standin {
namespace {
// Characters the code page lacks become its default character, as in the simulator.
std::string lf_toAnsi(const std::wstring& wide)
{
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, ansi.data(), needed, nullptr, nullptr);
    return ansi;
}

std::wstring lf_fromUtf8(std::string_view bytes)
{
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, wide.data(), needed);
    return wide;
}

// The file's text in the system's code page.
std::string lf_ansiText(const std::string& bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return lf_toAnsi(lf_fromUtf8(std::string_view(bytes).substr(3)));
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF"))
        return bytes;
    std::wstring wide;
    for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
        const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
        wide.push_back(static_cast<wchar_t>(little ? first | second << 8 : second | first << 8));
    }
    return lf_toAnsi(wide);
}

std::string_view lf_trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool lf_equalsLower(std::string_view text, std::string_view lower)
{
    return std::ranges::equal(text, lower,
                              [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

bool lf_isAircraftFile(const fs::path& file)
{
    const std::wstring name = file.filename().wstring();
    return CompareStringOrdinal(name.c_str(), -1, L"aircraft.cfg", -1, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(name.c_str(), -1, L"sim.cfg", -1, TRUE) == CSTR_EQUAL;
}
} // namespace

void gf_addFileTitles(const std::string& bytes, std::set<std::string>& titles)
{
    const std::string text = lf_ansiText(bytes);
    bool inFltsim = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = lf_trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.starts_with('[')) {
            inFltsim = line.size() > 8 && lf_equalsLower(line.substr(1, 7), "fltsim.");
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inFltsim || equals == std::string_view::npos || !lf_equalsLower(lf_trim(line.substr(0, equals)), "title"))
            continue;
        if (const std::string_view title = lf_trim(line.substr(equals + 1)); !title.empty())
            titles.emplace(title);
    }
}

std::set<std::string> gf_readPackageTitles(const std::vector<fs::path>& folders)
{
    std::set<std::string> titles;
    for (const fs::path& folder : folders) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end; it.increment(error)) {
            std::error_code unknown;
            if (!it->is_regular_file(unknown) || !lf_isAircraftFile(it->path()))
                continue;
            std::ifstream in(it->path(), std::ios::binary);
            gf_addFileTitles(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), titles);
        }
    }
    return titles;
}

} // namespace standin
