#include "links/realtrafficserver.h"

#include "app/buildconfig.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/timehelpers.h"
#include "links/readers.h"
#include "links/winsockerrors.h"
#include "traffic/traffic.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <array>
#include <chrono>
#include <cmath>
#include <mutex>

std::atomic<bool> realTrafficProfessional{false};
std::atomic<bool> clientConnected{false};
std::atomic<bool> serverOpen{false};
std::atomic<bool> readerError{false};

namespace {

// Waits on a socket return this often, so that a close from another thread is seen.
constexpr long waitStepMs = 100;
constexpr std::size_t receiveSize = 8192;

// The sockets are used by the main-loop thread and closed by the exit thread. Both are
// non-blocking: every call under this lock returns at once, and the waits for a socket
// (at most one step each) are made outside it, so a close never waits for a send.
std::mutex serverMutex;
SOCKET listenSocket = INVALID_SOCKET;
SOCKET clientSocket = INVALID_SOCKET;
bool winsockStarted = false;
std::array<char, receiveSize + 1> receiveBuffer{};

void lf_closeClient()
{
    if (clientSocket != INVALID_SOCKET)
        closesocket(clientSocket);
    clientSocket = INVALID_SOCKET;
    clientConnected = false;
}

void lf_closeSockets()
{
    lf_closeClient();
    if (listenSocket != INVALID_SOCKET)
        closesocket(listenSocket);
    listenSocket = INVALID_SOCKET;
    if (winsockStarted)
        WSACleanup();
    winsockStarted = false;
    serverOpen = false;
}

// Waits one step for the socket to become readable (or writable). A socket closed
// meanwhile only ends the step early; the caller looks again under the lock.
void lf_waitStep(SOCKET socket, bool forWriting)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout{0, waitStepMs * 1000};
    select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &timeout);
}

// Sends the whole text: 0, or the Winsock error; WSAETIMEDOUT when the client has taken
// nothing for the send time (it no longer reads).
int lf_sendAll(std::string_view text)
{
    auto lastProgress = std::chrono::steady_clock::now();
    std::size_t sent = 0;
    while (sent < text.size()) {
        SOCKET socket = INVALID_SOCKET;
        {
            std::lock_guard lock(serverMutex);
            if (clientSocket == INVALID_SOCKET)
                return WSAENOTCONN;
            const int result = send(clientSocket, text.data() + sent, static_cast<int>(text.size() - sent), 0);
            if (result != SOCKET_ERROR) {
                sent += static_cast<std::size_t>(result);
                lastProgress = std::chrono::steady_clock::now();
                continue;
            }
            if (const int error = WSAGetLastError(); error != WSAEWOULDBLOCK)
                return error;
            if (std::chrono::steady_clock::now() - lastProgress > std::chrono::milliseconds(realTrafficSendMs))
                return WSAETIMEDOUT;
            socket = clientSocket;
        }
        lf_waitStep(socket, true);
    }
    return 0;
}

// Up to receiveSize bytes from the client, waiting until `end`; empty when nothing came,
// the client closed or failed, or an exit is under way.
std::string lf_receiveSome(std::chrono::steady_clock::time_point end)
{
    for (;;) {
        SOCKET socket = INVALID_SOCKET;
        {
            std::lock_guard lock(serverMutex);
            if (clientSocket == INVALID_SOCKET || gf_exitUnderWay())
                return {};
            const int result = recv(clientSocket, receiveBuffer.data(), receiveSize, 0);
            if (result != SOCKET_ERROR) {
                receiveBuffer[static_cast<std::size_t>(result)] = '\0';
                return std::string(receiveBuffer.data());
            }
            if (WSAGetLastError() != WSAEWOULDBLOCK) {
                gf_log(fmt::format("receive: {}", gf_lastWinsockErrorText()));
                return {};
            }
            if (std::chrono::steady_clock::now() >= end)
                return {};
            socket = clientSocket;
        }
        lf_waitStep(socket, false);
    }
}

bool lf_setNonBlocking(SOCKET socket)
{
    u_long nonBlocking = 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) != SOCKET_ERROR;
}

