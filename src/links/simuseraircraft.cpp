// What the link keeps of the user aircraft: its block, title, model, wingspan, ground state
// and stand; the requests for them. The state is read by other threads only as copies
// taken under one lock, so that no copy mixes two answers.
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"

#include "app/finalexit.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/flightident.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/winstring.h"
#include "liveries/liveries.h"
#include "links/realtrafficserver.h"
#include "simconnect/protocol.h"
#include "traffic/traffic.h"

#include <fmt/format.h>

#include <cmath>

#include <chrono>
#include <mutex>

namespace {
constexpr double teleportNm = 10.0;
constexpr std::size_t longestTitle = 48;
constexpr double parkedGroundSpeed = 2.0; // knots
constexpr std::uint32_t modelField = 32;

std::mutex userMutex;
UserAircraft userBlock;
LatLon previousPosition{0.0, 0.0};
UserAircraftInfo userInfo;

// Cut to at most `length` characters of UTF-8.
std::string lf_cutText(const std::string& text, std::size_t length)
{
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && characters++ == length)
            return text.substr(0, at);
    return text;
}

// Seconds since 1970 of the simulator's zulu year, day of year and time of day.
std::int64_t lf_posixTime(const UserAircraft& block)
{
    using namespace std::chrono;
    const sys_days newYear{year{static_cast<int>(block.zuluYear)} / January / 1};
    return (static_cast<std::int64_t>(newYear.time_since_epoch().count()) + block.zuluDayOfYear - 1) * 86400 +
           block.zuluSeconds;
}

// The model code in an ATC model text such as "ATCCOM.AC_MODEL_B738.0.text": the four,
// three or two characters before ".0.text" that have a wingspan; else the whole text.
std::string lf_modelCode(const std::string& text)
{
    const std::size_t end = text.find(".0.text");
    if (end == std::string::npos)
        return text;
    for (const std::size_t length : {4u, 3u, 2u})
        if (end >= length && gf_wingspan(text.substr(end - length, length)) != 0.0)
            return text.substr(end - length, length);
    return text;
}

} // namespace

UserAircraftInfo gf_userAircraftInfo()
{
    std::lock_guard lock(userMutex);
    return userInfo;
}

UserAircraft gf_userAircraftBlock()
{
    std::lock_guard lock(userMutex);
    return userBlock;
}

void lf_clearUserAircraft()
{
    std::lock_guard lock(userMutex);
    userBlock = UserAircraft{};
    previousPosition = {0.0, 0.0};
    userInfo = UserAircraftInfo{};
    userObjectId = 0;
    userOnGround = false;
    userOnGroundReceived = false;
}

void onUserPosition(const SimMessage& message)
{
    const auto block = message.read<UserAircraft>(scOff::dataStart);
    if (!block) {
        gf_logf("! SimConnect user position of {} bytes is too short, skipped", message.size);
        return;
    }
    UserAircraft received = *block;
    // A damaged block would move the user aircraft nowhere: the last good one stays.
    const bool finite = std::isfinite(received.pitch) && std::isfinite(received.bank) &&
                        std::isfinite(received.heading) && std::isfinite(received.altitude) &&
                        std::isfinite(received.altitudeAboveGround) && std::isfinite(received.groundSpeed);
    if (!finite || !(std::fabs(received.latitude) <= 90) || !(std::fabs(received.longitude) <= 180)) {
        gf_logf("! SimConnect user position {}, {} is no position, skipped", received.latitude, received.longitude);
        return;
    }
    if (received.altitude < 0)
        received.altitude = 0;
    const LatLon position{received.latitude, received.longitude};
    bool teleport = false;
    {
        std::lock_guard lock(userMutex);
        userBlock = received;
        teleport = !gf_userPositionUnknown(previousPosition.first, previousPosition.second) &&
                   gf_distanceNm(previousPosition, position) > teleportNm;
        previousPosition = position;
    }
    if (teleport) {
        gf_log("Teleport");
        gf_startFinalExit(2, 30);
    }
    const std::string stand = lf_standNameAt(position.first, position.second);
    bool standChanged = false;
    {
        std::lock_guard lock(userMutex);
        standChanged = stand != userInfo.stand;
        userInfo.stand = stand;
    }
    if (standChanged)
        gf_setDisplayText(&MainWindow::userStand, stand, countersBand);
    if (realTrafficProfessional)
        simulatorTime = lf_posixTime(received);
    userObjectId = message.u32(scOff::dataObjectId);
}

void onUserOnGround(const SimMessage& message)
{
    const auto value = message.read<std::int64_t>(scOff::dataStart);
    const UserAircraft block = gf_userAircraftBlock();
    if (value && !gf_userPositionUnknown(block.latitude, block.longitude)) {
        userOnGround = *value != 0;
        userOnGroundReceived = true;
    }
    newSecond = true;
}

