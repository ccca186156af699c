// Stand-ins for the liveries services that are not built yet.
#include "liveries/liveries.h"

// Tests read how often the start-up called the scan and what it was given.
std::atomic<std::int32_t> pendingLiveryScans{0};
std::atomic<bool> pendingLastScanWasScan{false};
std::atomic<bool> pendingLiveriesFound{true};
std::vector<std::string> pendingScanFolders; // written by the start-up thread only

bool gf_scanLiveries(bool scan, bool, bool, const std::vector<std::string>& folders)
{
    ++pendingLiveryScans;
    pendingLastScanWasScan = scan;
    pendingScanFolders = folders;
    return pendingLiveriesFound.load();
}
