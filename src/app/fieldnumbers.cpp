#include "app/fieldnumbers.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

// Both read as std::stoi and std::stof do (the C library's readers), with their errors as states.

FieldInt gf_parseFieldInt(std::string_view text)
{
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(copy.c_str(), &end, 10);
    if (end == copy.c_str())
        return {};
    if (errno == ERANGE || value > std::numeric_limits<std::int32_t>::max() ||
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
