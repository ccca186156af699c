// The whole start-up in this process with the real main window: the simulator stand-in on a
// pipe of its own (SimConnect.cfg in the program folder), traffic from this test, and, for
// RealTraffic on this computer, a TCP client played by the test.
#include "control_fixture.h"
#include "mainwindow_fixture.h"
#include "program_fixture.h"

#include "support/airportlist.h"
#include "support/realtrafficstandin.h"

#include "app/buildconfig.h"
#include "app/programcontrol.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/geometry.h"
#include "foundation/registry.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"
#include "liveries/matching.h"
#include "liveries/scrambling.h"
#include "refgen/packagetree.h"
#include "refgen/refgen.h"

#include <fmt/format.h>
#include <winsock2.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {
class WindowRun : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        lock = std::make_unique<SharedSimulatorLock>();
        startUpBody = lf_startUpTarnwick;
        fs::create_directory(L"docs");
        fs::create_directories(fs::path(L"input") / L"my_regcodes");
        gf_testWriteAirportList(fs::current_path());
        fs::create_directories(fs::path(L"Prepar3D v5") / L"Scenery");
        simulator = std::make_unique<standin::SimStandIn>(gf_testPipeSimulatorOptions(fs::current_path()));
        refgen::writeReferenceFiles(refgen::baseWorld(), L"input");
        refgen::writeLiveriesScanned(refgen::baseWorld().liveries, fs::path(L"output") / L"LiveriesScanned.xml");
        dateCodeInstant = 1704196800; // 2024-01-02 12:00 UTC, so the day cannot change meanwhile
        parameters = gf_testRunParameters(fs::current_path() / L"Prepar3D v5");
        datagrams = std::make_unique<DatagramSender>(gf_testRecordedTraffic(), gf_ownRealTrafficPorts());
    }

    void TearDown() override
    {
        datagrams.reset();
        MainWindowTest::TearDown();
        simulator->stop();
    }

    bool mainLoopRuns()
    {
        const std::int32_t start = tickCounter.load();
        return gf_waitFor([start] { return tickCounter.load() > start + 20; }, std::chrono::seconds(30));
    }

    std::unique_ptr<SharedSimulatorLock> lock;
    std::unique_ptr<standin::SimStandIn> simulator;
    std::vector<std::pair<std::string, std::string>> parameters;
    std::unique_ptr<DatagramSender> datagrams;
};

// RealTraffic's side of the TCP link: connects, answers the version request with `reply`,
// and keeps every line it receives.
class RealTrafficClient {
public:
    RealTrafficClient(std::uint16_t port, std::string reply) : m_reply(std::move(reply))
    {
        m_thread = std::thread([this, port] { run(port); });
    }
    ~RealTrafficClient()
    {
        m_stop = true;
        m_thread.join();
    }
    std::string received()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

private:
    void run(std::uint16_t port)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        SOCKET sock = INVALID_SOCKET;
        while (!m_stop.load() && sock == INVALID_SOCKET) {
            sock = gf_testConnectTcp(port);
            if (sock == INVALID_SOCKET)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        DWORD timeout = 100;
        setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        char buffer[4096];
        while (!m_stop.load() && sock != INVALID_SOCKET) {
            const int got = recv(sock, buffer, sizeof buffer, 0);
            if (got == 0)
                break;
            if (got < 0)
                continue;
            std::lock_guard lock(m_mutex);
            m_received.append(buffer, static_cast<std::size_t>(got));
            if (!m_answered && m_received.find("Qs999=version\r\n") != std::string::npos) {
                send(sock, m_reply.data(), static_cast<int>(m_reply.size()), 0);
                m_answered = true;
            }
        }
        if (sock != INVALID_SOCKET)
            closesocket(sock);
        WSACleanup();
    }

    std::string m_reply;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::string m_received;
    bool m_answered = false;
    std::thread m_thread;
};
} // namespace

