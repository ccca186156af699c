#include "foundation/winstring.h"

#include <windows.h>

#include <climits>

using win32::Utf8ConversionException;

namespace {
struct ConversionTexts {
    const char* invalid;
    const char* noLength;
    const char* noConversion;
};

// Asks for the result length, then converts; `call` wraps the Windows function.
template <typename Out, typename In, typename Call>
Out lf_convert(In text, Call call, const ConversionTexts& texts, Utf8ConversionException::ConversionType type)
{
    if (text.empty())
        return {};
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        throw std::overflow_error("Input string too long: size_t-length doesn't fit into int.");
    const auto fail = [&](const char* otherwise) {
        const DWORD error = GetLastError();
        throw Utf8ConversionException(error == ERROR_NO_UNICODE_TRANSLATION ? texts.invalid : otherwise, error,
                                      type);
    };
    const int length = static_cast<int>(text.size());
    const int needed = call(text.data(), length, nullptr, 0);
    if (needed == 0)
        fail(texts.noLength);
    Out result(static_cast<std::size_t>(needed), 0);
    if (call(text.data(), length, result.data(), needed) == 0)
        fail(texts.noConversion);
    return result;
}
} // namespace

std::string gf_utf16ToUtf8(std::wstring_view text)
{
    static const ConversionTexts texts{
        "Invalid UTF-16 sequence found in input string.",
        "Cannot get result string length when converting from UTF-16 to UTF-8 (WideCharToMultiByte failed).",
        "Cannot convert from UTF-16 to UTF-8 (WideCharToMultiByte failed)."};
    return lf_convert<std::string>(
        text,
        [](const wchar_t* in, int length, char* out, int room) {
            return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in, length, out, room, nullptr, nullptr);
        },
        texts, Utf8ConversionException::FromUtf16ToUtf8);
}

std::wstring gf_utf8ToUtf16(std::string_view text)
{
    static const ConversionTexts texts{
        "Invalid UTF-8 sequence found in input string.",
        "Cannot get result string length when converting from UTF-8 to UTF-16 (MultiByteToWideChar failed).",
        "Cannot convert from UTF-8 to UTF-16 (MultiByteToWideChar failed)."};
    return lf_convert<std::wstring>(
        text,
        [](const char* in, int length, wchar_t* out, int room) {
            return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in, length, out, room);
        },
        texts, Utf8ConversionException::FromUtf8ToUtf16);
}

std::filesystem::path gf_u8path(std::string_view utf8)
{
    // Not the library's own conversion: it lets UTF-8 encoded surrogates through.
    try {
        return std::filesystem::path(gf_utf8ToUtf16(utf8));
    } catch (const Utf8ConversionException&) {
        throw std::filesystem::filesystem_error("no UTF-8 path text", std::make_error_code(std::errc::illegal_byte_sequence));
    }
}

std::string gf_pathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string gf_codePageToUtf8(std::string_view bytes, unsigned codePage)
{
    static const ConversionTexts texts{
        "Invalid sequence found in input string.",
        "Cannot get result string length when converting from a code page to UTF-16 (MultiByteToWideChar failed).",
        "Cannot convert from a code page to UTF-16 (MultiByteToWideChar failed)."};
    return gf_utf16ToUtf8(lf_convert<std::wstring>(
        bytes,
        [codePage](const char* in, int length, wchar_t* out, int room) {
            return MultiByteToWideChar(codePage, 0, in, length, out, room);
        },
        texts, Utf8ConversionException::FromUtf8ToUtf16));
}

std::string gf_ansiToUtf8(std::string_view ansi) { return gf_codePageToUtf8(ansi, CP_ACP); }

std::optional<std::string> gf_utf8ToCodePage(std::string_view utf8, unsigned codePage)
{
    std::wstring wide;
    try {
        wide = gf_utf8ToUtf16(utf8);
    } catch (const Utf8ConversionException&) {
        return std::nullopt;
    }
    if (codePage == CP_ACP)
        codePage = GetACP();
    if (codePage == CP_UTF8)
        return std::string(utf8);
    if (wide.empty())
        return std::string();
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const auto convert = [&](char* out, int room) {
        return WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, out, room, nullptr,
                                   &usedDefault);
    };
    const int needed = convert(nullptr, 0);
    if (needed <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    if (convert(bytes.data(), needed) != needed || usedDefault)
        return std::nullopt;
    // A code page may still map a character to a look-alike without saying so.
    if (gf_codePageToUtf8(bytes, codePage) != utf8)
        return std::nullopt;
    return bytes;
}

std::optional<std::string> gf_utf8ToAnsi(std::string_view utf8) { return gf_utf8ToCodePage(utf8, CP_ACP); }

unsigned gf_ansiCodePage() { return GetACP(); }

std::optional<std::string> gf_pathToAnsi(const std::filesystem::path& path)
{
    if (std::optional<std::string> held = gf_utf8ToAnsi(gf_pathText(path)))
        return held;
    // The short form of each name is plain ASCII where the file system keeps one.
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0)
        return std::nullopt;
    std::wstring shortPath(needed, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
    if (written == 0 || written >= needed)
        return std::nullopt;
    shortPath.resize(written);
    return gf_utf8ToAnsi(gf_utf16ToUtf8(shortPath));
}
