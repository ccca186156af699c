// The generator's file writers. The codes are scrambled here with encoders written as the
// inverses of the program's unscrambling rules, so a mistake on either side shows.
#include "refgen/refgen.h"

#include "foundation/winstring.h"
#include "liveries/scramblekeys.h"
#include "liveries/scrambling.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <tuple>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace scrambleKeys;

namespace refgen {
namespace {
constexpr std::size_t itemsPerElement = 8; // long lists spread over several elements

template <std::size_t N>
std::string lf_place(const std::string& plain, const std::array<std::size_t, N>& positions,
                     const std::array<int, N>& offsets, std::size_t storedLength)
{
    // Filler characters of the alphabet where no plain character goes.
    std::string stored(storedLength, 'Q');
    for (std::size_t i = 0; i < storedLength; ++i)
        stored[i] = wrap(alphabetFirst + static_cast<int>((i * 17 + plain.size() * 5) % alphabetSize));
    for (std::size_t i = 0; i < N; ++i)
        stored[positions[i]] = wrap(static_cast<unsigned char>(plain[i]) - offsets[i]);
    return stored;
}

void lf_save(const pugi::xml_document& document, const fs::path& file, Fault fault)
{
    fs::create_directories(file.parent_path());
    if (!document.save_file(file.c_str(), "\t", pugi::format_default, pugi::encoding_utf8))
        throw std::runtime_error("cannot write " + gf_pathText(file));
    if (fault == Fault::notXml)
        fs::resize_file(file, fs::file_size(file) / 2);
}

// Section elements with the codes as comma lists, a few codes per element.
void lf_appendList(pugi::xml_node root, const char* section, const char* element, const char* attribute,
                   const std::vector<std::string>& codes)
{
    pugi::xml_node node = root.append_child(section);
    for (std::size_t first = 0; first < codes.size() || first == 0; first += itemsPerElement) {
        std::string text;
        for (std::size_t i = first; i < codes.size() && i < first + itemsPerElement; ++i)
            text += (text.empty() ? "" : ", ") + codes[i];
        node.append_child(element).append_attribute(attribute) = text.c_str();
        if (codes.empty())
            break;
    }
}

std::vector<std::string> lf_types(const World& world, auto&& select)
{
    std::vector<std::string> codes;
    for (const TypeSpec& type : world.types)
        if (select(type))
            codes.push_back(encryptType(type.code));
    return codes;
}

std::vector<std::string> lf_airlines(const std::vector<std::string>& plain)
{
    std::vector<std::string> codes;
    for (const std::string& code : plain)
        codes.push_back(encryptAirline(code));
    return codes;
}

void lf_appendMeta(pugi::xml_node root)
{
    pugi::xml_node meta = root.append_child("meta");
    for (const auto& [name, value] : {std::pair{"author", "Tarnwick_P3D"}, std::pair{"version", "9.3.0"},
                                      std::pair{"date", "Jan  5, 2024"}, std::pair{"copyright", ""}}) {
        pugi::xml_node info = meta.append_child("info");
        info.append_attribute("name") = name;
        info.append_attribute("value") = value;
    }
}
} // namespace

std::string encryptAirline(const std::string& plain)
{
    if (plain.size() != 3)
        throw std::invalid_argument("an airline code has three characters: " + plain);
    return lf_place(plain, airlinePositions, airlineOffsets, storedAirlineLength);
}

std::string encryptType(const std::string& plain)
{
    if (plain.size() == 3)
        return lf_place(plain, type3Positions, type3Offsets, 3);
    if (plain.size() == 4)
        return lf_place(plain, type4Positions, type4Offsets, 4);
    if (plain.size() == 2)
        return lf_place(plain, type2Positions, type2Offsets, 2);
    throw std::invalid_argument("a type code has two to four characters: " + plain);
}

void writeDbase(const World& world, const fs::path& file, Fault fault)
{
    pugi::xml_document document;
    lf_appendMeta(document);
    lf_appendList(document, "aircrafts", "aircraft", "types", lf_types(world, [](auto&) { return true; }));
    const std::pair<const char*, const char*> classSections[] = {{"buzjet", "bzj"}, {"large", "lar"}, {"heavy", "hvy"},
                                                                 {"high_performance", "hpf"}, {"rotorcraft", "rot"}};
    for (int c = 1; c <= 5; ++c) {
        std::vector<std::string> codes = lf_types(world, [c](const TypeSpec& t) { return t.sizeClass == c; });
        if (fault == Fault::emptySection && c == 5)
            codes.clear();
        lf_appendList(document, classSections[c - 1].first, classSections[c - 1].second, "types", codes);
    }
    lf_appendList(document, "cargo_types", "cargo_type", "types", lf_types(world, [](auto& t) { return t.cargoType; }));
    pugi::xml_node similar = document.append_child("similar_types");
    for (const std::vector<std::string>& group : world.similarGroups) {
        std::string text;
        for (const std::string& type : group)
            text += (text.empty() ? "" : ",") + encryptType(type);
        similar.append_child("similar").append_attribute("types") = text.c_str();
    }
    std::vector<std::string> airlines = lf_airlines(world.airlines);
    if (fault == Fault::badCode)
        airlines.push_back("ABCDE");
    lf_appendList(document, "ICAO_airlines", "ICAO", "codes", airlines);
    if (fault != Fault::missingSection)
        lf_appendList(document, "cargo_operators", "ICAO", "codes", lf_airlines(world.cargoOperators));
    pugi::xml_node publishers = document.append_child("publishers");
    for (const std::string& names : world.publishers)
        publishers.append_child("pub").append_attribute("names") = names.c_str();
    pugi::xml_node spans = document.append_child("wingspans");
    for (const TypeSpec& type : world.types)
        if (type.wingspanMetres > 0) {
            pugi::xml_node span = spans.append_child("wingspan");
            span.append_attribute("type") = encryptType(type.code).c_str();
            span.append_attribute("meters") = fmt::format("{:.2f}", type.wingspanMetres).c_str();
        }
    pugi::xml_node dbase = document.append_child("dbase");
    for (const Registration& r : world.registrations) {
        pugi::xml_node db = dbase.append_child("db");
        db.append_attribute("reg") = gf_encryptRegcode(r.reg).c_str();
        db.append_attribute("airl") = (r.airl.empty() ? "" : encryptAirline(r.airl)).c_str();
        db.append_attribute("type") = (r.type.empty() ? "" : encryptType(r.type)).c_str();
        db.append_attribute("opr") = (r.opr.empty() ? "" : encryptAirline(r.opr)).c_str();
        if (r.cargo)
            db.append_attribute("cargo") = "yes";
    }
    lf_save(document, file, fault);
}

void writeFixes(const World& world, const fs::path& file, Fault fault)
{
    pugi::xml_document document;
    pugi::xml_node fixes = document.append_child("fixes");
    for (const auto& [wrong, correct] : world.modelFixes) {
        pugi::xml_node fix = fixes.append_child("fix");
        fix.append_attribute("wrong") = wrong.c_str();
        fix.append_attribute("correct") = correct.c_str();
    }
    for (const auto& [section, codes] : {std::pair{"PVT_fixes", &world.pvtFixes}, std::pair{"GOV_fixes", &world.govFixes}}) {
        pugi::xml_node node = document.append_child(section);
        for (const std::string& code : *codes)
            node.append_child("fix").append_attribute("wrong") = code.c_str();
    }
    lf_save(document, file, fault);
}

void writeAigRegcodes(const World& world, const fs::path& file, Fault fault)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("AIG-regcodes");
    for (const AigEntry& entry : world.aig) {
        pugi::xml_node livery = root.append_child("livery");
        livery.append_attribute("title") = entry.title.c_str();
        std::string regs;
        for (const std::string& reg : entry.regs)
            regs += (regs.empty() ? "" : ", ") + gf_encryptRegcode(reg);
        livery.append_attribute("reg") = regs.c_str();
        if (entry.special)
            livery.append_attribute("special") = "true";
    }
    lf_save(document, file, fault);
}

