#pragma once
// The main-window controls of the settings, created while the window builds its children.
#include "foundation/settings.h"

#include <windows.h>

// A 12 x 12 check box at (x, row + 2), checked when the switch is on; enabled.
void gf_createCheckBox(GuiBoolParameter& setting, HWND parent, HINSTANCE instance, int x);
// A push button with the key as caption, width x 20 at (x, row); created disabled.
void gf_createButton(GuiButton& button, HWND parent, HINSTANCE instance, int x, int width);
// An edit field, width x 16 at (x, row), subclassed with the procedure; created disabled.
void gf_createEdit(ParameterControl& control, HWND parent, HINSTANCE instance, int x, int width, WNDPROC procedure);
void gf_enableControl(const ParameterControl& control);