// Whole numbers as RealTraffic documents them; what the simulator never sends gives 0.
long long lf_wholeNumber(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 9.0e18)
        return 0;
    return std::llround(value);
}
} // namespace

void gf_openServerSocket(const std::string& port)
{
    std::lock_guard lock(serverMutex);
    lf_closeSockets();
    WSADATA data;
    if (int result = WSAStartup(MAKEWORD(2, 2), &data); result != 0)
        throw zeb::SysErrorException(0, fmt::format("WSAStartup failed with error {}", result));
    winsockStarted = true;

    // RealTraffic uses the server only from this computer.
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    if (int result = getaddrinfo("127.0.0.1", port.c_str(), &hints, &found); result != 0) {
        lf_closeSockets();
        throw zeb::SysErrorException(1, fmt::format("getaddrinfo failed with error {}", result));
    }
    auto fail = [&](std::uint32_t code, const std::string& message) {
        freeaddrinfo(found);
        lf_closeSockets();
        throw zeb::SysErrorException(code, message);
    };

    listenSocket = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (listenSocket == INVALID_SOCKET)
        fail(2, "socket failed with error " + gf_lastWinsockErrorText());
    // Non-blocking, and so is the client socket that accept gives.
    if (!lf_setNonBlocking(listenSocket))
        fail(3, "ioctlsocket failed with error " + gf_lastWinsockErrorText());
    // Bound without SO_REUSEADDR or SO_EXCLUSIVEADDRUSE: then Windows refuses a port another
    // socket holds, yet takes one on which only closed connections wait out their time
    // (TIME_WAIT of RealTraffic's connection that the server closed), so that a restart or a
    // relaunch binds it again at once. SO_REUSEADDR would take a port another program
    // listens on; SO_EXCLUSIVEADDRUSE refuses the port until those connections have gone.
    if (bind(listenSocket, found->ai_addr, static_cast<int>(found->ai_addrlen)) == SOCKET_ERROR)
        fail(5, "Bind failed at port " + port + " with error " + gf_lastWinsockErrorText());
    if (listen(listenSocket, SOMAXCONN) == SOCKET_ERROR)
        fail(6, "listen failed with error " + gf_lastWinsockErrorText());
    freeaddrinfo(found);
    serverOpen = true;
}

bool waitForClient()
{
    if (clientConnected)
        return false;
    for (;;) {
        SOCKET listening = INVALID_SOCKET;
        {
            std::lock_guard lock(serverMutex);
            if (listenSocket == INVALID_SOCKET || gf_exitUnderWay())
                return false;
            SOCKET accepted = accept(listenSocket, nullptr, nullptr);
            if (accepted != INVALID_SOCKET) {
                BOOL noDelay = TRUE;
                if (!lf_setNonBlocking(accepted) ||
                    setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                               sizeof noDelay) == SOCKET_ERROR) {
                    gf_logf("waitForClient interrupted: {} setsockopt failed with error {}", gf_nowString(),
                            gf_lastWinsockErrorText());
                    closesocket(accepted);
                    return false;
                }
                clientSocket = accepted;
                clientConnected = true;
                return true;
            }
            // A connection that went away before it was taken is only a wait more.
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK && error != WSAECONNRESET)
                return false;
            listening = listenSocket;
        }
        lf_waitStep(listening, false);
    }
}

bool sendDataPacket(const std::string& text)
{
    const int error = lf_sendAll(text);
    if (error == 0)
        return true;
    std::lock_guard lock(serverMutex);
    gf_log(fmt::format("sendDataPacket to RealTraffic failed: {}", gf_winsockErrorText(error)));
    lf_closeClient();
    gf_log("RealTraffic client socket closed");
    return false;
}

std::string gf_receive() { return lf_receiveSome(std::chrono::steady_clock::time_point::max()); }