void writeLiveriesScanned(const std::vector<LiveryData>& liveries, const fs::path& file, Fault fault)
{
    pugi::xml_document document;
    lf_appendMeta(document);
    // In the order the program writes: by airline, type, registration and title.
    std::vector<LiveryData> sorted = fault == Fault::emptySection ? std::vector<LiveryData>{} : liveries;
    std::ranges::sort(sorted, {}, [](const LiveryData& l) { return std::tie(l.airl, l.type, l.atcid, l.title, l.cargo); });
    if (fault != Fault::missingSection) {
        pugi::xml_node root = document.append_child("liveries");
        gf_markTitleReading(root);
        for (const LiveryData& livery : sorted) {
            pugi::xml_node liv = root.append_child("liv");
            liv.append_attribute("airl") = livery.airl.c_str();
            liv.append_attribute("type") = livery.type.c_str();
            if (livery.cargo)
                liv.append_attribute("cargo") = "true";
            liv.append_attribute("title") = livery.title.c_str();
            liv.append_attribute("atcid") = livery.atcid.c_str();
        }
    }
    lf_save(document, file, fault);
}

void writeTextLines(const fs::path& file, const std::vector<std::string>& lines, Encoding encoding)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (encoding == Encoding::utf16le) {
        out << "\xFF\xFE";
        for (const std::string& line : lines)
            for (const wchar_t unit : gf_utf8ToUtf16(line + "\r\n"))
                out << static_cast<char>(unit & 0xFF) << static_cast<char>((unit >> 8) & 0xFF);
    } else {
        if (encoding == Encoding::utf8Bom)
            out << "\xEF\xBB\xBF";
        for (const std::string& line : lines)
            out << line << "\r\n";
    }
    if (!out)
        throw std::runtime_error("cannot write " + gf_pathText(file));
}

void writeReferenceFiles(const World& world, const fs::path& inputFolder)
{
    writeDbase(world, inputFolder / L"dbase.xml");
    writeFixes(world, inputFolder / L"fixes.xml");
}

void writeProgramFiles(const World& world, const fs::path& programFolder)
{
    const fs::path input = programFolder / L"input";
    writeReferenceFiles(world, input);
    writeAigRegcodes(world, input / L"AIG-regcodes.xml");
    for (const auto& [name, lines] : world.myRegcodes)
        writeTextLines(input / L"my_regcodes" / gf_utf8ToUtf16(name), lines,
                       name.ends_with("16.txt")    ? Encoding::utf16le
                       : name.ends_with("bom.txt") ? Encoding::utf8Bom
                                                   : Encoding::utf8);
    writeLiveriesScanned(world.liveries, programFolder / L"output" / L"LiveriesScanned.xml");
}

} // namespace refgen
