#pragma once
// The steps of reading, merging, filling and writing airport parking files, shared by the
// airport data's own files (and their tests).
#include "airports/airports.h"
#include "foundation/settings.h"

#include <pugixml.hpp>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// Reading.
std::pair<std::string, std::string> lf_readOptAirlType(const pugi::xml_node& opt);
// One "opt": callsigns, registration (airline and type from its reference record when
// there is one), soft, day and half hours; seq and mark left 0.
StandOption lf_readOption(const pugi::xml_node& opt);
// A number attribute of a parkpos; 0 when missing, std::invalid_argument when no number.
double lf_standNumber(const pugi::xml_node& parkpos, const char* name);
// Follows a CODE.txt link: its first line, cut after the last 'l', names an existing file.
bool lf_readApfLink(const std::filesystem::path& link, std::filesystem::path& target);

// Writing.
bool lf_writeApfParameters(pugi::xml_node document, const ApfFile& file, bool learned, bool handmade);
// The text into a file beside the path, which then replaces it; false when it could not be
// written, std::filesystem::filesystem_error when it could not replace it.
bool lf_writeFileText(const std::filesystem::path& path, const std::string& text);

// Learned files.
// Lays the learned file over the loaded stands; settings it holds change in memory.
// Never throws; a refused file is copied aside as CODE0.xml.
void lf_readLearned(const std::filesystem::path& path, const std::string& airportName,
                    std::vector<StandRecord>& stands, bool& handmade);
// True when the stand has the id; then takes the learned radius, cargo flag and options.
bool lf_applyStandChanges(const std::string& id, const pugi::xml_node& parkpos, StandRecord& stand);
// The parking settings of a learned file.
void lf_readLearnedSettings(const pugi::xml_node& document);
void lf_setClampedPercentage(IntParameter& setting, std::int64_t value);
// MAX_FIT from half hours, MAX_FIT_FL from it, and the log line.
void lf_logMaxFit(std::int32_t halfHours);
// The file with "0" before its extension (EGLL.xml: EGLL0.xml).
std::filesystem::path lf_asideName(const std::filesystem::path& path);

// Fake flights.
struct FakeContext {
    WeekSlot slot;
    std::int32_t number = 1; // of the next fake flight
    std::string region;      // its first character picks the gate table
};
// The rows of a small table of Japanese airlines whose type fits the stand.
std::vector<std::pair<std::string, std::string>> lf_fakeTypesFittingStand(const StandRecord& stand);
// One made-up option for the static week slot on every stand that some table type fits.
void lf_defaultStaticTypes(const std::string& region, std::vector<StandRecord>& stands);
void lf_makeFakeFlight(FakeContext& context, StandRecord& stand);

// Saving.
// Writes a learned file whose save failed earlier, if any; true when none is left.
bool lf_retryUnsavedParkFile();
