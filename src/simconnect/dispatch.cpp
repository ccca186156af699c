// Hands the queued server packets to the client's dispatch routine on its own thread.
#include "simconnect/connection.h"
#include "simconnect/simconnect.h"

namespace {
constexpr std::size_t shortestDeliveredPacket = 12;
} // namespace

int sc_dispatchAll(ScConnection* connection, ScDispatchProc routine, void* context)
{
    if (connection == nullptr)
        return 1;
    if (routine == nullptr) {
        routine = connection->storedRoutine;
        context = connection->storedContext;
    }
    if (routine == nullptr)
        return 1;
    connection->usedRoutine = routine;
    connection->usedContext = context;
    for (;;) {
        // Read before the queue is found empty: every packet queued before a close is
        // then delivered before the close is reported.
        const bool broken = sc_isBroken(*connection);
        ScPacketBuffer packet;
        {
            std::lock_guard lock(connection->receiveLock);
            if (connection->receiveQueue.empty())
                return broken ? 2 : 0;
            packet = std::move(connection->receiveQueue.front());
            connection->receiveQueue.pop_front();
        }
        if (packet.data.size() >= shortestDeliveredPacket)
            routine(packet.data.data(), static_cast<std::uint32_t>(packet.data.size()), context);
    }
}

ScResult SimConnect_CallDispatch(ScConnection* handle, ScDispatchProc routine, void* context)
{
    switch (sc_dispatchAll(handle, routine, context)) {
    case 0:
        return scOk;
    case 2:
        return sc_lastError(*handle).status;
    default:
        return scFail;
    }
}
