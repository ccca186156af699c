// Overlapped sends and receives of a transport, and their completion routine.
#include "simconnect/closestatus.h"
#include "simconnect/simconnect.h"
#include "simconnect/transport.h"

#include <cstddef>
#include <new>

static_assert(offsetof(ScIoBlock, overlapped) == 0, "the completion finds its block from the OVERLAPPED");

namespace {
// Closes the transport for an I/O that could not be started, so the client learns of it.
void lf_closeForError(ScTransport& transport, DWORD error)
{
    const ScCompletionOutcome outcome = sc_classifyCompletion(error, transport.kind == ScKind::pipe);
    transport.close(outcome.reason != 0 ? outcome.reason : scCloseFailed, outcome.status, outcome.win32Code);
}

void lf_onRead(ScTransport& transport, DWORD bytes)
{
    transport.receive.writePos += bytes;
    std::vector<std::uint8_t> cut;
    ScCut result;
    while ((result = sc_cutPacket(transport.receive, transport.maxReceiveSize, cut)) == ScCut::packet) {
        transport.onPacket(ScPacketBuffer{std::move(cut), transport.connectionId, 0});
        cut = {};
    }
    switch (result) {
    case ScCut::tooBig:
        transport.close(scCloseTooBig, scAbort, 0);
        return;
    case ScCut::badSize:
        transport.close(scCloseBadSize, scAbort, 0);
        return;
    case ScCut::noMemory:
        transport.close(scCloseNoMemory, scOutOfMemory, 0);
        return;
    default: // more bytes are needed
        sc_startRead(transport);
    }
}

void lf_onCompletion(ScTransport& transport, ScIoBlock& block, DWORD code, DWORD bytes)
{
    if (!transport.connected)
        return;
    const ScCompletionOutcome outcome = sc_classifyCompletion(code, transport.kind == ScKind::pipe);
    if (outcome.kind == ScCompletionOutcome::close) {
        transport.close(outcome.reason, outcome.status, outcome.win32Code);
        return;
    }
    if (outcome.kind == ScCompletionOutcome::moreData) {
        // The bytes were copied, but Wine reports 0 to the routine.
        DWORD copied = 0;
        GetOverlappedResult(transport.handle, &block.overlapped, &copied, FALSE);
        bytes = copied;
    }
    if (bytes == 0) {
        transport.close(scCloseZeroBytes, scStatusZeroBytes, 0);
        return;
    }
    if (block.marker == 1) {
        std::lock_guard lock(transport.stateLock);
        if (transport.connected)
            sc_sendNext(transport, true);
        return;
    }
    lf_onRead(transport, bytes);
}
} // namespace

bool sc_enqueueSend(ScTransport& transport, ScPacketBuffer&& packet)
{
    std::lock_guard lock(transport.stateLock);
    if (!transport.connected)
        return false;
    {
        std::lock_guard queueLock(transport.sendQueueLock);
        transport.sendQueue.push_back(std::move(packet));
    }
    sc_sendNext(transport, false);
    return true;
}

bool sc_sendNext(ScTransport& transport, bool fromCompletion)
{
    if (!fromCompletion && transport.writeInProgress)
        return false;
    std::vector<std::uint8_t>().swap(transport.writing);
    ScPacketBuffer next;
    {
        std::lock_guard queueLock(transport.sendQueueLock);
        if (transport.sendQueue.empty()) {
            transport.writeInProgress = false;
            return false;
        }
        next = std::move(transport.sendQueue.front());
        transport.sendQueue.pop_front();
    }
    transport.writing = std::move(next.data);
    ScIoBlock& block = transport.writeBlock;
    sc_clearOverlapped(block);
    sc_addRef(transport); // the caller holds a reference too, so this one never is the last
    const DWORD size = static_cast<DWORD>(transport.writing.size());
    bool started = false;
    DWORD error = 0;
    if (transport.kind == ScKind::socket) {
        WSABUF buffer{size, reinterpret_cast<char*>(transport.writing.data())};
        started = WSASend(transport.socketHandle(), &buffer, 1, nullptr, 0, &block.overlapped, nullptr) == 0;
        error = started ? 0 : static_cast<DWORD>(WSAGetLastError());
    } else {
        started = WriteFile(transport.handle, transport.writing.data(), size, nullptr, &block.overlapped) != FALSE;
        error = started ? 0 : GetLastError();
    }
    if (!started && error != ERROR_IO_PENDING) {
        sc_releaseTransport(transport);
        transport.writeInProgress = false;
        lf_closeForError(transport, error);
        return false;
    }
    transport.writeInProgress = true;
    return true;
}

void sc_startRead(ScTransport& transport)
{
    bool failed = false;
    {
        std::lock_guard lock(transport.stateLock);
        if (!transport.connected)
            return;
        ScReceiveBuffer& receive = transport.receive;
        if (!sc_makeRoom(receive)) {
            transport.close(scCloseNoMemory, scOutOfMemory, 0);
            return;
        }
        ScIoBlock& block = transport.readBlock;
        sc_clearOverlapped(block);
        sc_addRef(transport);
        std::uint8_t* room = receive.bytes.data() + receive.writePos;
        const DWORD roomSize = static_cast<DWORD>(receive.bytes.size() - receive.writePos);
        DWORD error = 0;
        if (transport.kind == ScKind::socket) {
            WSABUF buffer{roomSize, reinterpret_cast<char*>(room)};
            DWORD flags = 0;
            if (WSARecv(transport.socketHandle(), &buffer, 1, nullptr, &flags, &block.overlapped, nullptr) != 0)
                error = static_cast<DWORD>(WSAGetLastError());
        } else if (!ReadFile(transport.handle, room, roomSize, nullptr, &block.overlapped)) {
            error = GetLastError();
        }
        // A pipe read that already holds part of a longer message still completes.
        const bool pending = error == 0 || error == ERROR_IO_PENDING ||
                             (error == ERROR_MORE_DATA && transport.kind == ScKind::pipe);
        if (!pending) {
            failed = true;
            lf_closeForError(transport, error);
        }
    }
    if (failed)
        sc_releaseTransport(transport);
}

void CALLBACK sc_ioCompletion(DWORD code, DWORD bytes, OVERLAPPED* overlapped)
{
    auto* block = reinterpret_cast<ScIoBlock*>(overlapped);
    ScTransport& transport = *block->owner;
    try {
        lf_onCompletion(transport, *block, code, bytes);
    } catch (const std::bad_alloc&) {
        transport.close(scCloseNoMemory, scOutOfMemory, 0);
    }
    sc_releaseTransport(transport);
}
