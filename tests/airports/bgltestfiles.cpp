#include "bgltestfiles.h"

#include <cstring>
#include <stdexcept>

std::vector<std::uint32_t> gf_testWords(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint32_t> words((bytes.size() + 3) / 4, 0);
    if (!bytes.empty())
        std::memcpy(words.data(), bytes.data(), bytes.size());
    return words;
}

BglRead gf_testReadBgl(const std::vector<std::uint8_t>& bytes)
{
    gf_takeAirportsLogLines();
    BglRead read;
    gf_readBglAirports(gf_testWords(bytes), "D:\\Scenery\\test.bgl",
                       [&](BglAirport& airport) { read.airports.push_back(airport); });
    read.lines = gf_takeAirportsLogLines();
    return read;
}

BglRead gf_testReadBgl(const bglw::File& file) { return gf_testReadBgl(bglw::gf_bglBytes(file)); }

bglw::File gf_testBglFile(std::vector<bglw::Airport> airports)
{
    bglw::Section section;
    for (bglw::Airport& airport : airports)
        section.records.emplace_back(std::in_place_type<bglw::Airport>, std::move(airport));
    return bglw::File{.sections = {std::move(section)}};
}

std::vector<std::uint8_t> gf_testListAtPageEnd(const std::string& code)
{
    constexpr std::size_t page = 4096;
    constexpr std::size_t airportAt = 56 + 20 + 16; // header, one section entry, one subsection
    // The writer puts two zero bytes after a raw header; they go, and the airport ends with the list.
    for (std::size_t filler = 1; filler <= page; ++filler) {
        const bglw::Airport airport{.ident = code,
                                    .subrecords = {bglw::Helipad{.latitude = 51.0, .longitude = 4.0},
                                                   bglw::Name{std::string(filler, 'x'), false},
                                                   bglw::Raw{.id = bglw::parkingListId, .size = 6}}};
        std::vector<std::uint8_t> bytes = bglw::gf_bglBytes(gf_testBglFile({airport}));
        if ((bytes.size() - 2) % page != 0)
            continue;
        bytes.resize(bytes.size() - 2);
        std::uint32_t size = 0;
        std::memcpy(&size, &bytes[airportAt + 2], sizeof size);
        size -= 2;
        std::memcpy(&bytes[airportAt + 2], &size, sizeof size);
        return bytes;
    }
    throw std::logic_error("no filler ends the file at a page boundary");
}
