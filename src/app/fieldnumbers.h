#pragma once
// Numbers typed into the edit fields of the main window: leading white space and a sign
// are allowed, and reading stops at the first character that does not belong to the number.
#include <cstdint>
#include <string_view>

enum class FieldParse { number, notANumber, outOfRange };

struct FieldInt {
    FieldParse state = FieldParse::notANumber;
    std::int32_t value = 0;
};
// outOfRange: beyond the signed 32-bit range.
FieldInt gf_parseFieldInt(std::string_view text);

struct FieldFloat {
    FieldParse state = FieldParse::notANumber;
    float value = 0.0f;
};
// outOfRange: beyond the range of a float.
FieldFloat gf_parseFieldFloat(std::string_view text);
