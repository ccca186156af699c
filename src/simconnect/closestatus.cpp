#include "simconnect/closestatus.h"

namespace {
struct StatusPair {
    std::uint32_t win32;
    std::uint32_t ntStatus;
};

// The Win32 codes that Wine passes for the statuses we tell apart. The first pair of
// a status gives its Win32 code.
constexpr StatusPair statusPairs[] = {
    {234, 0x80000005},   // more data / buffer overflow
    {109, 0xC000014B},   // broken pipe
    {64, 0xC000020D},    // network name deleted: reset or remote disconnect
    {10054, 0xC000020D}, // connection reset
    {64, 0xC000013C},    // remote disconnect
    {995, 0xC0000120},   // cancelled
    {233, 0xC00000B0},   // pipe not connected
    {1236, 0xC0000241},  // connection aborted
    {10053, 0xC0000241},
    {38, 0xC0000011},    // end of file
};

bool lf_isNtStatus(std::uint32_t code) { return (code & 0xC0000000) != 0; }

std::uint32_t lf_toNtStatus(std::uint32_t win32)
{
    for (const StatusPair& pair : statusPairs)
        if (pair.win32 == win32)
            return pair.ntStatus;
    return 0x80070000 | (win32 & 0xFFFF); // as an HRESULT: negative, and says which error
}

std::uint32_t lf_toWin32(std::uint32_t ntStatus)
{
    for (const StatusPair& pair : statusPairs)
        if (pair.ntStatus == ntStatus)
            return pair.win32;
    if ((ntStatus & 0xFFFF0000) == 0x80070000)
        return ntStatus & 0xFFFF;
    return 0;
}
} // namespace

ScCompletionOutcome sc_classifyCompletion(std::uint32_t code, bool isPipe)
{
    ScCompletionOutcome outcome;
    if (code == 0)
        return outcome;
    const std::uint32_t status = lf_isNtStatus(code) ? code : lf_toNtStatus(code);
    outcome.win32Code = lf_isNtStatus(code) ? lf_toWin32(code) : code;
    outcome.status = static_cast<std::int32_t>(status);
    if (status == scStatusMoreData && isPipe) {
        outcome.kind = ScCompletionOutcome::moreData;
        outcome.status = 0;
        return outcome;
    }
    outcome.kind = ScCompletionOutcome::close;
    switch (status) {
    case 0xC000013C:
    case 0xC000014B:
    case 0xC000020D:
        outcome.reason = scCloseServerGone;
        break;
    case 0xC0000120:
        outcome.reason = scCloseCancelled;
        break;
    default:
        outcome.reason = scCloseFailed;
    }
    return outcome;
}
