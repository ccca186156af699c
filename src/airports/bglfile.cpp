// A .bgl file as words: its header, the airport sections and the walk over their records.
#include "airports/bglreader.h"

#include "airports/airportfiles.h"
#include "foundation/log.h"
#include "foundation/scanthrottle.h"
#include "foundation/winstring.h"

#include <fmt/format.h>
#include <windows.h>

#include <fstream>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {
constexpr std::size_t headerWords = 14;
constexpr std::uint32_t headerSize = 0x38;
constexpr std::uint32_t airportSection = 3;
constexpr std::size_t sectionEntryWords = 5;

// Converts the airport records met on a walk from byte `first` to the end of the file.
void lf_walkRecords(BglWords words, std::size_t first, const std::string& path,
                    std::unordered_set<std::size_t>& converted, const std::function<void(BglAirport&)>& handle)
{
    const std::size_t fileEnd = words.size() * 4;
    for (std::size_t at = first; at < fileEnd;) {
        const std::optional<std::size_t> end = gf_bglRecordEnd(words, at, fileEnd);
        if (!end)
            return; // a record shorter than its header or running past the file
        const std::uint16_t id = gf_bglRecordId(words, at);
        // Several sections' walks reach the same records: each airport is converted once.
        if ((id == bglAirportId || id == bglAirportNewId) && converted.insert(at).second)
            lf_processAirport(words, at, *end, id == bglAirportNewId, path, handle);
        at = *end;
    }
}
} // namespace

std::optional<std::size_t> gf_bglRecordEnd(BglWords words, std::size_t at, std::size_t end)
{
    if (at >= end || end - at < bglRecordHeaderBytes)
        return std::nullopt;
    const auto size = static_cast<std::int32_t>(gf_bglWordAt(words, at + 2));
    if (size < static_cast<std::int32_t>(bglRecordHeaderBytes) || static_cast<std::size_t>(size) > end - at)
        return std::nullopt;
    return at + static_cast<std::size_t>(size);
}

BglFileView::BglFileView(const fs::path& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    m_file = file;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0)
        return;
    m_mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (m_mapping == nullptr)
        return;
    m_view = MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, 0);
    // The bytes past the end of the file up to the page's end read as zeros.
    if (m_view != nullptr)
        m_words = BglWords(static_cast<const std::uint32_t*>(m_view), (static_cast<std::size_t>(size.QuadPart) + 3) / 4);
}

BglFileView::~BglFileView()
{
    if (m_view != nullptr)
        UnmapViewOfFile(m_view);
    if (m_mapping != nullptr)
        CloseHandle(m_mapping);
    if (m_file != nullptr)
        CloseHandle(m_file);
}

void gf_readBglAirports(BglWords words, const std::string& path, const std::function<void(BglAirport&)>& handle)
{
    // A file shorter than its header, or with another header size, has no airports for us.
    if (words.size() <= headerWords || words[1] != headerSize)
        return;
    std::unordered_set<std::size_t> converted;
    const std::uint32_t sections = words[5];
    for (std::uint32_t i = 0; i < sections; ++i) {
        const std::size_t entry = headerWords + sectionEntryWords * i;
        if (entry + sectionEntryWords > words.size())
            return;
        // Sections with 20-byte subsection entries (flag bit 16) are not airport sections we read.
        if (words[entry] != airportSection || (words[entry + 1] & 0x10000u) != 0)
            continue;
        // Word 2 of the section's first subsection entry: the byte of its first record.
        const std::size_t first = std::size_t{words[entry + 3]} + 8;
        if (first + 4 > words.size() * 4)
            continue;
        lf_walkRecords(words, gf_bglWordAt(words, first), path, converted, handle);
    }
}

void lf_toParkingPositions(const fs::path& path, const std::function<void(BglAirport&)>& handle)
{
    struct SlotRelease {
        ~SlotRelease() { gf_endScanTask(); }
    } release;
    const std::string pathText = gf_pathText(path);
    try {
        // One mapping serves the quick test and the reading.
        const BglFileView file(path);
        if (lf_bglHasAirports(file.words()))
            gf_readBglAirports(file.words(), pathText, handle);
    } catch (const std::exception&) {
        gf_addAirportsLogLine(fmt::format("{}!? Exception in lf_toParkingPositions: {}", errorMarker, pathText));
        throw;
    }
}

bool lf_bglHasAirports(BglWords words)
{
    // The words cover the file rounded up to whole words; the sizes tested are whole words.
    if (words.size() < headerWords)
        return false;
    const std::uint64_t count = words[5];
    if (count == 0 || words.size() <= headerWords + sectionEntryWords * count)
        return false;
    for (std::size_t i = 0; i < count; ++i)
        if (words[headerWords + sectionEntryWords * i] == airportSection)
            return true;
    return false;
}

bool lf_bglHasAirports(const fs::path& path)
{
    const BglFileView file(path);
    return lf_bglHasAirports(file.words());
}
