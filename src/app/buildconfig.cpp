// Constants that the test build shortens; the shipped program uses the first column.
#include "app/buildconfig.h"

#ifndef TARNWICK_TEST_BUILD
#define TARNWICK_TEST_BUILD 0
#endif

const bool isTestBuild = TARNWICK_TEST_BUILD != 0;

#if TARNWICK_TEST_BUILD
std::string testDownloadBaseUrl = "http://127.0.0.1:9/";
const std::string& downloadBaseUrl = testDownloadBaseUrl;
#else
static const std::string productDownloadBaseUrl = "https://download.tarnwick.example/";
const std::string& downloadBaseUrl = productDownloadBaseUrl;
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
