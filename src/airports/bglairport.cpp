// One airport record of a .bgl file: identifier, altitude, name, helipads and the first
// parking list, turned into stands.
#include "airports/bglreader.h"

#include "foundation/log.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"

#include <fmt/format.h>
#include <windows.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace {
constexpr std::uint16_t nameId = 0x0019;
constexpr std::uint16_t helipadId = 0x0026;
constexpr std::uint16_t parkingListId = 0x003D;    // in 0x003C airports
constexpr std::uint16_t parkingListNewId = 0x00AD; // in 0x00AB airports
constexpr std::size_t maxNameBytes = 45;
constexpr double degreesToRadians = 0.017453292519943295;

double lf_latitude(std::uint32_t raw) { return 90.0 - raw * 3.3527612686157227e-7; }
double lf_longitude(std::uint32_t raw) { return raw * 4.470348358154297e-7 - 180.0; }
float lf_float(std::uint32_t word) { return std::bit_cast<float>(word); }

// Degrees to radians; 0.0 (and a value that is no number) means north, 2π.
double lf_heading(float degrees)
{
    if (!std::isfinite(degrees) || degrees == 0.0f)
        return 2.0 * std::numbers::pi;
    return degrees * degreesToRadians;
}

bool lf_positionUsable(double latitude, double longitude)
{
    return latitude >= -90.0 && latitude <= 90.0 && longitude >= -180.0 && longitude <= 180.0 &&
           gf_positionIsSet(latitude, longitude);
}

void lf_skipRadius(double radius, const std::string& path)
{
    gf_addAirportsLogLine(fmt::format("skipped position with radius {:.1F} meters, in {}", radius, path));
}

// Windows-1252 bytes as UTF-8, without control characters (the text goes into XML).
std::string lf_nameText(const std::string& bytes)
{
    if (bytes.empty())
        return {};
    std::wstring wide(bytes.size(), L'\0');
    const int length = MultiByteToWideChar(1252, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    std::erase_if(wide, [](wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); });
    return gf_utf16ToUtf8(wide);
}

// The id with a letter when it is taken already; none when five letters are taken too.
std::optional<std::string> lf_uniqueId(BglAirport& airport, const std::string& id, bool& suffixed)
{
    suffixed = false;
    if (airport.usedIds.insert(id).second)
        return id;
    for (const char* letter : {"a", "b", "c", "e", "f"}) {
        if (airport.usedIds.insert(id + letter).second) {
            suffixed = true;
            return id + letter;
        }
    }
    return std::nullopt;
}

void lf_readParkingEntry(BglWords words, std::size_t at, BglAirport& airport, const std::string& path)
{
    const std::uint32_t head = gf_bglWordAt(words, at);
    const float radius = lf_float(gf_bglWordAt(words, at + 4));
    if (!std::isfinite(radius) || radius <= 1.0f || radius >= 200.0f) {
        lf_skipRadius(radius, path);
        return;
    }
    const std::string id = lf_decodeParkingName(head & 0x3Fu) + std::to_string(head >> 12 & 0xFFFu);
    const std::uint32_t type = head >> 8 & 0xFu;
    if (type < 1 || type > 11)
        return;
    const double latitude = lf_latitude(gf_bglWordAt(words, at + 32));
    const double longitude = lf_longitude(gf_bglWordAt(words, at + 28));
    if (!lf_positionUsable(latitude, longitude)) {
        gf_addAirportsLogLine(fmt::format("lat/lon: {}, incorrect (skipped) ", gf_formatFixed6({latitude, longitude})));
        return;
    }
    bool suffixed = false;
    const std::optional<std::string> unique = lf_uniqueId(airport, id, suffixed);
    if (!unique) {
        gf_addAirportsLogLine(
            fmt::format("{}{}Warning more then 6 the same ids {}, in {}", errorMarker, errorMarker, id, path));
        return;
    }
    StandRecord& stand = airport.file.stands.emplace_back(*unique, std::vector<StandOption>{}, latitude, longitude,
                                                          lf_heading(lf_float(gf_bglWordAt(words, at + 8))), radius, type == 5,
                                                          type < 8, false);
    if (suffixed) {
        stand.suffix = 1;
        airport.suffixed = true;
    }
}

