// Stand-ins for the airport data services that are not built yet.
#include "airports/airports.h"

std::atomic<bool> staticParkingActive{false};
std::atomic<std::int32_t> tbloAirportCount{0};
