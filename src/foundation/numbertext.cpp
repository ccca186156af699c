#include "foundation/numbertext.h"

#include <cstdlib>
#include <cstring>

namespace {
template <typename Number, Number (*convert)(const char*, char**)>
Number lf_convert(const char* text, char** end)
{
    if (::strnlen(text, longestNumberText + 1) > longestNumberText) {
        if (end != nullptr)
            *end = const_cast<char*>(text);
        return 0;
    }
    return convert(text, end);
}
} // namespace

double gf_strtod(const char* text, char** end) { return lf_convert<double, std::strtod>(text, end); }

float gf_strtof(const char* text, char** end) { return lf_convert<float, std::strtof>(text, end); }
