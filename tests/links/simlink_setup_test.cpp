// The link's conversation with the simulator: the set-up after connecting, byte for byte,
// over a pipe and over TCP; the close whenever it stops; the retry while there is no simulator.
#include "links/simlink_fixture.h"

#include "simconnect/protocol.h"

#include <cstring>

namespace {
using Bytes = std::vector<std::uint8_t>;

// One request packet as it must go out: header, then fields written by `fill`.
struct Expected {
    Bytes bytes;
    Expected(std::uint32_t size, std::uint32_t number) : bytes(size, 0)
    {
        u32(0, size);
        u32(4, scProtocolVersion);
        u32(8, scRequestIdBase + number);
    }
    Expected& u32(std::size_t offset, std::uint32_t value)
    {
        std::memcpy(bytes.data() + offset, &value, 4);
        return *this;
    }
    Expected& text(std::size_t offset, const char* value)
    {
        std::memcpy(bytes.data() + offset, value, std::strlen(value));
        return *this;
    }
};

Expected lf_datum(std::uint32_t define, const char* name, const char* unit, std::uint32_t type)
{
    return std::move(Expected(544, 0x0C).u32(16, define).text(20, name).text(276, unit).u32(532, type).u32(540, 0xFFFFFFFF));
}

std::vector<Expected> lf_expectedSetup()
{
    std::vector<Expected> all;
    const std::pair<std::uint32_t, const char*> systemEvents[] = {
        {201, "Sim"}, {202, "ObjectAdded"}, {203, "ObjectRemoved"}, {205, "PositionChanged"},
        {206, "FlightLoaded"}, {204, "Frame"}};
    for (const auto& [id, name] : systemEvents)
        all.push_back(std::move(Expected(276, 0x17).u32(16, id).text(20, name)));
    all.push_back(lf_datum(407, "TITLE", "", 11));
    all.push_back(lf_datum(408, "ATC MODEL", "", 6));
    all.push_back(lf_datum(409, "SIM ON GROUND", "Bool", 2));
    for (const std::uint32_t define : {402u, 403u}) {
        all.push_back(lf_datum(define, "Plane Latitude", "degree", 4));
        all.push_back(lf_datum(define, "Plane Longitude", "degree", 4));
        all.push_back(lf_datum(define, "Plane Pitch degrees", "radians", 4));
        all.push_back(lf_datum(define, "Plane Bank degrees", "radians", 4));
        all.push_back(lf_datum(define, "Plane Heading degrees true", "radians", 4));
        all.push_back(lf_datum(define, "Plane Altitude", "feet", 4));
        if (define == 402) {
            all.push_back(lf_datum(402, "Vertical Speed", "feet per second", 4));
            all.push_back(lf_datum(402, "Airspeed True", "knots", 4));
        }
    }
    all.push_back(lf_datum(403, "Plane Alt Above Ground", "feet", 4));
    all.push_back(lf_datum(403, "Ground Velocity", "knots", 4));
    all.push_back(lf_datum(403, "ZULU TIME", "Seconds", 2));
    all.push_back(lf_datum(403, "ZULU DAY OF YEAR", "Number", 2));
    all.push_back(lf_datum(403, "ZULU YEAR", "Number", 2));
    all.push_back(lf_datum(403, "LIGHT STATES", "Mask", 2));
    all.push_back(lf_datum(405, "Static CG to Ground", "feet", 4));
    all.push_back(lf_datum(405, "Static Pitch", "radians", 4));
    all.push_back(lf_datum(406, "Light On States", "Mask", 2));
    all.push_back(lf_datum(404, "Plane Alt Above Ground", "feet", 4));
    all.push_back(lf_datum(404, "Ground Altitude", "feet", 4));
    all.push_back(lf_datum(404, "SIM ON GROUND", "Bool", 2));
    all.push_back(lf_datum(404, "ATC ID", "", 6));
    const std::pair<std::uint32_t, const char*> events[] = {
        {220, "GEAR_SET"},          {221, "ENGINE_AUTO_START"},
        {222, "ENGINE_AUTO_SHUTDOWN"}, {223, "THROTTLE_SET"},
        {218, "FLAPS_SET"},         {219, "SPOILERS_SET"},
        {208, "NAV_LIGHTS_SET"},    {207, "BEACON_LIGHTS_SET"},
        {211, "LANDING_LIGHTS_SET"}, {209, "TAXI_LIGHTS_SET"},
        {210, "STROBES_SET"},       {213, "LOGO_LIGHTS_SET"},
        {212, "CABIN_LIGHTS_SET"},  {214, "ALL_LIGHTS_TOGGLE"},
        {215, "FREEZE_LATITUDE_LONGITUDE_SET"}, {216, "FREEZE_ALTITUDE_SET"},
        {217, "FREEZE_ATTITUDE_SET"}};
    for (const auto& [id, name] : events)
        all.push_back(std::move(Expected(276, 0x04).u32(16, id).text(20, name)));
    all.push_back(lf_datum(401, "SPOILERS HANDLE POSITION", "percent", 4));
    all.push_back(lf_datum(401, "GENERAL ENG THROTTLE LEVER POSITION:1", "percent", 4));
    all.push_back(lf_datum(401, "GENERAL ENG THROTTLE LEVER POSITION:2", "percent", 4));
    for (const std::uint32_t id : {208, 207, 211, 209, 210, 213, 212, 214, 218, 219, 220, 222, 223, 215, 216, 217})
        all.push_back(std::move(Expected(28, 0x07).u32(16, 301).u32(20, id).u32(24, 1)));
    all.push_back(std::move(Expected(24, 0x09).u32(16, 301).u32(20, 1)));
    return all;
}

// Compares the requests from `first` on with the expected packets, whose send ids count on
// from the first one's.
void lf_expectSequence(const std::vector<standin::Request>& requests, std::size_t first,
                       std::vector<Expected> expected)
{
    ASSERT_GE(requests.size(), first + expected.size());
    const std::uint32_t firstSendId = requests[first].sendId;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i].u32(12, firstSendId + static_cast<std::uint32_t>(i));
        EXPECT_EQ(requests[first + i].bytes, expected[i].bytes) << "request " << i << " of the sequence";
    }
}
} // namespace

