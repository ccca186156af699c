// Stand-ins for the airport data services that are not built yet.
#include "airports/airports.h"

std::atomic<bool> staticParkingActive{false};
std::atomic<std::int32_t> apfEditCount{0};
std::atomic<std::int32_t> tbloAirportCount{0};

// Tests read how often these were called and set what the scan finds.
std::atomic<std::int32_t> pendingAirportListReads{0};
std::atomic<std::int32_t> pendingAirportScans{0};
std::atomic<bool> pendingAirportsFound{false};
std::atomic<std::int32_t> pendingParkingStops{0};
std::vector<std::string> pendingAirportScanFolders; // written by the start-up thread only

std::vector<StandRecord> parkStands;

void gf_readAirports() { ++pendingAirportListReads; }

bool gf_scanAirports(bool, const std::vector<std::string>& folders)
{
    ++pendingAirportScans;
    pendingAirportScanFolders = folders;
    return pendingAirportsFound.load();
}

void gf_stopParking() { ++pendingParkingStops; }

void gf_clearApfFile() {}
