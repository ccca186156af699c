// The traffic and QNH readers on real sockets, fed by the RealTraffic stand-in.
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "foundation/logcapture.h"
#include "foundation/timehelpers.h"
#include "links/readers.h"
#include "links/realtrafficserver.h"
#include "support/realtrafficstandin.h"
#include "support/simconnectenv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string recordA =
    "RTTFC,11234042,-33.9107,152.9902,26400,1248,0,90.12,490.00,AAL72,B789,N835AN,SYD,LAX,1645144774.2,X2,AA72,"
    "adsb_icao,27575,320,474,0.780,0.0,0.0,78.93,92.27,1280,none,A5,1012.8,35008,-1,71.02,autopilot|vnav|lnav|tcas,"
    "0.0,-21.9,223,24,-30,0,1,170124";
// The same flight a second later, with its own hex id: the end of a batch.
const std::string recordB =
    "RTTFC,11234043,-33.9107,152.9922,26400,1248,0,90.12,490.00,AAL73,B789,N835AM,SYD,LAX,1645144775.2,X2,AA73,"
    "adsb_icao,27575,320,474,0.780,0.0,0.0,78.93,92.27,1280,none,A5,1012.8,35008,-1,71.02,autopilot|vnav|lnav|tcas,"
    "0.0,-21.9,223,24,-30,0,1,170125";

class Readers : public ::testing::Test {
protected:
    void SetUp() override
    {
        realTrafficOnThisPc = true;
        gf_setUserPosition(-33.9, 152.99);
        std::lock_guard lock(reportDequeMutex);
        reportDeque.clear();
        acceptReports = true;
    }
    void TearDown() override { gf_stopReaders(); }

    // Sends each text as one datagram, in order, and waits until the stand-in has sent them.
    void send(const char* command, std::uint16_t port, const std::vector<std::string>& datagrams)
    {
        static int files = 0;
        std::string text;
        for (const std::string& datagram : datagrams)
            text += datagram + "\n";
        const auto file = files_ / ("datagrams" + std::to_string(files++) + ".txt");
        gf_testWriteFile(file, text);
        std::vector<std::string> arguments{command, "--port", std::to_string(port), "--file", gf_unixPath(file)};
        if (std::string(command) == "traffic")
            arguments.insert(arguments.end(), {"--speed", "0"});
        ASSERT_TRUE(gf_runStandIn(files_, arguments));
    }

    static std::size_t queued(std::uint32_t hexid)
    {
        std::lock_guard lock(reportDequeMutex);
        return static_cast<std::size_t>(std::count_if(reportDeque.begin(), reportDeque.end(),
                                                      [&](const LiveReport& r) { return r.hexid == hexid; }));
    }

    LogCapture log;
    TempFolder files_;
    // Ports of the test's own: another run's tests may bind any fixed port meanwhile.
    const std::uint16_t ownQnhPort = gf_unusedUdpPort();
    const std::uint16_t ownTrafficPort = gf_unusedUdpPort();
};

