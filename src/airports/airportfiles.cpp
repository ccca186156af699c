// Each airport of an add-on scenery gets a link to its archived parking file or, when there
// is none or it has fewer stands than the scenery, a parking file made from the scenery.
#include "airports/airportfiles.h"

#include "foundation/log.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "liveries/liveries.h"
#include "liveries/referencedata.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <functional>
#include <mutex>

namespace fs = std::filesystem;

std::atomic<std::int32_t> airportFileCount{0};

namespace {
// Two tasks may hold the same airport (two files of one scenery): one writes its files at a
// time. The lock is chosen by the airport's code, so other airports are written meanwhile.
std::array<std::mutex, 64> airportFileMutexes;

std::mutex& lf_airportFileMutex(const std::string& code)
{
    return airportFileMutexes[std::hash<std::string>{}(code) % airportFileMutexes.size()];
}

// Writes the link to the archived file; a failed write is reported and links nothing.
std::optional<fs::path> lf_writeLink(const fs::path& folder, const BglAirport& airport, const fs::path& found)
{
    const fs::path link = folder / lf_apfFileNameTxt(airport.file.identifier);
    bool written = false;
    {
        const std::lock_guard lock(lf_airportFileMutex(airport.file.identifier));
        written = gf_writeTextFile(fmt::format("{}", gf_pathText(found)), link);
    }
    if (!written) {
        gf_addAirportsLogLine(fmt::format("{}Linking {} to {} did not succeed", errorMarker, gf_pathText(link),
                                          gf_pathText(found)));
        return std::nullopt;
    }
    return found;
}

std::optional<fs::path> lf_linkOrbxAirport(const BglAirport& airport)
{
    const std::optional<fs::path> found = lf_findOrbxAirportFile(airport);
    if (!found || !lf_writeLink(apfFolders::myOrbx, airport, *found))
        return std::nullopt;
    gf_addAirportsLogLine(fmt::format("{} airport {} linked to {}", "ORBX", airport.file.identifier, gf_pathText(*found)));
    return found;
}

std::optional<fs::path> lf_linkThirdPartyAirport(const std::string& publisher, const BglAirport& airport)
{
    const std::optional<fs::path> found = lf_findThirdPartyAirportFile(publisher, airport);
    if (!found || !lf_writeLink(apfFolders::myThirdparty, airport, *found))
        return std::nullopt;
    gf_addAirportsLogLine(fmt::format("thirdparty {} linked to {}", airport.file.identifier, gf_pathText(*found)));
    return found;
}

std::optional<fs::path> lf_findArchived(const fs::path& folder, const BglAirport& airport, bool reportFolder)
{
    if (!fs::exists(folder)) {
        if (reportFolder)
            gf_addAirportsLogLine(fmt::format("\n{} folder does not exist\n", gf_pathText(folder)));
        return std::nullopt;
    }
    const fs::path file = folder / lf_apfFileNameXml(airport.file.identifier);
    if (fs::exists(file))
        return file;
    gf_addAirportsLogLine(fmt::format("{} does not exist", gf_pathText(file)));
    return std::nullopt;
}
} // namespace

std::string gf_publisherFromFilename(const std::string& text)
{
    if (text.find("ORBX") != std::string::npos || gf_regexContains(text, "ORBX")) {
        gf_addAirportsLogLine(fmt::format("from filename => publisher  {}", "ORBX"));
        return "ORBX";
    }
    return gf_publisherOf(text);
}

std::optional<fs::path> lf_findOrbxAirportFile(const BglAirport& airport)
{
    return lf_findArchived(apfFolders::archive / L"ORBX", airport, true);
}

std::optional<fs::path> lf_findThirdPartyAirportFile(const std::string& publisher, const BglAirport& airport)
{
    return lf_findArchived(apfFolders::archive / L"thirdparty" / gf_u8path(publisher), airport,
                           publisher != "unknown");
}

bool lf_linkAirport(BglAirport& airport, std::int32_t& archivedCount, const std::string& path)
{
    archivedCount = 0;
    airport.file.BGLpath = path;
    airport.file.publisher = gf_publisherFromFilename(path);
    if (airport.file.publisher == "unknown")
        return false;
    const std::optional<fs::path> linked = airport.file.publisher == "ORBX"
                                               ? lf_linkOrbxAirport(airport)
                                               : lf_linkThirdPartyAirport(airport.file.publisher, airport);
    if (!linked)
        return false;
    ++airportFileCount;
    archivedCount = gf_readNumParkPos(*linked);
    return true;
}

void lf_writeAirportFile(BglAirport& airport)
{
    ApfFile& file = airport.file;
    if (file.stands.empty())
        return;
    const fs::path folder = file.publisher == "ORBX" ? apfFolders::myOrbx : apfFolders::myThirdparty;
    const std::size_t positions = file.stands.size();
    // Counted, not numbered: a pad dropped for its size keeps its number.
    const auto helipads = std::ranges::count_if(file.stands, [](const StandRecord& stand) { return stand.heli != 0; });
    std::string line = fmt::format("Generated {}: {} position{}", file.identifier + ".xml", positions,
                                   positions > 1 ? "s" : "");
    if (helipads > 0)
        line += fmt::format(", of which {} helipad{}", helipads, helipads == 1 ? "" : "s");
    gf_addAirportsLogLine(std::move(line));
    std::ranges::sort(file.stands, {}, &StandRecord::id);
    fs::create_directories(folder);
    const fs::path path = folder / lf_apfFileNameXml(file.identifier);
    bool written = false;
    {
        const std::lock_guard lock(lf_airportFileMutex(file.identifier));
        written = gf_writeParkPositions(file, path, false);
    }
    if (!written)
        gf_addAirportsLogLine(fmt::format("{}Generating {} did not succeed", errorMarker, gf_pathText(path)));
    else
        ++airportFileCount;
}

void gf_linkOrWriteAirport(BglAirport& airport)
{
    std::int32_t archived = 0;
    const std::string path = airport.file.BGLpath;
    const bool linked = lf_linkAirport(airport, archived, path);
    const auto stands = static_cast<std::int32_t>(airport.file.stands.size());
    if (stands > archived)
        gf_addAirportsLogLine(fmt::format("{}{} has {} parkpos while archived one has {}", errorMarker,
                                          airport.file.identifier, stands, archived));
    if (!linked || stands > archived)
        lf_writeAirportFile(airport);
}
