#pragma once
// What the rest of the program uses of the liveries: reference data, scan and matching.
#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct AircraftProfile;
struct Act;

// Publishers of the reference data: each row the publisher's name, then the names
// under which its sceneries appear.
extern std::vector<std::vector<std::string>> PublisherTable;

// One registration record of the reference data.
struct DbRecord {
    std::string airl; // airline code, empty when not given
    std::string type; // ICAO type code, empty when not given
    std::string opr;  // operating airline, empty when not given
    bool cargo = false;
};

// Size class of a type: 0 Light, 1 Buzjets, 2 Large, 3 Heavy, 4 HighPerf, 5 Rotorcraft.
int gf_sizeCategory(const std::string& type);
// Half the type's wingspan in nautical miles.
double gf_wingspan(const std::string& type);
// The largest value of the wingspan table, in the unit of gf_wingspan.
extern double largestWingspan;
// The registration itself, then (for 5 or more characters, not "N...", no "-") with
// "-" after its second and then after its first character.
std::vector<std::string> gf_regcodeVariants(const std::string& registration);
// True when the registration data holds this spelling; the record is copied into `record`.
bool lf_findDbRecord(const std::string& variant, std::optional<DbRecord>& record);

// Stand-in answers until the reference data are read; tests fill them.
namespace pendingLiveries {
extern std::map<std::string, int> sizeClasses;   // absent: 0
extern std::map<std::string, double> wingspans;  // absent: 0.0
extern std::unordered_map<std::string, DbRecord> dbRecords;
extern std::string_view liveryTitle;            // what matchLiveryLive chooses; empty: none
extern std::set<std::string, std::less<>> failedTitles;
} // namespace pendingLiveries

// The publisher of an archive entry: the first field of the first row of PublisherTable
// with a field found in the text; "unknown" when none is.
std::string gf_publisherOf(const std::string& text);

// A text that codes today's date (the same text all day); the start-up's daily gate.
std::string gf_dateCode();
// The aircraft and airline reference data of "input/dbase.xml", and the code fixes.
void gf_readAircraftData();
void gf_readFixes();
// Scans the liveries (or, with scan false, reads the earlier result) and builds the
// livery indexes; true when liveries were found.
bool gf_scanLiveries(bool scan, bool automatic, bool prioritize, const std::vector<std::string>& folders);
// The identity texts of live flights for which no livery matched.
extern std::set<std::string> noMatchSet;
void gf_logNoMatches();
void logMatchingSummary();

// Whether the reference data lists the type among its aircraft.
bool gf_isKnownAircraft(const std::string& type);
// The type of the registration data for the registration's first spelling that hits; empty when none.
std::string gf_dbTypeOfReg(const std::string& registration);
// Chooses a livery for a live flight and stores its title in the record (empty when none).
void matchLiveryLive(Act& act);
// The simulator refused to create the record's livery: logged, and the title is never chosen
// again; raises UserErrorException 81 once 20 titles failed.
void gf_liveryNotCreated(const AircraftProfile& head);
// Whether the title is among those the simulator refused.
bool gf_isFailedLivery(std::string_view title);
// Empties the per-step match counters (traffic reset).
void gf_resetMatchState();

// What the placeholders of the liveries record and answer until they are built.
extern std::atomic<std::int32_t> pendingAircraftDataReads;
extern std::atomic<std::int32_t> pendingFixesReads;
extern std::atomic<std::int32_t> pendingLiveryScans;
extern std::atomic<bool> pendingLastScanWasScan;
extern std::atomic<bool> pendingLiveriesFound;
extern std::vector<std::string> pendingScanFolders;
extern std::string pendingDateCode; // not empty: gf_dateCode answers it
