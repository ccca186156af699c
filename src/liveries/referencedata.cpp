// input\dbase.xml: known types and their size classes, similar types, airlines, cargo
// operators, publishers, wingspans and registration records. Codes are stored scrambled.
#include "liveries/referencedata.h"

#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/numbertext.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "liveries/scrambling.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <new>

namespace fs = std::filesystem;

std::set<std::string> knownTypes;
std::set<std::string> heavyTypes;
std::set<std::string> largeTypes;
std::set<std::string> buzjetTypes;
std::set<std::string> highPerformanceTypes;
std::set<std::string> rotorcraftTypes;
std::set<std::string> cargoTypes;
std::set<std::string> icaoAirlines;
std::set<std::string> cargoOperators;
std::vector<std::vector<std::string>> similarGroups;
std::vector<std::vector<std::string>> publisherGroups;
std::map<std::string, double> wingspans;
double maxHalfWingspan = 0.0;
std::array<double, 6> classDefaultWingspans{};
std::unordered_map<std::string, DbRecord> dbRecords;

namespace {
constexpr double nmPerMetre = 0.0005399568034557236;

// Where one reading of a dbase.xml goes: the tables of the start-up, or those of a check that
// throws them away and logs nothing of the entries it skips.
struct ReferenceTables {
    std::set<std::string>& known;
    std::set<std::string>& highPerformance;
    std::set<std::string>& heavy;
    std::set<std::string>& large;
    std::set<std::string>& buzjet;
    std::set<std::string>& rotorcraft;
    std::set<std::string>& cargo;
    std::set<std::string>& airlines;
    std::set<std::string>& operators;
    std::vector<std::vector<std::string>>& similar;
    std::vector<std::vector<std::string>>& publishers;
    std::map<std::string, double>& wingspans;
    double& maxHalfWingspan;
    std::unordered_map<std::string, DbRecord>& records;
    bool logSkips;
};

void lf_note(const ReferenceTables& tables, const std::string& skipped)
{
    if (tables.logSkips)
        gf_logMarked(skipped);
}

void lf_clearReferenceData()
{
    for (std::set<std::string>* set : {&knownTypes, &heavyTypes, &largeTypes, &buzjetTypes, &highPerformanceTypes,
                                       &rotorcraftTypes, &cargoTypes, &icaoAirlines, &cargoOperators})
        set->clear();
    similarGroups.clear();
    publisherGroups.clear();
    wingspans.clear();
    maxHalfWingspan = 0.0;
    classDefaultWingspans.fill(0.0);
    dbRecords.clear();
}

std::string lf_readTypeAttribute(const pugi::xml_node& node, const char* name)
{
    const std::string text = gf_attributeText(node, name);
    return text.empty() ? text : gf_decryptType(text);
}

void lf_readSimilarTypes(const pugi::xml_node& document, std::vector<std::vector<std::string>>& groups)
{
    groups.reserve(64);
    for (const pugi::xml_node similar : document.child("similar_types").children("similar")) {
        std::vector<std::string> group = gf_splitComma(gf_attributeText(similar, "types"));
        for (std::string& type : group)
            type = gf_decryptType(type);
        std::ranges::sort(group);
        groups.push_back(std::move(group));
    }
    groups.shrink_to_fit();
}

void lf_readPublishers(const pugi::xml_node& document, const std::string& path,
                       std::vector<std::vector<std::string>>& groups)
{
    try {
        groups.reserve(640);
        std::vector<std::string> texts;
        for (const pugi::xml_node pub : document.child("publishers").children("pub"))
            texts.push_back(gf_attributeText(pub, "names"));
        std::ranges::sort(texts);
        texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
        gf_addSplitFields(texts, groups);
        groups.shrink_to_fit();
    } catch (const std::exception& e) {
        throw zeb::SysErrorException(299, fmt::format("exception {} in reading publishers from \"{}\"", e.what(), path));
    }
}

// True when at least one entry was taken.
bool lf_readWingspans(const pugi::xml_node& document, const std::string& path, const ReferenceTables& tables)
{
    bool accepted = false;
    try {
        for (const pugi::xml_node entry : document.child("wingspans").children("wingspan")) {
            const std::string type = lf_readTypeAttribute(entry, "type");
            if (!tables.known.contains(type)) {
                lf_note(tables, fmt::format("wingspan model {} is no valid model, skipped", type));
                continue;
            }
            const std::string meters = gf_attributeText(entry, "meters");
            char* end = nullptr;
            const double half = gf_strtod(meters.c_str(), &end) * 0.5 * nmPerMetre;
            // "nan", "inf", negative spans and texts that are no number are no sizes: the type
            // keeps its class's mean.
            if (end == meters.c_str() || !(std::isfinite(half) && half >= 0)) {
                lf_note(tables, fmt::format("wingspan of model {} is no size, skipped", type));
                continue;
            }
            tables.wingspans.emplace(type, half);
            tables.maxHalfWingspan = std::max(tables.maxHalfWingspan, half);
            accepted = true;
        }
    } catch (const std::exception& e) {
        throw zeb::SysErrorException(288, fmt::format("exception {} in reading wingspans from \"{}\"", e.what(), path));
    }
    return accepted;
}

// The mean half wingspan of each size class; a class without entries keeps 0.0.
void lf_computeClassDefaults()
{
    std::array<double, 6> sums{};
    std::array<int, 6> counts{};
    for (const auto& [type, half] : wingspans) {
        const int c = gf_sizeCategory(type);
        sums[c] += half;
        ++counts[c];
    }
    for (std::size_t c = 0; c < sums.size(); ++c)
        classDefaultWingspans[c] = counts[c] > 0 ? sums[c] / counts[c] : 0.0;
}

void lf_readRegistrations(const pugi::xml_node& document, const ReferenceTables& tables)
{
    tables.records.clear();
    for (const pugi::xml_node db : document.child("dbase").children("db")) {
        std::string reg = gf_decryptRegcode(gf_attributeText(db, "reg"));
        DbRecord record{gf_decryptAirline(gf_attributeText(db, "airl")), lf_readTypeAttribute(db, "type"),
                        gf_decryptAirline(gf_attributeText(db, "opr")), gf_flagText(db.attribute("cargo").value())};
        if (!tables.records.emplace(reg, std::move(record)).second)
            lf_note(tables, fmt::format("regcode {} already exists", reg));
    }
}
} // namespace

