#pragma once
// One end of a connection to the simulator: a named pipe or a socket with overlapped
// I/O completed on the system thread pool. Each pending I/O holds a reference, so the
// object outlives its I/O after the client's close.
#include "foundation/recursivemutex.h"
#include "simconnect/cutter.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class ScTransport;

// One packet on its way to the server or to the dispatch routine.
struct ScPacketBuffer {
    std::vector<std::uint8_t> data;
    std::uint32_t connectionId = 0;
    std::uint32_t flag = 0;
};

// The overlapped block of a read (marker 0) or a write (marker 1).
struct ScIoBlock {
    OVERLAPPED overlapped{};
    ScTransport* owner = nullptr;
    std::uint8_t marker = 0;
};

enum class ScKind : std::uint32_t { socket = 0, pipe = 1 };

struct ScLastError {
    std::uint32_t win32Code = 0;
    std::int32_t status = 0;
    std::uint32_t reason = 0;
};

class ScTransport {
public:
    explicit ScTransport(ScKind kind);
    virtual ~ScTransport();
    ScTransport(const ScTransport&) = delete;
    ScTransport& operator=(const ScTransport&) = delete;

    // Makes an attached transport ready for I/O under a new connection id.
    virtual void start();
    // The first close ends the I/O; with a reason it also records reason, status and
    // Win32 code once. True when this call did the closing.
    virtual bool close(std::uint32_t reason, std::int32_t status, std::uint32_t win32Code);
    virtual void onPacket(ScPacketBuffer&& packet) {}

    SOCKET socketHandle() const { return reinterpret_cast<SOCKET>(handle); }

    const ScKind kind;
    HANDLE handle = INVALID_HANDLE_VALUE; // the pipe, or the socket
    std::atomic<bool> connected{false};   // changed under stateLock
    RecursiveMutex stateLock;
    ScLastError lastError;                // under stateLock
    std::atomic<std::uint32_t> connectionId{0};
    std::atomic<std::uint32_t> refs{1};

    std::mutex sendQueueLock;
    std::deque<ScPacketBuffer> sendQueue;
    bool writeInProgress = false;         // under stateLock
    std::vector<std::uint8_t> writing;    // the bytes of the write in flight

    ScReceiveBuffer receive;              // touched only by the one read in flight
    std::uint32_t family = 0;
    bool disableNagle = false;
    std::uint32_t maxReceiveSize = 1024;

    ScIoBlock readBlock;
    ScIoBlock writeBlock;
};

// Takes over a connected pipe or socket; the transport is not yet started.
void sc_attach(ScTransport& transport, HANDLE handle, std::uint32_t family, std::uint32_t maxReceiveSize,
               bool disableNagle);
// Zeroes the block's OVERLAPPED for its next I/O; a pipe's event is kept.
void sc_clearOverlapped(ScIoBlock& block);
void sc_addRef(ScTransport& transport);
void sc_releaseTransport(ScTransport& transport); // deletes the transport at the last reference

// Queues a committed packet and starts a write when none is in flight; false when the
// transport is not connected (the packet is then dropped).
bool sc_enqueueSend(ScTransport& transport, ScPacketBuffer&& packet);
// Under the state lock: starts the write of the next queued packet.
bool sc_sendNext(ScTransport& transport, bool fromCompletion);
// Arms one read into all the free room of the receive buffer (making room first).
void sc_startRead(ScTransport& transport);
void CALLBACK sc_ioCompletion(DWORD code, DWORD bytes, OVERLAPPED* overlapped);

bool sc_isBroken(ScTransport& transport);
ScLastError sc_lastError(ScTransport& transport);

int sc_liveTransports();
