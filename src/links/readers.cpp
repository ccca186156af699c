#include "links/readers.h"

#include "app/mainwindow.h"
#include "foundation/timehelpers.h"

void gf_resetTraffic()
{
    trafficClockStamp = 0;
    currentQnh = 1013;
    {
        std::lock_guard lock(trafficUdpReader.callsignMutex);
        trafficUdpReader.callsignsSeen.clear();
    }
    trafficUdpReader.stop = false;
    qnhUdpReader.stop = false;
    qnhUdpReader.datagramCounter = 0;
    qnhUdpReader.counterSeen = 0;
    qnhUdpReader.lightShown = true;
    trafficUdpReader.lightShown = true;
    qnhUdpReader.lastQnh = 1013;
}

namespace {
void lf_updateLight(UdpReader& reader, std::atomic<std::int32_t>& light)
{
    std::uint32_t counter = reader.datagramCounter;
    if (counter == reader.counterSeen) {
        light = 2;
        gf_repaintWindow();
        reader.lightShown = false;
    } else if (!reader.lightShown) {
        light = 1;
        gf_repaintWindow();
        reader.lightShown = true;
    }
    reader.counterSeen = counter;
}
} // namespace

void gf_updateStatusLights()
{
    if (!mainWindow.readerLights)
        return;
    lf_updateLight(qnhUdpReader, mainWindow.weatherReaderState);
    lf_updateLight(trafficUdpReader, mainWindow.trafficReaderState);
}

void gf_stopReaders()
{
    gf_stopReaderThread(qnhUdpReader);
    gf_stopReaderThread(trafficUdpReader);
}
