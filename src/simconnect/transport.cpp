#include "simconnect/transport.h"

#include <cstdio>

namespace {
std::atomic<int> liveTransports{0};
std::atomic<std::uint32_t> connectionIdCounter{0};

std::uint32_t lf_nextConnectionId()
{
    std::uint32_t id = ++connectionIdCounter;
    while (id == 0)
        id = ++connectionIdCounter;
    return id;
}

void lf_resetBlock(ScIoBlock& block, ScTransport* owner, std::uint8_t marker)
{
    sc_clearOverlapped(block);
    block.owner = owner;
    block.marker = marker;
}
} // namespace

ScTransport::ScTransport(ScKind kind) : kind(kind)
{
    ++liveTransports;
}

ScTransport::~ScTransport()
{
    close(0, 0, 0);
    for (ScIoBlock* block : {&readBlock, &writeBlock})
        if (block->overlapped.hEvent != nullptr)
            CloseHandle(block->overlapped.hEvent);
    --liveTransports;
}

void ScTransport::start()
{
    {
        std::lock_guard queueLock(sendQueueLock);
        sendQueue.clear();
    }
    std::vector<std::uint8_t>().swap(writing);
    writeInProgress = false;
    connectionId = lf_nextConnectionId();
    receive.readPos = receive.writePos = 0;
    if (kind == ScKind::pipe) {
        for (ScIoBlock* block : {&readBlock, &writeBlock}) {
            if (block->overlapped.hEvent == nullptr)
                block->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (block->overlapped.hEvent == nullptr)
                std::printf("CreateEvent failed with %d.\n", static_cast<int>(GetLastError()));
        }
    }
}

bool ScTransport::close(std::uint32_t reason, std::int32_t status, std::uint32_t win32Code)
{
    std::lock_guard lock(stateLock);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool wasConnected = connected;
    connected = false;
    connectionId = 0;
    if (reason != 0 && lastError.reason == 0)
        lastError = ScLastError{win32Code, status, reason};
    if (kind == ScKind::socket) {
        if (wasConnected)
            shutdown(socketHandle(), SD_BOTH);
        CancelIoEx(handle, nullptr);
        closesocket(socketHandle());
    } else {
        CancelIoEx(handle, nullptr);
        CloseHandle(handle);
    }
    handle = INVALID_HANDLE_VALUE;
    return true;
}

void sc_attach(ScTransport& transport, HANDLE handle, std::uint32_t family, std::uint32_t maxReceiveSize,
               bool disableNagle)
{
    std::lock_guard lock(transport.stateLock);
    transport.handle = handle;
    transport.family = family;
    transport.maxReceiveSize = maxReceiveSize;
    transport.disableNagle = disableNagle;
    transport.receive = ScReceiveBuffer{};
    transport.lastError = ScLastError{};
    std::vector<std::uint8_t>().swap(transport.writing);
    lf_resetBlock(transport.readBlock, &transport, 0);
    lf_resetBlock(transport.writeBlock, &transport, 1);
    transport.connected = false;
}

void sc_clearOverlapped(ScIoBlock& block)
{
    const HANDLE event = block.overlapped.hEvent;
    block.overlapped = OVERLAPPED{};
    block.overlapped.hEvent = event;
}

void sc_addRef(ScTransport& transport)
{
    ++transport.refs;
}

void sc_releaseTransport(ScTransport& transport)
{
    if (--transport.refs == 0)
        delete &transport;
}

bool sc_isBroken(ScTransport& transport)
{
    std::lock_guard lock(transport.stateLock);
    return transport.lastError.reason != 0;
}

ScLastError sc_lastError(ScTransport& transport)
{
    std::lock_guard lock(transport.stateLock);
    return transport.lastError;
}

int sc_liveTransports()
{
    return liveTransports;
}
