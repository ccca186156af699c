#pragma once
// What the rest of the program uses of the liveries: reference data, scan and matching.
#include "foundation/aircraftprofile.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Publishers of the reference data: each group the publisher's name, then the names
// under which its sceneries appear.
extern std::vector<std::vector<std::string>> publisherGroups;

// One registration record of the reference data.
struct DbRecord {
    std::string airl; // airline code, empty when not given
    std::string type; // ICAO type code, empty when not given
    std::string opr;  // operating airline, empty when not given
    bool cargo = false;
};

// Size class of a type: 0 Light, 1 Buzjets, 2 Large, 3 Heavy, 4 HighPerf, 5 Rotorcraft.
int gf_sizeCategory(const std::string& type);
// Half the type's wingspan in nautical miles; the mean of its size class when not listed.
double gf_wingspan(const std::string& type);
// The largest half wingspan of the reference data, in the unit of gf_wingspan.
extern double maxHalfWingspan;
// Whether the reference data list the type among their aircraft.
bool gf_isKnownAircraft(const std::string& type);
// The registration itself, then (for 5 or more characters, not "N...", no "-") with
// "-" after its second and then after its first character.
std::vector<std::string> gf_regcodeVariants(const std::string& registration);
// True when the registration data holds this spelling; the record is copied into `record`.
bool lf_findDbRecord(const std::string& variant, std::optional<DbRecord>& record);
// The type of the registration's record (first spelling found), or empty.
std::string gf_dbTypeOfReg(const std::string& registration);

// The publisher of an archive entry: the first name of the first publisher group with a
// name found in the text; "unknown" when none is.
std::string gf_publisherOf(const std::string& text);

// A text that codes today's date (UTC; the same text all day); the start-up's daily gate.
std::string gf_dateCode();
// The aircraft and airline reference data of "input\dbase.xml", and the code fixes of
// "input\fixes.xml"; UserErrorException when a file cannot be used.
void gf_readAircraftData();
void gf_readFixes();
// Reads a dbase.xml whole as gf_readAircraftData does, into tables of its own, and changes
// no reference data; throws what that reading throws when the start-up could not use it.
void gf_checkAircraftData(const std::filesystem::path& file);
// The livery entries of an AIG-regcodes.xml (titles with their registrations, or none for a
// title not to use), as the registration-code reading takes them; 0 for a file that cannot
// be loaded or is no such list.
std::size_t gf_countAigLiveries(const std::filesystem::path& file);
// True when output\LiveriesScanned.xml holds a title beyond ASCII read otherwise than a scan
// reads it now: by an earlier program, or in another ANSI code page. The simulator would refuse
// it. A result read otherwise whose titles are all ASCII is right as it stands: it gets the mark
// of the present reading.
bool gf_scanResultReadOtherwise();
// Scans the liveries (or, with scan false, reads the earlier result) and builds the
// livery indexes; true, also when an exit ended the scan; UserErrorException 51 to 53
// when there are none. Discovery appends the add-on package folders to `folders`.
bool gf_scanLiveries(bool scan, bool discover, bool removeDuplicates, std::vector<std::string>& folders);
// The livery indexes of the scanned liveries (in scannedLiveries), the registration codes
// and the similar models; start-up thread, before traffic.
void processScannedLiveries();

struct Act;
struct StaticAct;
struct StandRecord;
// The livery of a live flight (its title stays empty when none matches); the step that
// found it is counted.
void matchLiveryLive(Act& act);
// The livery of a static parked aircraft on this stand; true when it has one.
bool matchLiveryParked(StaticAct& act, const StandRecord& stand);
// The simulator refused the aircraft: its livery is not given again. The 20th refusal
// throws UserErrorException 81.
void gf_liveryNotCreated(const ActHead& head);
// The identity texts of live flights for which no livery matched.
extern std::set<std::string> noMatchSet;
void gf_logNoMatches();
void logMatchingSummary();
// The traffic reset: the step counters and noMatchSet empty; refused titles stay refused.
void gf_resetMatchingState();

