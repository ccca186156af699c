#pragma once
// AI aircraft packages of a world's liveries, laid out as real ones are: one aircraft.cfg
// or sim.cfg per type folder with many [fltsim.N] sections, model., texture. folders and
// .air files, in several text encodings, an IVAO_MTL package, and the simulator's
// add-ons.cfg, add-on.xml and simobjects.cfg that lead to them. The generator knows what a
// scan of the tree must give: the liveries, the report lines and the per-folder counts.
#include "refgen/refgen.h"

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace refgen {

struct TreeOptions {
    // Adds every refusal of the scan, code fixes, damaged files (no sections, empty,
    // binary, odd-length UTF-16, a 1 MB line), a non-ASCII folder, "airport" folders and a
    // title repeated in a later folder; each with the report lines it gives.
    bool errors = false;
    std::size_t sectionsPerFile = 24;
    // Where the simulator's files go; empty addOnsCfg: no discovery files, two manual folders.
    // Without the manual folder every livery lies in the discovered ones.
    bool manualFolder = true;
    std::filesystem::path addOnsCfg;
    std::filesystem::path simObjectsCfg;
    std::filesystem::path installFolder; // SimObjects\MyTraffic of simobjects.cfg lies here
};

struct PackageTree {
    std::vector<std::string> manualFolders;     // for the lfolder settings, in order
    std::vector<std::string> discoveredFolders; // what discovery appends, in order
    // Each scanned folder with the number of liveries its walk adds.
    std::vector<std::pair<std::string, std::size_t>> folderCounts;
    std::vector<LiveryData> liveries; // LiveriesScanned.xml: corrected, sorted, without repeats
    std::map<std::string, std::vector<std::string>> reports; // report file name -> lines, sorted
    std::vector<std::filesystem::path> configFiles; // the aircraft.cfg and sim.cfg files the scan reads
};

// How a configuration file is encoded: Windows-1252 or UTF-8 without a byte-order mark,
// UTF-8 with one, UTF-16 little- or big-endian with one.
enum class TextForm { ansi, utf8, utf8Bom, utf16le, utf16be };

// How one [fltsim.N] section is written; the model and texture folders it names are made.
struct SectionSpec {
    std::string title;   // empty: no title line
    std::string codes;   // atc_parking_codes; empty: no such line
    std::string types;   // atc_parking_types
    std::string atcid;   // the atc_id value as written; empty: none
    std::string model;   // empty: the folder "model"
    std::string texture; // empty: the folder "texture"
    std::string sim;     // empty: the file's, "<type>_sim"
    std::vector<std::string> extra; // further lines after the keys
};

// One configuration file of the type with these sections, and its .air file.
void writeConfigFile(const std::filesystem::path& folder, const std::string& type,
                     const std::vector<SectionSpec>& sections, const std::string& name = "aircraft.cfg",
                     TextForm form = TextForm::utf8);

// Needs the world's reference files in the program's input folder (writeProgramFiles or
// writeReferenceFiles plus AIG-regcodes.xml and my_regcodes), so that its codes, types,
// fixes and don't-use titles are known.
PackageTree writePackageTree(const World& world, const std::filesystem::path& root, const TreeOptions& options = {});

} // namespace refgen