void lf_shortParkingList(const BglAirport& airport, const std::string& path, std::uint32_t read, std::uint32_t count)
{
    gf_addAirportsLogLine(fmt::format("{}{}: airport {}: parking list too short, {} of {} stands read", errorMarker,
                                      path, airport.file.identifier, read, count));
}

// The entries of one parking list from byte `at`, none read past the list's end.
void lf_readParkingList(BglWords words, std::size_t at, std::size_t end, BglAirport& airport, bool newLayout,
                        const std::string& path)
{
    constexpr std::size_t countBytes = 2; // after the header
    if (at + bglRecordHeaderBytes + countBytes > end) {
        gf_addAirportsLogLine(fmt::format("{}{}: airport {}: parking list without its count, no stands read",
                                          errorMarker, path, airport.file.identifier));
        return;
    }
    const std::size_t entryBytes = newLayout ? 40 : 36;
    const std::uint32_t count = gf_bglHalfAt(words, at + bglRecordHeaderBytes);
    std::size_t entryAt = at + 8;
    for (std::uint32_t entry = 0; entry < count; ++entry) {
        if (entryAt + entryBytes > end) {
            lf_shortParkingList(airport, path, entry, count);
            return;
        }
        lf_readParkingEntry(words, entryAt, airport, path);
        entryAt += entryBytes + 4 * std::size_t{gf_bglWordAt(words, entryAt) >> 24};
    }
}

void lf_readHelipads(BglWords words, std::size_t at, std::size_t end, BglAirport& airport, const std::string& path)
{
    if (at + 32 > end) {
        gf_addAirportsLogLine(fmt::format("{}{}: airport {}: helipad of {} bytes, too short to hold its size (skipped)",
                                          errorMarker, path, airport.file.identifier, end - at));
        return;
    }
    const double latitude = lf_latitude(gf_bglWordAt(words, at + 16));
    const double longitude = lf_longitude(gf_bglWordAt(words, at + 12));
    const std::string position = gf_formatFixed6({latitude, longitude});
    if (!lf_positionUsable(latitude, longitude)) {
        gf_addAirportsLogLine("lat/lon helipad incorrect (skipped): " + position);
        return;
    }
    if (std::ranges::find(airport.helipadPositions, std::pair{latitude, longitude}) != airport.helipadPositions.end()) {
        gf_addAirportsLogLine("double helipad " + airport.file.airport_name + " (skipped) " + position);
        return;
    }
    // A pad keeps its number also when it is dropped: learned options name pads by number.
    const int number = airport.helipadNumber++;
    const double radius = lf_float(gf_bglWordAt(words, at + 28)) / 2.0;
    // A pad of size 0 is kept (a helicopter that holds there widens it); a negative size
    // would get the whole parking file refused. A dropped pad leaves its place to a valid one.
    if (!std::isfinite(radius) || radius < 0) {
        lf_skipRadius(radius, path);
        return;
    }
    airport.helipadPositions.emplace_back(latitude, longitude);
    // The heading follows the size, when the subrecord is long enough to hold it.
    const float heading = at + 36 <= end ? lf_float(gf_bglWordAt(words, at + 32)) : 0.0f;
    airport.file.stands.emplace_back(fmt::format("helipad{}", number), std::vector<StandOption>{}, latitude,
                                     longitude, lf_heading(heading), radius, false, false, true);
}

void lf_takeName(BglAirport& airport, bool& named, bool& conflicting, std::string name)
{
    if (!named) {
        airport.file.airport_name = std::move(name);
        named = true;
    } else if (name != airport.file.airport_name) {
        conflicting = true;
    }
}

std::int32_t lf_altitudeFeet(std::uint32_t word)
{
    const double millimetres = static_cast<std::int32_t>(word);
    const auto feet = static_cast<std::int32_t>(std::lround(millimetres * 3.2808399 / 1000.0));
    return feet < -20 || feet > 10000 ? 0 : feet;
}
} // namespace

