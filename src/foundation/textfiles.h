#pragma once
// Text files in the encoding shown by their byte-order mark, read as UTF-8 lines.
#include <filesystem>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace pugi {
class xml_document;
}

enum TextEncoding { ANSI = 0, Unicode = 1, Unicode_big_endian = 2, UTF8_with_BOM = 3, UTF8_without_BOM = 4, none_found = 5 };

struct FileLines {
    std::filesystem::path path;
    std::vector<std::string> lines;
};

TextEncoding gf_detectEncoding(const std::filesystem::path& path);
// Appends the file's lines as UTF-8; 1 when read, 0 otherwise.
int gf_readExtTextFileToStringVector(const std::filesystem::path& path, std::vector<std::string>& lines);
// How lines without a mark are read. Those of most files are kept when they are UTF-8,
// as today's editors write them, and otherwise read in the system's ANSI code page. The
// simulator reads its own configuration files in that code page, byte for byte, and knows
// their titles by those bytes: `asSimulator` reads them the same way, so that gf_utf8ToAnsi
// gives back the file's bytes, whatever they are.
enum class UnmarkedLines { utf8OrAnsi, asSimulator };

// Appends the file's lines in the encoding of its mark, reading it once; `encoding` is
// none_found when it cannot be read. 1 when read, 0 otherwise.
int gf_readTextFile(const std::filesystem::path& path, std::vector<std::string>& lines, TextEncoding& encoding,
                    UnmarkedLines unmarked = UnmarkedLines::utf8OrAnsi);
int gf_openTextStream(TextEncoding encoding, const std::filesystem::path& path, std::vector<std::string>& lines);
// Appends every line of an open stream (CR LF or LF ends a line), then clears its state.
void gf_readLines(std::istream& stream, std::vector<std::string>& lines);
// The record's lines (those it held count too), or null when the file cannot be opened or gives none.
std::vector<std::string>* gf_readFileLines(FileLines& record, int expectedCount);

// Writes the file through `fill` (false when its own part failed). True only once the close
// has written the stream's tail as well: a full disk shows only there.
bool gf_writeWholeFile(const std::filesystem::path& path, const std::function<bool(std::ostream&)>& fill,
                  std::ios::openmode mode);
bool gf_writeTextFile(const std::string& text, const std::filesystem::path& path);
bool gf_writeLinesToFile(const std::vector<std::string>& lines, const std::filesystem::path& path);
bool gf_saveFile(const pugi::xml_document& document, const std::filesystem::path& path);
// Keeps the two previous copies: name0.ext (last) and name00.ext (the one before).
void gf_backupFile(const std::filesystem::path& path);
// Regular files directly in the folder; 0 when it does not exist.
int gf_countDirEntries(const std::filesystem::path& path);
