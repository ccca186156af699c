// Stand-ins for the airport data services that are not built yet.
#include "airports/airports.h"

std::atomic<std::int32_t> tbloAirportCount{0};

// Tests read how often the scan was called and set what it finds.
std::atomic<std::int32_t> pendingAirportScans{0};
std::atomic<bool> pendingAirportsFound{false};
std::vector<std::string> pendingAirportScanFolders; // written by the start-up thread only

bool gf_scanAirports(bool, const std::vector<std::string>& folders)
{
    ++pendingAirportScans;
    pendingAirportScanFolders = folders;
    return pendingAirportsFound.load();
}
