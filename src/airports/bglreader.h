#pragma once
// The reader of the simulator's compiled scenery files (.bgl): airports, their parking
// stands and helipads.
#include "airports/airports.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

// One airport while it is converted.
struct BglAirport {
    ApfFile file;
    std::set<std::string> usedIds;
    int helipadNumber = 1; // the next helipad's number
    std::vector<std::pair<double, double>> helipadPositions;
    bool suffixed = false; // a stand's id needed a suffix
};

// The file as little-endian words; a trailing piece of 1 to 3 bytes is padded with zeros.
using BglWords = std::span<const std::uint32_t>;

// A .bgl file mapped into memory read-only: the reader touches only the pages it reads.
// No words when the file cannot be opened or is empty.
class BglFileView {
public:
    explicit BglFileView(const std::filesystem::path& path);
    ~BglFileView();
    BglFileView(const BglFileView&) = delete;
    BglFileView& operator=(const BglFileView&) = delete;
    BglWords words() const { return m_words; }

private:
    void* m_file = nullptr;
    void* m_mapping = nullptr;
    const void* m_view = nullptr;
    BglWords m_words;
};
// Converts every airport of the words once and hands it to `handle`. Every read stays
// within its record, subrecord and the file; a malformed record ends its walk.
void gf_readBglAirports(BglWords words, const std::string& path,
                        const std::function<void(BglAirport&)>& handle);

void gf_linkOrWriteAirport(BglAirport& airport);
// The scan task of one .bgl file: when its header names airports, they are linked or written
// as generated parking files. Releases its scan slot however it ends; a failure is reported
// and passed on.
void lf_toParkingPositions(const std::filesystem::path& path,
                           const std::function<void(BglAirport&)>& handle = gf_linkOrWriteAirport);
// Records and subrecords start at any byte: each is stepped over by its exact declared size.
// The positions below are byte offsets into the file's words.
inline std::uint32_t gf_bglWordAt(BglWords words, std::size_t at)
{
    std::uint32_t word;
    std::memcpy(&word, reinterpret_cast<const unsigned char*>(words.data()) + at, sizeof word);
    return word;
}
inline std::uint16_t gf_bglHalfAt(BglWords words, std::size_t at)
{
    std::uint16_t half;
    std::memcpy(&half, reinterpret_cast<const unsigned char*>(words.data()) + at, sizeof half);
    return half;
}
inline constexpr std::uint16_t bglAirportId = 0x003C;
inline constexpr std::uint16_t bglAirportNewId = 0x00AB; // one more header word
inline constexpr std::size_t bglRecordHeaderBytes = 6;   // id and size
inline std::uint16_t gf_bglRecordId(BglWords words, std::size_t at) { return gf_bglHalfAt(words, at); }
// The byte after the record at `at` (its size in bytes 2-5); none when the record is shorter
// than its own header or runs past `end`.
std::optional<std::size_t> gf_bglRecordEnd(BglWords words, std::size_t at, std::size_t end);
// Converts the airport record from byte `at` to `end` and hands it to `handle`.
void lf_processAirport(BglWords words, std::size_t at, std::size_t end, bool newLayout,
                       const std::string& path, const std::function<void(BglAirport&)>& handle);

// The quick test: the header and section table name an airport section.
bool lf_bglHasAirports(BglWords words);
bool lf_bglHasAirports(const std::filesystem::path& path);

// The packed four-letter code; ok only for four characters of '0'-'9' and 'A'-'Z'.
std::string lf_decodeIdentifierOrRegionCode(std::uint32_t word, bool& ok);
// The name subrecord at byte `at`, read no further than byte `end`.
std::string lf_decodeAirportNAME(BglWords words, std::size_t at, std::size_t end);
std::string lf_decodeParkingName(std::uint32_t code);
// Stands that share an id: the largest keeps it, the others get letters by falling size.
void lf_sortPositions(ApfFile& airport);

// The add-on airport scan's report lines (AirportsScanLog.txt), shared by its tasks.
void gf_addAirportsLogLine(std::string text);
// Takes the lines out of the list, leaving it empty.
std::vector<std::string> gf_takeAirportsLogLines();
