// Stand-ins for the airport data services that are not built yet.
#include "airports/airports.h"

std::atomic<bool> staticParkingActive{false};

// Tests read how often these were called and set what the scan finds.
std::atomic<std::int32_t> pendingAirportListReads{0};
std::atomic<std::int32_t> pendingParkingStops{0};

std::vector<StandRecord> parkStands;

void gf_readAirports() { ++pendingAirportListReads; }

void gf_stopParking() { ++pendingParkingStops; }
