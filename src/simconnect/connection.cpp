#include "simconnect/connection.h"

#include <ws2tcpip.h>

std::mutex scSendLock;

namespace {
std::mutex connectionsLock; // the list and the Windows Sockets flag
std::vector<ScConnection*> connections;
std::atomic<int> liveConnections{0};
bool winsockStarted = false;

bool lf_noConnectionLeft()
{
    std::lock_guard lock(connectionsLock);
    return connections.empty();
}

// Wakes the client, so that it calls the dispatch.
void lf_notify(const ScConnection& connection)
{
    if (connection.window != nullptr && connection.messageId != 0)
        PostMessageW(connection.window, connection.messageId, 0, 0);
    if (connection.event != nullptr)
        SetEvent(connection.event);
}
} // namespace

ScConnection::ScConnection(ScKind kind) : ScTransport(kind)
{
    ++liveConnections;
}

ScConnection::~ScConnection()
{
    --liveConnections;
}

void ScConnection::start()
{
    ScTransport::start();
    std::lock_guard lock(stateLock);
    if (kind == ScKind::socket && disableNagle) {
        const BOOL on = TRUE;
        setsockopt(socketHandle(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    }
    connected = true;
}

bool ScConnection::close(std::uint32_t reason, std::int32_t status, std::uint32_t win32Code)
{
    const bool closed = ScTransport::close(reason, status, win32Code);
    if (closed && reason != 0)
        lf_notify(*this);
    return closed;
}

void ScConnection::onPacket(ScPacketBuffer&& packet)
{
    {
        std::lock_guard lock(receiveLock);
        receiveQueue.push_back(std::move(packet));
    }
    lf_notify(*this);
}

ScConnection* sc_newConnection(ScKind kind)
{
    auto* connection = new ScConnection(kind);
    std::lock_guard lock(connectionsLock);
    connections.push_back(connection);
    return connection;
}

int sc_closeConnection(ScConnection* connection)
{
    if (connection == nullptr)
        return 1;
    Sleep(100);
    {
        std::lock_guard lock(connection->receiveLock);
        connection->receiveQueue.clear();
    }
    {
        std::lock_guard lock(connectionsLock);
        std::erase(connections, connection);
    }
    connection->close(0, 0, 0);
    sc_releaseTransport(*connection); // freed now, or by the last pending completion
    Sleep(250);
    if (!lf_noConnectionLeft())
        return 0;
    for (int wait = 0; wait < 20 && sc_liveTransports() > 0; ++wait)
        Sleep(250);
    std::lock_guard lock(connectionsLock);
    if (connections.empty() && winsockStarted) {
        WSACleanup();
        winsockStarted = false;
    }
    return 0;
}

bool sc_startWinsock()
{
    std::lock_guard lock(connectionsLock);
    if (!winsockStarted) {
        WSADATA data{};
        winsockStarted = WSAStartup(MAKEWORD(2, 0), &data) == 0;
    }
    return winsockStarted;
}

bool sc_winsockStarted()
{
    std::lock_guard lock(connectionsLock);
    return winsockStarted;
}

int sc_liveConnections()
{
    return liveConnections;
}