void readUserAircraftTitle(const SimMessage& message)
{
    // The simulator's texts are in the system's code page.
    const std::string text = gf_ansiToUtf8(message.text(scOff::dataStart, message.size));
    if (text.empty()) {
        gf_log("! title of your ac is empty?");
        return;
    }
    const std::string title = lf_cutText(text, longestTitle);
    {
        std::lock_guard lock(userMutex);
        if (title == userInfo.title)
            return;
        userInfo.title = title;
    }
    gf_setDisplayText(&MainWindow::simulatorText, title, countersBand);
    lf_logIndented("SimConnect: User aircraft title: " + title);
}

void readUserAircraftModel(const SimMessage& message)
{
    if (!message.has(scOff::dataStart, modelField))
        throw zeb::UserErrorException(73, "It looks like you have not selected an aircraft as user vehicle");
    const std::string text = gf_ansiToUtf8(message.text(scOff::dataStart, modelField));
    if (text.empty())
        throw zeb::UserErrorException(71, "atc_model= in [General] section of your aircraft.cfg is empty or missing");
    std::string model = lf_modelCode(text);
    std::string line = "SimConnect: User aircraft model: " + model;
    const std::string title = gf_userAircraftInfo().title;
    double wingspan = 0.0;
    std::int32_t sizeClass = 0;
    bool known = true;
    if (model.find("camerapod") != std::string::npos || model.find("Crew Vessel") != std::string::npos) {
        wingspan = gf_wingspan("E190");
    } else {
        wingspan = model.size() < 5 ? gf_wingspan(model) : maxHalfWingspan;
        if (wingspan == maxHalfWingspan) {
            for (const char* aerosoft : {"A319", "A320", "A321"})
                if (title.starts_with(fmt::format("Aerosoft {}", aerosoft))) {
                    model = aerosoft;
                    line = "SimConnect: User aircraft model deduced from title: " + model;
                    wingspan = gf_wingspan(model);
                    break;
                }
        }
        known = wingspan != maxHalfWingspan;
        if (!known)
            gf_showStatus("User aircraft wing span unknown, max is taken instead, please report in my Forum!", false);
        sizeClass = gf_sizeCategory(model);
        line += fmt::format(", half wing span: {:.1F} meter, category: {}", wingspan * metresPerNm,
                            gf_sizeClassName(sizeClass));
        lf_logIndented(line);
    }
    mainWindow.userModelKnown = known;
    gf_repaintBand(countersBand);
    std::lock_guard lock(userMutex);
    userInfo.model = model;
    userInfo.halfWingspan = wingspan;
    userInfo.wingspanKnown = known;
    userInfo.sizeClass = sizeClass;
}

UserAircraft requestUserPosition()
{
    if (!simPaused) {
        std::lock_guard lock(simQueues.mutex);
        if (simConnection != nullptr &&
            SimConnect_RequestDataOnSimObject(simConnection, reqUserPosition, defUserAircraft, 0, scPeriodOnce, 0, 0, 0,
                                              0) != scOk) {
            gf_logMarked("SimConnect request user ac position fails");
            countRequestError();
        }
    }
    return gf_userAircraftBlock();
}

void requestUserTitleAndModel()
{
    std::lock_guard lock(simQueues.mutex);
    if (simConnection == nullptr)
        return;
    if (SimConnect_RequestDataOnSimObject(simConnection, reqUserTitle, defTitle, 0, scPeriodOnce, 0, 0, 0, 0) != scOk) {
        gf_logMarked("SimConnect request user ac title fails");
        countRequestError();
    }
    if (SimConnect_RequestDataOnSimObject(simConnection, reqUserModel, defAtcModel, 0, scPeriodOnce, 0, 0, 0, 0) !=
        scOk) {
        gf_logMarked("SimConnect reques user ac model fails");
        countRequestError();
    }
}

void lf_saveUserStand()
{
    try {
        const UserAircraft block = gf_userAircraftBlock();
        if (!userOnGroundReceived || block.groundSpeed > parkedGroundSpeed)
            return;
        const std::string stand = lf_standNameAt(block.latitude, block.longitude);
        if (stand.empty())
            return;
        const std::string parkAirport = gf_parkAirportCode();
        std::lock_guard lock(parkAirportsMutex);
        if (parkAirports.empty() || parkAirports.front().code != parkAirport ||
            parkAirports.front().reservedStand == stand)
            return;
        parkAirports.front().reservedStand = stand;
        lf_writeParkAirports();
    } catch (const std::exception& e) {
        gf_logf("exception in lf_saveUserStand: {}", e.what());
    }
}
