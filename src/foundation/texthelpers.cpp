#include "foundation/texthelpers.h"

#include "foundation/log.h"
#include "foundation/winstring.h"
#include "liveries/liveries.h"

#include <fmt/format.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

const char* const trimSet = " \t\n\r";

std::string gf_trim(std::string_view& text)
{
    const std::size_t first = text.find_first_not_of(trimSet);
    if (first == std::string_view::npos) {
        text = text.substr(text.size());
        return {};
    }
    const std::size_t last = text.find_last_not_of(trimSet);
    text = text.substr(first, last - first + 1);
    return std::string(text);
}

std::string gf_trim(const std::string& text)
{
    std::string_view view(text);
    return gf_trim(view);
}

namespace {
std::vector<std::string> lf_split(std::string_view text, char delimiter, std::size_t reserve)
{
    std::vector<std::string> items;
    items.reserve(reserve);
    std::istringstream stream{std::string(text)};
    std::string item;
    while (std::getline(stream, item, delimiter))
        items.push_back(gf_trim(item));
    return items;
}
} // namespace

std::vector<std::string> gf_splitFields(std::string_view text) { return lf_split(text, ',', 0); }
std::vector<std::string> gf_splitComma(std::string_view text) { return lf_split(text, ',', 16); }
std::vector<std::string> gf_splitSemicolon(std::string_view text) { return lf_split(text, ';', 16); }

void gf_normalizeList(std::string& text)
{
    if (text.empty() || text.find_first_of(trimSet) == std::string::npos)
        return;
    text = fmt::format("{}", fmt::join(gf_splitComma(text), ","));
}

void gf_addSplitFields(const std::vector<std::string>& texts, std::vector<std::vector<std::string>>& table)
{
    for (const std::string& text : texts) {
        table.push_back(gf_splitFields(text));
        table.back().shrink_to_fit();
    }
}

void gf_addSplitFields(const std::vector<std::string>& texts) { gf_addSplitFields(texts, publisherGroups); }

bool gf_equalsUpper(std::string_view upper, std::string_view text)
{
    if (upper.size() != text.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
        if (c != upper[i])
            return false;
    }
    return true;
}

std::string gf_extractPath(std::string_view text)
{
    const std::size_t open = text.find("<Path>");
    const std::size_t close = text.find("</Path>");
    // A closing tag before the opening one gives nothing, like a missing tag.
    if (open == std::string_view::npos || close == std::string_view::npos || close < open + 6)
        return {};
    return std::string(text.substr(open + 6, close - open - 6));
}

std::string gf_escapedText(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        escaped += byte < 0x80 ? std::string(1, c) : fmt::format("\\x{:02X}", byte);
    }
    return escaped;
}

bool gf_canNamePath(const std::string& text)
{
    try {
        gf_u8path(text);
        return true;
    } catch (const std::filesystem::filesystem_error& e) {
        if (e.code() != std::errc::illegal_byte_sequence)
            throw;
        return false;
    }
}

bool gf_isPathText(const std::string& text)
{
    if (gf_canNamePath(text))
        return true;
    gf_logMarked(gf_escapedText(text) + " is no path text, skipped!");
    return false;
}

std::string gf_bannerLine(std::int64_t width, std::int64_t extra, bool leadingLineFeed, bool trailingLineFeed,
                          std::string_view title)
{
    std::string line = leadingLineFeed ? "\n" : "";
    std::int64_t n = width + extra;
    n += n % 2;
    if (title.empty()) {
        line.append(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)), '*');
    } else if (n > static_cast<std::int64_t>(title.size()) + 2) {
        const std::string stars(static_cast<std::size_t>(n / 2 - 1), '*');
        line += stars + " " + std::string(title) + " " + stars;
    } else {
        line += title;
    }
    if (trailingLineFeed)
        line += "\n";
    return line;
}

std::string gf_formatFixed6(const std::pair<double, double>& position)
{
    return fmt::format("{:.6f},{:.6f}", position.first, position.second);
}

std::bitset<48> lf_hours2bitset(std::string_view text)
{
    std::bitset<48> hours;
    std::istringstream stream{std::string(text)};
    std::string item;
    while (std::getline(stream, item, ',')) {
        // The same rules as std::stoi, without using exceptions for ordinary bad input.
        errno = 0;
        char* end = nullptr;
        const long value = std::strtol(item.c_str(), &end, 10);
        const char* problem = nullptr;
        if (end == item.c_str())
            problem = "invalid stoi argument";
        else if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
            problem = "stoi argument out of range";
        else if (value < 0 || value > 47)
            problem = "invalid bitset position";
        if (problem != nullptr) {
            gf_logMarked(fmt::format("exception {} in lf_hours2bitset", problem));
            break;
        }
        hours.set(static_cast<std::size_t>(value));
    }
    return hours;
}

std::string gf_joinComma(const std::bitset<48>& hours)
{
    std::string text;
    for (std::size_t slot = 0; slot < hours.size(); ++slot)
        if (hours.test(slot))
            text += fmt::format("{},", slot);
    if (!text.empty())
        text.pop_back();
    return text;
}

bool gf_equalsStarred(std::string_view a, std::string_view b)
{
    return b.size() == a.size() + 1 && b.back() == '*' && b.substr(0, a.size()) == a;
}
