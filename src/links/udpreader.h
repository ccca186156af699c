#pragma once
// A UDP receiver that runs on a thread of its own: the base of the traffic and QNH readers.
#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

class UdpReader {
public:
    enum Kind : std::uint8_t { WeatherReader = 0, TrafficReader = 1 };
    static constexpr std::size_t bufferSize = 16384;

    UdpReader(const char* name, Kind kind) : name(name), kind(kind) {}
    virtual ~UdpReader();
    UdpReader(const UdpReader&) = delete;
    UdpReader& operator=(const UdpReader&) = delete;

    // Called on the reader's thread for each datagram that is handed on.
    virtual void handleDatagram() = 0;
    // Called on the reader's thread when the receive loop has ended.
    virtual void onStopped() = 0;

    const char* const name; // in log lines
    const Kind kind;

    std::string_view datagram;               // the current datagram, inside the buffer
    std::atomic<bool> stop{false};           // ends the receive loop within a receive time-out
    std::atomic<std::uint32_t> datagramCounter{0};
    std::uint32_t counterSeen = 0;           // main-loop thread only (status lights)
    bool lightShown = false;                 // main-loop thread only (status lights)
    std::string previousDatagram;            // repeat suppression

    // The thread running the reader; joined before another is started or the object goes.
    std::thread thread;

private:
    friend void gf_runReader(UdpReader& reader, std::uint16_t port);
    std::array<char, bufferSize + 1> m_buffer{};
};

// The thread body shared by both readers: socket, bind, receive loop, clean-up; a failure
// is logged and reported with `gf_readerStopped`.
void gf_runReader(UdpReader& reader, std::uint16_t port);

// Stops the reader's thread, if any, and waits for it to end.
void gf_stopReaderThread(UdpReader& reader);
// Stops a previous thread of the reader, then starts `body` (which runs the reader) on a new one.
void gf_startReaderThread(UdpReader& reader, void (*body)(std::uint16_t), std::uint16_t port);
