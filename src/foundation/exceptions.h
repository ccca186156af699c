#pragma once
// The program's two exception types; the code becomes part of the message text.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace zeb {

// What the user must see and can act on; shown, and the program stays open.
class UserErrorException : public std::runtime_error {
public:
    UserErrorException(std::uint32_t code, const std::string& message);
};

// Failed system calls, failed writes and rejected records; ends the program when unhandled.
class SysErrorException : public std::runtime_error {
public:
    SysErrorException(std::uint32_t code, const std::string& message);
};

} // namespace zeb
