// The callsign field: one live callsign that is removed and not injected.
#include "app/commands.h"

#include "app/mainloop.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"

#include <fmt/format.h>

namespace {
std::size_t lf_characterCount(const std::string& utf8)
{
    std::size_t count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}
} // namespace

void gf_blockCallsign()
{
    gf_clearStatus();
    std::string callsign = gf_getItemText(BLOCK_CALLSIGN.controlId);
    const std::string stored = BLOCK_CALLSIGN.getValue();
    if (callsign.empty()) {
        if (!stored.empty())
            gf_unblockCallsign();
        return;
    }
    const std::size_t length = lf_characterCount(callsign);
    if (length < 4 || length > 8) {
        gf_showStatus(fmt::format("callsign \"{}\" is not valid", callsign), true);
        gf_showStringParameter(BLOCK_CALLSIGN);
        return;
    }
    for (char& c : callsign)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (callsign == stored) {
        gf_showStatus(fmt::format("This callsign ({}) was already set ...", callsign), true);
        gf_showStringParameter(BLOCK_CALLSIGN);
        return;
    }
    BLOCK_CALLSIGN.setValue(callsign);
    gf_showStringParameter(BLOCK_CALLSIGN);
    EnableWindow(unblockButton.window, TRUE);
    gf_showStatus(fmt::format("live aircraft with callsign \"{}\" will be blocked", callsign), true);
    callsignBlockRequest = true;
}

void gf_unblockCallsign()
{
    const std::string former = BLOCK_CALLSIGN.getValue();
    if (former.empty())
        return;
    BLOCK_CALLSIGN.setValue("");
    gf_showStringParameter(BLOCK_CALLSIGN);
    EnableWindow(unblockButton.window, FALSE);
    gf_showStatus(fmt::format("no more blocking of live aircraft \"{}\"", former), true);
    callsignBlockRequest = true;
}
