#include "bglwriter/scenerytree.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace bglw {
namespace {
constexpr std::uint16_t fillerId = 0x00FE; // a record kind that airport readers pass over
constexpr std::uint32_t terrainSectionType = 0x65;

// Records of `bytes` in all, 64 KB each, to stand for the rest of a scenery file.
std::vector<Record> lf_fillerRecords(std::uint64_t bytes)
{
    std::vector<Record> records;
    const std::uint32_t recordBytes = 65536;
    for (std::uint64_t written = 0; written + recordBytes <= bytes; written += recordBytes)
        records.push_back(Raw{.id = fillerId, .size = recordBytes, .body = std::vector<std::uint32_t>(recordBytes / 4 - 2, 0x5A5A5A5Au)});
    return records;
}

std::string lf_code(int index)
{
    std::string code = "Z";
    for (int div = 26 * 26; div >= 1; div /= 26)
        code += static_cast<char>('A' + index / div % 26);
    return code;
}
} // namespace

Airport gf_sampleAirport(const std::string& ident, const std::string& name, double latitude, double longitude,
                         int stands, int helipads)
{
    Airport airport{.ident = ident, .altitudeMillimetres = -3353};
    airport.subrecords.push_back(Name{name});
    ParkingList list;
    for (int i = 0; i < stands; ++i) {
        const bool gate = i % 4 != 3;
        list.entries.push_back(Parking{.nameCode = gate ? 10u : 1u,
                                       .type = gate ? 9u : 3u,
                                       .number = static_cast<std::uint32_t>(i + 1),
                                       .radius = gate ? 36.0f : 12.5f,
                                       .heading = static_cast<float>((i * 15) % 360),
                                       .latitude = latitude + 0.0008 * (i / 10),
                                       .longitude = longitude + 0.0012 * (i % 10),
                                       .airlineCodes = gate ? std::vector<std::uint32_t>{0x004D4C4B} : std::vector<std::uint32_t>{}});
    }
    for (int i = 0; i < helipads; ++i)
        airport.subrecords.push_back(
            Helipad{.latitude = latitude - 0.002, .longitude = longitude + 0.0005 * i, .size = 24.0f, .heading = 45.0f});
    airport.subrecords.push_back(std::move(list));
    return airport;
}

std::vector<Airport> gf_writeSampleScenery(const fs::path& folder)
{
    const fs::path amsterdam = folder / L"Schiphol" / L"scenery";
    const fs::path rotterdam = folder / L"Orbx EHRD" / L"scenery";
    fs::create_directories(amsterdam);
    fs::create_directories(rotterdam);
    Airport eham = gf_sampleAirport("EHAM", "Amsterdam Schiphol", 52.3086, 4.7639, 24, 2);
    gf_writeBgl(File{.sections = {Section{.records = {eham}}}}, amsterdam / L"AF2_EHAM.bgl");
    Airport ehrd = gf_sampleAirport("EHRD", "Rotterdam The Hague", 51.9569, 4.4375, 8, 0);
    ehrd.altitudeMillimetres = -4572;
    gf_writeBgl(File{.sections = {Section{.records = {ehrd}}}}, rotterdam / L"ADE_EHRD.bgl");
    return {eham, ehrd};
}

Airport gf_readAirportText(const fs::path& file)
{
    std::ifstream in(file);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    Airport airport;
    ParkingList list;
    bool headed = false;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        std::istringstream fields(line);
        std::string kind, ident, side;
        fields >> kind;
        if (kind.empty())
            continue;
        bool read = false;
        if (kind == "airport" && !headed) {
            double feet = 0.0;
            read = static_cast<bool>(fields >> airport.ident >> feet);
            std::string name;
            std::getline(fields >> std::ws, name);
            airport.altitudeMillimetres = static_cast<std::int32_t>(std::lround(feet * 304.8));
            airport.subrecords.push_back(Name{name});
            headed = read;
        } else if (kind == "stand" && headed) {
            Parking p;
            read = static_cast<bool>(fields >> ident >> p.number >> side >> p.latitude >> p.longitude >> p.heading >>
                                     p.radius) && (side == "gate" || side == "ramp");
            // Gates are medium gates, ramps medium GA ramps, named as the sample's are.
            p.nameCode = side == "gate" ? 10u : 1u;
            p.type = side == "gate" ? 9u : 3u;
            list.entries.push_back(p);
        } else if (kind == "helipad" && headed) {
            Helipad pad;
            float heading = 0.0f;
            read = static_cast<bool>(fields >> ident >> pad.latitude >> pad.longitude >> heading >> pad.size);
            pad.heading = heading;
            airport.subrecords.push_back(pad);
        }
        if (!read || (kind != "airport" && ident != airport.ident))
            throw std::runtime_error(file.string() + ", line " + std::to_string(lineNumber) + ": cannot read " + line);
    }
    if (!headed)
        throw std::runtime_error(file.string() + ": no airport line");
    airport.subrecords.push_back(std::move(list));
    return airport;
}

void gf_writeAirportScenery(const fs::path& folder, const Airport& airport)
{
    const fs::path scenery = folder / L"scenery";
    fs::create_directories(scenery);
    gf_writeBgl(File{.sections = {Section{.records = {airport}}}}, scenery / ("APX_" + airport.ident + ".bgl"));
}

TreeSummary gf_writeSceneryTree(const fs::path& folder, std::uint64_t megabytes)
{
    constexpr std::uint64_t mb = 1024 * 1024;
    constexpr std::uint64_t airportFileBytes = 4 * mb;
    constexpr std::uint64_t otherFileBytes = 8 * mb;
    TreeSummary summary;
    const std::uint64_t target = megabytes * mb;
    for (int scenery = 0; summary.bytes < target; ++scenery) {
        char name[32];
        std::snprintf(name, sizeof name, "Scenery %03d", scenery);
        const fs::path sceneryFolder = folder / name / L"scenery";
        fs::create_directories(sceneryFolder);
        Section airports;
        for (int a = 0; a < 3; ++a) {
            const int index = scenery * 3 + a;
            Airport airport = gf_sampleAirport(lf_code(index), "Generated airport " + lf_code(index),
                                               -60.0 + 0.01 * index, -150.0 + 0.02 * index, 150, 4);
            airport.newLayout = a == 1;
            airports.records.emplace_back(std::in_place_type<Airport>, std::move(airport));
            summary.stands += 154;
        }
        for (Record& record : lf_fillerRecords(airportFileBytes))
            airports.records.push_back(std::move(record));
        const File airportFile{.sections = {std::move(airports)}};
        gf_writeBgl(airportFile, sceneryFolder / (std::string("APX_") + name + ".bgl"));
        summary.airports += 3;
        for (int other = 0; other < 2; ++other) {
            const File terrain{.sections = {Section{.type = terrainSectionType, .records = lf_fillerRecords(otherFileBytes)}}};
            gf_writeBgl(terrain, sceneryFolder / ("terrain_" + std::to_string(other) + ".bgl"));
        }
        summary.bglFiles += 3;
        summary.sceneries += 1;
        for (const auto& entry : fs::directory_iterator(sceneryFolder))
            summary.bytes += entry.file_size();
    }
    return summary;
}

} // namespace bglw
