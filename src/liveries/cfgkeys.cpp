#include "liveries/cfgkeys.h"

#include "foundation/log.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "liveries/referencedata.h"
#include "liveries/scanreports.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>

namespace {
// The blanks of a regular expression's \s in the "C" locale.
bool lf_isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char lf_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t lf_skipBlanks(std::string_view text, std::size_t at)
{
    while (at < text.size() && lf_isBlank(text[at]))
        ++at;
    return at;
}

// Whether `lower` (lower case) stands at `at`, in any letter case.
bool lf_startsWithNoCase(std::string_view text, std::size_t at, std::string_view lower)
{
    if (text.size() - at < lower.size())
        return false;
    for (std::size_t i = 0; i < lower.size(); ++i)
        if (lf_lower(text[at + i]) != lower[i])
            return false;
    return true;
}

bool lf_readKey(std::string_view line, std::string_view key, std::string& value)
{
    const std::optional<std::string_view> found = gf_keyValue(line, key);
    if (found)
        value.assign(*found);
    return found.has_value();
}
} // namespace

std::optional<std::string_view> gf_keyValue(std::string_view line, std::string_view key)
{
    std::size_t at = lf_skipBlanks(line, 0);
    if (!lf_startsWithNoCase(line, at, key))
        return std::nullopt;
    at = lf_skipBlanks(line, at + key.size());
    if (at == line.size() || line[at] != '=')
        return std::nullopt;
    at = lf_skipBlanks(line, at + 1);
    std::size_t end = line.size();
    while (end > at && lf_isBlank(line[end - 1]))
        --end;
    const std::string_view value = line.substr(at, end - at);
    // The value is one run of characters of a single line.
    if (value.empty() || value.find_first_of("\r\n") != std::string_view::npos)
        return std::nullopt;
    return value;
}

bool lf_getTitle(std::string_view line, std::string& value) { return lf_readKey(line, "title", value); }
bool lf_getSim(std::string_view line, std::string& value) { return lf_readKey(line, "sim", value); }
bool lf_getModel(std::string_view line, std::string& value) { return lf_readKey(line, "model", value); }
bool lf_getTexture(std::string_view line, std::string& value) { return lf_readKey(line, "texture", value); }
bool lf_getAtcId(std::string_view line, std::string& value) { return lf_readKey(line, "atc_id", value); }
bool lf_getAtcParkingTypes(std::string_view line, std::string& value)
{
    return lf_readKey(line, "atc_parking_types", value);
}

std::string lf_getAtcModel(std::string_view line)
{
    std::string value;
    lf_readKey(line, "atc_model", value);
    return value;
}

bool lf_hasAtcId(std::string_view line) { return line.find("atc_id=") != std::string_view::npos; }
bool lf_hasAtcParkingTypes(std::string_view line) { return line.find("atc_parking_types") != std::string_view::npos; }

std::string lf_getFltsimNumber(std::string_view line)
{
    if (line.starts_with("//"))
        return {};
    std::size_t at = lf_skipBlanks(line, 0);
    if (lf_startsWithNoCase(line, at, "[fltsim.")) {
        const std::size_t digits = at + 8;
        std::size_t end = digits;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9')
            ++end;
        if (end > digits && end < line.size() && line[end] == ']' && lf_skipBlanks(line, end + 1) == line.size())
            return std::string(line.substr(digits, end - digits));
    }
    if (line.find("[fltsim.") != std::string_view::npos || line.find("[FLTSIM.") != std::string_view::npos)
        return "10000";
    return {};
}

namespace {
void lf_reportFltsimNumbering(const std::filesystem::path& file, int number)
{
    gf_addInvalidCfgFile(number == 10000
                             ? fmt::format("{} contains a [fltsim.] section without a number", gf_scanPathText(file))
                             : fmt::format("{} contains non-consecutive [fltsim.x] numbers at .x={}",
                                           gf_scanPathText(file), number));
}
} // namespace

bool lf_checkFltsimNumbers(const std::vector<std::string>& lines, const std::filesystem::path& file)
{
    std::vector<int> numbers;
    for (const std::string& line : lines) {
        const std::string text = lf_getFltsimNumber(line);
        if (text.empty())
            continue;
        int number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size()) {
            gf_logMarked(fmt::format("fltsim num {} incorrect", line));
            return false;
        }
        numbers.push_back(number);
    }
    if (numbers.empty()) {
        emptyCfgFiles.add(gf_scanPathText(file));
        return true;
    }
    std::sort(numbers.begin(), numbers.end());
    int expected = 0;
    for (const int number : numbers) {
        if (number != expected) {
            lf_reportFltsimNumbering(file, number);
            return false;
        }
        ++expected;
    }
    return true;
}

std::string lf_checkAtcModel(const std::filesystem::path& file, const std::vector<std::string>& lines)
{
    std::string model;
    for (const std::string& line : lines)
        if (!(model = lf_getAtcModel(line)).empty())
            break;
    if (model.empty()) {
        gf_addInvalidCfgFile("Line atc_model= is missing in [General] section of " + gf_scanPathText(file));
        return {};
    }
    return lf_knownType(model, file);
}

std::string lf_knownType(const std::string& model, const std::filesystem::path& file)
{
    if (knownTypes.contains(model))
        return model;
    if (const auto fixed = modelFixes.find(model); fixed != modelFixes.end()) {
        gf_addLiveryReportLine(
            fmt::format("Fix: {} found in {} changed into {}", model, gf_scanPathText(file), fixed->second));
        return fixed->second;
    }
    lf_reportInvalidAircraft(model, file);
    return {};
}

bool lf_isManufacturerCode(std::string_view code)
{
    return code == "BOE" || code == "AIB" || code == "EMB" || code == "BBA" || code == "AED";
}

void lf_reportInvalidAirline(const std::string& code, const std::filesystem::path& file, const std::string& header)
{
    invalidAirlineCodes.add(fmt::format("{:12} in {} ", code, gf_scanPathText(file)) + header);
}

void lf_reportInvalidAircraft(const std::string& code, const std::filesystem::path& file)
{
    invalidAircraftCodes.add(fmt::format("{:16} in {}", code, gf_scanPathText(file)));
}

std::vector<std::string> splitCommaList(std::string_view text) { return gf_splitComma(text); }

std::string gf_scanPathText(const std::filesystem::path& path)
{
    std::string text = gf_pathText(path);
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}
