// The edit fields of the main window: Enter commits the field; every other message goes
// to the procedure the field had before it was subclassed.
#include "app/commands.h"

#include "airports/airports.h"
#include "app/mainloop.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/status.h"
#include "app/windowproc.h"
#include "foundation/settingscatalogue.h"

#include <utility>

namespace {
LRESULT lf_previous(const ParameterControl& field, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(reinterpret_cast<WNDPROC>(field.previousWindowProc), window, message, wParam, lParam);
}

bool lf_isEnter(UINT message, WPARAM wParam) { return message == WM_CHAR && wParam == VK_RETURN; }

void lf_commitInt(GuiIntParameter& setting)
{
    const std::int32_t before = setting.value.load();
    if (!procesTbInt(setting))
        return;
    if (&setting == &parking_percentage) {
        lf_requestStaticRenewal();
    } else if (&setting == &LATERAL_RANGE) {
        airportSettingsChanged = true;
        gf_setRadius(LATERAL_RANGE.clamp(LATERAL_RANGE.value.load()));
    } else if (&setting == &MAX_LIVE) {
        if (staticParkingActive.load())
            airportSettingsChanged = true;
        else
            liveMaximum = MAX_LIVE.value.load();
        liveTrimRequest = true;
    } else if (&setting == &MATCHING_DEPTH && setting.value.load() > before) {
        noMatchClearRequest = true;
    }
}

template <GuiIntParameter& setting>
LRESULT CALLBACK lf_intField(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return gf_guarded("gf_intEditProc", [&] { return gf_intEditProc(setting, window, message, wParam, lParam); });
}

template <GuiFloatParameter& setting>
LRESULT CALLBACK lf_floatField(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return gf_guarded("gf_floatEditProc",
                      [&] { return gf_floatEditProc(setting, window, message, wParam, lParam); });
}

template <GuiStringParameter& setting>
LRESULT CALLBACK lf_textField(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return gf_guarded("gf_textEditProc", [&] { return gf_textEditProc(setting, window, message, wParam, lParam); });
}
} // namespace

WNDPROC gf_editFieldProc(const ParameterControl& field)
{
    static const std::pair<const ParameterControl*, WNDPROC> procedures[] = {
        {&SIM_INSTALL_PATH, lf_textField<SIM_INSTALL_PATH>},
        {&BLOCK_CALLSIGN, lf_textField<BLOCK_CALLSIGN>},
        {&MATCHING_DEPTH, lf_intField<MATCHING_DEPTH>},
        {&LATERAL_RANGE, lf_intField<LATERAL_RANGE>},
        {&MAX_LIVE, lf_intField<MAX_LIVE>},
        {&AIRPORT_RANGE, lf_intField<AIRPORT_RANGE>},
        {&AIRPORT_HEIGHT, lf_intField<AIRPORT_HEIGHT>},
        {&parking_percentage, lf_intField<parking_percentage>},
        {&MAX_FIT_FL, lf_floatField<MAX_FIT_FL>},
    };
    for (const auto& [control, procedure] : procedures)
        if (control == &field)
            return procedure;
    return DefWindowProcW;
}

LRESULT gf_intEditProc(GuiIntParameter& setting, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!lf_isEnter(message, wParam))
        return lf_previous(setting, window, message, wParam, lParam);
    gf_clearStatus();
    lf_commitInt(setting);
    return 0;
}

LRESULT gf_floatEditProc(GuiFloatParameter& setting, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!lf_isEnter(message, wParam))
        return lf_previous(setting, window, message, wParam, lParam);
    gf_clearStatus();
    // The hours only count while static parking runs at the park airport.
    if (staticParkingActive.load() && procesTbFloat(setting))
        lf_requestStaticRenewal();
    return 0;
}

LRESULT gf_textEditProc(GuiStringParameter& setting, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!lf_isEnter(message, wParam))
        return lf_previous(setting, window, message, wParam, lParam);
    gf_clearStatus();
    if (&setting == &BLOCK_CALLSIGN)
        gf_blockCallsign();
    else
        gf_setInstallPath(setting, gf_getItemText(setting.controlId));
    return 0;
}
