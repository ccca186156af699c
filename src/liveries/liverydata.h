#pragma once
// Scanned liveries: the record, its order, the list of one scan and output\LiveriesScanned.xml.
#include <cstdint>
#include <filesystem>
#include <list>
#include <string>

struct LiveryData {
    std::string airl;  // ICAO airline code, "PVT", or the generic "ZZZ"
    std::string type;  // ICAO type code
    std::string title; // the simulator object's title
    std::string atcid; // the registration; may be empty
    std::int32_t priority = 0; // folder priority 1..10 (lower wins); 0 when read from the file
    bool cargo = false;
};

// Equal texts (byte for byte) and cargo flag; the priority does not count.
bool lf_liveryEquals(const LiveryData& a, const LiveryData& b);
// By airline, type, registration, title and cargo flag, each ascending.
bool lf_lessByNames(const LiveryData& a, const LiveryData& b);

// The liveries of the scan (start-up thread only), sorted by lf_lessByNames once complete.
extern std::list<LiveryData> scannedLiveries;
extern const std::filesystem::path liveriesScannedPath; // output\LiveriesScanned.xml

namespace pugi {
class xml_node;
}
// Marks the <liveries> element with the way the scan reads titles now.
void gf_markTitleReading(pugi::xml_node liveries);

// Saves scannedLiveries; an empty list leaves the file as it is.
void lf_writeLiveriesScanned();
// Why the last save of the scan result failed (the old result is left in place); empty when
// it was saved.
std::string gf_scanResultNotSaved();
// Replaces scannedLiveries with the file's records; UserErrorException 51 (not loaded),
// 52 (no <liveries>) or 53 (no liveries).
void lf_readLiveriesScanned();
