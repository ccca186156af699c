// Check boxes and buttons of the main window: a switch is stored and saved at once, then
// its action runs. Whatever touches the traffic tables is a request to the main loop.
#include "app/commands.h"

#include "airports/airports.h"
#include "app/mainloop.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/parametersfile.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"

#include <fmt/format.h>

std::atomic<bool> airportSettingsChanged{false};
std::atomic<std::int32_t> manualRadius{0};

namespace {
void lf_status(const std::string& text) { gf_showStatus(text, false); }

// The status text while the condition holds, else an empty status line.
void lf_statusWhen(bool condition, const std::string& text)
{
    if (condition)
        lf_status(text);
    else
        gf_clearStatus();
}

void lf_settingsChangedWhileParking()
{
    if (staticParkingActive.load())
        airportSettingsChanged = true;
}

std::int32_t lf_manualRadius()
{
    // Before the first switch to the automatic range, the radius the start-up read.
    const std::int32_t radius = manualRadius.load();
    return radius > 0 ? radius : lateralRangeAtStart.load();
}

void lf_autoRange(HWND, bool on)
{
    airportSettingsChanged = true;
    if (on) {
        manualRadius = LATERAL_RANGE.value.load();
        autoRangeRequest = true;
        EnableWindow(LATERAL_RANGE.window, FALSE);
        return;
    }
    autoRangeRequest = false;
    EnableWindow(LATERAL_RANGE.window, TRUE);
    gf_setRadius(LATERAL_RANGE.clamp(lf_manualRadius()));
    gf_showIntParameter(LATERAL_RANGE);
    gf_clearStatus();
}

void lf_alwaysOnTop(HWND window, bool on)
{
    lf_statusWhen(on, fmt::format("{}'s window will remain visible", programName));
    SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

struct Command {
    const ParameterControl& control;
    void (*action)(HWND window, bool on);
};

const Command commands[] = {
    {unblockButton,
     [](HWND, bool) {
         if (!BLOCK_CALLSIGN.getValue().empty())
             gf_unblockCallsign();
         else
             lf_status("Nothing to block or unblock...");
     }},
    {checkVersionButton, [](HWND window, bool) { gf_checkVersion(window); }},
    {rereadButton,
     [](HWND, bool) {
         reReadRequest = true;
         EnableWindow(rereadButton.window, FALSE);
     }},
    {flushStaticButton,
     [](HWND, bool) {
         lf_status("All static parked aircraft will be removed ...");
         staticFlushRequest = true;
         EnableWindow(flushStaticButton.window, FALSE);
     }},
    {NAV_LIGHTS_WHILE_PARKED, [](HWND, bool) { navLightsRequest = true; }},
    {AUTO_RANGE, lf_autoRange},
    {SCAN_LIVERIES,
     [](HWND, bool on) {
         lf_statusWhen(on, fmt::format("Your liveries will be scanned at the next start of {}, recommended after "
                                       "you have add/removed AI aircraft models/liveries",
                                       programName));
     }},
    {SCAN_AIRPORTS,
     [](HWND, bool on) {
         lf_statusWhen(on, fmt::format("Your airports will be scanned at the next start of {}, recommended after "
                                       "you have add/removed airports",
                                       programName));
     }},
    {LIG_AUTOMATIC,
     [](HWND, bool on) { lf_statusWhen(!on, "The liveries defined by your lfolder parameters will be scanned"); }},
    {LIG_PRIORITIZE,
     [](HWND, bool on) {
         lf_statusWhen(on, "Liveries in lower lfolders that are already available will be skipped");
     }},
    {AFG_AUTOMATIC,
     [](HWND, bool on) { lf_statusWhen(!on, "The airports defined by your afolder parameters will be scanned"); }},
    {PARK_SOFT, [](HWND, bool) { lf_requestStaticRenewal(); }},
    {PARK_FAKE, [](HWND, bool) { lf_requestStaticRenewal(); }},
    {WEEK, [](HWND, bool) { lf_requestStaticRenewal(); }},
    {INITIAL_LOAD_ONLY,
     [](HWND, bool on) {
         lf_statusWhen(on, "Initial Load Only: static parked aircraft are generated once, no renewal every 20 "
                           "minutes");
         lf_settingsChangedWhileParking();
     }},
    {LEARN_SOFT, [](HWND, bool) { lf_settingsChangedWhileParking(); }},
    {COLLISION_LIVE_PARKED_GND,
     [](HWND, bool on) {
         lf_statusWhen(!on, "Be aware, no collision avoidance with live aircraft vs parked static on the ground");
     }},
    {COLLISION_USER_GND,
     [](HWND, bool on) {
         lf_statusWhen(!on, "Be aware, no collision avoidance with user aircraft on the ground");
     }},
    {COLLISION_USER_AIR,
     [](HWND, bool on) { lf_statusWhen(!on, "Be aware, no collision avoidance with user aircraft in the air"); }},
    {SUPPRESS_STUB,
     [](HWND, bool on) { lf_statusWhen(on, "Exclude FSLTL-liveries titles ending with _STUB from scan"); }},
    {AEROWINX,
     [](HWND, bool on) {
         lf_statusWhen(on, fmt::format("Aerowinx mode is meant for users of the Aerowinx simulator only, restart {} "
                                       "to apply it",
                                       programName));
     }},
    {ALWAYS_ON_TOP, lf_alwaysOnTop},
    {GUID_CHANGES,
     [](HWND, bool on) {
         lf_statusWhen(!on, "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, "
                            "etc..");
     }},
};

GuiBoolParameter* lf_switchOf(std::uint16_t controlId)
{
    for (GuiBoolParameter* setting : gf_parameterLists().checkBoxes)
        if (setting->controlId == controlId)
            return setting;
    return nullptr;
}
} // namespace

void gf_onCommand(HWND window, std::uint16_t controlId)
{
    // Check boxes do not tick themselves: the new state is the opposite of the shown one.
    const bool on = IsDlgButtonChecked(window, controlId) != BST_CHECKED;
    CheckDlgButton(window, controlId, on ? BST_CHECKED : BST_UNCHECKED);
    if (GuiBoolParameter* setting = lf_switchOf(controlId)) {
        setting->value = on;
        gf_saveBoolParameter(*setting);
    }
    for (const Command& command : commands) {
        if (command.control.controlId == controlId) {
            command.action(window, on);
            break;
        }
    }
    gf_invalidateBand(window, controlsBand);
}

void lf_requestStaticRenewal()
{
    if (!staticParkingActive.load())
        return;
    airportSettingsChanged = true;
    if (INITIAL_LOAD_ONLY.value.load()) {
        gf_clearStatus();
        return;
    }
    const std::int32_t wait = 15 - secondsCounter.load() % 15;
    lf_status(fmt::format("{} will respond in {} second{} ...", programName, wait, wait == 1 ? "" : "s"));
    staticRenewalRequest = true;
}
