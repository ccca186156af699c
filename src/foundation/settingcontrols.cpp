#include "foundation/settingcontrols.h"

#include "foundation/winstring.h"

namespace {
HWND lf_createChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width,
                    int height, const ParameterControl& control, HWND parent, HINSTANCE instance)
{
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(control.controlId)), instance, nullptr);
}
} // namespace

void gf_createCheckBox(GuiBoolParameter& setting, HWND parent, HINSTANCE instance, int x)
{
    setting.window = lf_createChild(L"button", L"", BS_CHECKBOX, x, setting.row + 2, 12, 12, setting, parent,
                                    instance);
    CheckDlgButton(parent, setting.controlId, setting.value.load() ? BST_CHECKED : BST_UNCHECKED);
    gf_enableControl(setting);
}

void gf_createButton(GuiButton& button, HWND parent, HINSTANCE instance, int x, int width)
{
    const std::wstring caption = gf_utf8ToUtf16(button.key);
    button.window = lf_createChild(L"button", caption.c_str(), BS_DEFPUSHBUTTON, x, button.row, width, 20, button,
                                   parent, instance);
    EnableWindow(button.window, FALSE);
}

void gf_createEdit(ParameterControl& control, HWND parent, HINSTANCE instance, int x, int width, WNDPROC procedure)
{
    // Scrolls as the user types, so a value longer than the narrow field (a folder) can be entered.
    control.window = lf_createChild(L"Edit", L"", WS_BORDER | ES_AUTOHSCROLL, x, control.row, width, 16, control,
                                    parent, instance);
    if (control.window == nullptr)
        return;
    control.previousWindowProc =
        SetWindowLongPtrW(control.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    EnableWindow(control.window, FALSE);
}

void gf_enableControl(const ParameterControl& control) { EnableWindow(control.window, TRUE); }