TEST_F(WindowRun, TheStartUpReachesTheMainLoopAndACloseLeavesNoThread)
{
    writeParameters(parameters);
    openWindow();
    ASSERT_TRUE(mainLoopRuns());
    // What the start-up set up in the window.
    EXPECT_TRUE(mainWindow.simulatorConnected.load());
    EXPECT_TRUE(mainWindow.readerLights.load()) << "RealTraffic is not on this computer";
    EXPECT_FALSE(mainWindow.realTrafficWaiting.load());
    EXPECT_TRUE(enabled(rereadButton));
    EXPECT_TRUE(enabled(checkVersionButton)) << "the day's check was done before";
    EXPECT_FALSE(enabled(flushStaticButton));
    EXPECT_TRUE(enabled(LATERAL_RANGE));
    EXPECT_TRUE(enabled(SCAN_LIVERIES));
    EXPECT_FALSE(enabled(parking_percentage));
    EXPECT_EQ(fieldText(MAX_LIVE), L"") << "the default applies";
    EXPECT_EQ(fieldText(SIM_INSTALL_PATH), gf_utf8ToUtf16(parameters[0].second));
    EXPECT_TRUE(logHasLine("RealTraffic not detected at this PC"));
    EXPECT_EQ(runningThreads.load(), 4) << "start-up, simulator link and the two readers";

    SendMessageW(window(), WM_CLOSE, 0, 0);
    windowThread.join();
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(gf_waitFor([] { return runningThreads.load() == 0; }, std::chrono::seconds(10)))
        << runningThreads.load() << " threads left";
    EXPECT_FALSE(startUpRunning.load());
}

TEST_F(WindowRun, ARealTrafficVersionReplyThatIsNoJsonDoesNotEndTheProgram)
{
    const fs::path realTraffic = gf_shellFolderPath() / L"InsideSystems";
    fs::create_directories(realTraffic);
    gf_testWriteFile(realTraffic / L"RealTraffic.jar", "");
    ASSERT_EQ(parameters.back().first, "PORT_NUMBER");
    const auto port = static_cast<std::uint16_t>(std::stoi(parameters.back().second));
    writeParameters(parameters);
    RealTrafficClient client(port, "RealTraffic 10.0, no JSON here\r\n");
    openWindow();
    const bool running = mainLoopRuns();
    std::error_code ignored;
    fs::remove_all(realTraffic, ignored);
    ASSERT_TRUE(running);
    EXPECT_TRUE(logHasLine("RealTraffic detected at this PC"));
    EXPECT_TRUE(log.text().find("===> RealTraffic version reply not readable: ") != std::string::npos);
    EXPECT_FALSE(exitFlag.load());
    EXPECT_EQ(gf_statusLine().error, "");
    // The link goes on: positions are sent, and "exit" at the end.
    EXPECT_TRUE(gf_waitFor([&] { return client.received().find("Qs121=") != std::string::npos; }));
    SendMessageW(window(), WM_CLOSE, 0, 0);
    windowThread.join();
    EXPECT_TRUE(gf_waitFor([&] { return client.received().find("exit\r\n") != std::string::npos; }));
    EXPECT_TRUE(logHasLine("Exiting: USER CLOSED SIM"));
}

// Settings the program cannot use stop the start-up with a user error the window shows;
// the window stays open, and once the user mends the setting the program runs.
TEST_F(WindowRun, AnInstallPathThatIsNoTextAsksForThePathAndTheTypedOneRestarts)
{
    const std::string usable = parameters[0].second;
    parameters[0].second = usable + "\xE9"; // Windows-1252 text where UTF-8 belongs
    writeParameters(parameters);
    openWindow();
    ASSERT_TRUE(gf_waitFor([] { return !gf_statusLine().error.empty(); }, std::chrono::seconds(30)));
    EXPECT_EQ(gf_statusLine().error,
              "151: No P3D install path detected, type full Install Path above, and press Enter");
    EXPECT_TRUE(logHasLine("===> SIM_INSTALL_PATH \"" + usable + "\\xE9\" is no path text"));
    EXPECT_FALSE(exitFlag.load());
    EXPECT_TRUE(IsWindow(window()));
    EXPECT_TRUE(enabled(SIM_INSTALL_PATH));
    EXPECT_EQ(fieldText(SIM_INSTALL_PATH), L"");

    type(SIM_INSTALL_PATH, gf_utf8ToUtf16(usable));
    EXPECT_TRUE(mainLoopRuns()) << "restarted with the typed path";
    EXPECT_EQ(SIM_INSTALL_PATH.getValue(), usable);
    EXPECT_EQ(gf_statusLine().error, "");
    SendMessageW(window(), WM_CLOSE, 0, 0);
    windowThread.join();
}

