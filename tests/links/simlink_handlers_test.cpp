// What each message of the simulator does to the program's state, against the stand-in.
#include "links/simlink_fixture.h"

#include "foundation/parametersfile.h"
#include "foundation/settingscatalogue.h"
#include "liveries/referencedata.h"
#include "links/realtrafficserver.h"
#include "simconnect/protocol.h"
#include "support/codepage.h"
#include "support/waitfor.h"

#include <fmt/format.h>

namespace {
constexpr double amsterdamLatitude = 52.3086;
constexpr double amsterdamLongitude = 4.7639;

standin::Options lf_parkedAtAmsterdam()
{
    standin::Options options;
    options.userValues = {{"Plane Latitude", amsterdamLatitude},
                          {"Plane Longitude", amsterdamLongitude},
                          {"Plane Heading degrees true", 1.5},
                          {"Plane Altitude", -12.0},
                          {"Ground Velocity", 0.5},
                          {"SIM ON GROUND", 1},
                          {"ZULU TIME", 3600},
                          {"ZULU DAY OF YEAR", 60},
                          {"ZULU YEAR", 2024},
                          {"LIGHT STATES", 5}};
    return options;
}

bool lf_atAmsterdam(const UserAircraft& user) { return user.latitude == amsterdamLatitude; }

// Stand E7 of the park airport at the user's position (and D1 100 m north of it).
void lf_standE7AtAmsterdam()
{
    parkStands.clear();
    parkStands.emplace_back("D1", std::vector<StandOption>{}, amsterdamLatitude + 0.0009, amsterdamLongitude, 0.0,
                            40.0, false, false, false);
    parkStands.emplace_back("E7", std::vector<StandOption>{}, amsterdamLatitude, amsterdamLongitude + 0.00001, 0.0,
                            40.0, false, false, false);
    gf_publishStands();
}

// EHAM the park airport, with stand E7 at the user's position.
void lf_parkAtEham(std::vector<ParkAirportEntry> airports)
{
    gf_setParkAirport({.code = "EHAM"});
    lf_standE7AtAmsterdam();
    dataFolder = std::filesystem::current_path(); // the park airports file is written here
    std::lock_guard lock(parkAirportsMutex);
    parkAirports = std::move(airports);
}
} // namespace

TEST_F(SimLink, TheOpenAnswerNamesTheSimulatorAndAWrongVersionEndsTheLinkOnly)
{
    ASSERT_TRUE(runLinkUntilItEnds(SimTransport::pipe, {.simulatorName = "Lockheed Martin Prepar3D v6"}));
    EXPECT_TRUE(logHas("Lockheed Martin Prepar3D v6 (5.3.17.28160) connected "));
    EXPECT_TRUE(logHas("Error 78: wrong P3D version \"Lockheed Martin Prepar3D v6 (5.3.17.28160)\" connects ... ?"));
    // (the stand-in may read the last requests after the link has ended)
    EXPECT_TRUE(gf_waitFor([&] { return requestsOf(scReqUnsubscribeSystemEvent).size() == 6u; })) << "the connection is closed";
    EXPECT_EQ(pendingExits, 0) << "the program stays open for the user to set the install path";
    EXPECT_FALSE(flightRunning);
    EXPECT_EQ(status(&MainWindow::simulatorLine), "Lockheed Martin Prepar3D v6 (5.3.17.28160)");

    // The install path says version 6: accepted.
    SIM_INSTALL_PATH.assignValue("D:\\Lockheed Martin\\Prepar3D V6");
    gf_startSimConnectThread();
    EXPECT_TRUE(waitForSetup(2));
    EXPECT_EQ(runningThreads, 1);
}

TEST_F(SimLink, TheSimulatorOfAnotherMakerIsRefused)
{
    ASSERT_TRUE(runLinkUntilItEnds(SimTransport::ipv4, {.simulatorName = "Kitty-Hawk"}));
    EXPECT_TRUE(logHas("Error 78: KittyHawk, (MSFS) not being P3D connects ... ?"));
}

TEST_F(SimLink, TheSimEventSaysWhetherAFlightRuns)
{
    start(SimTransport::pipe);
    EXPECT_TRUE(mainWindow.flightMark);
    sim().sendSystemEvent("Sim", 0);
    EXPECT_TRUE(gf_waitFor([] { return !flightRunning && !mainWindow.flightMark; }));
    sim().sendSystemEvent("Sim", 1);
    EXPECT_TRUE(gf_waitFor([] { return flightRunning && mainWindow.flightMark; }));
}

