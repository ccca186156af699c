#pragma once
// What the rest of the program uses of the airport data: the airport list, the airport
// parking files and the park airport's stands.
#include "foundation/weekslots.h"

#include <atomic>
#include <bitset>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pugi {
class xml_node;
}

// One airport of the airport list.
struct Airport {
    std::string code; // ICAO code as in the list
    std::string iata; // empty when none
    double lat = 0.0; // degrees
    double lon = 0.0;
    double alt = 0.0; // feet
};

// The airport list, sorted by code; written by the start-up thread, then only read.
extern std::vector<Airport> airportList;
// Reads input\airports_p3d.xml once per process; UserErrorException 88 (87 for a query
// error) when it cannot.
void gf_readAirports();
// Forgets the list, so that the next gf_readAirports reads the file anew (tests).
void gf_forgetAirportList();
std::optional<Airport> gf_findAirport(const std::string& code);
// The airport at which an aircraft at this position stands: the closest within 5 nm;
// when a second one lies within 5 nm, the one with the closer stand.
std::optional<Airport> gf_closestAirport(double latitude, double longitude);
// "EHAM (AMS)", "EHAM", or "?" for an empty code.
std::string gf_airportDisplayName(const Airport& airport);

// One airline/type (or registration) seen at a stand on one weekday, with its half hours.
struct StandOption {
    std::string airl;
    std::string type;
    std::string reg;         // empty when none
    std::string callsign;    // first callsign seen, no trailing "_"
    std::string secondCall;  // the last other callsign seen
    std::bitset<48> hh;      // bit h: the option holds in half hour h (UTC)
    std::int32_t seq = 0;    // 1-based within the stand
    std::int32_t day = 0;    // weekday 1..7 (Monday..Sunday); 0 when the file gives none
    std::uint8_t mark = 0;   // 1: learned (from a learned file or while running)
    bool soft = false;
    bool fake = false;       // made up to fill the stand: never saved, never weighed
    // Run time only: the stand search found the option's aircraft in use, so no placing
    // takes it until the next renewal; learning and saving keep it as it is.
    bool rejected = false;
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

// One airport parking file in memory.
struct ApfFile {
    std::string identifier; // the airport code
    std::string airport_name;
    std::string BGLpath;    // the scenery file the stands came from
    std::string publisher;  // "unknown" when the scenery names none
    std::int32_t RT_traffic_week = 0;
    std::int32_t Qf_real = 0;
    std::int32_t Qf_soft = 0;
    std::int32_t altitude = 0; // feet
    std::vector<StandRecord> stands;
};

// The folders of the airport parking files, relative to the program folder.
namespace apfFolders {
inline const std::filesystem::path airports{L"airports"};
inline const std::filesystem::path archive = airports / L"archive";
inline const std::filesystem::path archiveStock = archive / L"stock";
inline const std::filesystem::path myOrbx = airports / L"my_ORBX";
inline const std::filesystem::path myThirdparty = airports / L"my_thirdparty";
inline const std::filesystem::path learned = airports / L"learned";
} // namespace apfFolders

// CODE.xml and CODE.txt.
std::filesystem::path lf_apfFileNameXml(const std::string& code);
std::filesystem::path lf_apfFileNameTxt(const std::string& code);
// Same day, soft flag, registration, airline and type, and a half hour in common.
bool lf_optionMatches(const StandOption& reference, const StandOption& candidate);
// False for a position at or beside 0/0 (never set).
bool gf_positionIsSet(double latitude, double longitude);
// The value of /parameters/parameter[@name=NAME]: absent without such an element; false,
// 0 or "" for an element without "value".
// T is bool, std::int32_t or std::string.
template <typename T>
std::optional<T> gf_readValueAttr(const pugi::xml_node& document, const std::string& name);
// The "publisher" parameter of a parking file; empty when none or not loadable.
std::string gf_readPublisher(const std::filesystem::path& path);

// Writes the file; the learned form holds the program's parking settings and only what
// learning changed, with the stands' options. The file is replaced in one step.
bool gf_writeParkPositions(const ApfFile& file, const std::filesystem::path& path, bool learned,
                           bool handmade = false);
// The file's text as gf_writeParkPositions writes it; nothing when it cannot be built.
std::optional<std::string> gf_parkPositionsText(const ApfFile& file, bool learned, bool handmade);
// Appends the stands of the document's "parkpositions"; UserErrorException 94 for an id
// that comes twice.
void lf_readParkPositions(const pugi::xml_node& document, std::vector<StandRecord>& stands);

// The airport's parking file (links not followed) exists.
bool gf_findApfFile(const std::string& code);
// The airport's parking file, following links; empty when none.
std::filesystem::path gf_resolveApfPath(const std::string& code);
// Loads the park airport's parking file with its learned file into parkStands; empty on
// success, else the message to show. UserErrorException 65 and 94 reach the caller.
std::string gf_readApf(const std::filesystem::path& path, std::pair<std::int32_t, std::int32_t>& quality);
// Where the learning of a loaded parking file is read and saved.
std::filesystem::path lf_apfFolder(const std::filesystem::path& path, const std::string& publisher);

// Single facts of an airport's parking file, each read anew; the park airport is untouched.
bool gf_readApfForGateCheck(const std::string& code, const std::string& standId);
// Distance (nm) to the airport's stand nearest to the position, whose id goes to standId;
// 100.0 (standId untouched) when there is none.
double gf_readDestApfForClosestStand(const std::string& code, double latitude, double longitude,
                                     std::string& standId);
std::int32_t gf_readNumParkPos(const std::filesystem::path& path);
// The archived stock file carries a quality factor.
bool gf_readQualityFactors(const std::string& code);
// Qf_real and Qf_soft of the stands (0..100), or (-1, -1) when no stand has an option.
std::pair<std::int32_t, std::int32_t> lf_weighStands(const std::vector<StandRecord>& stands);

// The park airport's stands; main-loop thread only.
extern std::vector<StandRecord> parkStands;
// Numbers the stands 1, 2, ... and makes neighbours of stands whose radii reach past 1.1
// times their distance.
void gf_numberAndLinkStands(std::vector<StandRecord>& stands);
// What the park airport's parking file set; main-loop thread only.
struct ParkFile {
    std::string airportName;
    std::string publisher;
    std::int32_t altitude = 0; // feet
    std::int32_t trafficWeek = 0;
    std::filesystem::path path; // the file loaded; empty while no parking edit runs
    bool handmade = false;      // the stands come from a hand-made learned file
};
extern ParkFile parkFile;
// Static parking is active at the park airport (its parking file is loaded and may be
// saved). The changes flag is the main window's airportSettingsChanged.
extern std::atomic<bool> staticParkingActive;
// Learned stand updates since the load: new or widened options, radius and cargo changes.
extern std::atomic<std::int32_t> apfEditCount;

// Ends the parking edit, saving the learned file when something changed; never throws.
void gf_stopParking();
// Saves the park airport's learned file; failures are shown, never thrown.
void gf_saveAirportFile();

// Airports that the last airport scan put into the TO_BE_LEARNED_OFFLINE folder.
extern std::atomic<std::int32_t> tbloAirportCount;
// Generates the airport parking files of the add-on airports; true when some were found.
bool gf_scanAirports(bool automatic, const std::vector<std::string>& folders);
// Sets the flag when the line holds "Active" and "True" (as written, in capitals or in
// small letters); never clears it.
void lf_isActiveTrue(bool& flag, std::string_view line);
