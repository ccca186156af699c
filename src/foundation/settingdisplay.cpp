#include "foundation/settingdisplay.h"

#include "foundation/log.h"
#include "foundation/scanthrottle.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"

#include <windows.h>

#include <fmt/format.h>

namespace {
void lf_showText(const ParameterControl& control, const std::string& text)
{
    if (control.window == nullptr)
        return;
    std::wstring wide;
    try {
        wide = gf_utf8ToUtf16(text);
    } catch (const std::exception& e) {
        gf_log(e.what());
        return;
    }
    SetWindowTextW(control.window, wide.c_str());
    // The controls area of the main window, the field's parent.
    if (HWND window = GetParent(control.window)) {
        const RECT area{0, 112, 880, 392};
        InvalidateRect(window, &area, TRUE);
    }
}
} // namespace

void gf_showIntParameter(const GuiIntParameter& setting)
{
    lf_showText(setting, fmt::format("{}", setting.value.load()));
}

void gf_showFloatParameter(const GuiFloatParameter& setting)
{
    lf_showText(setting, gf_formatNumber(setting.value.load()));
}

void gf_showStringParameter(const GuiStringParameter& setting) { lf_showText(setting, setting.getValue()); }

void gf_setCheckBox(GuiBoolParameter& setting, bool value)
{
    setting.value = value;
    if (setting.window != nullptr)
        SendMessageW(setting.window, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void gf_setInstallPathValue(const std::string& path)
{
    SIM_INSTALL_PATH.setValue(path);
    gf_showStringParameter(SIM_INSTALL_PATH);
}
