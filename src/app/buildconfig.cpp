// Constants that the test build shortens; the shipped program uses the first column.
#include "app/buildconfig.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#ifndef TARNWICK_TEST_BUILD
#define TARNWICK_TEST_BUILD 0
#endif

const bool isTestBuild = TARNWICK_TEST_BUILD != 0;

#if TARNWICK_TEST_BUILD
std::string testDownloadBaseUrl = "http://127.0.0.1:9/";
const std::string& downloadBaseUrl = testDownloadBaseUrl;

static std::uint16_t lf_portFromEnvironment(const char* name)
{
    const char* text = std::getenv(name);
    std::uint16_t port = 0;
    if (text != nullptr)
        std::from_chars(text, text + std::strlen(text), port);
    return port;
}
std::uint16_t testQnhPort = lf_portFromEnvironment("TARNWICK_TEST_QNH_PORT");
std::uint16_t testTrafficPort = lf_portFromEnvironment("TARNWICK_TEST_TRAFFIC_PORT");
const std::uint16_t& qnhPort = testQnhPort;
const std::uint16_t& trafficPort = testTrafficPort;
#else
static const std::string productDownloadBaseUrl = "https://download.tarnwick.example/";
const std::string& downloadBaseUrl = productDownloadBaseUrl;

static const std::uint16_t productQnhPort = 49004;
static const std::uint16_t productTrafficPort = 49005;
const std::uint16_t& qnhPort = productQnhPort;
const std::uint16_t& trafficPort = productTrafficPort;
#endif

const long downloadConnectSeconds = TARNWICK_TEST_BUILD ? 5 : 20;
const long downloadLowSpeedBytes = TARNWICK_TEST_BUILD ? 1 : 100;
const long downloadLowSpeedSeconds = TARNWICK_TEST_BUILD ? 2 : 30;

const std::int32_t statusHoldSeconds = TARNWICK_TEST_BUILD ? 3 : 25;

const std::int32_t longestRestartCountdown = TARNWICK_TEST_BUILD ? 2 : 2147483647;
const std::int32_t firstTrafficWaitSteps = TARNWICK_TEST_BUILD ? 20 : 150;
const std::int32_t systemErrorPauseMs = TARNWICK_TEST_BUILD ? 1000 : 5000;
const std::int32_t realTrafficReplyMs = TARNWICK_TEST_BUILD ? 2000 : 10000;
const std::int32_t realTrafficSendMs = TARNWICK_TEST_BUILD ? 2000 : 5000;
const std::int32_t mainLoopStopSeconds = TARNWICK_TEST_BUILD ? 3 : 10;
const std::int32_t lateCreationSeconds = TARNWICK_TEST_BUILD ? 10 : 20;
