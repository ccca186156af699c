// The once-a-second refresh of the aircraft counters of the main window.
#include "app/counters.h"

#include "app/mainwindow.h"
#include "traffic/traffic.h"

void gf_refreshCounters()
{
    const std::uint32_t flying = gf_countFlyingLive();
    if (mainWindow.liveCount.exchange(flying) != flying)
        gf_repaintBand(countersBand);
    const std::int32_t parkedLive = lf_listRatio2(true);
    const auto parkedStatic = static_cast<std::uint32_t>(lf_listRatio1(true));
    if (parkedLive != mainWindow.parkedLiveCount.load() || parkedStatic != mainWindow.parkedStaticCount.load()) {
        mainWindow.parkedLiveCount = parkedLive;
        mainWindow.parkedStaticCount = parkedStatic;
        gf_repaintBand(statisticsBand);
    }
}
