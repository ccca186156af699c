// WM_PAINT of the main window: backgrounds, header, lines and status line, then the parts.
#include "app/painting.h"

#include "app/mainwindow.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/version.h"
#include "foundation/winstring.h"

#include <fmt/format.h>

namespace {
HDC paintContext = nullptr; // the context of the paint in progress (window thread only)

// Black lines between the rows of controls.
constexpr RECT rowSeparators[] = {{0, 140, 880, 140}, {0, 168, 880, 168}, {0, 196, 642, 196},
                                  {0, 224, 642, 224}, {0, 252, 642, 252}, {0, 280, 642, 280},
                                  {0, 308, 642, 308}, {0, 336, 642, 336}};

void lf_paintStatusLine(const DisplayTexts& texts)
{
    const bool error = !texts.error.empty();
    gf_fillArea(0, statusBand.top, mainWindowWidth, statusBand.bottom, error ? colour::red : colour::green);
    gf_drawLine(0, 449, mainWindowWidth, 449, colour::white); // the strip's border, over its fill
    const std::string& text = error ? texts.error : !texts.status.empty() ? texts.status : texts.notice;
    if (!text.empty())
        gf_drawText(3, 455, text, colour::yellow);
}
} // namespace

DisplayTexts gf_displayTexts()
{
    std::lock_guard lock(mainWindow.statusMutex);
    return {mainWindow.statusText,      mainWindow.errorText,            mainWindow.noticeText,
            mainWindow.simulatorText,   mainWindow.airportNameText,      mainWindow.airportPublisherText,
            mainWindow.qualityText,     mainWindow.simulatorLine,        mainWindow.realTrafficLine,
            mainWindow.userStand};
}

void gf_fillArea(int left, int top, int right, int bottom, COLORREF fill)
{
    const RECT area{left, top, right, bottom};
    SetDCBrushColor(paintContext, fill);
    FillRect(paintContext, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void gf_drawLine(int x1, int y1, int x2, int y2, COLORREF lineColour)
{
    SelectObject(paintContext, GetStockObject(DC_PEN));
    SetDCPenColor(paintContext, lineColour);
    MoveToEx(paintContext, x1, y1, nullptr);
    LineTo(paintContext, x2, y2);
}

void gf_drawText(int x, int y, const std::string& text, COLORREF textColour)
{
    SetTextColor(paintContext, textColour);
    std::wstring wide;
    try {
        wide = gf_utf8ToUtf16(text);
    } catch (const win32::Utf8ConversionException& e) {
        gf_logf("{} conversion exception {}, error code: {}", text, e.what(), e.ErrorCode());
        return;
    } catch (const std::overflow_error& e) {
        gf_logf("{} {}", text, e.what());
        return;
    }
    TextOutW(paintContext, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

void gf_paintWindow(HDC context)
{
    paintContext = context;
    const DisplayTexts texts = gf_displayTexts();

    // Header and counters strip are one black area. The status strip is filled last, by the
    // status line, which draws its own border.
    gf_fillArea(0, 0, mainWindowWidth, countersBand.bottom, colour::black);
    gf_fillArea(0, controlsBand.top, mainWindowWidth, controlsBand.bottom, colour::lightBlue);
    gf_fillArea(0, statisticsBand.top, mainWindowWidth, statisticsBand.bottom, colour::black);

    gf_drawLine(0, 28, mainWindowWidth, 28, colour::white);
    gf_drawLine(0, 113, mainWindowWidth, 113, colour::white);
    gf_drawLine(0, 392, mainWindowWidth, 392, colour::white);
    SetBkMode(context, TRANSPARENT);

    gf_drawText(3, 7, fmt::format("Version {}", programVersion.toString()), colour::green);
    gf_drawText(390, 7, std::string(programName), colour::green);
    gf_drawText(632, 7, copyright.getValue(), colour::green);

    for (const RECT& separator : rowSeparators)
        gf_drawLine(separator.left, separator.top, separator.right, separator.bottom, colour::black);
    gf_drawLine(642, 168, 642, 364, colour::black);

    gf_paintCounters(texts);
    if (mainWindow.readerLights.load()) {
        const std::int32_t weather = mainWindow.weatherReaderState.load();
        if (weather == 1 || weather == 2) {
            const std::int32_t qnh = mainWindow.qnh.load();
            gf_drawText(642, 63, qnh < 1 ? std::string() : fmt::format("qnh: {:4}", qnh), colour::green);
        }
        const std::int32_t traffic = mainWindow.trafficReaderState.load();
        if (traffic == 1 || traffic == 2)
            gf_drawText(642, 91, fmt::format("live: {:3}", mainWindow.liveCount.load()), colour::green);
    }
    gf_paintLabels();
    gf_paintStatistics(texts);
    lf_paintStatusLine(texts);
}
