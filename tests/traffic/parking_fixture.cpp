#include "parking_fixture.h"

#include "app/mainwindow.h"
#include "app/startup.h"
#include "foundation/parametersfile.h"
#include "foundation/settingscatalogue.h"
#include "links/simlink.h"
#include "links/trafficreader.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"
#include "refgen/refgen.h"

#include "support/tempfolder.h"

#include <fmt/format.h>

#include <cmath>

namespace {
void lf_resetTables()
{
    staticActs.clear();
    liveActs.clear();
    parkStands.clear();
    gf_forgetStandHolders();
    lf_forgetKeptOut();
    gf_publishStands();
    standCandidates.clear();
    staticCreationItems.clear();
    liveCreationItems.clear();
    removalQueue.clear();
    searchCallsigns.clear();
    gf_takeCallsignsSeen();
    liveStayers.clear();
    staticStayers.clear();
    staticRemovals.clear();
    {
        std::lock_guard lock(parkAirportsMutex);
        parkAirports.clear();
    }
    gf_setParkAirport({});
    gf_setReservedStandName("");
    gf_forgetGivenUpAirport();
    parkLoadRequest = false;
    parkMaximum = 0;
    staticFlightIdCounter = 0;
    staticParkingRunning = false;
}
} // namespace

void gf_testWriteParkingFile(const std::filesystem::path& folder, const std::string& code,
                             const std::string& parkpositions)
{
    std::filesystem::create_directories(folder);
    gf_testWriteFile(folder / (code + ".xml"),
                     "<?xml version=\"1.0\"?>\n<meta>\n\t<info name=\"author\" value=\"Tarnwick_P3D\" />\n"
                     "\t<info name=\"version\" value=\"9.3.0\" />\n\t<info name=\"date\" value=\"Jan  1, 2024\" />\n"
                     "</meta>\n<parameters>\n\t<parameter name=\"altitude\" value=\"-11\" />\n</parameters>\n"
                     "<parkpositions>\n" +
                         parkpositions + "</parkpositions>\n");
}

std::string gf_testParkpos(const std::string& id, double latitude, double longitude, const std::string& airline,
                           const std::string& type, const std::string& callsign)
{
    std::string text = fmt::format("\t<parkpos id=\"{}\" latitude=\"{:.6f}\" longitude=\"{:.6f}\" radius=\"20\" "
                                   "heading=\"90\">\n",
                                   id, latitude, longitude);
    std::string hours = "0";
    for (int h = 1; h < 48; ++h)
        hours += fmt::format(",{}", h);
    for (int day = 1; day <= 7; ++day)
        text += fmt::format("\t\t<opt airl=\"{}\" type=\"{}\" cs=\"{}\" day=\"{}\" hh=\"{}\" />\n", airline, type,
                            callsign, day, hours);
    return text + "\t</parkpos>\n";
}

ParkingTest::ParkingTest()
{
    dataFolder = std::filesystem::current_path();
    parametersFile = dataFolder / L"parameters.xml";
    airportList = {{"EGLL", "LHR", 51.4706, -0.461941, 83.0},
                   {"EHAM", "AMS", amsLatitude, amsLongitude, -11.0},
                   {"EHLE", "LEY", 52.4603, 5.52722, -11.0},
                   {"EHRD", "RTM", 51.9569, 4.4372, -15.0}};
    lf_resetTables();
    RANDOM.value = false;
    WEEK.value = false;
    HELICOPTERS.value = true;
    PARK_SOFT.value = false;
    PARK_FAKE.value = false;
    INITIAL_LOAD_ONLY.value = false;
    LOG.value = true;
    MAX_FIT.value = 47;
    parking_percentage.value = 100;
    setSlot(1, 20);
    setUser(0.0, 0.0, false);
}

ParkingTest::~ParkingTest()
{
    lf_resetTables();
    airportList.clear();
    RANDOM.value = true;
    parking_percentage.value = 30;
}