TEST_F(Readers, QnhInHectopascalsAndInchesAndTheLastGoodValueKept)
{
    gf_startQnhReader(ownQnhPort);
    ASSERT_TRUE(gf_waitFor([] { return mainWindow.weatherReaderState == 1; }));
    EXPECT_TRUE(log.hasLine("          QNH Reader connected"));

    send("qnh", ownQnhPort, {R"({"ICAO":"EHAM","QNH":1020,"METAR":"EHAM 121225Z 24012KT Q1020"})"});
    ASSERT_TRUE(gf_waitFor([] { return currentQnh == 1020; }));
    EXPECT_EQ(mainWindow.qnh, 1020);

    send("qnh", ownQnhPort, {R"({"ICAO":"KMCE","QNH":2992})"});
    ASSERT_TRUE(gf_waitFor([] { return currentQnh == 1013; }));

    mainWindow.weatherReaderState = 2; // no data lately
    send("qnh", ownQnhPort, {R"({"ICAO":"KMCE","QNH":"1019"})"});
    ASSERT_TRUE(gf_waitFor([] { return currentQnh == 1019; }));
    EXPECT_EQ(mainWindow.weatherReaderState, 1);

    const std::vector<std::string> bad = {
        R"({"QNH":925})",          R"({"QNH":1081.2})",  R"({"QNH":true})",  R"({"QNH":null})",
        R"({"QNH":[1013]})",       R"({"QNH":"abc"})",   R"({"QNH":"99999999999"})",
        R"({"QNH":1e300})",        "not json",           R"([1013])",
        R"({"ICAO":"EHAM"})",
    };
    send("qnh", ownQnhPort, bad);
    ASSERT_TRUE(gf_waitFor([&] { return log.hasLine(R"(no QNH {"ICAO":"EHAM"})"); }));
    EXPECT_EQ(currentQnh, 1019);
    EXPECT_EQ(mainWindow.qnh, 1019);
    EXPECT_EQ(qnhUdpReader.lastQnh, 1019);
    EXPECT_TRUE(log.hasLine(R"(? Strange QNH 925 found in {"QNH":925})"));
    EXPECT_TRUE(log.hasLine(R"(? Strange QNH 366 found in {"QNH":1081.2})"));
    EXPECT_TRUE(log.hasLine(R"(no QNH {"QNH":true})"));
    EXPECT_TRUE(log.hasLine(R"(no QNH {"QNH":null})"));
    EXPECT_TRUE(log.hasLine("QNH string invalid arg: stoi"));
    EXPECT_TRUE(log.hasLine("QNH string out of range: stoi"));
    EXPECT_NE(log.text().find("Exception [json.exception.parse_error"), std::string::npos);
    EXPECT_TRUE(log.hasLine("no QNH [1013]"));

    send("qnh", ownQnhPort, {R"({"QNH":1013.4})"});
    ASSERT_TRUE(gf_waitFor([] { return currentQnh == 1013; }));
    EXPECT_EQ(qnhUdpReader.datagramCounter, 15u);
}

TEST_F(Readers, RepeatsFromAnotherComputerAreDropped)
{
    realTrafficOnThisPc = false;
    gf_startTrafficReader(ownTrafficPort);
    ASSERT_TRUE(gf_waitFor([] { return mainWindow.trafficReaderState == 1; }));
    send("traffic", ownTrafficPort, {recordA, recordA, recordA, recordB});
    ASSERT_TRUE(gf_waitFor([] { return queued(11234043) == 1; }));
    EXPECT_EQ(queued(11234042), 1u);
    EXPECT_EQ(trafficUdpReader.datagramCounter, 4u);
}

TEST_F(Readers, RepeatsFromThisComputerAreAllHandedOn)
{
    gf_startTrafficReader(ownTrafficPort);
    ASSERT_TRUE(gf_waitFor([] { return mainWindow.trafficReaderState == 1; }));
    send("traffic", ownTrafficPort, {recordA, recordA, recordA, recordB});
    ASSERT_TRUE(gf_waitFor([] { return queued(11234043) == 1; }));
    EXPECT_EQ(queued(11234042), 3u);
    EXPECT_EQ(trafficClockStamp, 1645144775);
}

TEST_F(Readers, VehiclesAndOverlongDatagramsAreNotHandedOn)
{
    gf_startTrafficReader(ownTrafficPort);
    ASSERT_TRUE(gf_waitFor([] { return mainWindow.trafficReaderState == 1; }));
    std::string vehicle = recordA;
    vehicle.replace(vehicle.find("B789"), 4, "TUG VEH");
    send("traffic", ownTrafficPort, {vehicle, std::string(16384, '9'), std::string(20000, '9'), recordB});
    ASSERT_TRUE(gf_waitFor([] { return queued(11234043) == 1; }));
    EXPECT_EQ(queued(11234042), 0u);
    EXPECT_EQ(trafficUdpReader.datagramCounter, 2u);
    std::string text = log.text();
    std::size_t overruns = 0;
    for (std::size_t at = 0; (at = text.find("buffer overrun: 16384 bytes", at)) != std::string::npos; ++at)
        ++overruns;
    EXPECT_EQ(overruns, 2u);
}

