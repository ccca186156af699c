// Which airport is the park airport: the one the user aircraft stands at, or the nearest
// listed park airport in sight while flying; and giving it up when the user flies away.
#include "traffic/parking.h"

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "links/simlink.h"
#include "links/trafficreader.h"

#include <fmt/format.h>

#include <optional>

bool parkLoadRequest = false;

namespace {
std::mutex reservedMutex;
std::string reservedStand; // under reservedMutex

// The airport whose parking file failed, and the last choice message shown, so that the
// 16-second choice neither retries the file nor repeats its message.
std::string givenUpCode;
std::string lastChoiceMessage;

void lf_showChoiceOnce(const std::string& message)
{
    if (message == lastChoiceMessage)
        return;
    lastChoiceMessage = message;
    gf_showStatus(message, true);
}

std::optional<ParkAirportEntry> lf_firstListed()
{
    std::lock_guard lock(parkAirportsMutex);
    if (parkAirports.empty())
        return std::nullopt;
    return parkAirports.front();
}

std::string lf_parkDisplayName()
{
    const ParkAirport park = gf_parkAirport();
    return gf_airportDisplayName(Airport{park.code, park.iata, park.latitude, park.longitude, park.elevation});
}

void lf_startStaticParking(bool initial)
{
    disableControls();
    gf_startCollectingCallsigns();
    if (initial)
        gf_showStatus("Calculating static parked aircraft ...", false);
}

void lf_leaveParkAirport()
{
    standCandidates.clear();
    lf_removeStaticParked();
    gf_removeLiveAircraft(true);
    for (Act& act : liveActs) {
        if (act.base.status != statusCreated)
            continue;
        act.base.latitude = act.base.longitude = act.base.heading = 0.0;
        act.base.standNumber = 0;
        act.base.standCargo = 0;
    }
    lf_clearParkAirport();
    if (MAX_LIVE.value.load() != liveMaximum.load()) {
        MAX_LIVE.value = liveMaximum.load();
        lf_removeExcess();
    }
}

// A chosen airport: its stands are loaded by the next lf_staticParking.
void lf_choose(bool initial)
{
    lastChoiceMessage.clear();
    parkLoadRequest = true;
    lf_startStaticParking(initial);
}
} // namespace

std::string gf_reservedStandName()
{
    std::lock_guard lock(reservedMutex);
    return reservedStand;
}

bool gf_userStand(const StandRecord& stand)
{
    const std::string reserved = gf_reservedStandName();
    const std::string userStand = gf_userAircraftInfo().stand;
    return (!reserved.empty() && stand.id == reserved) || (!userStand.empty() && stand.id == userStand);
}

void gf_setReservedStandName(const std::string& name)
{
    std::lock_guard lock(reservedMutex);
    reservedStand = name;
}

void gf_forgetGivenUpAirport() { givenUpCode.clear(); }

void lf_userOnGround(double latitude, double longitude, bool initial)
{
    if (userOnGround.load()) {
        const std::optional<Airport> airport = gf_closestAirport(latitude, longitude);
        if (!airport) {
            givenUpCode.clear();
            lf_showChoiceOnce("User aircraft on the ground, no airport in sight");
            return;
        }
        if (airport->code == givenUpCode)
            return;
        givenUpCode.clear();
        if (!gf_findApfFile(airport->code)) {
            lf_showChoiceOnce(fmt::format("User aircraft on the ground at {}, no airport file found", airport->code));
            return;
        }
        gf_logf("User aircraft on the ground at {}", airport->code);
        if (lf_setParkAirport(airport->code))
            lf_choose(initial);
        return;
    }
    const std::optional<ParkAirportEntry> first = lf_firstListed();
    if (!first)
        return;
    const bool inSight = first->distance <= AIRPORT_RANGE.value.load() &&
                         gf_currentUserAircraft().altitude <= AIRPORT_HEIGHT.value.load();
    if (!inSight || first->code != givenUpCode)
        givenUpCode.clear();
    if (!inSight || !givenUpCode.empty() || !lf_setParkAirport(first->code))
        return;
    gf_showStatus(fmt::format("{} in sight at {:.1F} nm", first->code, first->distance), true);
    lf_choose(false);
}

bool lf_setParkAirport(const std::string& code)
{
    const std::optional<Airport> airport = gf_findAirport(code);
    if (!airport)
        return false;
    gf_setParkAirport({airport->code, airport->iata, airport->lat, airport->lon, airport->alt});
    gf_logf("The park airport is {}", gf_airportDisplayName(*airport));
    return true;
}

void lf_airportInSight(double latitude, double longitude)
{
    if (userOnGround.load())
        return;
    const ParkAirport park = gf_parkAirport();
    const double distance = gf_distanceNm(latitude, longitude, park.latitude, park.longitude);
    const double range = AIRPORT_RANGE.value.load();
    if (distance <= range && gf_currentUserAircraft().altitude <= AIRPORT_HEIGHT.value.load()) {
        const std::optional<ParkAirportEntry> first = lf_firstListed();
        if (first && first->code != park.code && first->distance <= range && first->distance <= distance) {
            gf_logf("\n{} {} is in sight ({:.1F} nm), parked aircraft at {} will be removed first",
                    gf_clockTimeText(), first->code, first->distance, lf_parkDisplayName());
            lf_leaveParkAirport();
        }
        return;
    }
    gf_logf("\n{} {} is out of sight ({:.1F} nm), parked aircraft will be removed", gf_clockTimeText(),
            lf_parkDisplayName(), distance);
    lf_leaveParkAirport();
}

void lf_clearParkAirport()
{
    gf_stopParking();
    gf_setParkAirport({});
    gf_setReservedStandName("");
    mainWindow.reservedStandValid = false;
    mainWindow.parkDataLoaded = false;
    mainWindow.updateCount = 0;
    staticRemovals.clear();
    standCandidates.clear();
    // Its stands and the aircraft kept out at them go with it.
    gf_forgetStandHolders();
    lf_forgetKeptOut();
    parkStands.clear();
    gf_publishStands();
    gf_setDisplayText(&MainWindow::airportNameText, "", statisticsBand);
    gf_setDisplayText(&MainWindow::airportPublisherText, "", statisticsBand);
    gf_setDisplayText(&MainWindow::qualityText, "", statisticsBand);
    gf_repaintWindow();
}

void gf_resetStaticParking()
{
    parkLoadRequest = false;
    parkMaximum = 0;
    lf_forgetKeptOut();
    gf_forgetStandHolders();
    givenUpCode.clear();
    lastChoiceMessage.clear();
    gf_setReservedStandName("");
    softLearningAllowed = true;
    liveStayers.clear();
    staticStayers.clear();
    staticRemovals.clear();
}

void lf_giveUpParkAirport()
{
    givenUpCode = gf_parkAirportCode();
    lf_clearParkAirport();
}
