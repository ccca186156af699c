// The RealTraffic TCP server end to end, with the stand-in as RealTraffic's client.
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "foundation/exceptions.h"
#include "foundation/logcapture.h"
#include "foundation/textfiles.h"
#include "foundation/timehelpers.h"
#include "links/realtrafficserver.h"
#include "support/realtrafficstandin.h"
#include "support/simconnectenv.h"
#include "links/simqueues.h"
#include "support/trafficacts.h"
#include "traffic/manager.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string examplePosition = "Qs121=1000;-2000;1.500000;35000000;450000;0.912807;0.083078";

class RealTrafficServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        realTrafficOnThisPc = true;
        exitReason = 0;
        archiveWeek = 42;
        user = {.latitude = 52.3, .longitude = 4.76, .pitch = 0.01, .bank = -0.02, .heading = 1.5,
                .altitude = 35000, .groundSpeed = 450};
        gf_setCurrentUserAircraft(user);
    }
    void TearDown() override { gf_closeServer(); }

    UserAircraft user;

    // Starts the stand-in as the client of the server on this port.
    void startClient(std::uint16_t port, std::vector<std::string> options = {})
    {
        std::vector<std::string> arguments{"client", "--port", std::to_string(port), "--log",
                                           gf_unixPath(clientLog()), "--timeout", "30"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        gf_startStandIn(arguments);
    }

    std::filesystem::path clientLog() const { return files / "client.txt"; }

    // What the client has received and done so far.
    std::vector<std::string> clientLines() const
    {
        std::vector<std::string> lines;
        gf_readExtTextFileToStringVector(clientLog(), lines);
        return lines;
    }

    bool clientSaw(const std::string& line) const
    {
        return gf_waitFor([&] {
            auto lines = clientLines();
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        });
    }

    bool logHas(const std::string& part) { return log.text().find(part) != std::string::npos; }

    LogCapture log;
    TempFolder files;
    // A port of the test's own: another run's tests may bind any fixed port meanwhile.
    const std::uint16_t port = gf_unusedTcpPort();
    const std::string portText = std::to_string(port);
    // Closes the server after a while, so that a client that never comes cannot hang a test.
    // A plain flag: a wait woken through a stop token's callback now and then never ended, and
    // the test hung at the join.
    struct Watchdog {
        std::mutex mutex;
        std::condition_variable changed;
        bool ended = false;
        std::thread thread{[this] {
            std::unique_lock lock(mutex);
            if (changed.wait_for(lock, std::chrono::seconds(25), [this] { return ended; }))
                return;
            lock.unlock();
            gf_closeServer();
        }};
        ~Watchdog()
        {
            {
                std::lock_guard lock(mutex);
                ended = true;
            }
            changed.notify_all();
            thread.join();
        }
    } watchdog;
};

TEST_F(RealTrafficServer, AsksTheProfessionalEditionForItsVersionAndSaysExitAtClose)
{
    gf_openServerSocket(portText);
    EXPECT_TRUE(serverOpen);
    startClient(port, {"--version", "10.0.240", "--level", "2"});
    gf_waitForRealTraffic();
    ASSERT_TRUE(clientConnected);
    EXPECT_TRUE(realTrafficProfessional);
    EXPECT_TRUE(trafficClockSwitch); // its record times drive the traffic clock
    EXPECT_TRUE(mainWindow.realTrafficConnected);
    EXPECT_EQ(mainWindow.realTrafficLine, "RT10.0.240 edition:  prof, archive: week 42");
    EXPECT_TRUE(log.hasLine("Waiting for RealTraffic to connect to Tarnwick_P3D ..."));
    EXPECT_TRUE(log.hasLine("RealTraffic connected"));
    EXPECT_TRUE(clientSaw("Qs999=version"));

    gf_closeServer();
    EXPECT_FALSE(clientConnected);
    EXPECT_FALSE(serverOpen);
    EXPECT_TRUE(clientSaw("exit"));
}

