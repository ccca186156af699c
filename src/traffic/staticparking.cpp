// Static parking every 16 seconds: the park airport is chosen, loaded and given up here, and
// its stands are filled by the calculation once loaded.
#include "traffic/parking.h"

#include "app/commands.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"
#include "links/simlink.h"

#include <windows.h>

#include <fmt/format.h>

#include <algorithm>
#include <optional>

std::atomic<bool> softLearningAllowed{true};

bool gf_softLearningAllowed() { return softLearningAllowed.load(); }

namespace {
constexpr std::int32_t wellFilledQuality = 45;
constexpr std::size_t wellFilledStands = 20;

// Soft learning only where the real options do not already fill the airport.
void lf_allowSoftLearning(std::int32_t realQuality)
{
    const bool allowed = realQuality < wellFilledQuality || parkStands.size() < wellFilledStands;
    softLearningAllowed = allowed;
    if (!allowed && LEARN_SOFT.value.load()) {
        LEARN_SOFT.value = false;
        SendMessageW(LEARN_SOFT.window, BM_SETCHECK, BST_UNCHECKED, 0);
        airportSettingsChanged = true;
    }
    EnableWindow(LEARN_SOFT.window, allowed ? TRUE : FALSE);
}

// The park airports list keeps the park airport first, with the stand the user stands at.
void lf_recordUserStand(const ParkAirport& park)
{
    const UserAircraft& user = gf_currentUserAircraft();
    if (gf_userPositionUnknown(user.latitude, user.longitude))
        return;
    const std::string stand = lf_standNameAt(user.latitude, user.longitude);
    std::lock_guard lock(parkAirportsMutex);
    const auto listed = std::find_if(parkAirports.begin(), parkAirports.end(),
                                     [&park](const ParkAirportEntry& entry) { return entry.code == park.code; });
    bool changed = false;
    if (listed == parkAirports.end()) {
        parkAirports.insert(parkAirports.begin(), {park.code, stand, park.latitude, park.longitude, 0.0});
        changed = true;
    } else {
        // A listed airport moves to the front with the stand its line names.
        std::rotate(parkAirports.begin(), listed, listed + 1);
        changed = listed != parkAirports.begin();
    }
    ParkAirportEntry& first = parkAirports.front();
    if (!stand.empty() && stand != first.reservedStand) {
        first.reservedStand = stand;
        changed = true;
    }
    if (changed)
        lf_writeParkAirports();
}

void lf_takeReservedStand(const ParkAirport& park)
{
    std::string stand;
    {
        std::lock_guard lock(parkAirportsMutex);
        if (!parkAirports.empty() && parkAirports.front().code == park.code)
            stand = parkAirports.front().reservedStand;
    }
    const bool known = !stand.empty() && lf_findStandByName(stand) != nullptr;
    gf_setReservedStandName(known ? stand : "");
    mainWindow.reservedStandValid = known;
}
std::string lf_loadParkAirport()
{
    parkStands.clear();
    const ParkAirport park = gf_parkAirport();
    const std::filesystem::path path = gf_resolveApfPath(park.code);
    if (path.empty())
        return fmt::format("{} not found", park.code);
    std::pair<std::int32_t, std::int32_t> quality{-1, -1};
    try {
        if (std::string message = gf_readApf(path, quality); !message.empty())
            return message;
    } catch (const std::exception& e) {
        return e.what();
    }
    gf_publishStands(); // the user's stand is looked up among them next
    lf_allowSoftLearning(quality.first);
    lf_recordUserStand(park);
    parkStands.shrink_to_fit();
    lf_takeReservedStand(park);
    gf_setDisplayText(&MainWindow::airportNameText, gf_airportDisplayName(Airport{park.code, park.iata}),
                      statisticsBand);
    apfEditCount = 0;
    mainWindow.parkDataLoaded = true;
    return {};
}

} // namespace

void lf_staticParking(bool initial)
{
    if (staticParkingRunning.load() && standCandidates.empty()) {
        enableControls();
        gf_clearStatus();
        lf_listRatio1(true);
        lf_listRatio2(true);
    }
    if (parkLoadRequest) {
        gf_clearStatus();
        parkLoadRequest = false;
        const std::string message = lf_loadParkAirport();
        if (message.empty()) {
            lf_calcStaticParking();
        } else {
            gf_showStatus(message, true);
            lf_giveUpParkAirport();
        }
        return;
    }
    const UserAircraft& user = gf_currentUserAircraft();
    if (gf_userPositionUnknown(user.latitude, user.longitude))
        return;
    gf_sortParkAirports(user.latitude, user.longitude, false);
    if (!gf_parkAirportCode().empty())
        lf_airportInSight(user.latitude, user.longitude);
    else
        lf_userOnGround(user.latitude, user.longitude, initial);
}
