#pragma once
// UTF-8 inside the program, UTF-16 at the Windows boundary.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace win32 {

class Utf8ConversionException : public std::runtime_error {
public:
    enum ConversionType : std::uint32_t { FromUtf8ToUtf16 = 0, FromUtf16ToUtf8 = 1 };
    Utf8ConversionException(const char* message, std::uint32_t errorCode, ConversionType type)
        : std::runtime_error(message), m_errorCode(errorCode), m_conversionType(type) {}
    std::uint32_t ErrorCode() const { return m_errorCode; }
    ConversionType Direction() const { return m_conversionType; }

private:
    std::uint32_t m_errorCode;
    ConversionType m_conversionType;
};

} // namespace win32

// Both raise std::overflow_error for texts beyond INT_MAX units and
// win32::Utf8ConversionException for invalid input (never replaced).
std::string gf_utf16ToUtf8(std::wstring_view text);
std::wstring gf_utf8ToUtf16(std::string_view text);

// Makes a text taken from outside valid UTF-8: each byte that begins no UTF-8 character
// becomes '?', which every code page holds, so that the text can be shown, logged and sent
// to the simulator. So does each character that stands for a held byte (below): such a text
// would reach the simulator as that byte and come back as another character.
void gf_makeValidUtf8(std::string& text);

#include <filesystem>
#include <optional>
// Paths from and to UTF-8 text; a path built from a narrow string would be read
// in the ANSI code page. A text that is no UTF-8 raises std::filesystem::filesystem_error
// with std::errc::illegal_byte_sequence.
std::filesystem::path gf_u8path(std::string_view utf8);
std::string gf_pathText(const std::filesystem::path& path);

// Texts in a Windows code page, such as the simulator's: its narrow texts are in the
// system's ANSI code page (CP_ACP). Reading keeps every byte: a byte that the code page
// does not give back as itself (undefined, or a broken double-byte character) is held as a
// private-use character of its own (U+F0000 + the byte), which writing turns back into the
// byte. So a text read from the simulator's bytes goes back to it in exactly those bytes.
std::string gf_codePageToUtf8(std::string_view bytes, unsigned codePage);
std::string gf_ansiToUtf8(std::string_view ansi);
// Empty when the code page cannot hold every character of the text (no best-fit
// look-alikes) or the text is no UTF-8.
std::optional<std::string> gf_utf8ToCodePage(std::string_view utf8, unsigned codePage);
std::optional<std::string> gf_utf8ToAnsi(std::string_view utf8);
// The other reading of a text read in the ANSI code page from a file without a mark: its
// bytes as UTF-8, when they are UTF-8 and say something else. Such a file may be either.
std::optional<std::string> gf_utf8ReadingOfAnsi(std::string_view text);
unsigned gf_ansiCodePage(); // GetACP()
// A path in the ANSI code page; its short form when the long one cannot be held there.
std::optional<std::string> gf_pathToAnsi(const std::filesystem::path& path);
