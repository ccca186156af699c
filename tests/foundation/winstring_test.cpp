#include "foundation/winstring.h"
#include "support/codepage.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using win32::Utf8ConversionException;

TEST(WinString, RoundTripsTextBeyondAscii)
{
    const std::string text = "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x9B\xAB"; // with a surrogate pair
    const std::wstring wide = gf_utf8ToUtf16(text);
    EXPECT_EQ(wide, L"Z\u00fcrich \u20ac \xD83D\xDEEB");
    EXPECT_EQ(gf_utf16ToUtf8(wide), text);
    EXPECT_EQ(gf_utf8ToUtf16(""), L"");
    EXPECT_EQ(gf_utf16ToUtf8(L""), "");
}

TEST(WinString, InvalidInputRaisesWithCodeAndDirection)
{
    try {
        gf_utf16ToUtf8(std::wstring(L"a\xD800" L"b"));
        FAIL();
    } catch (const Utf8ConversionException& e) {
        EXPECT_EQ(e.ErrorCode(), 1113u);
        EXPECT_EQ(e.Direction(), Utf8ConversionException::FromUtf16ToUtf8);
        EXPECT_STREQ(e.what(), "Invalid UTF-16 sequence found in input string.");
    }
    try {
        gf_utf8ToUtf16("\xC3\x28");
        FAIL();
    } catch (const Utf8ConversionException& e) {
        EXPECT_EQ(e.ErrorCode(), 1113u);
        EXPECT_EQ(e.Direction(), Utf8ConversionException::FromUtf8ToUtf16);
        EXPECT_STREQ(e.what(), "Invalid UTF-8 sequence found in input string.");
    }
}

TEST(WinString, PathsFromUtf8ReachNonAsciiFolders)
{
    TempFolder folder;
    const std::string name = "J\xC3\xBCrgen \xE5\x90\x8D";
    const auto path = folder.path() / gf_u8path(name);
    std::filesystem::create_directory(path);
    gf_testWriteFile(path / "parameters.xml", "x");
    EXPECT_TRUE(std::filesystem::exists(folder.path() / gf_utf8ToUtf16(name) / L"parameters.xml"));
    EXPECT_EQ(gf_pathText(path.filename()), name);
}

// A text that is no UTF-8 is no path, however the standard library would read it.
TEST(WinString, PathsFromTextThatIsNoUtf8AreRefused)
{
    const std::string texts[] = {
        std::string("C:\\Addons\\S\xED\xA0\x80") + "chiphol", // an encoded surrogate
        "D:\\\xC0\xAF",                                       // an overlong slash
        "D:\\\xF4\x90\x80\x80",                               // beyond U+10FFFF
        "D:\\\xE2\x82",                                       // cut short
        "D:\\\xFF",
    };
    for (const std::string& text : texts) {
        try {
            gf_u8path(text);
            ADD_FAILURE() << text;
        } catch (const std::filesystem::filesystem_error& e) {
            EXPECT_EQ(e.code(), std::errc::illegal_byte_sequence) << text;
        }
    }
    EXPECT_EQ(gf_u8path("").native(), L"");
}

TEST(WinString, Windows1252HoldsWhatItHasAndNothingElse)
{
    SKIP_UNLESS_ANSI_IS_1252();
    struct Case {
        std::string utf8;
        std::optional<std::string> ansi;
    };
    const Case cases[] = {
        {"", ""},
        {"KLM 737", "KLM 737"},
        {"D\xC3\xBCsseldorf S\xC3\xA3o Paulo", "D\xFCsseldorf S\xE3o Paulo"},
        {"Ch\xC3\xA2teau \xE2\x80\x93 \xE2\x82\xAC", "Ch\xE2teau \x96 \x80"}, // en dash and euro in 0x80..0x9F
        {"\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1", std::nullopt},            // Greek
        {"Tokyo \xE6\x9D\xB1\xE4\xBA\xAC", std::nullopt},                        // CJK
        {"\xC5\x81\xC3\xB3\x64\xC5\xBA", std::nullopt}, // Polish: best fit would give "Lodz"
        {"\xC3\x28", std::nullopt},                     // no UTF-8
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gf_utf8ToAnsi(c.utf8), c.ansi) << c.utf8;
        if (c.ansi) {
            EXPECT_EQ(gf_ansiToUtf8(*c.ansi), c.utf8);
        }
    }
    EXPECT_EQ(gf_codePageToUtf8("\x81", 1252), "\xC2\x81") << "an undefined byte keeps a character of its own";
}

