#include "foundation/textfiles.h"

#include "app/status.h"
#include "foundation/log.h"
#include "foundation/winstring.h"

#include <pugixml.hpp>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string_view>

namespace fs = std::filesystem;

namespace {
TextEncoding lf_encodingOf(std::string_view start)
{
    if (start.size() < 2)
        return ANSI;
    const auto b0 = static_cast<unsigned char>(start[0]), b1 = static_cast<unsigned char>(start[1]);
    if (b0 == 0xFF && b1 == 0xFE)
        return Unicode;
    if (b0 == 0xFE && b1 == 0xFF)
        return Unicode_big_endian;
    if (b0 == 0xEF && b1 == 0xBB)
        return UTF8_with_BOM;
    return ANSI;
}

// The whole file in one read: a file opened twice, or read in small pieces, costs far more
// than its bytes under Wine, where each open is a round trip to the server. `openError` is
// the error of an open that failed, 0 when a later step failed.
bool lf_readWhole(const fs::path& path, DWORD sharing, std::string& bytes, DWORD& openError)
{
    openError = 0;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        openError = GetLastError();
        return false;
    }
    LARGE_INTEGER size{};
    bool read = GetFileSizeEx(file, &size) != 0;
    if (read) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t got = 0;
        for (DWORD part = 1; read && part > 0 && got < bytes.size(); got += part)
            read = ReadFile(file, bytes.data() + got, static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 30)),
                            &part, nullptr) != 0;
        bytes.resize(got);
    }
    CloseHandle(file);
    return read;
}
} // namespace

TextEncoding gf_detectEncoding(const fs::path& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        gf_logf("cannot open file {} for character encoding, err: {}", gf_pathText(path), GetLastError());
        return none_found;
    }
    char mark[2] = {};
    DWORD got = 0;
    const BOOL read = ReadFile(file, mark, sizeof mark, &got, nullptr);
    CloseHandle(file);
    return read ? lf_encodingOf(std::string_view(mark, got)) : ANSI;
}

int gf_readExtTextFileToStringVector(const fs::path& path, std::vector<std::string>& lines)
{
    try {
        TextEncoding encoding = none_found;
        return gf_readTextFile(path, lines, encoding);
    } catch (const std::exception& e) {
        gf_logf("gf_readExtTextFileToStringVector {}", e.what());
        return 0;
    }
}