TEST_F(SimLink, TheUserPositionIsKeptWholeWithTheStandAndTheSimulatorTime)
{
    standin::Options options = lf_parkedAtAmsterdam();
    options.userObjectId = 7;
    lf_standE7AtAmsterdam();
    start(SimTransport::pipe, options);
    realTrafficProfessional = true;
    ASSERT_TRUE(waitForUserBlock(lf_atAmsterdam));
    // The stand is named once the simulator has said that the user aircraft is on the ground.
    requestOnGround();
    ASSERT_TRUE(waitForUserBlock([](const UserAircraft&) { return gf_userAircraftInfo().stand == "E7"; }));
    const UserAircraft user = gf_userAircraftBlock();
    EXPECT_EQ(user.longitude, amsterdamLongitude);
    EXPECT_EQ(user.heading, 1.5);
    EXPECT_EQ(user.altitude, 0.0) << "below sea level is kept as 0";
    EXPECT_EQ(user.groundSpeed, 0.5);
    EXPECT_EQ(user.zuluYear, 2024);
    EXPECT_EQ(user.lightStates, 5);
    EXPECT_EQ(userObjectId, 7u);
    EXPECT_EQ(simulatorTime, 1709164800 + 3600) << "29 February 2024, 01:00 UTC";
    EXPECT_EQ(gf_userAircraftInfo().stand, "E7");
    EXPECT_EQ(status(&MainWindow::userStand), "E7");

    // Off the stand, and the time is no longer kept for the standard edition.
    parkStands.clear();
    gf_publishStands();
    realTrafficProfessional = false;
    sim().setUserValue("ZULU YEAR", 2025);
    sim().setUserValue("Plane Longitude", 4.77);
    ASSERT_TRUE(waitForUserBlock([](const UserAircraft& u) { return u.zuluYear == 2025; }));
    EXPECT_EQ(gf_userAircraftInfo().stand, "");
    EXPECT_EQ(status(&MainWindow::userStand), "");
    EXPECT_EQ(simulatorTime, 1709164800 + 3600);
    EXPECT_EQ(pendingExits, 0);
}

TEST_F(SimLink, AJumpOfMoreThanTenMilesRestartsTheProgram)
{
    start(SimTransport::ipv4, lf_parkedAtAmsterdam());
    ASSERT_TRUE(waitForUserBlock(lf_atAmsterdam));
    // 9.9 nm north: a fast aircraft, no jump.
    const double north99 = amsterdamLatitude + 9.9 / 60.0;
    sim().setUserValue("Plane Latitude", north99);
    ASSERT_TRUE(waitForUserBlock([&](const UserAircraft& u) { return u.latitude == north99; }));
    EXPECT_EQ(pendingExits, 0);
    EXPECT_FALSE(logHas("Teleport"));
    // A further 10.1 nm: moved by the user.
    const double north200 = north99 + 10.1 / 60.0;
    sim().setUserValue("Plane Latitude", north200);
    ASSERT_TRUE(waitForUserBlock([&](const UserAircraft& u) { return u.latitude == north200; }));
    EXPECT_TRUE(waitForLog("Teleport"));
    EXPECT_EQ(pendingExits, 1);
    EXPECT_EQ(pendingExitReason, 2u);
    EXPECT_EQ(pendingExitSeconds, 30u);
}

TEST_F(SimLink, TheGroundStateIsTakenOnlyOnceThePositionIsKnown)
{
    start(SimTransport::pipe); // the user aircraft at 0,0: no flight loaded yet
    sim().setUserValue("SIM ON GROUND", 1);
    requestOnGround();
    ASSERT_TRUE(gf_waitFor([] { return newSecond.exchange(false); }));
    EXPECT_FALSE(userOnGroundReceived);
    EXPECT_FALSE(userOnGround);

    sim().setUserValue("Plane Latitude", amsterdamLatitude);
    sim().setUserValue("Plane Longitude", amsterdamLongitude);
    ASSERT_TRUE(waitForUserBlock(lf_atAmsterdam));
    sim().stepPeriodic();
    EXPECT_TRUE(gf_waitFor([] { return userOnGroundReceived && userOnGround; }));
    sim().setUserValue("SIM ON GROUND", 0);
    newSecond = false;
    sim().stepPeriodic();
    EXPECT_TRUE(gf_waitFor([] { return !userOnGround && newSecond; }));
}

