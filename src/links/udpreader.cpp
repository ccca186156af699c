#include "links/udpreader.h"

#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "links/realtrafficserver.h"
#include "links/winsockerrors.h"

#include <winsock2.h>

#include <fmt/format.h>

#include <chrono>
#include <cstring>

namespace {

// A blocked receive returns this often, so that a stop is seen without closing the
// socket under the reader's feet.
constexpr DWORD receiveTimeoutMs = 100;
constexpr auto errorPause = std::chrono::milliseconds(100);

// Windows Sockets for the life of one reader thread.
class WinsockSession {
public:
    WinsockSession()
    {
        WSADATA data;
        if (int result = WSAStartup(MAKEWORD(2, 2), &data); result != 0)
            throw zeb::SysErrorException(30, fmt::format("WSA startup error: {}", result));
    }
    ~WinsockSession() { WSACleanup(); }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
};

// The reader's socket; only the reader's own thread touches it.
class ReaderSocket {
public:
    explicit ReaderSocket(SOCKET socket) : handle(socket) {}
    ~ReaderSocket() { close(); }
    ReaderSocket(const ReaderSocket&) = delete;
    ReaderSocket& operator=(const ReaderSocket&) = delete;

    void close()
    {
        if (handle != INVALID_SOCKET)
            closesocket(handle);
        handle = INVALID_SOCKET;
    }

    SOCKET handle;
};

SOCKET lf_openSocket()
{
    SOCKET handle = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (handle == INVALID_SOCKET)
        throw zeb::SysErrorException(31, "failed to create the socket with error: " + gf_lastWinsockErrorText());
    DWORD timeout = receiveTimeoutMs;
    if (setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout) != 0) {
        std::string text = gf_lastWinsockErrorText();
        closesocket(handle);
        throw zeb::SysErrorException(31, "failed to create the socket with error: " + text);
    }
    return handle;
}

// Only this computer may send when RealTraffic runs here.
void lf_bindSocket(SOCKET handle, std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(realTrafficOnThisPc ? INADDR_LOOPBACK : INADDR_ANY);
    address.sin_port = htons(port);
    if (bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR)
        throw zeb::SysErrorException(32, "bind to stream socket failed with error: " + gf_lastWinsockErrorText());
}

void lf_takeDatagram(UdpReader& reader, char* buffer, std::size_t length)
{
    buffer[length] = '\0';
    reader.datagram = std::string_view(buffer, std::strlen(buffer));
    ++reader.datagramCounter;
    // From another computer the same datagram may arrive more than once.
    if (!realTrafficOnThisPc) {
        if (reader.datagram == reader.previousDatagram)
            return;
        reader.previousDatagram.assign(reader.datagram);
    }
    reader.handleDatagram();
}

bool lf_mustStop(const UdpReader& reader) { return reader.stop || gf_exitUnderWay(); }

void lf_receiveLoop(UdpReader& reader, ReaderSocket& socket, char* buffer)
{
    while (!lf_mustStop(reader)) {
        int result = recvfrom(socket.handle, buffer, static_cast<int>(UdpReader::bufferSize), 0, nullptr, nullptr);
        if (result >= static_cast<int>(UdpReader::bufferSize)) {
            gf_logLine(fmt::format("buffer overrun: {} bytes", result));
        } else if (result > 0) {
            lf_takeDatagram(reader, buffer, static_cast<std::size_t>(result));
        } else if (result == SOCKET_ERROR) {
            int error = WSAGetLastError();
            if (error == WSAEMSGSIZE) // longer than the buffer: filled and cut off
                gf_logLine(fmt::format("buffer overrun: {} bytes", UdpReader::bufferSize));
            else if (error != WSAETIMEDOUT)
                std::this_thread::sleep_for(errorPause); // a failing socket must not spin
        }
    }
    socket.close();
    reader.onStopped();
}

} // namespace

UdpReader::~UdpReader()
{
    // The derived readers stop their thread first; this is only the last guard.
    if (thread.joinable())
        thread.detach();
}

void gf_runReader(UdpReader& reader, std::uint16_t port)
{
    ++runningThreads;
    try {
        WinsockSession session;
        ReaderSocket socket(lf_openSocket());
        lf_bindSocket(socket.handle, port);
        mainWindow.weatherReaderState = 1;
        if (reader.kind == UdpReader::TrafficReader)
            mainWindow.trafficReaderState = 1;
        gf_repaintWindow();
        lf_logIndented(fmt::format("{} connected", reader.name));
        lf_receiveLoop(reader, socket, reader.m_buffer.data());
    } catch (const std::exception& error) {
        lf_logIndented(fmt::format("{} disconnected", reader.name));
        gf_readerStopped(reader.kind == UdpReader::TrafficReader, error.what());
    }
    --runningThreads;
}

void gf_stopReaderThread(UdpReader& reader)
{
    reader.stop = true;
    if (reader.thread.joinable() && reader.thread.get_id() != std::this_thread::get_id())
        reader.thread.join();
}

void gf_startReaderThread(UdpReader& reader, void (*body)(std::uint16_t), std::uint16_t port)
{
    gf_stopReaderThread(reader);
    reader.stop = false;
    reader.thread = std::thread(body, port);
}