TEST_F(WindowRun, APortNumberThatCannotServeRealTrafficIsAUserErrorUntilMended)
{
    const fs::path realTraffic = gf_shellFolderPath() / L"InsideSystems";
    fs::create_directories(realTraffic);
    gf_testWriteFile(realTraffic / L"RealTraffic.jar", "");
    ASSERT_EQ(parameters.back().first, "PORT_NUMBER");
    const std::string freePort = parameters.back().second;
    // A port another program listens on.
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const std::uint16_t takenPort = gf_unusedTcpPort();
    const SOCKET holder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(takenPort);
    ASSERT_EQ(bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(holder, 1), 0);

    const std::string noPort = "160: PORT_NUMBER \"{}\" is no port: set it in parameters.xml to a whole number from 1 "
                               "to 65535";
    const std::pair<std::string, std::string> cases[] = {
        {"abc", fmt::format(fmt::runtime(noPort), "abc")},
        {"99999", fmt::format(fmt::runtime(noPort), "99999")},
        {"65536", fmt::format(fmt::runtime(noPort), "65536")},
        {"0", fmt::format(fmt::runtime(noPort), "0")},
        {"", fmt::format(fmt::runtime(noPort), "")},
        {std::to_string(takenPort), fmt::format("160: PORT_NUMBER {} cannot be used (sys error 5: Bind failed at port {} "
                                                "with error ",
                                                takenPort, takenPort)}};
    bool first = true;
    for (const auto& [port, error] : cases) {
        SCOPED_TRACE(port);
        parameters.back().second = port;
        writeParameters(parameters);
        if (first)
            openWindow();
        else // the user mended parameters.xml and restarts the program (an install path entered)
            type(SIM_INSTALL_PATH, gf_utf8ToUtf16(parameters[0].second));
        first = false;
        ASSERT_TRUE(gf_waitFor([&] { return gf_statusLine().error.starts_with(error); }, std::chrono::seconds(30)))
            << gf_statusLine().error;
        EXPECT_FALSE(exitFlag.load()) << "the window stays open";
        EXPECT_TRUE(gf_waitFor([] { return !startUpRunning.load(); }));
        EXPECT_FALSE(enabled(rereadButton)) << "nothing runs";
    }
    closesocket(holder);
    WSACleanup();

    parameters.back().second = freePort;
    writeParameters(parameters);
    RealTrafficClient client(static_cast<std::uint16_t>(std::stoi(freePort)), R"({"version": "10.0.1", "level": 2})");
    type(SIM_INSTALL_PATH, gf_utf8ToUtf16(parameters[0].second));
    const bool running = mainLoopRuns();
    std::error_code ignored;
    fs::remove_all(realTraffic, ignored);
    EXPECT_TRUE(running);
    EXPECT_EQ(gf_statusLine().error, "");
    SendMessageW(window(), WM_CLOSE, 0, 0);
    windowThread.join();
}

namespace {
// An airborne flight 15 nm from Amsterdam at 10000 ft and 250 kt, flying round it.
struct Airborne {
    std::uint32_t hexid = 0;
    std::string callsign;
    std::string type;
    double bearing = 0.0; // degrees, from Amsterdam where it starts
};

std::string lf_airborneLine(const Airborne& f, double seconds, double stamp)
{
    const double track = std::fmod(f.bearing + 90.0, 360.0);
    const LatLon start = gf_destinationPoint({52.3086, 4.7639}, f.bearing * degToRad, 15.0 * feetPerNm);
    const LatLon at = gf_destinationPoint(start, track * degToRad, 250.0 * seconds / 3600.0 * feetPerNm);
    return fmt::format("RTTFC,{},{:.5f},{:.5f},10000,0,0,{:.1f},250.0,{},{},,EGLL,EHAM,{:.1f},X2,{},adsb_icao,10000,"
                       "-1,-1,0.780,0.0,0.0,{:.1f},{:.1f},0,none,A3,1012.8,35008,-1,{:.1f},none,0.0,-21.9,223,24,-30,0,"
                       "1,1",
                       f.hexid, at.first, at.second, track, f.callsign, f.type, stamp, f.callsign, track, track, track);
}
} // namespace

