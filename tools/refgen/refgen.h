#pragma once
// Reference files that agree with each other, for tests, benchmarks and runs: dbase.xml,
// fixes.xml, AIG-regcodes.xml, my_regcodes text files and LiveriesScanned.xml, written from
// one set of types, airlines, registrations and liveries, and damaged on request.
#include "liveries/liverydata.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace refgen {

struct TypeSpec {
    std::string code;
    int sizeClass = 2;          // 0 Light .. 5 Rotorcraft
    double wingspanMetres = 0;  // 0: no wingspan entry
    bool cargoType = false;
};

struct Registration {
    std::string reg; // plain, as the data files mean it
    std::string airl;
    std::string type;
    std::string opr;
    bool cargo = false;
};

// One livery element of AIG-regcodes.xml; no registrations make it a don't-use entry.
struct AigEntry {
    std::string title;
    std::vector<std::string> regs; // plain
    bool special = false;
};

struct World {
    std::vector<TypeSpec> types;
    std::vector<std::vector<std::string>> similarGroups;
    std::vector<std::string> airlines; // ICAO airlines
    std::vector<std::string> cargoOperators;
    std::vector<std::string> publishers; // "names" texts: the name first, then the others
    std::vector<Registration> registrations;
    std::vector<std::pair<std::string, std::string>> modelFixes; // wrong, correct
    std::vector<std::string> pvtFixes;
    std::vector<std::string> govFixes;
    std::vector<LiveryData> liveries;
    std::vector<AigEntry> aig;
    std::map<std::string, std::vector<std::string>> myRegcodes; // file name -> lines
};

// A small hand-made world: every size class, similar groups, cargo operators, publishers,
// a few registrations, liveries and regcode entries.
World baseWorld();
// The base types with generated airlines, registrations and about `liveryCount` liveries.
World scaledWorld(std::size_t liveryCount, std::uint32_t seed);
// The scaled world that also knows the types and airlines of the traffic around Las Vegas, with
// liveries of each airline's types there.
World lasVegasWorld(std::size_t liveryCount, std::uint32_t seed);
// The same for the traffic around Los Angeles.
World losAngelesWorld(std::size_t liveryCount, std::uint32_t seed);

// How a written file is damaged.
enum class Fault {
    none,
    notXml,         // cut off in the middle of an element
    missingSection, // dbase.xml: no "cargo_operators"; LiveriesScanned.xml: no "liveries"
    emptySection,   // dbase.xml: "rotorcraft" without types; LiveriesScanned.xml: no "liv"
    badCode         // dbase.xml: an airline code of five characters
};
enum class Encoding { utf8, utf8Bom, utf16le };

// The stored forms of airline and type codes (registrations: gf_encryptRegcode).
std::string encryptAirline(const std::string& plain);
std::string encryptType(const std::string& plain);

void writeDbase(const World& world, const std::filesystem::path& file, Fault fault = Fault::none);
void writeFixes(const World& world, const std::filesystem::path& file, Fault fault = Fault::none);
void writeAigRegcodes(const World& world, const std::filesystem::path& file, Fault fault = Fault::none);
void writeLiveriesScanned(const std::vector<LiveryData>& liveries, const std::filesystem::path& file,
                          Fault fault = Fault::none);
void writeTextLines(const std::filesystem::path& file, const std::vector<std::string>& lines, Encoding encoding);

// input\dbase.xml, input\fixes.xml, input\AIG-regcodes.xml, input\my_regcodes\*.txt
// (UTF-16 LE with mark for names ending in "16.txt", UTF-8 with mark for "bom.txt", else
// UTF-8) and
// output\LiveriesScanned.xml below the program folder.
void writeProgramFiles(const World& world, const std::filesystem::path& programFolder);
// Only the reference files of the input folder that the start-up reads: dbase.xml, fixes.xml.
void writeReferenceFiles(const World& world, const std::filesystem::path& inputFolder);

} // namespace refgen