TEST_F(Readers, BothStopPromptlyAndStartAgainOnTheSamePorts)
{
    gf_startQnhReader(ownQnhPort);
    gf_startTrafficReader(ownTrafficPort);
    ASSERT_TRUE(gf_waitFor([] { return mainWindow.trafficReaderState == 1 && runningThreads == 2; }));

    // Both are blocked in their receive now, with nothing arriving.
    gf_stopReaders();
    EXPECT_EQ(runningThreads, 0);
    EXPECT_FALSE(qnhUdpReader.thread.joinable());
    EXPECT_FALSE(trafficUdpReader.thread.joinable());
    EXPECT_EQ(mainWindow.trafficReaderState, 3);
    EXPECT_TRUE(log.hasLine("QNH Reader has stopped"));
    EXPECT_TRUE(log.hasLine("Traffic Reader has stopped"));

    gf_resetTraffic();
    gf_startQnhReader(ownQnhPort);
    gf_startTrafficReader(ownTrafficPort);
    ASSERT_TRUE(gf_waitFor([] { return mainWindow.trafficReaderState == 1 && runningThreads == 2; }));
    send("qnh", ownQnhPort, {R"({"QNH":1030})"});
    send("traffic", ownTrafficPort, {recordB});
    EXPECT_TRUE(gf_waitFor([] { return currentQnh == 1030 && queued(11234043) == 1; }));
    EXPECT_FALSE(readerError);
}

TEST_F(Readers, AnExitEndsTheReadersToo)
{
    gf_startQnhReader(ownQnhPort);
    ASSERT_TRUE(gf_waitFor([] { return runningThreads == 1; }));
    exitFlag = true;
    EXPECT_TRUE(gf_waitFor([] { return runningThreads == 0; }));
    EXPECT_TRUE(log.hasLine("QNH Reader has stopped"));
    exitFlag = false;
}

TEST_F(Readers, APortInUseStopsTheReaderWithTheWinsockText)
{
    TakenPort taken(false, ownQnhPort);
    ASSERT_TRUE(taken.taken());

    gf_startQnhReader(ownQnhPort);
    ASSERT_TRUE(gf_waitFor([] { return readerError.load(); }));
    qnhUdpReader.thread.join();
    EXPECT_EQ(runningThreads, 0);
    EXPECT_EQ(mainWindow.weatherReaderState, 3);
    EXPECT_TRUE(log.hasLine("          QNH Reader disconnected"));
    EXPECT_TRUE(log.hasLine("The WeatherReader has stopped with an error: sys error 32: bind to stream socket "
                            "failed with error: 10048 Address already in use"));
}

TEST_F(Readers, StatusLightsFollowTheDatagramCounters)
{
    gf_startQnhReader(ownQnhPort);
    ASSERT_TRUE(gf_waitFor([] { return mainWindow.weatherReaderState == 1; }));

    gf_updateStatusLights(); // lights not shown yet: nothing changes
    EXPECT_EQ(mainWindow.weatherReaderState, 1);
    EXPECT_EQ(mainWindow.trafficReaderState, 3);

    mainWindow.readerLights = true;
    gf_updateStatusLights();
    EXPECT_EQ(mainWindow.weatherReaderState, 2);
    EXPECT_EQ(mainWindow.trafficReaderState, 2);

    send("qnh", ownQnhPort, {R"({"QNH":1013})"});
    ASSERT_TRUE(gf_waitFor([] { return qnhUdpReader.datagramCounter == 1; }));
    gf_updateStatusLights();
    EXPECT_EQ(mainWindow.weatherReaderState, 1);
    EXPECT_EQ(mainWindow.trafficReaderState, 2);
    gf_updateStatusLights();
    EXPECT_EQ(mainWindow.weatherReaderState, 2);
}

TEST(ResetTraffic, ClearsTheLiveState)
{
    gf_setTrafficClockStamp(1700000000);
    currentQnh = 990;
    qnhUdpReader.lastQnh = 990;
    qnhUdpReader.datagramCounter = 5;
    qnhUdpReader.counterSeen = 4;
    qnhUdpReader.stop = true;
    trafficUdpReader.stop = true;
    gf_startCollectingCallsigns();
    trafficUdpReader.callsignsSeen.insert("KLM1");

    gf_resetTraffic();
    EXPECT_EQ(trafficClockStamp, 0);
    EXPECT_EQ(currentQnh, 1013);
    EXPECT_EQ(qnhUdpReader.lastQnh, 1013);
    EXPECT_EQ(qnhUdpReader.datagramCounter, 0u);
    EXPECT_EQ(qnhUdpReader.counterSeen, 0u);
    EXPECT_FALSE(qnhUdpReader.stop);
    EXPECT_FALSE(trafficUdpReader.stop);
    EXPECT_TRUE(trafficUdpReader.callsignsSeen.empty());
}

} // namespace
