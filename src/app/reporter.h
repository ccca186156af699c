#pragma once
// The one place where the program's long-running threads hand their exceptions over.
#include <string_view>

// Call only from inside a catch handler. A user error (or a format error, or something
// that is no exception) is shown and the program stays open; any other standard exception
// is shown with the function's name and ends the program with "SYSTEM ERROR". Never raises.
void gf_reportException(std::string_view function) noexcept;
