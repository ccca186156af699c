#include "foundation/winstring.h"

#include <windows.h>

#include <algorithm>
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

namespace {
// A byte that a code page does not give back as itself, held as U+F0000 + the byte: a
// private-use character that no code page maps to. In UTF-16 a surrogate pair.
constexpr wchar_t heldByteHigh = 0xDB80;
constexpr wchar_t heldByteLowBase = 0xDC00;

unsigned lf_actualCodePage(unsigned codePage) { return codePage == CP_ACP ? GetACP() : codePage; }

bool lf_isAscii(std::string_view bytes)
{
    return std::ranges::all_of(bytes, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The characters of the bytes; nothing when the code page finds an invalid sequence.
std::optional<std::wstring> lf_decode(std::string_view bytes, unsigned codePage)
{
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(), needed) != needed)
        return std::nullopt;
    return wide;
}

// The bytes of the characters; nothing when the code page lacks one (no best-fit look-alikes).
std::optional<std::string> lf_encode(std::wstring_view wide, unsigned codePage)
{
    if (wide.empty())
        return std::string();
    // UTF-8 takes no best-fit flag and reports no default character.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int length = static_cast<int>(wide.size());
    const auto convert = [&](char* out, int room) {
        return WideCharToMultiByte(codePage, flags, wide.data(), length, out, room, nullptr,
                                   utf8 ? nullptr : &usedDefault);
    };
    const int needed = convert(nullptr, 0);
    if (needed <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    if (convert(bytes.data(), needed) != needed || usedDefault)
        return std::nullopt;
    return bytes;
}

// Characters that come back as the same bytes.
std::optional<std::wstring> lf_decodeExactly(std::string_view bytes, unsigned codePage)
{
    std::optional<std::wstring> wide = lf_decode(bytes, codePage);
    if (wide && lf_encode(*wide, codePage) == bytes)
        return wide;
    return std::nullopt;
}
} // namespace

std::string gf_codePageToUtf8(std::string_view bytes, unsigned codePage)
{
    if (lf_isAscii(bytes))
        return std::string(bytes);
    codePage = lf_actualCodePage(codePage);
    if (const std::optional<std::wstring> wide = lf_decodeExactly(bytes, codePage))
        return gf_utf16ToUtf8(*wide);
    // Piece by piece: the shortest run of bytes that is one character and comes back as
    // itself, else the first byte held alone.
    CPINFO info{};
    const std::size_t longest = GetCPInfo(codePage, &info) ? info.MaxCharSize : 1;
    std::wstring wide;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t taken = 0;
        for (std::size_t length = 1; !taken && length <= longest && at + length <= bytes.size(); ++length)
            if (const auto piece = lf_decodeExactly(bytes.substr(at, length), codePage)) {
                wide += *piece;
                taken = length;
            }
        if (!taken) {
            wide += heldByteHigh;
            wide += static_cast<wchar_t>(heldByteLowBase + static_cast<unsigned char>(bytes[at]));
            taken = 1;
        }
        at += taken;
    }
    return gf_utf16ToUtf8(wide);
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
    codePage = lf_actualCodePage(codePage);
    std::string bytes;
    // The runs of characters between held bytes, each converted whole.
    std::size_t runStart = 0;
    for (std::size_t at = 0;; ++at) {
        const bool end = at == wide.size();
        const bool held = !end && wide[at] == heldByteHigh && at + 1 < wide.size() &&
                          wide[at + 1] >= heldByteLowBase && wide[at + 1] <= heldByteLowBase + 0xFF;
        if (!end && !held)
            continue;
        const std::wstring_view run = std::wstring_view(wide).substr(runStart, at - runStart);
        const std::optional<std::string> part = lf_encode(run, codePage);
        // A code page may still map a character to a look-alike without saying so.
        if (!part || (!run.empty() && lf_decode(*part, codePage) != run))
            return std::nullopt;
        bytes += *part;
        if (end)
            return bytes;
        bytes += static_cast<char>(wide[++at] - heldByteLowBase);
        runStart = at + 1;
    }
}

std::optional<std::string> gf_utf8ToAnsi(std::string_view utf8) { return gf_utf8ToCodePage(utf8, CP_ACP); }

namespace {
// The length of the UTF-8 character at the start of the bytes, 0 when none starts there
// (the rules of Unicode's table 3-7: no overlong forms, surrogates or values past U+10FFFF).
std::size_t lf_utf8Length(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    }
    if (length == 0 || bytes.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    return length;
}

// U+F0000 to U+F00FF, the characters that stand for held bytes: F3 B0 80..83 xx.
bool lf_isHeldByte(std::string_view character)
{
    return character.size() == 4 && static_cast<unsigned char>(character[0]) == 0xF3 &&
           static_cast<unsigned char>(character[1]) == 0xB0 && static_cast<unsigned char>(character[2]) <= 0x83;
}
} // namespace

void gf_makeValidUtf8(std::string& text)
{
    if (lf_isAscii(text))
        return;
    std::string valid;
    valid.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = lf_utf8Length(std::string_view(text).substr(at));
        const std::string_view character = std::string_view(text).substr(at, length);
        valid += length == 0 || lf_isHeldByte(character) ? std::string_view("?") : character;
        at += std::max<std::size_t>(length, 1);
    }
    text = std::move(valid);
}

std::optional<std::string> gf_utf8ReadingOfAnsi(std::string_view text)
{
    if (lf_isAscii(text))
        return std::nullopt;
    std::optional<std::string> bytes = gf_utf8ToAnsi(text);
    if (!bytes || *bytes == text)
        return std::nullopt;
    for (std::size_t at = 0; at < bytes->size();) {
        const std::size_t length = lf_utf8Length(std::string_view(*bytes).substr(at));
        if (length == 0)
            return std::nullopt;
        at += length;
    }
    return bytes;
}

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
