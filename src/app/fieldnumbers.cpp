#include "app/fieldnumbers.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

namespace {
bool lf_isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
} // namespace

FieldInt gf_parseFieldInt(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && lf_isSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    const std::size_t firstDigit = at;
    std::int64_t magnitude = 0;
    bool tooLarge = false;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (!tooLarge)
            magnitude = magnitude * 10 + (text[at] - '0');
        tooLarge = tooLarge || magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    }
    if (at == firstDigit)
        return {};
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (tooLarge || value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min())
        return {FieldParse::outOfRange, 0};
    return {FieldParse::number, static_cast<std::int32_t>(value)};
}

FieldFloat gf_parseFieldFloat(std::string_view text)
{
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(copy.c_str(), &end);
    if (end == copy.c_str())
        return {};
    if (errno == ERANGE)
        return {FieldParse::outOfRange, 0.0f};
    return {FieldParse::number, value};
}
