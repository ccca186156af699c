// How far the server is behind with reading what the client sent.
#include "simconnect/connection.h"
#include "simconnect/simconnect.h"

std::size_t sc_sendBacklog(ScConnection* handle)
{
    if (handle == nullptr)
        return 0;
    std::lock_guard lock(handle->sendQueueLock);
    return handle->sendQueue.size();
}
