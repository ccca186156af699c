// The central exception reporter.
#include "app/reporter.h"

#include "app/finalexit.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"

#include <fmt/format.h>

#include <exception>

void gf_reportException(std::string_view function) noexcept
{
    try {
        try {
            throw;
        } catch (const zeb::UserErrorException& e) {
            gf_showError(e.what());
        } catch (const fmt::format_error& e) {
            gf_showError(fmt::format("std::format error: {}", e.what()));
        } catch (const std::exception& e) {
            // Any other standard exception (no memory, a bad key, a system error) ends the program.
            gf_showError(fmt::format("{}: {}", function, e.what()));
            gf_startFinalExit(5, 0);
        } catch (...) {
            gf_showError("Unknown exception");
        }
    } catch (...) {
        // Showing or ending failed too (no memory, no thread): only the log is left.
        try {
            gf_logMarked(fmt::format("exception in {} could not be reported", function));
        } catch (...) {
        }
    }
}
