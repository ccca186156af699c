#pragma once
// Close reasons and statuses of a connection, and the mapping of I/O completion codes
// onto them. Windows hands the completion routine NTSTATUS values, Wine Win32 error
// codes; both families map to the same reason and status. No <windows.h> here.
#include <cstdint>

enum ScCloseReason : std::uint32_t {
    scCloseByClient = 0,   // the client's own close: nothing recorded
    scCloseTooBig = 1,     // declared size above the limit
    scCloseBadSize = 2,    // declared size 1 to 3
    scCloseNoMemory = 3,
    scCloseZeroBytes = 4,  // a read or write completed with 0 bytes
    scCloseServerGone = 5, // remote disconnect, broken pipe, connection reset
    scCloseCancelled = 8,
    scCloseFailed = 9,     // any other failure, also one that kept the I/O from starting
};

// A malformed stream and a lack of memory record scAbort and scOutOfMemory (simconnect.h).
inline constexpr std::int32_t scStatusZeroBytes = static_cast<std::int32_t>(0xC000013E);
inline constexpr std::uint32_t scStatusMoreData = 0x80000005;

struct ScCompletionOutcome {
    enum Kind { success, moreData, close } kind = success;
    std::uint32_t reason = 0;
    std::int32_t status = 0;     // NTSTATUS-like, negative for a close
    std::uint32_t win32Code = 0; // the Win32 error code, 0 when none is known
};

// Classifies the code of a finished (or failed to start) read or write. "More data"
// is a success on a pipe and a failure on a socket.
ScCompletionOutcome sc_classifyCompletion(std::uint32_t code, bool isPipe);
