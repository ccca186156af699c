// The statistics strip of the park airport.
#include "app/mainwindow.h"
#include "app/painting.h"
#include "foundation/scanthrottle.h"
#include "foundation/settingscatalogue.h"
#include "traffic/traffic.h"

#include <fmt/format.h>

namespace {
constexpr int firstLine = 399;
constexpr int secondLine = 427;

void lf_paintFirstLine(const DisplayTexts& texts)
{
    gf_drawText(85, firstLine,
                fmt::format(" {},  {} {}", texts.airportNameText, texts.airportPublisherText,
                            mainWindow.parkFileHandmade.load() ? "(h)" : ""),
                colour::green);
    if (mainWindow.softMarker.load())
        gf_drawText(370, firstLine, "*S*", colour::green);
    gf_drawText(430, firstLine, fmt::format("qf: {}", texts.qualityText), colour::green);
    const std::string reserved = gf_reservedStandName();
    if (!reserved.empty())
        gf_drawText(571, firstLine, fmt::format("reserved stand: {}", reserved),
                    mainWindow.reservedStandValid.load() ? colour::green : colour::red);
    gf_drawText(748, firstLine, fmt::format("# updates: {:4}", mainWindow.updateCount.load()), colour::green);
}

void lf_paintSecondLine()
{
    gf_drawText(5, secondLine, fmt::format("# stands: {:3}", mainWindow.standCount.load()), colour::green);
    gf_drawText(111, secondLine, fmt::format("parked live: {:3}", mainWindow.parkedLiveCount.load()),
                colour::green);
    if (const float liveFit = mainWindow.liveAverageFit.load(); liveFit > 0.0f)
        gf_drawText(249, secondLine, fmt::format("average fit: {}", gf_formatNumber(liveFit)), colour::green);
    const std::int32_t maxPark = mainWindow.maxPark.load();
    if (maxPark > 0) {
        gf_drawText(430, secondLine, fmt::format("parked static: {:3}", mainWindow.parkedStaticCount.load()),
                    colour::green);
        const float staticFit = mainWindow.staticAverageFit.load();
        if (!WEEK.value.load() && staticFit > 0.0f)
            gf_drawText(571, secondLine, fmt::format("average fit: {:.1F}", staticFit), colour::green);
    }
    gf_drawText(708, secondLine, fmt::format("max park: {:3} (={}% )", maxPark, parking_percentage.value.load()),
                colour::green);
}
} // namespace

void gf_paintStatistics(const DisplayTexts& texts)
{
    const std::string code = gf_parkAirportCode();
    if (code.empty())
        return;
    const bool loaded = mainWindow.parkDataLoaded.load();
    gf_drawText(5, firstLine, code, loaded ? colour::green : colour::yellow);
    if (!loaded)
        return;
    lf_paintFirstLine(texts);
    lf_paintSecondLine();
}