std::string gf_receiveVersionReply()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realTrafficReplyMs);
    std::string reply;
    while (reply.size() < receiveSize) {
        const std::string part = lf_receiveSome(end);
        if (part.empty())
            break;
        reply += part;
        if (nlohmann::json::accept(reply))
            return reply;
    }
    if (std::chrono::steady_clock::now() >= end)
        gf_logMarked(fmt::format("RealTraffic's version reply incomplete after {} ms: \"{}\"", realTrafficReplyMs, reply));
    return reply;
}

void gf_waitForRealTraffic()
{
    if (!realTrafficOnThisPc)
        return;
    gf_showStatus(fmt::format("Waiting for RealTraffic to connect to {} ...", "Tarnwick_P3D"), true);
    gf_resetTraffic();
    if (waitForClient()) {
        sendDataPacket("Qs999=version\r\n");
        gf_checkRealTrafficVersion(gf_receiveVersionReply());
        mainWindow.realTrafficConnected = true;
        gf_log("RealTraffic connected");
    }
    gf_clearStatus();
}

void gf_checkRealTrafficVersion(const std::string& reply)
{
    if (reply.empty()) {
        gf_showStatus("No RealTraffic version received?", true);
        realTrafficProfessional = false;
        trafficClockSwitch = false;
        return;
    }
    auto json = nlohmann::json::parse(reply);
    std::string version = "?";
    if (json.contains("version") && !json["version"].is_null())
        version = json["version"].is_string() ? json["version"].get<std::string>() : json["version"].dump();
    bool professional = !json.contains("level") || json["level"].is_null() || json["level"] == 2;
    realTrafficProfessional = professional;
    trafficClockSwitch = professional; // only the professional edition's time stamps drive the clock
    std::string line =
        fmt::format("RT{} edition: {}, archive: week {}", version, professional ? " prof" : " stnd", archiveWeek.load());
    {
        std::lock_guard lock(mainWindow.statusMutex);
        mainWindow.realTrafficLine = line;
    }
    gf_log(line);
}

std::string gf_formatPosition(double pitch, double bank, double heading, double altitude, double groundSpeed,
                              double latitude, double longitude)
{
    return fmt::format("Qs121={};{};{:.6f};{};{};{:.6f};{:.6f}\r\n", lf_wholeNumber(pitch * 100000),
                       lf_wholeNumber(bank * 100000), heading, lf_wholeNumber(altitude * 1000),
                       lf_wholeNumber(groundSpeed * 1000), latitude * degToRad, longitude * degToRad);
}

void gf_sendPosition()
{
    const UserAircraft& user = gf_currentUserAircraft();
    if (!realTrafficOnThisPc || gf_userPositionUnknown(user.latitude, user.longitude))
        return;
    if (!clientConnected) {
        if (exitReason == 0 && waitForClient()) {
            gf_repaintWindow();
            gf_showStatus(fmt::format("{} RealTraffic re-connected", gf_nowString()), true);
            gf_clearStatus();
        }
        return;
    }
    if (sendDataPacket(gf_formatPosition(user.pitch, user.bank, user.heading, user.altitude, user.groundSpeed,
                                         user.latitude, user.longitude)))
        return;
    gf_repaintWindow();
    gf_removeLiveAircraft();
    gf_resetTraffic();
    gf_showStatus(fmt::format("{} RealTraffic gone? Wait for RealTraffic to re-connect ...", gf_nowString()), true);
}

void gf_sendQs123(std::int64_t seconds)
{
    if (clientConnected && seconds >= 1)
        sendDataPacket(fmt::format("Qs123={}\r\n", seconds * 1000));
}

void gf_closeServer()
{
    std::lock_guard lock(serverMutex);
    // One try: a RealTraffic that no longer reads does not hold up the exit.
    if (clientConnected && clientSocket != INVALID_SOCKET)
        send(clientSocket, "exit\r\n", 6, 0);
    lf_closeSockets();
}

void gf_readerStopped(bool isTrafficReader, const std::string& errorText)
{
    gf_showStatus(fmt::format("The {} has stopped with an error: {}", isTrafficReader ? "TrafficReader " : "WeatherReader",
                              errorText),
                  true);
    readerError = true;
}