StandOption gf_testOption(const OptionWanted& wanted, std::int32_t number)
{
    StandOption option;
    option.airl = wanted.airline;
    option.type = wanted.type;
    option.reg = wanted.registration;
    option.callsign = wanted.callsign;
    option.secondCall = wanted.secondCallsign;
    for (const std::uint32_t h : wanted.halfHours)
        option.hh.set(h);
    option.seq = number;
    option.day = wanted.day;
    option.soft = wanted.soft;
    return option;
}

StandRecord& ParkingTest::addStand(const std::string& id, double metresEast, std::initializer_list<OptionWanted> options,
                                   double radiusMetres)
{
    std::vector<StandOption> list;
    for (const OptionWanted& wanted : options)
        list.push_back(gf_testOption(wanted, static_cast<std::int32_t>(list.size()) + 1));
    const double longitude =
        amsLongitude + 0.001 + metresEast / (111132.95 * std::cos(amsLatitude * degToRad));
    parkStands.emplace_back(id, std::move(list), amsLatitude + 0.002, longitude, 0.5, radiusMetres, false, false,
                            false);
    linkStands();
    return parkStands.back();
}

void ParkingTest::linkStands()
{
    gf_numberAndLinkStands(parkStands);
    gf_publishStands();
}

void ParkingTest::setSlot(std::uint32_t weekday, std::uint32_t halfHour)
{
    currentWeekSlot = WeekSlot{weekday, halfHour}.value();
}

void ParkingTest::setUser(double latitude, double longitude, bool onGround, double altitude)
{
    UserAircraft user;
    user.latitude = latitude;
    user.longitude = longitude;
    user.altitude = altitude;
    user.altitudeAboveGround = onGround ? 0.0 : altitude;
    gf_setCurrentUserAircraft(user);
    userOnGround = onGround;
}

StaticAct& ParkingTest::addStatic(std::uint32_t standNumber, const std::string& callsign, const std::string& type,
                                  std::uint32_t objectId)
{
    const StandRecord& stand = *gf_findStand(standNumber);
    ActHead head;
    head.identity.airline = "KLM";
    head.identity.type = type;
    head.identity.callsign = callsign;
    head.flightId = gf_nextStaticFlightId();
    StaticAct& parked = staticActs.emplace_back(std::move(head), standNumber, stand.latitude, stand.longitude,
                                                stand.heading, false);
    parked.status = statusCreated;
    parked.objectId = objectId;
    parked.parkedSlot = gf_slotNow();
    return parked;
}

Act& ParkingTest::addLive(std::uint32_t flightId, const std::string& callsign, std::uint32_t standNumber,
                          double latitude, double longitude)
{
    ActHead head;
    head.identity.airline = "KLM";
    head.identity.type = "B738";
    head.identity.callsign = callsign;
    head.flightId = flightId;
    head.sizeClass = 2;
    Act& act = liveActs.emplace_back(lf_newAct(std::move(head), {}, 0.0));
    act.base.status = statusCreated;
    act.base.objectId = flightId + 1000;
    act.latitude = latitude;
    act.longitude = longitude;
    act.onGround = 1;
    act.phase = phaseGround;
    if (standNumber != 0) {
        const StandRecord& stand = *gf_findStand(standNumber);
        act.base.standNumber = standNumber;
        act.latitude = stand.latitude;
        act.longitude = stand.longitude;
        act.phase = phaseAtStand;
        act.parkedSince = gf_steadyTicks();
        act.base.parkedSlot = gf_slotNow();
    }
    return act;
}

void ParkingTest::useReferenceWorld()
{
    std::filesystem::create_directories(std::filesystem::path(L"output") / L"info");
    std::filesystem::create_directories(std::filesystem::path(L"output") / L"errors");
    refgen::writeProgramFiles(refgen::baseWorld(), L".");
    gf_readAircraftData();
    gf_readFixes();
    lf_readLiveriesScanned();
    processScannedLiveries();
}

std::vector<std::uint32_t> ParkingTest::removals() { return {removalQueue.begin(), removalQueue.end()}; }
