#pragma once
// What the rest of the program uses of the liveries: reference data, scan and matching.
#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

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
// livery indexes; true, also when an exit ended the scan; UserErrorException 51 to 53
// when there are none. Discovery appends the add-on package folders to `folders`.
bool gf_scanLiveries(bool scan, bool discover, bool removeDuplicates, std::vector<std::string>& folders);
// The identity texts of live flights for which no livery matched.
extern std::set<std::string> noMatchSet;
void gf_logNoMatches();
void logMatchingSummary();

// What the placeholders of the liveries record and answer until they are built.
extern std::atomic<std::int32_t> pendingAircraftDataReads;
extern std::atomic<std::int32_t> pendingFixesReads;
extern std::string pendingDateCode; // not empty: gf_dateCode answers it
