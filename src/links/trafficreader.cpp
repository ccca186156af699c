#include "links/trafficreader.h"

#include "app/mainwindow.h"
#include "foundation/log.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <utility>

TrafficReader trafficUdpReader;

TrafficReader::TrafficReader() : UdpReader("Traffic Reader", UdpReader::TrafficReader)
{
    fields.reserve(64);
}

bool lf_splitFields(std::string_view datagram, std::vector<std::string_view>& fields)
{
    fields.clear();
    const char* const text = datagram.data();
    const std::size_t size = datagram.size();
    std::size_t start = 0;
    const auto take = [&](std::size_t comma) {
        fields.emplace_back(text + start, comma - start);
        start = comma + 1;
    };
    // Sixteen bytes at a time: every record passes here, and the C library's byte search is slow.
    const __m128i comma = _mm_set1_epi8(','), blank = _mm_set1_epi8(' ');
    unsigned blanks = 0;
    std::size_t at = 0;
    for (; at + 16 <= size; at += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        blanks |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, blank)));
        for (auto commas = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, comma))); commas != 0;
             commas &= commas - 1)
            take(at + static_cast<std::size_t>(std::countr_zero(commas)));
    }
    for (; at < size; ++at) {
        if (text[at] == ',')
            take(at);
        else if (text[at] == ' ')
            blanks = 1;
    }
    if (start < size)
        fields.emplace_back(text + start, size - start);
    return blanks != 0;
}

// Ground vehicles are not traffic.
void TrafficReader::handleDatagram()
{
    if (lf_splitFields(datagram, fields) && datagram.find(" VEH") != std::string_view::npos)
        return;
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

void gf_setShownFlights(std::vector<std::uint32_t> flights, TrafficReader& reader)
{
    std::sort(flights.begin(), flights.end());
    std::lock_guard lock(reader.shownMutex);
    reader.shownFlights.swap(flights);
}

bool gf_flightShown(TrafficReader& reader, std::uint32_t hexid)
{
    std::lock_guard lock(reader.shownMutex);
    return std::binary_search(reader.shownFlights.begin(), reader.shownFlights.end(), hexid);
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