TEST_F(SimLink, TheTitleIsCutTo48CharactersAndShown)
{
    start(SimTransport::pipe, {.userTitle = std::string(40, 'T') + "12345678" + "ABCDEFGHIJKL"}); // 60 characters
    requestUserTitleAndModel();
    ASSERT_TRUE(gf_waitFor([] { return !gf_userAircraftInfo().title.empty(); }));
    const std::string title = std::string(40, 'T') + "12345678";
    EXPECT_EQ(gf_userAircraftInfo().title, title);
    EXPECT_EQ(status(&MainWindow::simulatorText), title);
    EXPECT_TRUE(waitForLog("SimConnect: User aircraft title: "));
    EXPECT_TRUE(log.hasLine("          SimConnect: User aircraft title: " + title));

    sim().setUserText("TITLE", "");
    requestUserTitleAndModel();
    EXPECT_TRUE(waitForLog("! title of your ac is empty?"));
    EXPECT_EQ(gf_userAircraftInfo().title, title);
}

TEST_F(SimLink, TextsOfTheSimulatorInWindows1252ArriveAsUtf8)
{
    SKIP_UNLESS_ANSI_IS_1252();
    // 60 characters in Windows-1252, as the simulator sends them; cut to 48 characters.
    const std::string ansiTitle = "Fokker 100 D\xFCsseldorf \xC4\xD6\xDC " + std::string(34, '\xE9');
    const std::string title = "Fokker 100 D\xC3\xBCsseldorf \xC3\x84\xC3\x96\xC3\x9C " + [] {
        std::string accents;
        for (int i = 0; i < 22; ++i)
            accents += "\xC3\xA9";
        return accents;
    }();
    start(SimTransport::pipe, {.userTitle = ansiTitle});
    requestUserTitleAndModel();
    ASSERT_TRUE(gf_waitFor([] { return !gf_userAircraftInfo().title.empty(); }));
    EXPECT_EQ(gf_userAircraftInfo().title, title);
    EXPECT_EQ(status(&MainWindow::simulatorText), title);
    EXPECT_TRUE(waitForLog("SimConnect: User aircraft title: " + title));

    // An aircraft of another program, named by its ATC id.
    const std::uint32_t other = sim().addObject("Other", "D-\xC4" "BC", {});
    sim().stepFrames(1);
    requestWithinRange();
    EXPECT_TRUE(waitForLog(fmt::format("oid: {}, callsign \"D-\xC3\x84" "BC\" unknown", other)));
}

