#pragma once
// String helpers shared by the whole program.
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern const char* const trimSet; // blank, tab, line feed, carriage return

// The text without trim-set characters at both ends; the view is narrowed to match.
std::string gf_trim(std::string_view& text);
std::string gf_trim(const std::string& text);

// Items between delimiters, each trimmed; a final delimiter adds no empty item.
std::vector<std::string> gf_splitFields(std::string_view text);
std::vector<std::string> gf_splitComma(std::string_view text);
std::vector<std::string> gf_splitSemicolon(std::string_view text);
// "EHAM, EGLL" becomes "EHAM,EGLL"; a text without trim-set characters is left alone.
void gf_normalizeList(std::string& text);
// Appends each text's fields as one row of the publishers table, or of another table.
void gf_addSplitFields(const std::vector<std::string>& texts);
void gf_addSplitFields(const std::vector<std::string>& texts, std::vector<std::vector<std::string>>& table);

bool gf_equalsUpper(std::string_view upper, std::string_view text);
std::string gf_extractPath(std::string_view text);
// Bytes beyond ASCII as \xNN, so that a text of any encoding can go into the log.
std::string gf_escapedText(std::string_view text);
// Whether the text is UTF-8 that can name a path; nothing is logged.
bool gf_canNamePath(const std::string& text);
// False, with the marked line "<text> is no path text, skipped!", when a path read from a
// file is no UTF-8: one broken entry is skipped instead of ending the reading.
bool gf_isPathText(const std::string& text);
std::string gf_bannerLine(std::int64_t width, std::int64_t extra, bool leadingLineFeed, bool trailingLineFeed,
                          std::string_view title);
std::string gf_formatFixed6(const std::pair<double, double>& position);

// A 48-bit set of the half hours of a day, as text "0,1,47".
std::bitset<48> lf_hours2bitset(std::string_view text);
std::string gf_joinComma(const std::bitset<48>& hours);

// True when `a` followed by "*" equals `b` (the callsign of a static parked aircraft).
bool gf_equalsStarred(std::string_view a, std::string_view b);
