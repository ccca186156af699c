#include "links/trafficreader.h"

#include "app/mainwindow.h"
#include "foundation/log.h"

#include <utility>

TrafficReader trafficUdpReader;

TrafficReader::TrafficReader() : UdpReader("Traffic Reader", UdpReader::TrafficReader)
{
    fields.reserve(64);
}

void lf_splitFields(std::string_view datagram, std::vector<std::string_view>& fields)
{
    fields.clear();
    std::size_t start = 0;
    for (std::size_t comma = datagram.find(','); comma != std::string_view::npos; comma = datagram.find(',', start)) {
        fields.push_back(datagram.substr(start, comma - start));
        start = comma + 1;
    }
    if (start < datagram.size())
        fields.push_back(datagram.substr(start));
}

// Ground vehicles are not traffic.
void TrafficReader::handleDatagram()
{
    if (datagram.find(" VEH") != std::string_view::npos)
        return;
    lf_splitFields(datagram, fields);
    processLine(*this);
}

void TrafficReader::onStopped()
{
    mainWindow.trafficReaderState = 3;
    gf_repaintWindow();
    gf_log("Traffic Reader has stopped");
}

void trafficReader(std::uint16_t port) { gf_runReader(trafficUdpReader, port); }

void gf_startTrafficReader(std::uint16_t port)
{
    gf_startReaderThread(trafficUdpReader, trafficReader, port);
}

void gf_setUserPosition(double latitude, double longitude)
{
    std::lock_guard lock(trafficUdpReader.inputMutex);
    trafficUdpReader.userLatitude = latitude;
    trafficUdpReader.userLongitude = longitude;
}

void gf_setParkElevation(double feet)
{
    std::lock_guard lock(trafficUdpReader.inputMutex);
    trafficUdpReader.parkElevation = feet;
    trafficUdpReader.parkElevationKnown = true;
}

void gf_clearParkElevation()
{
    std::lock_guard lock(trafficUdpReader.inputMutex);
    trafficUdpReader.parkElevation = 0;
    trafficUdpReader.parkElevationKnown = false;
}

void gf_startCollectingCallsigns()
{
    std::lock_guard lock(trafficUdpReader.callsignMutex);
    trafficUdpReader.callsignsSeen.clear();
    trafficUdpReader.collectCallsigns = true;
}

std::set<std::string, std::less<>> gf_takeCallsignsSeen()
{
    std::lock_guard lock(trafficUdpReader.callsignMutex);
    trafficUdpReader.collectCallsigns = false;
    return std::exchange(trafficUdpReader.callsignsSeen, {});
}
