#pragma once
// Reading .bgl files made by the writer: the airports the reader hands over and its lines.
#include "airports/bglreader.h"
#include "bglwriter/bglwriter.h"

#include <string>
#include <vector>

struct BglRead {
    std::vector<BglAirport> airports;
    std::vector<std::string> lines; // the report lines the reading added
};

// The words of the bytes, as the reader reads a file.
std::vector<std::uint32_t> gf_testWords(const std::vector<std::uint8_t>& bytes);
BglRead gf_testReadBgl(const std::vector<std::uint8_t>& bytes);
BglRead gf_testReadBgl(const bglw::File& file);
// A file of one airport section holding the airports.
bglw::File gf_testBglFile(std::vector<bglw::Airport> airports);
// A file of one airport (a helipad, then a parking list cut after its header, without its
// entry count) that ends with that list at a boundary of 4096-byte pages.
std::vector<std::uint8_t> gf_testListAtPageEnd(const std::string& code);
