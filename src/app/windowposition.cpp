// Where the main window opens, and where it was when the program ended.
#include "app/windowposition.h"

#include "app/mainwindow.h"
#include "foundation/parametersfile.h"
#include "foundation/xmlblocks.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {
// A window whose caption shows less than this many pixels cannot be dragged back.
constexpr int minimumCaptionSeen = 100;

bool lf_onLimit(const IntParameter& setting)
{
    const std::int32_t value = setting.value.load();
    return value == setting.minimum || value == setting.maximum;
}
} // namespace

void gf_loadWindowPosition()
{
    std::vector<IntParameter*> reset;
    {
        std::lock_guard lock(parametersMutex);
        pugi::xml_document document;
        if (gf_loadParameters(document) != ParametersLoad::loaded)
            return;
        for (IntParameter* setting : {&MAIN_WINDOW_X, &MAIN_WINDOW_Y}) {
            if (const pugi::xml_node node = gf_findParameter(document, setting->key))
                setting->value = setting->clamp(node.attribute("value").as_llong(0));
            // A position on a limit is what a minimised window leaves behind.
            if (lf_onLimit(*setting)) {
                setting->value = setting->clamp(setting->defaultValue);
                reset.push_back(setting);
            }
        }
    }
    // Saving takes the file lock itself.
    for (IntParameter* setting : reset)
        gf_saveParameterValue(*setting);
}

WindowPlace gf_visibleWindowPlace(WindowPlace place, int width, int height)
{
    const RECT window{place.x, place.y, place.x + width, place.y + height};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &info))
        return place;
    const RECT& work = info.rcWork;
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    const bool captionSeen = place.y >= work.top && place.y + caption <= work.bottom &&
                             place.x + minimumCaptionSeen <= work.right &&
                             place.x + width - minimumCaptionSeen >= work.left;
    if (captionSeen)
        return place;
    // Into the nearest screen, as much of the window as fits, top-left first.
    place.x = std::max<int>(work.left, std::min<int>(place.x, work.right - width));
    place.y = std::max<int>(work.top, std::min<int>(place.y, work.bottom - height));
    return place;
}

void gf_saveWindowPosition(HWND window)
{
    RECT rect{};
    if (!GetWindowRect(window, &rect))
        return;
    const std::int32_t previousX = MAIN_WINDOW_X.value;
    const std::int32_t previousY = MAIN_WINDOW_Y.value;
    MAIN_WINDOW_X.value = MAIN_WINDOW_X.clamp(rect.left);
    gf_saveParameterValue(MAIN_WINDOW_X);
    MAIN_WINDOW_Y.value = MAIN_WINDOW_Y.clamp(rect.top);
    gf_saveParameterValue(MAIN_WINDOW_Y);
    gf_clampWindowPosition(previousX, previousY);
}

void gf_clampWindowPosition(std::int32_t previousX, std::int32_t previousY)
{
    const std::pair<IntParameter*, std::int32_t> coordinates[] = {{&MAIN_WINDOW_X, previousX},
                                                                 {&MAIN_WINDOW_Y, previousY}};
    for (const auto& [setting, previous] : coordinates) {
        if (lf_onLimit(*setting)) {
            setting->value = setting->clamp(previous);
            gf_saveParameterValue(*setting);
        }
    }
}
