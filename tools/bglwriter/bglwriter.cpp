// The .bgl layout: a 56-byte header, 20-byte section entries, one 16-byte subsection entry
// per section, then each section's records. Records and subrecords start with a 16-bit id
// and a 32-bit size in bytes; the next one starts that many bytes on.
#include "bglwriter/bglwriter.h"

#include <bit>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace bglw {
namespace {

// Records may end at any byte: a name is padded to a whole word only when asked.
class Bytes {
public:
    void add(std::uint32_t word)
    {
        for (int k = 0; k < 4; ++k)
            m_bytes.push_back(static_cast<std::uint8_t>(word >> (8 * k)));
    }
    void add16(std::uint16_t half)
    {
        m_bytes.push_back(static_cast<std::uint8_t>(half));
        m_bytes.push_back(static_cast<std::uint8_t>(half >> 8));
    }
    void addFloat(float value) { add(std::bit_cast<std::uint32_t>(value)); }
    void addText(const std::string& text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    // id in bytes 0-1, size in bytes 2-5.
    void header(std::uint16_t id, std::int32_t size)
    {
        add16(id);
        add(static_cast<std::uint32_t>(size));
    }
    void append(const Bytes& other) { m_bytes.insert(m_bytes.end(), other.m_bytes.begin(), other.m_bytes.end()); }
    std::int32_t size() const { return static_cast<std::int32_t>(m_bytes.size()); }
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

std::uint32_t lf_raw(double value)
{
    const double rounded = std::round(value);
    if (!(rounded >= 0.0))
        return 0;
    return rounded >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(rounded);
}

void lf_writeRaw(Bytes& out, const Raw& raw)
{
    out.header(raw.id, raw.size);
    out.add16(0);
    for (std::uint32_t word : raw.body)
        out.add(word);
}

void lf_writeName(Bytes& out, const Name& name)
{
    std::string bytes = name.bytes;
    while (name.padded && (6 + bytes.size()) % 4 != 0)
        bytes.push_back('\0');
    // The characters begin at byte 6.
    out.header(nameId, static_cast<std::int32_t>(6 + bytes.size()));
    out.addText(bytes);
}

void lf_writeHelipad(Bytes& out, const Helipad& pad)
{
    out.header(helipadId, pad.heading ? 36 : 32);
    out.add16(0);
    out.add(0);
    out.add(gf_bglLongitudeRaw(pad.longitude));
    out.add(gf_bglLatitudeRaw(pad.latitude));
    out.add(0);
    out.add(0);
    out.addFloat(pad.size);
    if (pad.heading)
        out.addFloat(*pad.heading);
}

void lf_writeParkingList(Bytes& out, const ParkingList& list, bool newLayout)
{
    Bytes entries;
    for (const Parking& p : list.entries) {
        entries.add((p.nameCode & 0x3Fu) | (p.type & 0xFu) << 8 | (p.number & 0xFFFu) << 12 |
                    static_cast<std::uint32_t>(p.airlineCodes.size() & 0xFF) << 24);
        entries.addFloat(p.radius);
        entries.addFloat(p.heading);
        for (int i = 0; i < 4; ++i)
            entries.add(0);
        entries.add(gf_bglLongitudeRaw(p.longitude));
        entries.add(gf_bglLatitudeRaw(p.latitude));
        if (newLayout)
            entries.add(0);
        for (std::uint32_t code : p.airlineCodes)
            entries.add(code);
    }
    const std::uint16_t id = list.id.value_or(newLayout ? parkingListNewId : parkingListId);
    out.header(id, 8 + entries.size());
    out.add16(list.count.value_or(static_cast<std::uint16_t>(list.entries.size())));
    out.append(entries);
}

void lf_writeAirport(Bytes& out, const Airport& airport)
{
    Bytes subrecords;
    for (const Subrecord& sub : airport.subrecords) {
        if (const auto* name = std::get_if<Name>(&sub))
            lf_writeName(subrecords, *name);
        else if (const auto* pad = std::get_if<Helipad>(&sub))
            lf_writeHelipad(subrecords, *pad);
        else if (const auto* list = std::get_if<ParkingList>(&sub))
            lf_writeParkingList(subrecords, *list, airport.newLayout);
        else
            lf_writeRaw(subrecords, std::get<Raw>(sub));
    }
    const std::size_t headWords = airport.newLayout ? 15 : 14;
    out.header(airport.newLayout ? airportNewId : airportId,
               static_cast<std::int32_t>(headWords * 4) + subrecords.size());
    out.add16(0);
    for (std::size_t word = 2; word < headWords; ++word) {
        if (word == 5)
            out.add(static_cast<std::uint32_t>(airport.altitudeMillimetres));
        else if (word == 10)
            out.add(airport.identWord.value_or(gf_bglIdentWord(airport.ident)));
        else
            out.add(0);
    }
    out.append(subrecords);
}

} // namespace

std::uint32_t gf_bglIdentWord(std::string_view ident)
{
    std::uint32_t value = 0;
    for (char c : ident) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0') + 2;
        else if (c >= 'A' && c <= 'Z')
            digit = static_cast<std::uint32_t>(c - 'A') + 12;
        value = value * 38 + digit;
    }
    return value << 5;
}

std::uint32_t gf_bglLatitudeRaw(double latitude) { return lf_raw((90.0 - latitude) / (180.0 / 536870912.0)); }

std::uint32_t gf_bglLongitudeRaw(double longitude)
{
    return lf_raw((longitude + 180.0) / (360.0 / (3.0 * 268435456.0)));
}

std::vector<std::uint8_t> gf_bglBytes(const File& file)
{
    const std::size_t sections = file.sections.size();
    Bytes out;
    for (std::uint32_t word = 0; word < headerBytes / 4; ++word)
        out.add(word == 1 ? file.headerSize : word == 5 ? file.sectionCount.value_or(sections) : 0);

    std::vector<Bytes> bodies(sections);
    for (std::size_t i = 0; i < sections; ++i)
        for (const Record& record : file.sections[i].records) {
            if (const auto* airport = std::get_if<Airport>(&record))
                lf_writeAirport(bodies[i], *airport);
            else
                lf_writeRaw(bodies[i], std::get<Raw>(record));
        }

    const std::uint32_t tables = headerBytes + static_cast<std::uint32_t>(20 * sections);
    std::uint32_t recordAt = tables + static_cast<std::uint32_t>(16 * sections);
    Bytes subsections;
    for (std::size_t i = 0; i < sections; ++i) {
        const Section& section = file.sections[i];
        const auto size = static_cast<std::uint32_t>(bodies[i].size());
        out.add(section.type);
        out.add(section.flags);
        out.add(1); // one subsection
        out.add(tables + static_cast<std::uint32_t>(16 * i));
        out.add(16);
        subsections.add(0);
        subsections.add(static_cast<std::uint32_t>(section.records.size()));
        subsections.add(recordAt);
        subsections.add(size);
        recordAt += size;
    }
    out.append(subsections);
    for (const Bytes& body : bodies)
        out.append(body);
    return out.take();
}

void gf_writeBgl(const File& file, const std::filesystem::path& path)
{
    const std::vector<std::uint8_t> bytes = gf_bglBytes(file);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace bglw
