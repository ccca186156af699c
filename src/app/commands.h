#pragma once
// What the check boxes, buttons and edit fields of the main window do (window thread).
#include "foundation/settings.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// A setting that the airport parking files store was changed.
extern std::atomic<bool> airportSettingsChanged;
// LATERAL_RANGE as the user set it, kept while the automatic range is on; 0 until then.
extern std::atomic<std::int32_t> manualRadius;

// WM_COMMAND of a check box or button.
void gf_onCommand(HWND window, std::uint16_t controlId);

// The window procedure that an edit field is subclassed with.
WNDPROC gf_editFieldProc(const ParameterControl& field);
LRESULT gf_intEditProc(GuiIntParameter& setting, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT gf_floatEditProc(GuiFloatParameter& setting, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT gf_textEditProc(GuiStringParameter& setting, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Commit a number field; true when the setting's value changed.
bool procesTbInt(GuiIntParameter& setting);
bool procesTbFloat(GuiFloatParameter& setting);

void gf_blockCallsign();
void gf_unblockCallsign();
void gf_setInstallPath(GuiStringParameter& setting, const std::string& text);
void lf_requestStaticRenewal();

// "Check version": the versions are asked on a thread of its own, whose answer comes back
// to the window as versionCheckedMessage.
void gf_checkVersion(HWND window);
void gf_versionChecked();
// What asks the download server (replaced by tests).
extern std::string (*versionCheck)();
