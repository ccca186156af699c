// Exceptions of the window thread end at the handler that raised them.
#include "app/windowproc.h"

#include "app/status.h"
#include "foundation/log.h"

void gf_reportWindowException(const char* function, const char* what) noexcept
{
    try {
        const std::string text = fmt::format("exception in {}: {}", function, what);
        gf_logMarked(text);
        gf_showStatus(text, false);
    } catch (...) {
        // Nothing more can be reported; the window carries on.
    }
}
