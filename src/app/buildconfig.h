#pragma once
// Constants that differ between the shipped program and the test build.

extern const bool isTestBuild;
