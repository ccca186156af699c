#include "links/realtrafficserver.h"

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
#include <cmath>
#include <mutex>

std::atomic<bool> realTrafficProfessional{false};
std::atomic<bool> clientConnected{false};
std::atomic<bool> serverOpen{false};
std::atomic<bool> readerError{false};

namespace {

// Blocking waits return this often, so that a close from another thread is seen.
constexpr long waitStepMs = 100;
constexpr std::size_t receiveSize = 8192;

// The sockets are used by the main-loop thread and closed by the exit thread: every use
// is under this lock, and no call blocks longer than one wait step while holding it.
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

// Waits one step for the socket to become readable: 1 readable, 0 not yet, -1 error.
int lf_waitReadable(SOCKET socket)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval timeout{0, waitStepMs * 1000};
    int result = select(0, &readable, nullptr, nullptr, &timeout);
    return result == SOCKET_ERROR ? -1 : (result > 0 ? 1 : 0);
}

bool lf_sendAll(const std::string& text)
{
    std::size_t sent = 0;
    while (sent < text.size()) {
        int result = send(clientSocket, text.data() + sent, static_cast<int>(text.size() - sent), 0);
        if (result == SOCKET_ERROR)
            return false;
        sent += static_cast<std::size_t>(result);
    }
    return true;
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
    u_long blocking = 0;
    if (ioctlsocket(listenSocket, FIONBIO, &blocking) == SOCKET_ERROR)
        fail(3, "ioctlsocket failed with error " + gf_lastWinsockErrorText());
    BOOL reuse = TRUE;
    if (setsockopt(listenSocket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse) ==
        SOCKET_ERROR)
        fail(4, "setsockopt(SO_REUSEADDR) failed");
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
        std::lock_guard lock(serverMutex);
        if (listenSocket == INVALID_SOCKET || gf_exitUnderWay())
            return false;
        int ready = lf_waitReadable(listenSocket);
        if (ready < 0)
            return false;
        if (ready == 0)
            continue;
        SOCKET accepted = accept(listenSocket, nullptr, nullptr);
        if (accepted == INVALID_SOCKET)
            return false;
        BOOL noDelay = TRUE;
        if (setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay) ==
            SOCKET_ERROR) {
            gf_logf("waitForClient interrupted: {} setsockopt failed with error {}", gf_nowString(),
                    gf_lastWinsockErrorText());
            closesocket(accepted);
            return false;
        }
        clientSocket = accepted;
        clientConnected = true;
        return true;
    }
}

bool sendDataPacket(const std::string& text)
{
    std::lock_guard lock(serverMutex);
    if (clientSocket != INVALID_SOCKET && lf_sendAll(text))
        return true;
    gf_log(fmt::format("sendDataPacket to RealTraffic failed: {}", gf_lastWinsockErrorText()));
    lf_closeClient();
    gf_log("RealTraffic client socket closed");
    return false;
}

std::string gf_receive()
{
    for (;;) {
        std::lock_guard lock(serverMutex);
        if (clientSocket == INVALID_SOCKET || gf_exitUnderWay())
            return {};
        int ready = lf_waitReadable(clientSocket);
        if (ready == 0)
            continue;
        int result = ready < 0 ? SOCKET_ERROR : recv(clientSocket, receiveBuffer.data(), receiveSize, 0);
        if (result == SOCKET_ERROR) {
            gf_log(fmt::format("receive: {}", gf_lastWinsockErrorText()));
            return {};
        }
        receiveBuffer[static_cast<std::size_t>(result)] = '\0';
        return std::string(receiveBuffer.data());
    }
}

void gf_waitForRealTraffic()
{
    if (!realTrafficOnThisPc)
        return;
    gf_showStatus(fmt::format("Waiting for RealTraffic to connect to {} ...", "Tarnwick_P3D"), true);
    gf_resetTraffic();
    if (waitForClient()) {
        sendDataPacket("Qs999=version\r\n");
        gf_checkRealTrafficVersion(gf_receive());
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
    if (clientConnected && clientSocket != INVALID_SOCKET)
        lf_sendAll("exit\r\n");
    lf_closeSockets();
}

void gf_readerStopped(bool isTrafficReader, const std::string& errorText)
{
    gf_showStatus(fmt::format("The {} has stopped with an error: {}", isTrafficReader ? "TrafficReader " : "WeatherReader",
                              errorText),
                  true);
    readerError = true;
}