std::string lf_decodeIdentifierOrRegionCode(std::uint32_t word, bool& ok)
{
    ok = false;
    std::uint32_t value = word >> 5;
    if (value < 38)
        return {};
    std::string text;
    bool usable = true;
    for (; value > 0; value /= 38) {
        const std::uint32_t digit = value % 38;
        // 0 is a blank and 1 stands for no character: both make the code unusable.
        usable = usable && digit > 1;
        text.insert(text.begin(), digit == 0 ? ' ' : digit < 12 ? static_cast<char>('0' + digit - 2)
                                                                : static_cast<char>('A' + digit - 12));
    }
    ok = usable && text.size() == 4;
    return text;
}

std::string lf_decodeAirportNAME(BglWords words, std::size_t at, std::size_t end)
{
    const int declared = static_cast<int>(gf_bglHalfAt(words, at + 2)) - 6;
    if (declared <= 0)
        return {};
    const std::size_t first = at + 6;
    const std::size_t last = std::min(first + std::min<std::size_t>(declared, maxNameBytes), end);
    if (first >= last)
        return {};
    std::string bytes(reinterpret_cast<const char*>(words.data()) + first, last - first);
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return lf_nameText(bytes);
}

std::string lf_decodeParkingName(std::uint32_t code)
{
    static const char* const names[] = {"", "r", "p", "np", "ep", "sep", "sp", "swp", "wp", "nwp", "g", ""};
    if (code < std::size(names))
        return names[code];
    return std::string(1, static_cast<char>(code + 53));
}

void lf_sortPositions(ApfFile& airport)
{
    static const char* const letters[] = {"", "a", "b", "c", "d", "e", "f"};
    for (auto marked = std::ranges::find(airport.stands, 1, &StandRecord::suffix); marked != airport.stands.end();
         marked = std::ranges::find(airport.stands, 1, &StandRecord::suffix)) {
        const std::string base = marked->id.substr(0, marked->id.size() - 1);
        std::vector<StandRecord*> group;
        for (StandRecord& stand : airport.stands) {
            const bool member = stand.id == base || (stand.id.size() == base.size() + 1 && stand.id.starts_with(base) &&
                                                     stand.id.back() >= 'a' && stand.id.back() <= 'f');
            if (member) {
                stand.suffix = 0;
                group.push_back(&stand);
            }
        }
        std::ranges::stable_sort(group, std::greater{}, &StandRecord::radius);
        for (std::size_t i = 0; i < group.size() && i < std::size(letters); ++i)
            group[i]->id = base + letters[i];
    }
}

void lf_processAirport(BglWords words, std::size_t at, std::size_t end, bool newLayout,
                       const std::string& path, const std::function<void(BglAirport&)>& handle)
{
    const std::size_t firstSubrecord = at + (newLayout ? 60 : 56);
    if (firstSubrecord > end)
        return; // too short for an airport's fields
    bool ok = false;
    std::string identifier = lf_decodeIdentifierOrRegionCode(gf_bglWordAt(words, at + 40), ok);
    if (!ok)
        return;
    BglAirport airport;
    airport.file.identifier = std::move(identifier);
    airport.file.altitude = lf_altitudeFeet(gf_bglWordAt(words, at + 20));
    airport.file.BGLpath = path;
    airport.file.publisher = "unknown";
    bool named = false, conflicting = false;
    const std::uint16_t listId = newLayout ? parkingListNewId : parkingListId;
    for (std::size_t sub = firstSubrecord; sub < end;) {
        const std::optional<std::size_t> subEnd = gf_bglRecordEnd(words, sub, end);
        if (!subEnd) {
            // What follows is lost: say so rather than hand over a silently shortened airport.
            gf_addAirportsLogLine(fmt::format("{}{}: airport {}: the record at byte {} does not fit before the "
                                              "airport's end at byte {}, the rest of the airport is not read",
                                              errorMarker, path, airport.file.identifier, sub, end));
            break;
        }
        const std::uint16_t id = gf_bglRecordId(words, sub);
        if (id == nameId) {
            lf_takeName(airport, named, conflicting, lf_decodeAirportNAME(words, sub, *subEnd));
        } else if (id == helipadId) {
            lf_readHelipads(words, sub, *subEnd, airport, path);
        } else if (id == listId) {
            lf_readParkingList(words, sub, *subEnd, airport, newLayout, path);
            break; // only the first parking list counts
        }
        sub = *subEnd;
    }
    if (conflicting)
        airport.file.airport_name.clear();
    if (airport.suffixed)
        lf_sortPositions(airport.file);
    handle(airport);
}
