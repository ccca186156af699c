// The add-on airport scan's report list, which its tasks fill side by side.
#include "airports/bglreader.h"

#include <mutex>

namespace {
std::mutex airportsLogMutex;
std::vector<std::string> airportsLogLines;
} // namespace

void gf_addAirportsLogLine(std::string text)
{
    const std::lock_guard lock(airportsLogMutex);
    airportsLogLines.push_back(std::move(text));
}

std::vector<std::string> gf_takeAirportsLogLines()
{
    const std::lock_guard lock(airportsLogMutex);
    std::vector<std::string> lines = std::move(airportsLogLines);
    airportsLogLines.clear();
    airportsLogLines.reserve(2048);
    return lines;
}
