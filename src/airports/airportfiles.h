#pragma once
// The parking files of the add-on airports that the scenery reader finds: a link to the
// archived file, or a file generated from the scenery's stands.
#include "airports/bglreader.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// Links and generated files written by the running scan.
extern std::atomic<std::int32_t> airportFileCount;

// The file step of one airport: linked when archived, generated when not archived or when
// the scenery has more stands than the archived file.
void gf_linkOrWriteAirport(BglAirport& airport);
// Fills BGLpath and publisher; true when a link to the archived file was written, whose
// num_parkpos then goes to archivedCount (else 0).
bool lf_linkAirport(BglAirport& airport, std::int32_t& archivedCount, const std::string& path);
std::optional<std::filesystem::path> lf_findOrbxAirportFile(const BglAirport& airport);
std::optional<std::filesystem::path> lf_findThirdPartyAirportFile(const std::string& publisher,
                                                                  const BglAirport& airport);
// Writes the generated parking file of the airport's stands (nothing without stands).
void lf_writeAirportFile(BglAirport& airport);
// "ORBX" when the path says so in any letter case, else the publisher of the reference data.
std::string gf_publisherFromFilename(const std::string& text);