TEST_F(SimLink, TheModelCodeGivesTheWingspanAndSizeClass)
{
    wingspans = {{"B738", 17.9 / 1852}, {"B38", 20.0 / 1852}, {"A320", 17.05 / 1852},
                                  {"E190", 14.3 / 1852}, {"A388", 39.9 / 1852}};
    largeTypes = {"B738", "A320"};
    highPerformanceTypes = {"B38"};
    maxHalfWingspan = 39.9 / 1852;
    start(SimTransport::pipe, {.userAtcModel = "ATCCOM.AC_MODEL_B738.0.text"});

    auto modelBecomes = [&](const std::string& atcModel, const std::string& title, const std::string& model) {
        sim().setUserText("ATC MODEL", atcModel);
        sim().setUserText("TITLE", title);
        requestUserTitleAndModel();
        return gf_waitFor([&] { return gf_userAircraftInfo().model == model; });
    };
    ASSERT_TRUE(modelBecomes("ATCCOM.AC_MODEL_B738.0.text", "Boeing 737-800", "B738"));
    UserAircraftInfo info = gf_userAircraftInfo();
    EXPECT_DOUBLE_EQ(info.halfWingspan, 17.9 / 1852);
    EXPECT_TRUE(info.wingspanKnown);
    EXPECT_EQ(info.sizeClass, 2);
    EXPECT_TRUE(waitForLog("SimConnect: User aircraft model: B738, half wing span: 17.9 meter, category: Large"));

    // The four characters before ".0.text" are unknown, the three are known.
    ASSERT_TRUE(modelBecomes("ATCCOM.AC_MODEL_XB38.0.text", "Boeing 737-800", "B38"));
    EXPECT_EQ(gf_userAircraftInfo().sizeClass, 4);

    // A long model code of an Aerosoft airbus: the model comes from the title.
    ASSERT_TRUE(modelBecomes("AEROSOFT_A320_CFM", "Aerosoft A320 Lufthansa", "A320"));
    EXPECT_TRUE(gf_userAircraftInfo().wingspanKnown);
    EXPECT_TRUE(waitForLog("SimConnect: User aircraft model deduced from title: A320, half wing span: 17.1 meter"));

    // Nothing tells the span: the largest is taken and the model marked unknown.
    ASSERT_TRUE(modelBecomes("SOMETHING_LONG", "Home-made jet", "SOMETHING_LONG"));
    info = gf_userAircraftInfo();
    EXPECT_FALSE(info.wingspanKnown);
    EXPECT_DOUBLE_EQ(info.halfWingspan, maxHalfWingspan);
    EXPECT_FALSE(mainWindow.userModelKnown);

    // A camera pod flies with the span of an E190.
    ASSERT_TRUE(modelBecomes("camerapod", "Camera", "camerapod"));
    info = gf_userAircraftInfo();
    EXPECT_DOUBLE_EQ(info.halfWingspan, 14.3 / 1852);
    EXPECT_EQ(info.sizeClass, 0);
    EXPECT_TRUE(mainWindow.userModelKnown);
}

TEST_F(SimLink, AnEmptyModelIsAUserErrorThatEndsTheLink)
{
    start(SimTransport::pipe, {.userAtcModel = ""});
    requestUserTitleAndModel();
    ASSERT_TRUE(waitForThreadEnd());
    EXPECT_TRUE(logHas("Error 71: atc_model= in [General] section of your aircraft.cfg is empty or missing"));
    EXPECT_FALSE(flightRunning) << "no flight is used without the link";
    EXPECT_EQ(pendingExits, 0);
    EXPECT_TRUE(connectionClosed());
}

TEST_F(SimLink, ExceptionsFromTheSimulator)
{
    start(SimTransport::ipv4);
    // Before a flight is loaded an unknown id is expected: not logged.
    sim().sendException(3, 77, 1);
    sim().sendException(42, 78, 1);
    ASSERT_TRUE(waitForLog("===> SIMCON EXCEP 42"));
    EXPECT_FALSE(logHas("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"));

    sim().setUserValue("Plane Latitude", amsterdamLatitude);
    ASSERT_TRUE(waitForUserBlock(lf_atAmsterdam));
    sim().sendException(3, 79, 1);
    sim().sendException(11, 80, 1);
    sim().sendException(19, 81, 1);
    sim().sendException(22, 4711, 1); // no creation with this send id
    sim().sendException(23, 82, 2);
    sim().sendException(24, 83, 1);
    ASSERT_TRUE(waitForLog("SIMCON EXCEP 24"));
    EXPECT_TRUE(log.hasLine("===> SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"));
    EXPECT_TRUE(log.hasLine("SimConnect: too many objects (max 1000)"));
    EXPECT_TRUE(log.hasLine("SIMCON EXCEP 19"));
    EXPECT_TRUE(log.hasLine("===> Simconnect Exception: load flight plan failed"));
    EXPECT_TRUE(answers().empty());
    EXPECT_EQ(runningThreads, 1);

    sim().sendException(5, 84, 3);
    ASSERT_TRUE(waitForThreadEnd());
    EXPECT_TRUE(logHas("Error 95: Simconnect Version Mismatch, dwindex: 3 "));
}

TEST_P(SimLinkOverTransport, TheQuitEndsTheLinkAndTheProgram)
{
    start(GetParam());
    sim().sendQuit();
    ASSERT_TRUE(waitForThreadEnd());
    EXPECT_FALSE(flightRunning);
    EXPECT_TRUE(waitForLog(" Flight Simulator no longer connected, Tarnwick_P3D will stop ..."));
    EXPECT_EQ(pendingExits, 1);
    EXPECT_EQ(pendingExitReason, 1u) << "SIM WAS CLOSED";
    EXPECT_EQ(pendingExitSeconds, 0u);
    EXPECT_EQ(requestsOf(scReqUnsubscribeSystemEvent).size(), 6u) << "closed in order";
}

