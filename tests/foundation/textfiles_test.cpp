#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "logcapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

using ::testing::HasSubstr;

namespace {
// UTF-16 bytes of a text of BMP characters, in the given byte order, with or without mark.
std::string lf_utf16(const std::u16string& text, bool littleEndian, bool mark = true)
{
    std::string bytes;
    const auto put = [&](char16_t unit) {
        const char lo = static_cast<char>(unit & 0xFF), hi = static_cast<char>(unit >> 8);
        bytes += littleEndian ? std::string{lo, hi} : std::string{hi, lo};
    };
    if (mark)
        put(0xFEFF);
    for (char16_t unit : text)
        put(unit);
    return bytes;
}

Lines lf_read(const fs::path& path)
{
    Lines lines;
    EXPECT_EQ(gf_readExtTextFileToStringVector(path, lines), 1) << gf_pathText(path);
    return lines;
}

class TextFiles : public ::testing::Test {
protected:
    // Writes the bytes to a file of the folder and reads its lines back.
    Lines readBack(const char* name, const std::string& bytes)
    {
        gf_testWriteFile(folder / name, bytes);
        return lf_read(folder / name);
    }

    TempFolder folder;
};
} // namespace

TEST_F(TextFiles, EncodingIsTakenFromTheByteOrderMark)
{
    const struct {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
    } cases[] = {
        {"le.txt", std::string("\xFF\xFE" "A\0", 4), Unicode}, // with the zero byte
        {"be.txt", std::string("\xFE\xFF" "\0A", 4), Unicode_big_endian},
        {"bom.txt", "\xEF\xBB\xBFx", UTF8_with_BOM},
        {"plain.txt", "plain", ANSI},
        {"one.txt", "\xFF", ANSI},
        {"empty.txt", "", ANSI},
    };
    for (const auto& c : cases) {
        gf_testWriteFile(folder / c.name, c.bytes);
        EXPECT_EQ(gf_detectEncoding(folder / c.name), c.encoding) << c.name;
    }
    EXPECT_EQ(gf_detectEncoding(folder / "missing.txt"), none_found);
}

TEST_F(TextFiles, Utf16FilesInBothByteOrdersGiveUtf8Lines)
{
    for (bool littleEndian : {true, false})
        EXPECT_EQ(readBack(littleEndian ? "le.txt" : "be.txt",
                           lf_utf16(u"AB\r\nCD\r\n\r\nZ\u00fcrich \u20ac\r\n", littleEndian)),
                  (Lines{"AB", "CD", "", "Z\xC3\xBCrich \xE2\x82\xAC"}));
}

TEST_F(TextFiles, LastLineWithoutLineEndKeepsItsLastCharacter)
{
    EXPECT_EQ(readBack("u16.txt", lf_utf16(u"AB\r\nCD", true)), (Lines{"AB", "CD"}));
    EXPECT_EQ(readBack("lf.txt", lf_utf16(u"AB\nCD\n", true)), (Lines{"AB", "CD"})); // LF only: nothing is cut
    EXPECT_EQ(readBack("u8.txt", "one\r\ntwo\nthree"), (Lines{"one", "two", "three"}));
}

TEST_F(TextFiles, Utf8MarkIsRemovedFromTheFirstLineOfThisReadOnly)
{
    gf_testWriteFile(folder / "bom.txt", "\xEF\xBB\xBF" "first\r\nsecond\r\n");
    Lines lines{"kept from before"};
    EXPECT_EQ(gf_readExtTextFileToStringVector(folder / "bom.txt", lines), 1);
    EXPECT_EQ(lines, (Lines{"kept from before", "first", "second"}));
    EXPECT_EQ(readBack("nobom.txt", "first\r\nsecond\r\n"), (Lines{"first", "second"}));
}

// A line of the system's code page, as the system's own tools write it, per code page.
struct AnsiLine {
    unsigned codePage;
    std::string bytes, text;
};
const AnsiLine ansiLines[] = {
    {1252, "Z\xFCrich \x80 5", "Z\xC3\xBCrich \xE2\x82\xAC 5"},
    {1251, "\xCC\xEE\xF1\xEA\xE2\xE0 \x88", "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 \xE2\x82\xAC"},
    {932, "\x93\x8C\x8B\x9E 5", "\xE6\x9D\xB1\xE4\xBA\xAC 5"},
};

TEST_F(TextFiles, LinesWithoutMarkAreUtf8OrInTheAnsiCodePage)
{
    for (const AnsiLine& line : ansiLines) {
        if (line.codePage == gf_ansiCodePage()) {
            EXPECT_EQ(readBack("ansi.txt", line.bytes + "\r\nZ\xC3\xBCrich\r\n"), (Lines{line.text, "Z\xC3\xBCrich"}));
        }
    }
}