TEST_F(RealTrafficServer, TheStandardEditionAndAReplyWithoutLevel)
{
    gf_openServerSocket(portText);
    startClient(port, {"--version", "10.0.123", "--level", "1"});
    gf_waitForRealTraffic();
    EXPECT_FALSE(realTrafficProfessional);
    EXPECT_FALSE(trafficClockSwitch);
    EXPECT_EQ(mainWindow.realTrafficLine, "RT10.0.123 edition:  stnd, archive: week 42");
    ASSERT_TRUE(clientSaw("Qs999=version"));

    // The same port again at once, as after a restart.
    gf_closeServer();
    ASSERT_TRUE(clientSaw("exit"));
    std::filesystem::remove(clientLog());
    gf_openServerSocket(portText);
    startClient(port, {"--version", "10.1.7", "--level", "none"});
    gf_waitForRealTraffic();
    EXPECT_TRUE(realTrafficProfessional);
    EXPECT_EQ(mainWindow.realTrafficLine, "RT10.1.7 edition:  prof, archive: week 42");
}

TEST_F(RealTrafficServer, ARestartBindsThePortAgainAtOnceWhileRealTrafficIsConnected)
{
    // RealTraffic stays: after "exit" it connects again, as it does when the program restarts
    // (until its time-out, kept short: the test's run ends only when the stand-in has).
    gf_openServerSocket(portText);
    startClient(port, {"--stay", "--reconnect-delay", "0.2", "--timeout", "15"});
    gf_waitForRealTraffic();
    ASSERT_TRUE(clientConnected);
    ASSERT_TRUE(clientSaw("Qs999=version"));

    // The server closes RealTraffic's connection itself, so on Windows its side of it mostly
    // waits out its time (TIME_WAIT), and a port bound exclusively could not be bound again
    // until then. The restart binds it at once.
    gf_closeServer();
    ASSERT_NO_THROW(gf_openServerSocket(portText));
    ASSERT_TRUE(serverOpen);
    // Held by this program again: another one cannot take it.
    TakenPort other(true, port);
    EXPECT_FALSE(other.taken());
    other.release();
    gf_waitForRealTraffic();
    EXPECT_TRUE(clientConnected);
    ASSERT_TRUE(gf_waitFor([&] { return clientLines().size() >= 5; }));
    const std::vector<std::string> expected{"#connected", "Qs999=version", "exit", "#connected", "Qs999=version"};
    EXPECT_EQ(clientLines(), expected);
}

TEST_F(RealTrafficServer, AClientThatHangsUpGivesNoVersion)
{
    gf_openServerSocket(portText);
    realTrafficProfessional = true;
    startClient(port, {"--hang-up"});
    gf_waitForRealTraffic();
    EXPECT_FALSE(realTrafficProfessional);
    EXPECT_TRUE(log.hasLine("No RealTraffic version received?"));
}

TEST_F(RealTrafficServer, AReplyInTwoPiecesIsReadWholeAndNoReplyEndsTheWait)
{
    gf_openServerSocket(portText);
    startClient(port, {"--version", "10.0.124", "--level", "1", "--split-reply", "0.5"});
    gf_waitForRealTraffic();
    EXPECT_FALSE(realTrafficProfessional);
    EXPECT_EQ(mainWindow.realTrafficLine, "RT10.0.124 edition:  stnd, archive: week 42");

    gf_closeServer();
    ASSERT_TRUE(clientSaw("exit"));
    std::filesystem::remove(clientLog());
    gf_openServerSocket(portText);
    realTrafficProfessional = true;
    startClient(port, {"--no-reply"});
    auto waited = std::async(std::launch::async, [] { gf_waitForRealTraffic(); });
    ASSERT_EQ(waited.wait_for(std::chrono::seconds(15)), std::future_status::ready) << "the watchdog closes at 25 s";
    EXPECT_TRUE(clientConnected);
    EXPECT_FALSE(realTrafficProfessional);
    EXPECT_TRUE(log.hasLine("No RealTraffic version received?"));
    EXPECT_TRUE(logHas("===> RealTraffic's version reply incomplete after 2000 ms: \"\""));
}

