#pragma once
// Sceneries made with the .bgl writer: a small sample for the run command and a large tree
// of add-on sceneries for the benchmark.
#include "bglwriter/bglwriter.h"

#include <cstdint>
#include <filesystem>

namespace bglw {

// An airport with `stands` parking stands (gates g1.., ramps r1..) on a grid around the
// position and `helipads` helipads beside them.
Airport gf_sampleAirport(const std::string& ident, const std::string& name, double latitude, double longitude,
                         int stands, int helipads);

// Schiphol\scenery\AF2_EHAM.bgl (Amsterdam: 24 stands, 2 helipads) and
// Orbx EHRD\scenery\ADE_EHRD.bgl (Rotterdam: 8 stands), under the folder; the airports written.
std::vector<Airport> gf_writeSampleScenery(const std::filesystem::path& folder);

// An airport described in text, as the run's tools write it: a first line
// "airport <ident> <elevation ft> <name>", then one line a stand, "stand <ident> <number>
// gate|ramp <lat> <lon> <heading> <radius m>", or a helipad, "helipad <ident> <lat> <lon>
// <heading> <size m>". Raises std::runtime_error on a line it cannot read.
Airport gf_readAirportText(const std::filesystem::path& file);

// <folder>\scenery\APX_<ident>.bgl with the one airport.
void gf_writeAirportScenery(const std::filesystem::path& folder, const Airport& airport);

struct TreeSummary {
    int sceneries = 0;
    int bglFiles = 0;
    int airports = 0;    // each with stands, so each gets a parking file
    int stands = 0;      // stands and helipads
    std::uint64_t bytes = 0;
};

// Add-on sceneries of about `megabytes` in all: per scenery one airport file (three
// airports and the taxi records after them) and two files without airports.
TreeSummary gf_writeSceneryTree(const std::filesystem::path& folder, std::uint64_t megabytes);

} // namespace bglw
