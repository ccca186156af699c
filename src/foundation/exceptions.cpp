#include "foundation/exceptions.h"

#include <fmt/format.h>

namespace zeb {

namespace {
// Code 99 marks a text that is already complete for the user.
std::string lf_userMessage(std::uint32_t code, const std::string& message)
{
    return code == 99 ? message : fmt::format("{}: ", code) + message;
}
} // namespace

UserErrorException::UserErrorException(std::uint32_t code, const std::string& message)
    : std::runtime_error(lf_userMessage(code, message))
{
}

SysErrorException::SysErrorException(std::uint32_t code, const std::string& message)
    : std::runtime_error(fmt::format("sys error {}: ", code) + message)
{
}

} // namespace zeb
