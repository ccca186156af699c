#pragma once
// What the rest of the program uses of the traffic manager.
#include <atomic>
#include <cstdint>
#include <string>

// Main-loop thread only: the live aircraft created in the simulator and not parked.
std::uint32_t gf_countFlyingLive();
// Main-loop thread only: parked live aircraft; with show, the live parked-time figure is updated.
std::int32_t lf_listRatio2(bool show);
// Main-loop thread only: static parked aircraft; with show, the static parked-time figure is updated.
std::int32_t lf_listRatio1(bool show);

// The park airport's code, empty while none is set, and its reserved stand; any thread.
std::string gf_parkAirportCode();
std::string gf_reservedStandName();
// Static parking is placing aircraft (the airport parking controls are disabled meanwhile).
extern std::atomic<bool> staticParkingRunning;