TEST_F(SimLink, AQuitDuringAnExitStartsNoOtherExit)
{
    start(SimTransport::pipe);
    exitFlag = true;
    sim().sendQuit();
    ASSERT_TRUE(waitForThreadEnd());
    exitFlag = false;
    EXPECT_EQ(pendingExits, 0);
    EXPECT_FALSE(logHas("no longer connected"));
    EXPECT_EQ(requestsOf(scReqUnsubscribeSystemEvent).size(), 6u);
}

TEST_F(SimLink, ANewFlightOrAMovedAircraftRestartsTheProgram)
{
    start(SimTransport::pipe);
    sim().sendSystemEvent("FlightLoaded", 0);
    ASSERT_TRUE(waitForLog("===> Flight loaded"));
    sim().sendSystemEvent("PositionChanged", 0);
    ASSERT_TRUE(waitForLog("===> User ac position changed"));
    sim().send(standin::message(scMsgEventFilename, std::vector<std::uint8_t>(268, 0)));
    ASSERT_TRUE(waitForLog("===> New file loaded"));
    EXPECT_EQ(pendingExits, 3);
    EXPECT_EQ(pendingExitReason, 2u);
    EXPECT_EQ(pendingExitSeconds, 30u);
    EXPECT_EQ(runningThreads, 1) << "the restart ends the link, not the message";
}

TEST_F(SimLink, TheUserStandIsRememberedWhenParkedAtTheParkAirport)
{
    lf_parkAtEham({{"EHAM", "D4", 52.3, 4.76, 0.0}, {"EHRD", "", 51.9, 4.4, 30.0}});
    start(SimTransport::pipe, lf_parkedAtAmsterdam());
    ASSERT_TRUE(waitForUserBlock(lf_atAmsterdam));
    requestOnGround();
    ASSERT_TRUE(gf_waitFor([] { return userOnGroundReceived.load(); }));

    sim().sendSystemEvent("FlightLoaded", 0);
    ASSERT_TRUE(waitForLog("===> Flight loaded"));
    std::lock_guard lock(parkAirportsMutex);
    EXPECT_EQ(parkAirports.front().reservedStand, "E7");
    EXPECT_EQ(gf_testReadFile(dataFolder / L"my_park_airports.txt"), "EHAM,E7\r\n");
}

TEST_F(SimLink, ATaxiingUserKeepsTheReservedStand)
{
    lf_parkAtEham({{"EHAM", "D4", 52.3, 4.76, 0.0}});
    standin::Options options = lf_parkedAtAmsterdam();
    options.userValues["Ground Velocity"] = 6.0;
    start(SimTransport::pipe, options);
    ASSERT_TRUE(waitForUserBlock(lf_atAmsterdam));
    requestOnGround();
    ASSERT_TRUE(gf_waitFor([] { return userOnGroundReceived.load(); }));
    gf_resetSimLink(); // the end of the thread tries too
    std::lock_guard lock(parkAirportsMutex);
    EXPECT_EQ(parkAirports.front().reservedStand, "D4");
    EXPECT_FALSE(std::filesystem::exists(dataFolder / L"my_park_airports.txt"));
}

TEST_F(SimLink, UnknownAndShortMessagesAreSkipped)
{
    start(SimTransport::ipv4);
    sim().send(standin::filledMessage(40));
    ASSERT_TRUE(waitForLog("! Unknown Dispatch dwID 126"));
    // A user position answer cut off after its header.
    std::vector<std::uint8_t> body(28, 0);
    body[0] = 109;
    sim().send(standin::message(scMsgObjectData, body));
    ASSERT_TRUE(waitForLog("too short, skipped"));
    sim().send(standin::message(scMsgOpen, std::vector<std::uint8_t>(40, 'x')));
    sim().send(standin::exceptionMessage(42, 1, 1));
    ASSERT_TRUE(waitForLog("SIMCON EXCEP 42"));
    EXPECT_EQ(runningThreads, 1);
    EXPECT_EQ(gf_userAircraftBlock().latitude, 0.0);
    sim().sendSystemEvent("Sim", 0);
    EXPECT_TRUE(gf_waitFor([] { return !flightRunning; })) << "still dispatching";
}