TEST_F(RealTrafficServer, AClientThatStopsReadingHoldsUpNeitherTheSendsNorTheClose)
{
    gf_openServerSocket(portText);
    startClient(port, {"--stop-reading", "--timeout", "10"}); // it never reads "exit"
    gf_waitForRealTraffic();
    ASSERT_TRUE(clientSaw("#stopped-reading"));
    // As the main loop would, with much more at once, so that the client's buffers fill soon.
    std::atomic<int> chunks{0};
    auto sender = std::async(std::launch::async, [&] {
        const std::string chunk(1 << 20, 'x');
        while (sendDataPacket(chunk))
            ++chunks;
    });
    ASSERT_TRUE(gf_waitFor([&] { return chunks.load() > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the sender waits for room now
    auto closed = std::async(std::launch::async, [] { gf_closeServer(); });
    EXPECT_EQ(closed.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "the exit goes on";
    EXPECT_EQ(sender.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(clientConnected);
    EXPECT_TRUE(log.hasLine("RealTraffic client socket closed"));

    // Without a close, a client that takes nothing for the send time is dropped.
    gf_openServerSocket(portText);
    startClient(port, {"--stop-reading", "--timeout", "10"}); // it never reads "exit"
    gf_waitForRealTraffic();
    ASSERT_TRUE(clientConnected);
    sender = std::async(std::launch::async, [] {
        const std::string chunk(1 << 20, 'x');
        while (sendDataPacket(chunk)) {
        }
    });
    EXPECT_EQ(sender.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(clientConnected);
    EXPECT_TRUE(logHas("sendDataPacket to RealTraffic failed: 10060 "));
}

TEST_F(RealTrafficServer, VersionRepliesThatAreNotJsonRaiseTheParserError)
{
    EXPECT_THROW(gf_checkRealTrafficVersion("RealTraffic 10"), std::exception);
    gf_checkRealTrafficVersion(R"({"version":null,"level":null})");
    EXPECT_TRUE(realTrafficProfessional);
    EXPECT_EQ(mainWindow.realTrafficLine, "RT? edition:  prof, archive: week 42");
}

TEST_F(RealTrafficServer, PositionAndTimeLinesAsRealTrafficDocumentsThem)
{
    gf_openServerSocket(portText);
    startClient(port);
    gf_waitForRealTraffic();
    ASSERT_TRUE(clientConnected);
    gf_sendPosition();
    gf_sendQs123(1700000000);
    gf_sendQs123(0); // no time yet: nothing
    user.latitude = 0.0005; // no flight loaded: nothing
    user.longitude = 0.01;
    gf_setCurrentUserAircraft(user);
    gf_sendPosition();
    user.latitude = -33.9;
    user.longitude = 151.2;
    user.pitch = -0.000004;
    user.altitude = 12.3456;
    user.groundSpeed = 0.0;
    gf_setCurrentUserAircraft(user);
    gf_sendPosition();
    ASSERT_TRUE(clientSaw("Qs121=0;-2000;1.500000;12346;0;-0.591667;2.638938"));
    const std::vector<std::string> expected{"#connected", "Qs999=version", examplePosition, "Qs123=1700000000000",
                                            "Qs121=0;-2000;1.500000;12346;0;-0.591667;2.638938"};
    EXPECT_EQ(clientLines(), expected);
}

TEST_F(RealTrafficServer, TheFormOfThePositionLine)
{
    EXPECT_EQ(gf_formatPosition(0.01, -0.02, 1.5, 35000, 450, 52.3, 4.76), examplePosition + "\r\n");
    EXPECT_EQ(gf_formatPosition(-0.5, 0.5, 6.283185, -20, 0.4996, -90, -180),
              "Qs121=-50000;50000;6.283185;-20000;500;-1.570796;-3.141593\r\n");
    EXPECT_EQ(gf_formatPosition(std::nan(""), 1e300, 0, 0, 0, 1, 1),
              "Qs121=0;0;0.000000;0;0;0.017453;0.017453\r\n");
}

TEST_F(RealTrafficServer, NoTimeLineWithoutAClient)
{
    gf_openServerSocket(portText);
    gf_sendQs123(1700000000);
    EXPECT_FALSE(logHas("sendDataPacket"));
}

TEST_F(RealTrafficServer, ADroppedClientRemovesTheLiveTrafficAndIsWaitedForAgain)
{
    gf_openServerSocket(portText);
    startClient(port, {"--drop-after", "2", "--reconnects", "1", "--reconnect-delay", "0.5"});
    gf_waitForRealTraffic();
    ASSERT_TRUE(clientConnected);
    gf_testClearTraffic();
    gf_testAddAct(0x400001, statusCreated, 77);
    ASSERT_TRUE(gf_waitFor([] {
        gf_sendPosition();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return !clientConnected;
    }));
    EXPECT_EQ(removalQueue, std::deque<std::uint32_t>{77}) << "the live aircraft leave the simulator";
    EXPECT_TRUE(logHas("sendDataPacket to RealTraffic failed: "));
    EXPECT_TRUE(log.hasLine("RealTraffic client socket closed"));
    EXPECT_TRUE(logHas(" RealTraffic gone? Wait for RealTraffic to re-connect ..."));
    ASSERT_TRUE(clientSaw("#dropped"));

    // The next position time waits for RealTraffic to come back, and sends nothing.
    gf_sendPosition();
    ASSERT_TRUE(clientConnected);
    EXPECT_TRUE(logHas(" RealTraffic re-connected"));
    gf_sendPosition();
    ASSERT_TRUE(gf_waitFor([&] { return clientLines().size() == 7; }));
    const std::vector<std::string> expected{"#connected", "Qs999=version", examplePosition, examplePosition,
                                            "#dropped",   "#connected",    examplePosition};
    EXPECT_EQ(clientLines(), expected); // not asked for its version again
}

TEST_F(RealTrafficServer, NoWaitForAClientWhileAnExitIsUnderWay)
{
    gf_openServerSocket(portText);
    exitReason = 4;
    auto waited = std::async(std::launch::async, [] { gf_sendPosition(); });
    EXPECT_EQ(waited.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

TEST_F(RealTrafficServer, ClosingTheServerEndsAWaitForAClient)
{
    gf_openServerSocket(portText);
    auto accepted = std::async(std::launch::async, [] { return waitForClient(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // let it block
    gf_closeServer();
    ASSERT_EQ(accepted.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(accepted.get());
}

TEST_F(RealTrafficServer, OneClientAtATimeOnTheLoopbackAddressOnly)
{
    gf_openServerSocket(portText);
    startClient(port);
    gf_waitForRealTraffic();
    ASSERT_TRUE(clientConnected);
    EXPECT_FALSE(waitForClient()); // the one client is here

    // Another address of this computer finds no server.
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(0x7F000002); // 127.0.0.2
    address.sin_port = htons(port);
    EXPECT_EQ(connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), SOCKET_ERROR);
    closesocket(probe);
}

TEST_F(RealTrafficServer, APortInUseIsReportedWithTheWinsockText)
{
    TakenPort taken(true, port);
    ASSERT_TRUE(taken.taken());

    try {
        gf_openServerSocket(portText);
        FAIL() << "the port was taken";
    } catch (const zeb::SysErrorException& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("sys error 5: Bind failed at port " + portText + " with error 100", 0), 0u)
            << message;
        EXPECT_TRUE(message.ends_with("Permission denied") || message.ends_with("Address already in use")) << message;
    }
    EXPECT_FALSE(serverOpen);
    taken.release();
    gf_openServerSocket(portText);
    EXPECT_TRUE(serverOpen);

    EXPECT_THROW(gf_openServerSocket("no port"), zeb::SysErrorException);

    // Held by a program that lets others share it: still taken, or RealTraffic would find
    // one of two servers.
    const std::uint16_t sharedPort = gf_unusedTcpPort();
    TakenPort shared(true, sharedPort, true);
    ASSERT_TRUE(shared.taken());
    EXPECT_THROW(gf_openServerSocket(std::to_string(sharedPort)), zeb::SysErrorException);
    EXPECT_FALSE(serverOpen);
}

} // namespace
