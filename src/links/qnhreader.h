#pragma once
// The QNH reader: RealTraffic's sea-level pressure, one JSON datagram at a time.
#include "links/udpreader.h"

#include <atomic>
#include <cstdint>

class QnhReader final : public UdpReader {
public:
    QnhReader() : UdpReader("QNH Reader", WeatherReader) {}
    ~QnhReader() override { gf_stopReaderThread(*this); }

    // Reads "QNH" (hPa, or hundredths of inches of mercury above 1080) and publishes it.
    void handleDatagram() override;
    void onStopped() override;

    std::atomic<std::int32_t> lastQnh{1013};
};
extern QnhReader qnhUdpReader;

// The QNH in hectopascals for every thread; 1013 until a value arrives.
extern std::atomic<std::int32_t> currentQnh;

// Thread body of the QNH reader (port 49004).
void qnhReader(std::uint16_t port);
// Starts the QNH reader's thread, after stopping a previous one.
void gf_startQnhReader(std::uint16_t port);
