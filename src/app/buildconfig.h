#pragma once
// Constants that differ between the shipped program and the test build.
#include <cstdint>
#include <string>

extern const bool isTestBuild;

// The download server's address, ending in "/". The test build points it at the
// stand-in server, where each test sets its own folder through testDownloadBaseUrl.
extern const std::string& downloadBaseUrl;
extern std::string testDownloadBaseUrl; // test build only

// RealTraffic's UDP ports: QNH datagrams and traffic records. The test build gives every
// run ports of its own, so that runs side by side never share them: a test in this process
// sets testQnhPort and testTrafficPort, a program a test starts takes them from its
// environment (TARNWICK_TEST_QNH_PORT, TARNWICK_TEST_TRAFFIC_PORT); without either the
// system picks a free port.
extern const std::uint16_t& qnhPort;
extern const std::uint16_t& trafficPort;
extern std::uint16_t testQnhPort;     // test build only
extern std::uint16_t testTrafficPort; // test build only

// Downloads give up when no connection is made within the connect time-out, or when
// fewer than downloadLowSpeedBytes arrive per second for downloadLowSpeedSeconds.
extern const long downloadConnectSeconds;
extern const long downloadLowSpeedBytes;
extern const long downloadLowSpeedSeconds;

// Seconds of the status clock for which a status text stays on the status line.
extern const std::int32_t statusHoldSeconds;

// Seconds that a restart counts down at most.
extern const std::int32_t longestRestartCountdown;
// 100 ms steps of the start's wait for the first traffic.
extern const std::int32_t firstTrafficWaitSteps;
// Milliseconds that a "SYSTEM ERROR" exit pauses before it waits for the threads.
extern const std::int32_t systemErrorPauseMs;
// Milliseconds that RealTraffic has to answer the version request, and that a send to it
// may wait for RealTraffic to read before it counts as gone.
extern const std::int32_t realTrafficReplyMs;
extern const std::int32_t realTrafficSendMs;
// Seconds that an exit waits for the start-up and main-loop thread to end.
extern const std::int32_t mainLoopStopSeconds;
// Seconds for which, once the traffic has stopped, the creations still on their way are
// looked for so that they can be removed.
extern const std::int32_t lateCreationSeconds;
