#pragma once
// The message of an exception that a call raises, for comparing whole texts.
#include <string>

// The what() text of the Exception that the call raises, or "no error".
template <typename Exception, typename Call>
std::string gf_testErrorText(Call call)
{
    try {
        call();
    } catch (const Exception& e) {
        return e.what();
    }
    return "no error";
}
