// The liveries' reference data and lists: dbase.xml, fixes.xml, AIG-regcodes.xml, the
// my_regcodes text files and LiveriesScanned.xml, seeded by the reference file generator.
#include "fuzz/fuzz.h"

#include "foundation/exceptions.h"
#include "liveries/liverydata.h"
#include "liveries/referencedata.h"
#include "liveries/regcodes.h"
#include "refgen/refgen.h"

#include <cmath>
#include <filesystem>

namespace fuzz {
namespace {

namespace fs = std::filesystem;

const fs::path inputFolder{L"input"};

template <typename Write>
std::string lf_written(Write write)
{
    const fs::path file = fs::current_path() / L"seed.tmp";
    write(file);
    std::string bytes = gf_readFile(file.string());
    fs::remove(file);
    return bytes;
}

// The files of a consistent small world, read as the start-up reads them.
void lf_baseProgramFiles()
{
    const refgen::World world = refgen::baseWorld();
    refgen::writeProgramFiles(world, fs::current_path());
    gf_readAircraftData();
    gf_readFixes();
    lf_readLiveriesScanned();
    processScannedLiveries();
}

std::vector<std::string> lf_seeds(void (*write)(const refgen::World&, const fs::path&, refgen::Fault))
{
    std::vector<std::string> seeds;
    for (const refgen::World& world : {refgen::baseWorld(), refgen::scaledWorld(200, 24)})
        for (const refgen::Fault fault : {refgen::Fault::none, refgen::Fault::notXml, refgen::Fault::missingSection,
                                          refgen::Fault::emptySection, refgen::Fault::badCode})
            seeds.push_back(lf_written([&](const fs::path& file) { write(world, file, fault); }));
    return seeds;
}

// A user error is what the start-up shows for a file it cannot use.
template <typename Read>
Outcome lf_userErrorRefuses(Read read)
{
    try {
        read();
    } catch (const zeb::UserErrorException&) {
        return Outcome::refused;
    }
    return Outcome::accepted;
}

Outcome lf_runDbase(const std::string& input)
{
    gf_writeFile((inputFolder / L"dbase.xml").string(), input);
    // Whatever the file holds, the start-up shows a user error and the program stays open.
    const Outcome outcome = lf_userErrorRefuses(gf_readAircraftData);
    if (outcome == Outcome::refused)
        return outcome;
    gf_check(knownTypes.size() + dbRecords.size() + icaoAirlines.size() <= input.size(), "more codes than bytes");
    for (const auto& [type, span] : wingspans)
        gf_check(std::isfinite(span) && span >= 0, "the wingspan of " + type + " is " + std::to_string(span));
    for (const double span : classDefaultWingspans)
        gf_checkFinite(span, "a class wingspan");
    gf_checkFinite(maxHalfWingspan, "the largest wingspan");
    return outcome;
}

Outcome lf_runFixes(const std::string& input)
{
    gf_writeFile((inputFolder / L"fixes.xml").string(), input);
    const Outcome outcome = lf_userErrorRefuses(gf_readFixes);
    if (outcome == Outcome::refused)
        return outcome; // the fixes read before stay
    gf_check(modelFixes.size() + pvtFixes.size() + govFixes.size() <= input.size(), "more fixes than bytes");
    for (const auto& [wrong, correct] : modelFixes)
        gf_check(gf_isKnownAircraft(correct), "a fix to an unknown type " + correct);
    return outcome;
}

void lf_checkRegcodes(const std::string& input)
{
    gf_check(regcodeTitles.size() <= input.size() + 64, "more registration codes than bytes");
    for (const auto& [code, title] : regcodeTitles) {
        gf_check(!code.empty() && code.size() <= 12, "a registration code of " + std::to_string(code.size()) + " bytes");
        gf_check(!title.empty(), "a registration code without a title");
    }
}

Outcome lf_runAigRegcodes(const std::string& input)
{
    gf_writeFile(aigRegcodesPath.string(), input);
    lf_clearRegcodes();
    processOfflineRegcodes();
    dontUseTitles.clear();
    readDontUseTitlesXml();
    lf_checkRegcodes(input);
    return regcodeTitles.empty() && dontUseTitles.empty() ? Outcome::refused : Outcome::accepted;
}

const fs::path myRegcodesFile = myRegcodesFolder / L"fuzz.txt";

Outcome lf_runMyRegcodes(const std::string& input)
{
    gf_writeFile(myRegcodesFile.string(), input);
    lf_clearRegcodes();
    processOfflineRegcodes();
    dontUseTitles.clear();
    readDontUseTitlesTxt();
    lf_checkRegcodes(input);
    return regcodeTitles.empty() && dontUseTitles.empty() ? Outcome::refused : Outcome::accepted;
}

Outcome lf_runLiveriesScanned(const std::string& input)
{
    gf_writeFile(liveriesScannedPath.string(), input);
    const Outcome outcome = lf_userErrorRefuses(lf_readLiveriesScanned);
    gf_check(scannedLiveries.size() * 6 <= input.size(), "more liveries than the file could hold");
    for (const LiveryData& livery : scannedLiveries)
        gf_check(livery.priority == 0, "a livery read from the file with a folder priority");
    return outcome == Outcome::accepted && !scannedLiveries.empty() ? outcome : Outcome::refused;
}

} // namespace

std::vector<Target> gf_liveriesTargets()
{
    std::vector<Target> targets;
    targets.push_back({"dbase", "dbase.xml", [] { return lf_seeds(refgen::writeDbase); }, lf_baseProgramFiles,
                       lf_runDbase, 1 << 17});
    targets.push_back({"fixes", "fixes.xml", [] { return lf_seeds(refgen::writeFixes); }, lf_baseProgramFiles,
                       lf_runFixes, 1 << 16});
    targets.push_back({"aig_regcodes", "AIG-regcodes.xml", [] { return lf_seeds(refgen::writeAigRegcodes); },
                       [] {
                           lf_baseProgramFiles();
                           fs::remove_all(myRegcodesFolder);
                           fs::create_directories(myRegcodesFolder);
                       },
                       lf_runAigRegcodes, 1 << 16});
    targets.push_back({"my_regcodes", "my_regcodes text files",
                       [] {
                           std::vector<std::string> seeds;
                           for (const auto& [name, lines] : refgen::baseWorld().myRegcodes)
                               for (const refgen::Encoding encoding :
                                    {refgen::Encoding::utf8, refgen::Encoding::utf8Bom, refgen::Encoding::utf16le})
                                   seeds.push_back(lf_written([&](const fs::path& file) {
                                       refgen::writeTextLines(file, lines, encoding);
                                   }));
                           return seeds;
                       },
                       [] {
                           lf_baseProgramFiles();
                           fs::remove(aigRegcodesPath);
                           fs::remove_all(myRegcodesFolder);
                           fs::create_directories(myRegcodesFolder);
                       },
                       lf_runMyRegcodes, 1 << 16});
    targets.push_back({"liveries_xml", "LiveriesScanned.xml",
                       [] {
                           std::vector<std::string> seeds;
                           for (const refgen::World& world : {refgen::baseWorld(), refgen::scaledWorld(300, 7)})
                               for (const refgen::Fault fault : {refgen::Fault::none, refgen::Fault::notXml,
                                                                 refgen::Fault::missingSection, refgen::Fault::emptySection})
                                   seeds.push_back(lf_written([&](const fs::path& file) {
                                       refgen::writeLiveriesScanned(world.liveries, file, fault);
                                   }));
                           return seeds;
                       },
                       lf_baseProgramFiles, lf_runLiveriesScanned, 1 << 17});
    return targets;
}

} // namespace fuzz
