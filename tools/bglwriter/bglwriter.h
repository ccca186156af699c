#pragma once
// Writes .bgl scenery files from the published layout of their header, section tables,
// airport records and subrecords. Tests and the benchmark use it to make sceneries; the
// raw records and sizes let them make malformed files too.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace bglw {

inline constexpr std::uint32_t headerBytes = 0x38;
inline constexpr std::uint32_t airportSectionType = 3;
inline constexpr std::uint16_t airportId = 0x003C;
inline constexpr std::uint16_t airportNewId = 0x00AB; // one more header word
inline constexpr std::uint16_t nameId = 0x0019;
inline constexpr std::uint16_t helipadId = 0x0026;
inline constexpr std::uint16_t parkingListId = 0x003D;    // in 0x003C airports, 9-word entries
inline constexpr std::uint16_t parkingListNewId = 0x00AD; // in 0x00AB airports, 10-word entries

struct Parking {
    std::uint32_t nameCode = 10; // 6 bits
    std::uint32_t type = 1;      // 4 bits
    std::uint32_t number = 1;    // 12 bits
    float radius = 20.0f;        // metres
    float heading = 0.0f;        // degrees
    double latitude = 0.0;
    double longitude = 0.0;
    std::vector<std::uint32_t> airlineCodes; // one word each
};

struct Helipad {
    double latitude = 0.0;
    double longitude = 0.0;
    float size = 20.0f;                  // metres
    std::optional<float> heading = 0.0f; // degrees; none: a short subrecord without that word
};

// The name's bytes as they stand in the file, NUL-padded to a whole word unless `padded`
// is off: then its size counts the bytes alone and the next record starts unaligned.
struct Name {
    std::string bytes;
    bool padded = true;
};

struct ParkingList {
    std::vector<Parking> entries;
    std::optional<std::uint16_t> count; // the written entry count; none: the number of entries
    std::optional<std::uint16_t> id;    // none: the list id of the airport's layout
};

// A record or subrecord whose size field is written as given, then two zero bytes and its
// body words; the walk of a reader skips it by that size.
struct Raw {
    std::uint16_t id = 0;
    std::int32_t size = 8;
    std::vector<std::uint32_t> body;
};

using Subrecord = std::variant<Name, Helipad, ParkingList, Raw>;

struct Airport {
    bool newLayout = false;
    std::string ident = "EHAM";
    std::optional<std::uint32_t> identWord; // written instead of the packed ident
    std::int32_t altitudeMillimetres = 0;
    std::vector<Subrecord> subrecords;
};

using Record = std::variant<Airport, Raw>;

struct Section {
    std::uint32_t type = airportSectionType;
    std::uint32_t flags = 0;
    std::vector<Record> records;
};

struct File {
    std::uint32_t headerSize = headerBytes;
    std::optional<std::uint32_t> sectionCount; // none: the number of sections
    std::vector<Section> sections;
};

// The identifier packed in base 38 (blank 0, '0'..'9' 2..11, 'A'..'Z' 12..37), shifted by 5.
std::uint32_t gf_bglIdentWord(std::string_view ident);
std::uint32_t gf_bglLatitudeRaw(double latitude);
std::uint32_t gf_bglLongitudeRaw(double longitude);

std::vector<std::uint8_t> gf_bglBytes(const File& file);
// Raises std::runtime_error when the file cannot be written.
void gf_writeBgl(const File& file, const std::filesystem::path& path);

} // namespace bglw
