// The park airports file my_park_airports.txt: the airports at which static parking may
// happen while flying, each with the stand the user's own aircraft takes there.
#include "traffic/parking.h"

#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/filereplace.h"
#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "links/useraircraft.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>

namespace fs = std::filesystem;

std::mutex parkAirportsMutex;
std::vector<ParkAirportEntry> parkAirports;

namespace {
constexpr std::size_t manyParkAirports = 3000;

// The user position of the last sort; under parkAirportsMutex.
std::optional<LatLon> sortedAt;

std::string lf_plural(std::size_t count) { return count > 1 ? "s" : ""; }

std::string lf_fileName() { return gf_pathText(gf_parkAirportsPath().filename()); }

// "CODE" or "CODE,STAND".
std::string lf_entryLine(const ParkAirportEntry& entry)
{
    return entry.reservedStand.empty() ? entry.code : fmt::format("{},{}", entry.code, entry.reservedStand);
}

bool lf_writeLines(const fs::path& path, const std::vector<std::string>& lines)
{
    try {
        return gf_writeReplacing(path, [&lines](const fs::path& part) { return gf_writeLinesToFile(lines, part); });
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} could not be replaced: {}", gf_pathText(path), e.what()));
    }
    return false;
}
bool lf_isListed(const std::vector<ParkAirportEntry>& list, const std::string& code)
{
    return std::any_of(list.begin(), list.end(), [&code](const ParkAirportEntry& entry) { return entry.code == code; });
}

void lf_parseParkAirportLine(const std::string& line, std::vector<ParkAirportEntry>& list, bool& accepted)
{
    if (gf_trim(line).empty())
        return;
    const std::vector<std::string> fields = gf_splitComma(line);
    if (fields.size() >= 3) {
        gf_logMarked(fmt::format("{}:{} wrong syntax, skipped", lf_fileName(), line));
        return;
    }
    const std::string& code = fields.front();
    const std::optional<Airport> airport = gf_findAirport(code);
    if (!airport) {
        gf_showStatus(fmt::format("airport {} is unknown", code), true);
        accepted = false;
        return;
    }
    if (lf_isListed(list, code)) {
        gf_logMarked(fmt::format("{}:{} double, skipped", lf_fileName(), code));
        return;
    }
    const std::string stand = fields.size() == 2 ? fields[1] : std::string();
    if (!stand.empty() && !gf_readApfForGateCheck(code, stand)) {
        gf_showStatus(fmt::format("{} stand {} is unknown", code, stand), true);
        accepted = false;
    }
    list.push_back({code, stand, airport->lat, airport->lon, 0.0});
}

void lf_addParkAirportsFromFolder(std::vector<ParkAirportEntry>& list)
{
    const fs::path folder = apfFolders::myThirdparty;
    if (!fs::is_directory(folder))
        return;
    std::size_t added = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        const std::string code = gf_pathText(entry.path().stem());
        if (lf_isListed(list, code))
            continue;
        if (const std::optional<Airport> airport = gf_findAirport(code)) {
            list.push_back({code, "", airport->lat, airport->lon, 0.0});
            ++added;
        }
    }
    if (added > 0)
        gf_logf("{} park airport{} added from \"{}\"", added, lf_plural(added), gf_pathText(folder));
}

bool lf_updateParkStand(std::string& line)
{
    const std::vector<std::string> fields = gf_splitComma(line);
    const ParkAirportEntry& first = parkAirports.front();
    if (fields.empty() || fields.front() != first.code)
        return false;
    line = lf_entryLine(first);
    gf_logf("{}:{},{} updated stand", lf_fileName(), first.code, first.reservedStand);
    return true;
}

} // namespace

fs::path gf_parkAirportsPath() { return dataFolder / L"my_park_airports.txt"; }