bool gf_flagText(const char* text)
{
    switch (text ? text[0] : '\0') {
    case '1': case 't': case 'T': case 'y': case 'Y':
        return true;
    default:
        return false;
    }
}

std::string gf_attributeText(const pugi::xml_node& node, const char* name)
{
    return node ? node.attribute(name).value() : "";
}

void gf_readXmlSection(const pugi::xml_node& document, const char* section, const char* element,
                       const char* attribute, std::set<std::string>& set)
{
    for (const pugi::xml_node child : document.child(section).children(element))
        for (std::string& item : gf_splitComma(gf_attributeText(child, attribute)))
            set.insert(std::move(item));
    if (set.empty())
        throw zeb::UserErrorException(
            61, fmt::format("In an xml file section {} {} {} is empty ", section, element, attribute));
}

void gf_readTypeSection(const pugi::xml_node& document, const char* section, std::set<std::string>& set,
                        const char* element)
{
    std::set<std::string> stored;
    gf_readXmlSection(document, section, element, "types", stored);
    for (const std::string& type : stored)
        set.insert(gf_decryptType(type));
}

void gf_readAirlineSection(const pugi::xml_node& document, const char* section, std::set<std::string>& set)
{
    std::set<std::string> stored;
    gf_readXmlSection(document, section, "ICAO", "codes", stored);
    for (const std::string& code : stored)
        set.insert(gf_decryptAirline(code));
}

namespace {
void lf_loadDbase(const fs::path& file, pugi::xml_document& document)
{
    const pugi::xml_parse_result loaded = document.load_file(file.c_str());
    if (!loaded)
        throw zeb::UserErrorException(
            60, fmt::format("\"{}\" not read because of {}", gf_pathText(file), loaded.description()));
}

// Every section, as the start-up takes it; true when a wingspan was taken. UserErrorException
// 60 or 61 for a file without its data; a code that cannot be unscrambled, publishers or
// wingspans that cannot be read throw their own errors.
bool lf_readTables(const fs::path& file, const ReferenceTables& tables)
{
    const std::string path = gf_pathText(file);
    pugi::xml_document document;
    lf_loadDbase(file, document);
    gf_readTypeSection(document, "aircrafts", tables.known, "aircraft");
    gf_readTypeSection(document, "high_performance", tables.highPerformance, "hpf");
    gf_readTypeSection(document, "heavy", tables.heavy, "hvy");
    gf_readTypeSection(document, "large", tables.large, "lar");
    gf_readTypeSection(document, "buzjet", tables.buzjet, "bzj");
    gf_readTypeSection(document, "rotorcraft", tables.rotorcraft, "rot");
    gf_readTypeSection(document, "cargo_types", tables.cargo, "cargo_type");
    lf_readSimilarTypes(document, tables.similar);
    gf_readAirlineSection(document, "ICAO_airlines", tables.airlines);
    gf_readAirlineSection(document, "cargo_operators", tables.operators);
    lf_readPublishers(document, path, tables.publishers);
    const bool spans = lf_readWingspans(document, path, tables);
    lf_readRegistrations(document, tables);
    return spans;
}
} // namespace

void gf_checkAircraftData(const fs::path& file)
{
    std::array<std::set<std::string>, 9> sets;
    std::vector<std::vector<std::string>> similar, publishers;
    std::map<std::string, double> spans;
    double largestSpan = 0.0;
    std::unordered_map<std::string, DbRecord> records;
    lf_readTables(file, {sets[0], sets[1], sets[2], sets[3], sets[4], sets[5], sets[6], sets[7], sets[8], similar,
                         publishers, spans, largestSpan, records, false});
}

void gf_readAircraftData()
{
    const fs::path file = fs::path(L"input") / L"dbase.xml";
    lf_clearReferenceData();
    try {
        if (lf_readTables(file, {knownTypes, highPerformanceTypes, heavyTypes, largeTypes, buzjetTypes,
                                 rotorcraftTypes, cargoTypes, icaoAirlines, cargoOperators, similarGroups,
                                 publisherGroups, wingspans, maxHalfWingspan, dbRecords, true}))
            lf_computeClassDefaults();
    } catch (const zeb::UserErrorException&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        // A file that the start-up cannot use is the user's to replace (the next daily check
        // fetches it again), not a fault of the program.
        throw zeb::UserErrorException(60, fmt::format("\"{}\" not read because of {}", gf_pathText(file), e.what()));
    }
    gf_logf("{} dbase records from \"{}\" read", dbRecords.size(), gf_pathText(file));
}
