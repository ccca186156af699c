#include "bgltestfiles.h"

#include <cstring>

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