TEST(WinString, APathWindows1252CannotHoldIsGivenInItsShortForm)
{
    SKIP_UNLESS_ANSI_IS_1252();
    TempFolder folder;
    const auto held = folder.path() / gf_u8path("Z\xC3\xBCrich");
    const auto greek = folder.path() / gf_u8path("\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 plans");
    for (const auto& path : {held, greek}) {
        std::filesystem::create_directory(path);
        gf_testWriteFile(path / "plan.pln", "x");
    }
    const std::optional<std::string> heldText = gf_pathToAnsi(held / "plan.pln");
    ASSERT_TRUE(heldText);
    EXPECT_EQ(gf_ansiToUtf8(*heldText), gf_pathText(held / "plan.pln")) << "the long form where it can";
    const std::optional<std::string> greekText = gf_pathToAnsi(greek / "plan.pln");
    ASSERT_TRUE(greekText);
    EXPECT_TRUE(std::filesystem::exists(gf_u8path(gf_ansiToUtf8(*greekText)))) << *greekText;
    EXPECT_FALSE(gf_pathToAnsi(greek / "missing.pln")) << "no short form of a file that is not there";
}

// Whatever bytes the simulator holds in its code page, a text read from them is UTF-8 and
// goes back to it as those bytes: undefined bytes, broken double-byte characters and UTF-8
// read as the code page's characters alike.
TEST(WinString, TextsReadInTheAnsiCodePageGoBackByteForByte)
{
    std::vector<std::string> samples = {"", "KLM 737", "D\xC3\xBCsseldorf",           // UTF-8
                                        "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", // Cyrillic in UTF-8
                                        "\xE6\x9D\xB1\xE4\xBA\xAC x",                     // CJK in UTF-8
                                        "A\x81", "\x81" "A\\", "\x82\xA0\xFF"};
    for (int first = 0x80; first <= 0xFF; ++first) {
        samples.push_back(std::string(1, static_cast<char>(first)) + "]");
        for (int second = 0x40; second <= 0xFF; ++second)
            samples.push_back({static_cast<char>(first), static_cast<char>(second)});
    }
    for (const std::string& bytes : samples) {
        const std::string text = gf_ansiToUtf8(bytes);
        ASSERT_NO_THROW(gf_utf8ToUtf16(text)) << "no UTF-8 from " << testing::PrintToString(bytes);
        ASSERT_EQ(gf_utf8ToAnsi(text), bytes) << "read as " << testing::PrintToString(text);
    }

    // The code page's own characters read as themselves, in the system's code page.
    struct Case {
        unsigned codePage;
        std::string bytes, text;
    };
    const Case cases[] = {
        {1252, "D\xFCsseldorf \x80", "D\xC3\xBCsseldorf \xE2\x82\xAC"},
        {1252, "D\xC3\xBC", "D\xC3\x83\xC2\xBC"}, // UTF-8 bytes as the simulator reads them
        {1251, "\xCC\xEE\xF1\xEA\xE2\xE0", "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},
        {1251, "D\xC3\xBC", "D\xD0\x93\xD1\x98"},
        {932, "\x93\x8C\x8B\x9E", "\xE6\x9D\xB1\xE4\xBA\xAC"},
        {932, "\x93", "\xF3\xB0\x82\x93"}, // a first byte alone is held as itself
    };
    for (const Case& c : cases) {
        if (c.codePage == gf_ansiCodePage()) {
            EXPECT_EQ(gf_ansiToUtf8(c.bytes), c.text) << testing::PrintToString(c.bytes);
        }
    }
    // Characters the code page lacks are still refused, also beside held bytes.
    for (const std::string text : {"\xE0\xB8\x81", "\xF3\xB0\x82\x93\xE0\xB8\x81", "\xC3\x28"})
        EXPECT_EQ(gf_utf8ToAnsi(text), std::nullopt) << text;
}
