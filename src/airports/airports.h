#pragma once
// What the rest of the program uses of the airport data: stands and their options.
#include "foundation/weekslots.h"

#include <atomic>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// One airline/type (or registration) seen at a stand on one weekday, with its half hours.
struct StandOption {
    std::string airl;
    std::string type;
    std::string reg;         // empty when none
    std::string callsign;    // first callsign seen, no trailing "_"
    std::string secondCall;  // the last other callsign seen
    std::bitset<48> hh;      // bit h: the option holds in half hour h (UTC)
    std::int32_t seq = 0;    // 1-based within the stand; 0: not written to a file
    std::int32_t day = 0;    // weekday 1..7 (Monday..Sunday); 0 when the file gives none
    std::uint8_t mark = 0;   // 1: added while running
    bool soft = false;
};

// Where a flight was last learned on a stand, and the option that holds it.
struct LearnedFlight {
    WeekSlot slot;
    std::uint32_t option = 0;
};

// One parking stand of the park airport, held by value in one vector.
struct StandRecord {
    std::vector<StandOption> options;
    std::unordered_map<std::uint32_t, LearnedFlight> realFlights{8}; // by flight id
    std::unordered_map<std::uint32_t, LearnedFlight> softFlights{8};
    std::string id; // the stand's name
    std::vector<std::uint32_t> neighbours;
    double latitude = 0.0;  // degrees
    double longitude = 0.0; // degrees
    double heading = 0.0;   // radians
    double radius = 0.0;    // nautical miles, half the stand's size
    std::uint32_t standNumber = 0; // 1..N once the park airport is loaded
    std::uint8_t manual = 0;
    std::uint8_t radius_change = 0;
    std::uint8_t cargo_change = 0;
    std::uint8_t occupied = 0;
    std::uint8_t fit = 0;       // taken by static parking
    std::uint8_t excluded = 0;
    std::uint8_t neighbour = 0; // beside a taken stand
    std::uint8_t suffix = 0;    // the scenery's id needed a suffix
    std::uint8_t cargo = 0;
    std::uint8_t ramp = 0;
    std::uint8_t heli = 0;

    StandRecord(std::string standId, std::vector<StandOption> standOptions, double lat, double lon,
                double headingRadians, double radiusMetres, bool isCargo, bool isRamp, bool isHeli)
        : options(std::move(standOptions)), id(std::move(standId)), latitude(lat), longitude(lon),
          heading(headingRadians), radius(radiusMetres * 0.0005399568034557236), cargo(isCargo),
          ramp(isRamp), heli(isHeli)
    {
        realFlights.max_load_factor(1.0f);
        softFlights.max_load_factor(1.0f);
        neighbours.reserve(8);
    }
};

// Static parking is active at the park airport (its airport parking file is in use).
extern std::atomic<bool> staticParkingActive;
// Learned stand updates since the park airport's parking file was loaded.
extern std::atomic<std::int32_t> apfEditCount;
// Airports that the last airport scan put into the TO_BE_LEARNED_OFFLINE folder.
extern std::atomic<std::int32_t> tbloAirportCount;

// The park airport's stands; main-loop thread only.
extern std::vector<StandRecord> parkStands;
// The airport list, read once per process.
void gf_readAirports();
// Generates the airport parking files of the add-on airports; true when some were found.
bool gf_scanAirports(bool automatic, const std::vector<std::string>& folders);
// Ends a parking edit of the park airport's file, saving it when it changed.
void gf_stopParking();
// Sets the flag when the line holds "Active" and "True" (as written, in capitals or in
// small letters); never clears it.
void lf_isActiveTrue(bool& flag, std::string_view line);

// The airport parking file in use forgotten: no identity, change counter 0 (traffic reset).
void gf_clearApfFile();

// What the placeholders of the airport data record and answer until it is built.
extern std::atomic<std::int32_t> pendingAirportListReads;
extern std::atomic<std::int32_t> pendingAirportScans;
extern std::atomic<bool> pendingAirportsFound;
extern std::atomic<std::int32_t> pendingParkingStops;
extern std::vector<std::string> pendingAirportScanFolders;