TEST_P(SimLinkOverTransport, DeclaresEverythingAfterTheOpenAndTakesItBackAtTheStop)
{
    start(GetParam());
    const std::vector<standin::Request> setup = sim().requests();
    ASSERT_FALSE(setup.empty());
    EXPECT_EQ(setup[0].number, scReqOpen);
    EXPECT_EQ(setup[0].text(16, 256), "Tarnwick_P3D");
    const std::vector<Expected> expected = lf_expectedSetup();
    lf_expectSequence(setup, 1, expected);
    EXPECT_EQ(setup.size(), 1 + expected.size()) << "nothing else until someone asks";
    EXPECT_TRUE(waitForLog("Lockheed Martin Prepar3D v5 (5.3.17.28160) connected "));
    EXPECT_TRUE(logHas("Waiting for Prepar3Dv5 ..."));
    EXPECT_TRUE(mainWindow.simulatorConnected);
    EXPECT_TRUE(mainWindow.flightMark);
    EXPECT_EQ(runningThreads, 1);

    sim().clearRequests();
    gf_requestSimConnectStop();
    ASSERT_TRUE(waitForThreadEnd());
    std::vector<Expected> close;
    for (const std::uint32_t define : {407, 408, 409, 402, 403, 401, 404, 405, 406})
        close.push_back(std::move(Expected(20, 0x0D).u32(16, define)));
    for (std::uint32_t event = 201; event <= 206; ++event)
        close.push_back(std::move(Expected(20, 0x18).u32(16, event)));
    const std::vector<standin::Request> closing = sim().requests();
    lf_expectSequence(closing, 0, close);
    EXPECT_EQ(closing.size(), close.size());
    EXPECT_FALSE(mainWindow.simulatorConnected);
    EXPECT_EQ(pendingExits, 0) << "a stop is no reason to end the program";
    EXPECT_TRUE(connectionClosed());
}

TEST_F(SimLink, WaitsForTheSimulatorAndConnectsWhenItComes)
{
    SharedSimulatorLock nobodyOnTheDefaultPipe; // where the retries end up
    startWithoutSimulator();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // at least one retry
    EXPECT_FALSE(flightRunning);
    standIn = std::make_unique<standin::SimStandIn>(
        standin::Options{.pipeName = gf_testPipePath(pipeName), .tcp = false});
    ASSERT_TRUE(waitForSetup());
    EXPECT_EQ(sim().sessionCount(), 1);
    const std::string text = log.text();
    EXPECT_EQ(text.find("Waiting for Prepar3Dv5"), text.rfind("Waiting for Prepar3Dv5")) << "said once";
}

// The loop dispatches every millisecond and waits in between: a wait cut short would
// have it spin a processor core that the simulator needs.
TEST_F(SimLink, TheDispatchLoopWaitsAMillisecondEachPass)
{
    start(SimTransport::pipe);
    const auto before = dispatchPasses.load();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto passes = dispatchPasses.load() - before;
    EXPECT_GT(passes, 0u);
    EXPECT_LE(static_cast<double>(passes), 1000.0 * seconds + 10) << passes << " passes in " << seconds << " s";
}

TEST_F(SimLink, AnExitEndsTheWaitForTheSimulator)
{
    SharedSimulatorLock nobodyOnTheDefaultPipe;
    startWithoutSimulator();
    exitFlag = true;
    EXPECT_TRUE(waitForThreadEnd());
    exitFlag = false;
    EXPECT_EQ(pendingExits, 0);
}
