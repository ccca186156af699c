// The counters strip: simulator and RealTraffic lights, liveries and add-on airports.
#include "app/mainwindow.h"
#include "app/painting.h"

#include <fmt/format.h>

namespace {
COLORREF lf_simulatorLight(const DisplayTexts& texts)
{
    if (!mainWindow.simulatorConnected.load())
        return colour::red;
    if (mainWindow.flightMark.load() && !texts.simulatorText.empty())
        return colour::green;
    return colour::yellow;
}

COLORREF lf_realTrafficLight()
{
    if (mainWindow.realTrafficWaiting.load())
        return colour::black;
    if (!mainWindow.readerLights.load())
        return colour::red;
    return mainWindow.trafficReaderState.load() == 1 ? colour::green : colour::yellow;
}

void lf_paintSimulator(const DisplayTexts& texts)
{
    const COLORREF light = lf_simulatorLight(texts);
    gf_fillArea(397, 30, 425, 112, light);
    gf_drawText(398, 63, "Sim", colour::black);
    if (!mainWindow.simulatorConnected.load())
        return;
    std::string line = texts.simulatorLine;
    if (!texts.userStand.empty())
        line += ", user stand " + texts.userStand;
    gf_drawText(5, 35, line, light);
    gf_drawText(5, 63, texts.simulatorText, mainWindow.userModelKnown.load() ? light : colour::yellow);
}

// "# {label}: {count}", or dots until the count is known.
void lf_paintCount(int x, const char* label, std::int64_t count, COLORREF known, COLORREF unknown)
{
    if (count > 0)
        gf_drawText(x, 91, fmt::format("# {}: {}", label, count), known);
    else
        gf_drawText(x, 91, fmt::format("# {}: ...", label), unknown);
}

void lf_paintScanCounts()
{
    lf_paintCount(5, "liveries", mainWindow.liveryCount.load(), colour::green, colour::red);
    lf_paintCount(141, "ORBX", mainWindow.orbxAirportCount.load(),
                  mainWindow.orbxAirportsDone.load() ? colour::green : colour::yellow, colour::yellow);
    lf_paintCount(278, "thirdp", mainWindow.otherAirportCount.load(), colour::green, colour::yellow);
}

void lf_paintRealTraffic(const DisplayTexts& texts)
{
    gf_fillArea(425, 30, 453, 112, lf_realTrafficLight());
    gf_drawText(430, 63, "RT", colour::black);
    if (mainWindow.readerLights.load()) {
        gf_drawText(458, 35, texts.realTrafficLine, colour::green);
        const std::int32_t weather = mainWindow.weatherReaderState.load();
        if (weather != 3)
            gf_drawText(458, 63, "Weather", weather == 1 ? colour::green : colour::yellow);
        const std::int32_t traffic = mainWindow.trafficReaderState.load();
        if (traffic != 3)
            gf_drawText(458, 91, "Traffic", traffic == 1 ? colour::green : colour::yellow);
    }
}
} // namespace

void gf_paintCounters(const DisplayTexts& texts)
{
    lf_paintSimulator(texts);
    lf_paintScanCounts();
    lf_paintRealTraffic(texts);
    gf_drawLine(425, 29, 425, 112, colour::white);
}
