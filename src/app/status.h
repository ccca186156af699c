#pragma once
// The status line of the main window, usable from every thread.
#include <cstdint>
#include <string>

// Shows a status text (held statusHoldSeconds); writes it to the log too when `log` is set.
// Ignored while an error text is held.
void gf_showStatus(const std::string& text, bool log);
void gf_clearStatus();
// Holds an error text on the red strip until it is cleared.
void gf_showError(const std::string& text);
// Drops a held error text; status texts are shown again.
void gf_clearError();
// A text the user must not miss that is no error: shown whenever no status text is, until
// the program ends (also after a restart). An empty text drops it. Not logged.
void gf_showNotice(const std::string& text);

// One second of the status clock (called once a second by the main loop): a status text
// is cleared statusHoldSeconds after it was set.
void gf_advanceStatusClock();
// Clock, stamp, status and error text back to their start (exit and restart).
void gf_resetStatusLine();

struct StatusLine {
    std::string status;
    std::string error;
    std::int32_t stamp = 0;
    std::string notice;
};
// A copy taken under the status lock.
StatusLine gf_statusLine();
