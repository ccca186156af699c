// Constants that the test build shortens; the shipped program uses the first column.
#include "app/buildconfig.h"

#ifndef TARNWICK_TEST_BUILD
#define TARNWICK_TEST_BUILD 0
#endif

const bool isTestBuild = TARNWICK_TEST_BUILD != 0;

const std::int32_t statusHoldSeconds = TARNWICK_TEST_BUILD ? 3 : 25;