// The simulator reads its configuration files without a mark in its code page and knows
// their titles by their bytes: read so, every line goes back to it as the file's bytes.
TEST_F(TextFiles, SimulatorFilesWithoutMarkGoBackToItsCodePageByteForByte)
{
    std::string everyByte;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        everyByte += static_cast<char>(byte);
    const Lines written = {"title=Fokker D\xC3\xBCsseldorf", "title=\xE6\x9D\xB1\xE4\xBA\xAC", everyByte,
                           "ends in a first byte \x93", "[fltsim.0]"};
    std::string bytes;
    for (const std::string& line : written)
        bytes += line + "\r\n";
    gf_testWriteFile(folder / "aircraft.cfg", bytes);
    Lines lines;
    TextEncoding encoding = none_found;
    ASSERT_EQ(gf_readTextFile(folder / "aircraft.cfg", lines, encoding, UnmarkedLines::asSimulator), 1);
    EXPECT_EQ(encoding, ANSI);
    ASSERT_EQ(lines.size(), written.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NO_THROW(gf_utf8ToUtf16(lines[i])) << i;
        EXPECT_EQ(gf_utf8ToAnsi(lines[i]), written[i]) << i;
    }
    EXPECT_EQ(lines.back(), "[fltsim.0]");
    for (const AnsiLine& line : ansiLines)
        if (line.codePage == gf_ansiCodePage()) {
            gf_testWriteFile(folder / "sim.cfg", line.bytes);
            lines.clear();
            gf_readTextFile(folder / "sim.cfg", lines, encoding, UnmarkedLines::asSimulator);
            EXPECT_EQ(lines, Lines{line.text});
        }
}

TEST(TextFileLog, InvalidUtf16StopsTheReadAndKeepsTheLinesBefore)
{
    LogCapture log;
    gf_testWriteFile("bad.txt", lf_utf16(u"good\r\nbad \xD800 here\r\nnever\r\n", true));
    Lines lines;
    EXPECT_EQ(gf_readExtTextFileToStringVector("bad.txt", lines), 0);
    EXPECT_EQ(lines, (Lines{"good"}));
    EXPECT_EQ(gf_readExtTextFileToStringVector("missing.txt", lines), 0);
    EXPECT_THAT(log.text(), HasSubstr("conversion from error from utf16 to utf8, code: 1113"));
    EXPECT_THAT(log.text(), HasSubstr("cannot open file missing.txt for character encoding, err: 2"));
}

TEST_F(TextFiles, FileLinesReserveOnlyForAPositiveCount)
{
    gf_testWriteFile(folder / "three.txt", "a\nb\nc\n");
    gf_testWriteFile(folder / "empty.txt", "");
    FileLines record{folder / "three.txt", {}};
    ASSERT_EQ(gf_readFileLines(record, -5), &record.lines);
    EXPECT_EQ(record.lines, (Lines{"a", "b", "c"}));
    FileLines big{folder / "three.txt", {}};
    gf_readFileLines(big, 1000);
    EXPECT_GE(big.lines.capacity(), 1000u);
    FileLines empty{folder / "empty.txt", {}};
    EXPECT_EQ(gf_readFileLines(empty, 10), nullptr);
    FileLines missing{folder / "missing.txt", {}};
    EXPECT_EQ(gf_readFileLines(missing, 10), nullptr);
}

TEST_F(TextFiles, WrittenFilesReadBackLineForLine)
{
    EXPECT_TRUE(gf_writeTextFile("EHAM,EGLL", folder / "one.txt"));
    EXPECT_EQ(lf_read(folder / "one.txt"), (Lines{"EHAM,EGLL"}));
    const Lines lines{"first", "", "third \xE2\x82\xAC"};
    EXPECT_TRUE(gf_writeLinesToFile(lines, folder / "many.txt"));
    EXPECT_EQ(lf_read(folder / "many.txt"), lines);
    EXPECT_FALSE(gf_writeTextFile("x", folder / "no such folder" / "x.txt"));
    EXPECT_FALSE(gf_writeLinesToFile(lines, folder / "no such folder" / "x.txt"));
    // A full disk refuses only the tail that the close writes.
    EXPECT_FALSE(gf_writeTextFile("x", "Z:\\dev\\full"));
    EXPECT_FALSE(gf_writeLinesToFile(lines, "Z:\\dev\\full"));
}

TEST(TextFileLog, SaveFileLogsTheOutcome)
{
    LogCapture log;
    pugi::xml_document document;
    document.append_child("parameters").append_child("parameter").append_attribute("name") = "LOG";
    EXPECT_TRUE(gf_saveFile(document, "saved.xml"));
    EXPECT_FALSE(gf_saveFile(document, gf_u8path("missing/saved.xml")));
    pugi::xml_document back;
    ASSERT_TRUE(back.load_file(L"saved.xml"));
    EXPECT_STREQ(back.child("parameters").child("parameter").attribute("name").value(), "LOG");
    EXPECT_THAT(log.text(), HasSubstr("\"saved.xml\" saved"));
    EXPECT_THAT(log.text(), HasSubstr("could not save to \"missing/saved.xml\""));
}

TEST_F(TextFiles, BackupKeepsTwoCopiesAndNeedsAnExtension)
{
    const fs::path file = folder / "data.txt";
    gf_backupFile(file); // nothing there yet: nothing happens
    EXPECT_FALSE(fs::exists(folder / "data0.txt"));
    for (const char* text : {"one", "two", "three"}) {
        gf_testWriteFile(file, text);
        gf_backupFile(file);
    }
    EXPECT_EQ(gf_testReadFile(folder / "data0.txt"), "three");
    EXPECT_EQ(gf_testReadFile(folder / "data00.txt"), "two");
    gf_testWriteFile(folder / "noext", "x");
    gf_backupFile(folder / "noext");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 4);
}

TEST_F(TextFiles, CountDirEntriesCountsOnlyFiles)
{
    gf_testWriteFile(folder / "a.txt", "a");
    gf_testWriteFile(folder / "b.txt", "b");
    fs::create_directory(folder / "sub");
    gf_testWriteFile(folder / "sub" / "c.txt", "c");
    EXPECT_EQ(gf_countDirEntries(folder.path()), 2);
    EXPECT_EQ(gf_countDirEntries(folder / "missing"), 0);
}
