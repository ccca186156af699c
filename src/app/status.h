#pragma once
// The status line of the main window, usable from every thread.
#include <string>

// Shows a status text (held 25 s); writes it to the log too when `log` is set.
// Ignored while an error text is held.
void gf_showStatus(const std::string& text, bool log);
void gf_clearStatus();
// Holds an error text on the red strip until it is cleared.
void gf_showError(const std::string& text);
