#pragma once
// What the main window paints: header, counters strip, labels, statistics and status line.
#include <windows.h>

#include <string>

namespace colour {
inline constexpr COLORREF green = RGB(50, 205, 50);
inline constexpr COLORREF yellow = RGB(255, 255, 0);
inline constexpr COLORREF red = RGB(255, 0, 0);
inline constexpr COLORREF black = RGB(0, 0, 0);
inline constexpr COLORREF grey = RGB(160, 160, 160);
inline constexpr COLORREF lightBlue = RGB(153, 204, 255);
inline constexpr COLORREF white = RGB(255, 255, 255);
} // namespace colour

// The display texts of the window, copied under the status lock for one paint.
struct DisplayTexts {
    std::string status;
    std::string error;
    std::string notice;
    std::string simulatorText;
    std::string airportNameText;
    std::string airportPublisherText;
    std::string qualityText;
    std::string simulatorLine;
    std::string realTrafficLine;
    std::string userStand;
};
DisplayTexts gf_displayTexts();

// WM_PAINT, on the paint's context.
void gf_paintWindow(HDC context);
// One UTF-8 text with its top-left corner at (x, y) on the context being painted.
void gf_drawText(int x, int y, const std::string& text, COLORREF textColour);
void gf_drawLine(int x1, int y1, int x2, int y2, COLORREF lineColour);
void gf_fillArea(int left, int top, int right, int bottom, COLORREF fill);

void gf_paintCounters(const DisplayTexts& texts);
void gf_paintLabels();
void gf_paintStatistics(const DisplayTexts& texts);
