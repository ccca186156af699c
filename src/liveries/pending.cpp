// Stand-ins for the liveries services that are not built yet.
#include "liveries/liveries.h"

#include "foundation/log.h"
#include "traffic/records.h"

// Tests read how often the start-up called the scan and what it was given.
std::atomic<std::int32_t> pendingLiveryScans{0};
std::atomic<bool> pendingLastScanWasScan{false};
std::atomic<bool> pendingLiveriesFound{true};
std::vector<std::string> pendingScanFolders; // written by the start-up thread only

std::set<std::string> noMatchSet;

bool gf_scanLiveries(bool scan, bool, bool, const std::vector<std::string>& folders)
{
    ++pendingLiveryScans;
    pendingLastScanWasScan = scan;
    pendingScanFolders = folders;
    return pendingLiveriesFound.load();
}

void gf_logNoMatches() {}
void logMatchingSummary() {}

namespace pendingLiveries {
std::string_view liveryTitle;
std::set<std::string, std::less<>> failedTitles;
} // namespace pendingLiveries

void matchLiveryLive(Act& act)
{
    act.base.head.liveryTitle = pendingLiveries::liveryTitle;
}

void gf_liveryNotCreated(const AircraftProfile& head)
{
    gf_logf("{} \"{}\" could not be created by your Sim!", head.identity.callsign, head.liveryTitle);
    pendingLiveries::failedTitles.emplace(head.liveryTitle);
}

bool gf_isFailedLivery(std::string_view title) { return pendingLiveries::failedTitles.contains(title); }

void gf_resetMatchState() {}