void gf_sortParkAirports(double latitude, double longitude, bool force)
{
    if (gf_userPositionUnknown(latitude, longitude))
        return;
    const LatLon user{latitude, longitude};
    std::lock_guard lock(parkAirportsMutex);
    if (!force && sortedAt == user)
        return;
    sortedAt = user;
    for (ParkAirportEntry& entry : parkAirports)
        entry.distance = gf_distanceNm(user, {entry.latitude, entry.longitude});
    std::stable_sort(parkAirports.begin(), parkAirports.end(),
                     [](const ParkAirportEntry& a, const ParkAirportEntry& b) { return a.distance < b.distance; });
}

bool lf_readParkAirports(bool reRead)
{
    // The parking files of the reserved stands are read outside the lock, so that the
    // simulator thread saving the user's stand never waits for them; the new list is swapped in.
    bool accepted = true;
    const fs::path path = gf_parkAirportsPath();
    std::vector<ParkAirportEntry> list;
    std::vector<std::string> lines;
    if (!fs::exists(path) || gf_readExtTextFileToStringVector(path, lines) == 0)
        gf_log(gf_pathText(path) + " not found");
    for (const std::string& line : lines)
        lf_parseParkAirportLine(line, list, accepted);
    const std::size_t count = list.size();
    if (count > 0)
        gf_logf("{} park airport{} read from \"{}\"", count, lf_plural(count), lf_fileName());
    if (count > manyParkAirports)
        gf_showStatus(fmt::format("Warning: There are a lot of airports ({}) in {}, that will cost Tarnwick much "
                                  "cpu time, and may give stutters",
                                  count, lf_fileName()),
                      true);
    lf_addParkAirportsFromFolder(list);
    {
        std::lock_guard lock(parkAirportsMutex);
        parkAirports.swap(list);
    }
    if (reRead)
        gf_forgetGivenUpAirport();
    // A fresh list is in file order: it is sorted whenever the user's position is known.
    const UserAircraft& user = gf_currentUserAircraft();
    gf_sortParkAirports(user.latitude, user.longitude, true);
    mainWindow.parkAirportListed = accepted;
    gf_repaintBand(statisticsBand);
    return accepted;
}

void lf_writeParkAirports()
{
    if (parkAirports.empty())
        return;
    const fs::path path = gf_parkAirportsPath();
    std::vector<std::string> lines;
    const bool existed = fs::exists(path) && gf_readExtTextFileToStringVector(path, lines) != 0;
    bool updated = false;
    for (auto line = lines.begin(); line != lines.end() && !updated; ++line)
        updated = lf_updateParkStand(*line);
    if (!updated) {
        const std::string line = lf_entryLine(parkAirports.front());
        lines.insert(lines.begin(), line);
        if (existed)
            gf_logf("{}:{} new entry", lf_fileName(), line);
        else
            gf_logf("{} created with {}", lf_fileName(), line);
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    lf_writeLines(path, lines);
}

bool lf_checkParkAirports(bool reRead, std::string& message)
{
    message.clear();
    if (!lf_readParkAirports(reRead))
        return false;
    const UserAircraft& user = gf_currentUserAircraft();
    const bool userKnown = !gf_userPositionUnknown(user.latitude, user.longitude);
    const std::string park = gf_parkAirportCode();
    std::string stand;
    {
        std::lock_guard lock(parkAirportsMutex);
        if (!parkAirports.empty() && parkAirports.front().code == park)
            stand = parkAirports.front().reservedStand;
    }
    const std::string reserved = gf_reservedStandName();
    if (reRead && userKnown && !staticParkingRunning.load() && !park.empty() &&
        lf_standNameAt(user.latitude, user.longitude).empty() && !stand.empty() && stand != reserved) {
        message = fmt::format("reserved stand changed from \"{}\" to \"{}\"", reserved, stand);
        if (StandRecord* old = lf_findStandByName(reserved))
            old->excluded = 0;
        gf_setReservedStandName(stand);
        lf_freeReservedStand();
        StandRecord* now = lf_findStandByName(stand);
        if (now)
            now->excluded = 1;
        mainWindow.reservedStandValid = now != nullptr;
    }
    if (message.empty())
        message = "park airports and stands are okay";
    return true;
}
