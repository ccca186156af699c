#pragma once
// Reading the lines of an aircraft.cfg: keys, section headers, the numbering of the
// sections, the type of the file. Run on many scan tasks at once; no state of their own.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The value of a whole line "key = value" (key in any letter case, blanks around key, '='
// and value); nothing when the line is no such line or its value is blank. Linear in the
// line's length and without regular expressions: lines can be a megabyte long.
std::optional<std::string_view> gf_keyValue(std::string_view line, std::string_view key);

// True when the line is a line of that key with a non-blank value, which is then stored.
bool lf_getTitle(std::string_view line, std::string& value);
bool lf_getSim(std::string_view line, std::string& value);
bool lf_getModel(std::string_view line, std::string& value);
bool lf_getTexture(std::string_view line, std::string& value);
bool lf_getAtcId(std::string_view line, std::string& value);
bool lf_getAtcParkingTypes(std::string_view line, std::string& value);
std::string lf_getAtcModel(std::string_view line);
bool lf_hasAtcId(std::string_view line);
bool lf_hasAtcParkingTypes(std::string_view line);

// The number of a [fltsim.N] header as written ("02"), "10000" for a header without a
// valid number, or empty for any other line.
std::string lf_getFltsimNumber(std::string_view line);
// False when the section numbers are not 0, 1, 2 ... (reported); a file without sections
// is listed as such and passes.
bool lf_checkFltsimNumbers(const std::vector<std::string>& lines, const std::filesystem::path& file);
// The type that every livery of the file gets, from its first atc_model line (fixed when
// the model fixes know it); empty, and reported, when there is none.
std::string lf_checkAtcModel(const std::filesystem::path& file, const std::vector<std::string>& lines);
// The type itself when known, else its fix (noted); empty (reported) when neither.
std::string lf_knownType(const std::string& model, const std::filesystem::path& file);

// "BOE", "AIB", "EMB", "BBA", "AED": house liveries of the makers.
bool lf_isManufacturerCode(std::string_view code);
void lf_reportInvalidAirline(const std::string& code, const std::filesystem::path& file, const std::string& header);
void lf_reportInvalidAircraft(const std::string& code, const std::filesystem::path& file);
// Items up to each ',', trimmed; a final ',' adds no empty item.
std::vector<std::string> splitCommaList(std::string_view text);

// The path as UTF-8 with backslashes, as the scan's messages show it.
std::string gf_scanPathText(const std::filesystem::path& path);
