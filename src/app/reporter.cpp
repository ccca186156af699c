// The central exception reporter.
#include "app/reporter.h"

#include "app/finalexit.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"

#include <fmt/format.h>

#include <exception>
#include <new>
#include <stdexcept>

namespace {
void lf_endWith(std::string_view function, const std::exception& e)
{
    gf_showError(fmt::format("{}: {}", function, e.what()));
    gf_startFinalExit(5, 0);
}
} // namespace

void gf_reportException(std::string_view function) noexcept
{
    try {
        try {
            throw;
        } catch (const zeb::UserErrorException& e) {
            gf_showError(e.what());
        } catch (const fmt::format_error& e) {
            gf_showError(fmt::format("std::format error: {}", e.what()));
        } catch (const std::bad_alloc& e) {
            lf_endWith(function, e);
        } catch (const std::out_of_range& e) {
            lf_endWith(function, e);
        } catch (const std::runtime_error& e) {
            lf_endWith(function, e);
        } catch (const std::exception& e) {
            lf_endWith(function, e);
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