namespace {
bool lf_isAscii(const std::string& line)
{
    return std::ranges::all_of(line, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool lf_isUtf8(const std::string& line)
{
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, line.data(), static_cast<int>(line.size()), nullptr,
                               0) != 0;
}

void lf_dropCarriageReturn(std::string& line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
}

// UTF-16 with its byte order from the mark (big-endian without one); lines end at U+000A.
int lf_utf16Lines(const std::string& bytes, std::vector<std::string>& lines)
{
    std::size_t at = 0;
    bool littleEndian = false;
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
        littleEndian = b0 == 0xFF && b1 == 0xFE;
        if (littleEndian || (b0 == 0xFE && b1 == 0xFF))
            at = 2;
    }
    try {
        std::wstring line;
        const auto flush = [&] {
            std::string text = gf_utf16ToUtf8(line);
            lf_dropCarriageReturn(text);
            lines.push_back(std::move(text));
            line.clear();
        };
        for (; at + 1 < bytes.size(); at += 2) {
            const auto lo = static_cast<unsigned char>(bytes[at + (littleEndian ? 0 : 1)]);
            const auto hi = static_cast<unsigned char>(bytes[at + (littleEndian ? 1 : 0)]);
            const wchar_t unit = static_cast<wchar_t>(lo | (hi << 8));
            if (unit == L'\n')
                flush();
            else
                line.push_back(unit);
        }
        if (!line.empty())
            flush();
    } catch (const win32::Utf8ConversionException& e) {
        gf_showStatus(fmt::format("conversion from error from utf16 to utf8, code: {}", e.ErrorCode()), true);
        return 0;
    } catch (const std::runtime_error& e) {
        gf_showStatus(std::string("conversion from error from utf16 to utf8: ") + e.what(), true);
        return 0;
    }
    return 1;
}

// The bytes' lines in the encoding; a line ends at LF or CR LF, and a last piece without
// a line end counts when it is not empty.
int lf_textLines(TextEncoding encoding, const std::string& bytes, std::vector<std::string>& lines,
                 UnmarkedLines unmarked)
{
    if (encoding == Unicode || encoding == Unicode_big_endian)
        return lf_utf16Lines(bytes, lines);
    const std::size_t first = lines.size();
    lines.reserve(first + static_cast<std::size_t>(std::ranges::count(bytes, '\n')) + 1);
    const std::string_view text(bytes);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        std::string_view line = text.substr(at, end == std::string_view::npos ? end : end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    if (encoding == UTF8_with_BOM) {
        if (lines.size() > first) {
            std::string& line = lines[first];
            const std::size_t mark = line.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : line.rfind("\xEF\xBB", 0) == 0 ? 2 : 0;
            line.erase(0, mark);
        }
        return 1;
    }
    for (std::size_t i = first; i < lines.size(); ++i) {
        std::string& line = lines[i];
        if (!lf_isAscii(line) && (unmarked == UnmarkedLines::asSimulator || !lf_isUtf8(line)))
            line = gf_ansiToUtf8(line);
    }
    return 1;
}
} // namespace

int gf_readTextFile(const fs::path& path, std::vector<std::string>& lines, TextEncoding& encoding,
                    UnmarkedLines unmarked)
{
    std::string bytes;
    DWORD openError = 0;
    encoding = none_found;
    if (!lf_readWhole(path, FILE_SHARE_READ, bytes, openError)) {
        if (openError != 0)
            gf_logf("cannot open file {} for character encoding, err: {}", gf_pathText(path), openError);
        else
            gf_logf("cannot read file {}", gf_pathText(path));
        return 0;
    }
    encoding = lf_encodingOf(bytes);
    return lf_textLines(encoding, bytes, lines, unmarked);
}

int gf_openTextStream(TextEncoding encoding, const fs::path& path, std::vector<std::string>& lines)
{
    std::string bytes;
    DWORD openError = 0;
    if (!lf_readWhole(path, FILE_SHARE_READ | FILE_SHARE_WRITE, bytes, openError))
        return 0;
    return lf_textLines(encoding, bytes, lines, UnmarkedLines::utf8OrAnsi);
}

void gf_readLines(std::istream& stream, std::vector<std::string>& lines)
{
    std::string line;
    while (std::getline(stream, line)) {
        lf_dropCarriageReturn(line);
        lines.push_back(std::move(line));
    }
    stream.clear();
}

std::vector<std::string>* gf_readFileLines(FileLines& record, int expectedCount)
{
    std::ifstream in(record.path, std::ios::binary);
    if (!in.is_open())
        return nullptr;
    if (expectedCount > 0 && static_cast<std::size_t>(expectedCount) > record.lines.capacity())
        record.lines.reserve(static_cast<std::size_t>(expectedCount));
    gf_readLines(in, record.lines);
    return record.lines.empty() ? nullptr : &record.lines;
}

bool gf_writeWholeFile(const fs::path& path, const std::function<bool(std::ostream&)>& fill, std::ios::openmode mode)
{
    std::ofstream out(path, mode | std::ios::out | std::ios::trunc);
    if (!out.is_open())
        return false;
    const bool filled = fill(out);
    // The stream holds the file's tail until the close writes it: a full disk fails only there.
    out.close();
    return filled && !out.fail();
}

bool gf_writeTextFile(const std::string& text, const fs::path& path)
{
    return gf_writeWholeFile(
        path, [&](std::ostream& out) { return static_cast<bool>(out << text << '\n'); }, std::ios::out);
}

bool gf_writeLinesToFile(const std::vector<std::string>& lines, const fs::path& path)
{
    return gf_writeWholeFile(
        path,
        [&](std::ostream& out) {
            for (const std::string& line : lines)
                out << line << '\n'; // one write at the close, not one per line
            return static_cast<bool>(out);
        },
        std::ios::out);
}

bool gf_saveFile(const pugi::xml_document& document, const fs::path& path)
{
    if (document.save_file(path.c_str(), "\t", pugi::format_default, pugi::encoding_utf8)) {
        gf_logf("\"{}\" saved", gf_pathText(path));
        return true;
    }
    gf_logf("could not save to \"{}\"", gf_pathText(path));
    return false;
}

namespace {
// std::filesystem::copy_file of this toolchain refuses to overwrite; CopyFileW does it.
void lf_copyOver(const fs::path& from, const fs::path& to)
{
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
        throw fs::filesystem_error("cannot copy file", from, to,
                                   std::error_code(static_cast<int>(GetLastError()), std::system_category()));
}
} // namespace

void gf_backupFile(const fs::path& path)
{
    if (!path.has_extension())
        return;
    const fs::path folder = path.parent_path();
    const fs::path stem = path.stem(), extension = path.extension();
    const fs::path first = folder / (stem.wstring() + L"0" + extension.wstring());
    const fs::path second = folder / (stem.wstring() + L"00" + extension.wstring());
    if (fs::exists(first))
        lf_copyOver(first, second);
    if (fs::exists(path))
        lf_copyOver(path, first);
}

int gf_countDirEntries(const fs::path& path)
{
    if (!fs::exists(path))
        return 0;
    int count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(path))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}
