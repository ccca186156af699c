#pragma once
// Aircraft records for tests, put straight into the traffic tables.
#include "traffic/records.h"

#include <string>

// A live aircraft with one point at its position; created ones carry an object id.
Act gf_testAct(std::uint32_t flightId, std::uint32_t status, std::uint32_t objectId, const std::string& callsign,
               double latitude = 52.3, double longitude = 4.76);
// Appends it to the live table.
Act& gf_testAddAct(std::uint32_t flightId, std::uint32_t status, std::uint32_t objectId,
                            const std::string& callsign = "KLM1", double latitude = 52.3, double longitude = 4.76);
// Empties every traffic table and queue, the simulator's queues included.
void gf_testClearTraffic();
// Writes the generated reference data and liveries into the current folder and reads them
// as the start-up does.
void gf_testLoadWorld();
