#pragma once
// A setting's value shown in its main-window control, from any thread. Settings
// whose control does not exist (yet) only change in memory.
#include "foundation/settings.h"

#include <string>

// The value into the edit field ("{}", the float's short form, the text as it is),
// then the controls area is repainted; a text that cannot be converted is logged.
void gf_showIntParameter(const GuiIntParameter& setting);
void gf_showFloatParameter(const GuiFloatParameter& setting);
void gf_showStringParameter(const GuiStringParameter& setting);
// Stores the switch and sets its check box, without saving.
void gf_setCheckBox(GuiBoolParameter& setting, bool value);
// SIM_INSTALL_PATH stored (saved at once) and shown.
void gf_setInstallPathValue(const std::string& path);