// Liveries the simulator refuses, one after another, till error 81 stops the traffic: no
// aircraft created for it is left in the simulator, neither after the stop nor after the exit.
TEST_F(WindowRun, TooManyRefusedLiveriesStopTheTrafficTheWindowShowsItAndNoAircraftIsLeft)
{
    // The simulator's packages hold the base world's liveries. The livery list, scanned long
    // ago, holds a dozen more for each of four airlines' types that are no longer installed.
    const fs::path packages = fs::current_path() / L"AI";
    std::map<std::string, std::vector<refgen::SectionSpec>> byType;
    std::vector<LiveryData> liveries = refgen::baseWorld().liveries;
    const std::size_t installed = liveries.size();
    const std::set<std::pair<std::string, std::string>> gone{
        {"DLH", "A320"}, {"AFR", "A320"}, {"EZY", "A319"}, {"RYR", "B738"}};
    for (std::size_t i = 0; i < installed; ++i) {
        byType[liveries[i].type].push_back({.title = liveries[i].title});
        for (int n = 1; gone.contains({liveries[i].airl, liveries[i].type}) && n <= 12; ++n) {
            LiveryData old = liveries[i];
            old.title = fmt::format("{} old {}", liveries[i].title, n);
            liveries.push_back(old);
        }
    }
    for (const auto& [type, sections] : byType)
        refgen::writeConfigFile(packages / gf_utf8ToUtf16(type), type, sections, "aircraft.cfg",
                                refgen::TextForm::utf8Bom);
    refgen::writeLiveriesScanned(liveries, fs::path(L"output") / L"LiveriesScanned.xml");
    standin::Options options = gf_testPipeSimulatorOptions(fs::current_path());
    options.packageFolders = {packages};
    simulator->stop();
    simulator = std::make_unique<standin::SimStandIn>(options);
    ASSERT_EQ(simulator->knownTitleCount(), installed);

    // Six flights of each of those airlines' types, and among them four each of three types
    // installed: creations and refusals alternate.
    std::vector<Airborne> flights;
    const std::pair<const char*, const char*> kinds[] = {{"DLH", "A320"}, {"BAW", "B77W"}, {"AFR", "A320"},
                                                         {"UAE", "A388"}, {"EZY", "A319"}, {"KLM", "E190"},
                                                         {"RYR", "B738"}};
    for (int n = 0; n < 6; ++n)
        for (const auto& [airline, type] : kinds)
            if (n < 4 || gone.contains({airline, type})) {
                const auto k = static_cast<std::uint32_t>(flights.size());
                flights.push_back({4200000 + k, fmt::format("{}{}", airline, 100 + n), type, 10.0 * k});
            }
    // RealTraffic's records come from its stand-in, every flight every 5 s; QNH from here.
    datagrams =
        std::make_unique<DatagramSender>(std::vector<std::string>{}, RealTrafficPorts{testQnhPort, testTrafficPort});
    writeParameters(parameters);
    openWindow();
    const TempFolder sent;
    const auto start = std::chrono::steady_clock::now();
    bool stopped = false;
    for (int round = 0; round < 30 && !stopped; ++round) {
        std::vector<std::string> arguments{"traffic", "--port", std::to_string(testTrafficPort), "--interval",
                                           "0.002"};
        for (const Airborne& f : flights)
            arguments.insert(arguments.end(),
                             {"--record", lf_airborneLine(f, 5.0 * round, 1700000000.0 + 5.0 * round)});
        ASSERT_TRUE(gf_runStandIn(sent, arguments));
        stopped = gf_waitFor([] { return !gf_statusLine().error.empty(); },
                             std::chrono::duration_cast<std::chrono::milliseconds>(
                                 start + std::chrono::seconds(5 * (round + 1)) - std::chrono::steady_clock::now()));
    }
    const standin::AiFigures figures = simulator->aiFigures();
    failedTitles.clear();
    failedTypes.clear();
    ASSERT_TRUE(stopped);
    EXPECT_EQ(gf_statusLine().error, "81: there are too many liveries that could not be created by P3D!, see Log.txt");
    EXPECT_GE(figures.refused, 20u);
    EXPECT_GT(figures.created, 0u) << "aircraft were created beside the refused ones";
    EXPECT_TRUE(gf_waitFor([] { return !startUpRunning.load(); }));
    EXPECT_FALSE(exitFlag.load()) << "the window stays open";
    // Nothing runs any more, and the window says so.
    EXPECT_TRUE(gf_waitFor([] { return runningThreads.load() == 1; })) << "only the simulator link is left";
    EXPECT_FALSE(mainWindow.readerLights.load());
    EXPECT_EQ(mainWindow.trafficReaderState.load(), 3);
    EXPECT_EQ(mainWindow.weatherReaderState.load(), 3);
    EXPECT_FALSE(enabled(rereadButton));
    EXPECT_FALSE(enabled(flushStaticButton));
    EXPECT_TRUE(logHasLine("===> Traffic has stopped, close Tarnwick_P3D and start it again"));
    // Every aircraft made for the traffic leaves the simulator, and none is made any more.
    EXPECT_TRUE(gf_waitFor([&] { return simulator->aiObjects().empty(); }, std::chrono::seconds(10)))
        << simulator->aiObjects().size() << " left after the stop";
    const std::size_t createdAtTheStop = simulator->aiFigures().created;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(simulator->aiFigures().created, createdAtTheStop);
    EXPECT_TRUE(simulator->aiObjects().empty());
    SendMessageW(window(), WM_CLOSE, 0, 0);
    windowThread.join();
    EXPECT_TRUE(logHasLine("Exiting: USER CLOSED SIM"));
    EXPECT_TRUE(simulator->aiObjects().empty()) << simulator->aiObjects().size() << " left after the exit";
}
