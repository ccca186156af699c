#include "links/simlink_fixture.h"

#include "app/finalexit.h"
#include "foundation/winstring.h"
#include "simconnect/protocol.h"

#include <filesystem>

// The link's exit requests are only recorded here; nothing ends or restarts, and, as in
// the program, a request while an exit is under way is ignored.
std::atomic<std::uint32_t> pendingExitReason{0};
std::atomic<std::uint32_t> pendingExitSeconds{0};
std::atomic<std::int32_t> pendingExits{0};

namespace {
const bool exitsRecorded = [] {
    exitRequestRecorder = [](std::uint32_t reason, std::uint32_t seconds) {
        if (exitFlag)
            return;
        pendingExitReason = reason;
        pendingExitSeconds = seconds;
        ++pendingExits;
    };
    return true;
}();
} // namespace

void SimLink::start(SimTransport transport, standin::Options options, bool startLink)
{
    pipeName = gf_testPipeName();
    options.pipeName = transport == SimTransport::pipe ? gf_testPipePath(pipeName) : L"";
    options.tcp = transport != SimTransport::pipe;
    standIn = std::make_unique<standin::SimStandIn>(options);
    writeConfig(transport);
    if (!startLink)
        return;
    gf_startSimConnectThread();
    ASSERT_TRUE(waitForSetup());
}

void SimLink::startWithoutSimulator()
{
    pipeName = gf_testPipeName();
    writeConfig(SimTransport::pipe);
    gf_startSimConnectThread();
    ASSERT_TRUE(waitForLog("Waiting for Prepar3Dv5 ..."));
}

void SimLink::writeConfig(SimTransport transport)
{
    std::string section = "[SimConnect]\r\n";
    if (transport == SimTransport::pipe)
        section += "Protocol=Pipe\r\nAddress=.\r\nPort=" + gf_utf16ToUtf8(pipeName) + "\r\n";
    else
        section += "Protocol=IPv4\r\nAddress=127.0.0.1\r\nPort=" + std::to_string(standIn->port4()) + "\r\n";
    gf_testWriteFile(std::filesystem::current_path() / L"SimConnect.cfg", section);
}

namespace {
// The notification group's priority, the last of the set-up, came in this session.
bool lf_setUpDone(const standin::SimStandIn& standIn, int session)
{
    return standIn.waitUntil(
        [session](const std::vector<standin::Request>& all) {
            return std::any_of(all.begin(), all.end(), [session](const standin::Request& r) {
                return r.session == session && r.number == scReqSetGroupPriority;
            });
        },
        linkWait);
}
} // namespace

bool SimLink::waitForSetup(int session)
{
    return lf_setUpDone(*standIn, session) && gf_waitFor([] { return flightRunning.load(); }, linkWait);
}

void SimLink::TearDown()
{
    gf_resetSimLink();
    if (standIn)
        standIn->stop();
}

std::vector<standin::Request> SimLink::requestsOf(std::uint32_t number, int session) const
{
    std::vector<standin::Request> found;
    for (standin::Request& r : standIn->requests(number))
        if (r.session == session)
            found.push_back(std::move(r));
    return found;
}

std::vector<InboundAnswer> SimLink::answers() const
{
    std::lock_guard lock(inboundMutex);
    return inboundBuffer;
}

bool SimLink::waitForAnswer(const std::function<bool(const InboundAnswer&)>& match)
{
    return gf_waitFor([&] {
        const std::vector<InboundAnswer> all = answers();
        return std::any_of(all.begin(), all.end(), match);
    }, linkWait);
}

void SimLink::requestWithinRange()
{
    std::lock_guard lock(simQueues.mutex);
    ASSERT_NE(simConnection, nullptr);
    ASSERT_EQ(SimConnect_RequestDataOnSimObjectType(simConnection, 101, 404, 20000, scObjectTypeAircraft), scOk);
}

bool SimLink::runLinkUntilItEnds(SimTransport transport, const standin::Options& options)
{
    // A link that fails once retries and may end up on the default pipe: while it runs, nobody
    // else's stand-in serves there.
    SharedSimulatorLock nobodyOnTheDefaultPipe;
    start(transport, options, false);
    gf_startSimConnectThread();
    return lf_setUpDone(*standIn, 1) && waitForThreadEnd();
}

bool SimLink::connectionClosed()
{
    std::lock_guard lock(simQueues.mutex);
    return simConnection == nullptr;
}

std::string SimLink::status(std::string MainWindow::*text)
{
    std::lock_guard lock(mainWindow.statusMutex);
    return mainWindow.*text;
}

INSTANTIATE_TEST_SUITE_P(Transports, SimLinkOverTransport, ::testing::Values(SimTransport::pipe, SimTransport::ipv4),
                         [](const ::testing::TestParamInfo<SimTransport>& info) {
                             return info.param == SimTransport::pipe ? "Pipe" : "Tcp";
                         });

bool SimLink::waitForUserBlock(const std::function<bool(const UserAircraft&)>& done)
{
    auto asked = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    return gf_waitFor([&] {
        if (std::chrono::steady_clock::now() - asked > std::chrono::milliseconds(500)) {
            asked = std::chrono::steady_clock::now();
            requestUserPosition();
        }
        return done(gf_userAircraftBlock());
    }, linkWait);
}

void SimLink::requestOnGround()
{
    std::lock_guard lock(simQueues.mutex);
    ASSERT_NE(simConnection, nullptr);
    ASSERT_EQ(SimConnect_RequestDataOnSimObject(simConnection, 108, 409, 0, scPeriodSecond, 0, 0, 0, 0), scOk);
}

CreationItem gf_testCreation(const std::string& callsign, std::uint32_t flightId, std::string_view title)
{
    CreationItem item;
    item.position = {52.31, 4.76, 0, 0, 0, 90, 1, 0};
    item.tailNumber = callsign;
    item.liveryTitle = title;
    item.flightId = flightId;
    return item;
}
