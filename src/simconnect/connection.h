#pragma once
// The connection handle of the API: a transport with a receive queue, notification
// targets and the staging buffer of request packets; and the process-wide bookkeeping.
#include "simconnect/simconnect.h"
#include "simconnect/transport.h"

#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

inline constexpr std::size_t scStagingSize = 41088;

class ScConnection : public ScTransport {
public:
    explicit ScConnection(ScKind kind);
    ~ScConnection() override;

    void start() override;
    bool close(std::uint32_t reason, std::int32_t status, std::uint32_t win32Code) override;
    void onPacket(ScPacketBuffer&& packet) override;

    std::mutex receiveLock;
    std::deque<ScPacketBuffer> receiveQueue;

    // Told of every queued packet and of a close with a reason.
    HWND window = nullptr;
    UINT messageId = 0;
    HANDLE event = nullptr;

    ScDispatchProc storedRoutine = nullptr;
    void* storedContext = nullptr;
    ScDispatchProc usedRoutine = nullptr;
    void* usedContext = nullptr;

    std::vector<std::uint8_t> staging = std::vector<std::uint8_t>(scStagingSize);
    std::size_t fill = 0;
    std::atomic<std::uint32_t> sendId{0};
};

// Makes a connection and appends it to the process-wide list.
ScConnection* sc_newConnection(ScKind kind);
// Drops what is still queued, unlinks and closes the connection and, after the last one,
// waits (at most 5 s) for pending I/O to end before Windows Sockets is cleaned up.
int sc_closeConnection(ScConnection* connection);

// Hands every queued packet to the routine (else the stored one): 0 queue emptied,
// 1 no routine or no connection, 2 queue emptied and the connection broken.
int sc_dispatchAll(ScConnection* connection, ScDispatchProc routine, void* context);

// Windows Sockets 2 for this process, started once until the last connection closes.
bool sc_startWinsock();
bool sc_winsockStarted();
int sc_liveConnections();

// Guards every reservation, commit and give-back of request packets in the process.
extern std::mutex scSendLock;
