// Beside the matcher: refused liveries, the summary of the steps and the unmatched flights.
#include "liveries/matching.h"

#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/texthelpers.h"
#include "liveries/liveries.h"

#include <fmt/format.h>

#include <algorithm>

std::vector<std::string_view> failedTitles;
std::vector<std::string> failedTypes;
std::set<std::string> noMatchSet;

namespace {
constexpr std::size_t failedTitleLimit = 20;
constexpr std::size_t summaryWidth = 100;
} // namespace

bool gf_isFailedTitle(std::string_view title) { return std::ranges::find(failedTitles, title) != failedTitles.end(); }

void gf_liveryNotCreated(const ActHead& head)
{
    gf_showStatus(fmt::format("{} \"{}\" could not be created by your Sim!", head.identity.callsign, head.liveryTitle),
                  true);
    failedTitles.push_back(head.liveryTitle);
    failedTypes.push_back(head.identity.type + " " + head.identity.airline);
    if (failedTitles.size() >= failedTitleLimit) {
        const std::string text = fmt::format("there are too many liveries that could not be created by {}!", "P3D");
        gf_log(fmt::format("\n{}Error 81, {}\n", errorMarker, text));
        throw zeb::UserErrorException(81, text + ", see Log.txt");
    }
}

std::vector<std::string> gf_getFailedLiveries()
{
    std::ranges::sort(failedTypes);
    failedTypes.erase(std::unique(failedTypes.begin(), failedTypes.end()), failedTypes.end());
    std::vector<std::string> lines;
    for (const std::string& type : failedTypes)
        lines.push_back("  " + type);
    return lines;
}

void logMatchingSummary()
{
    const std::string title = "live traffic livery matching summary";
    std::vector<std::string> lines{gf_bannerLine(static_cast<std::int64_t>(summaryWidth - title.size()), 0, true,
                                                 false, title),
                                   "Matches at step: "};
    for (std::size_t step = 0; step < stepCounters.size(); ++step)
        lines.push_back(fmt::format("  {}: {}", step + 1, stepCounters[step]));
    if (const std::vector<std::string> failed = gf_getFailedLiveries(); !failed.empty()) {
        lines.push_back(fmt::format("\nCould not be created by {}:", "P3D"));
        lines.insert(lines.end(), failed.begin(), failed.end());
    }
    lines.push_back(gf_bannerLine(summaryWidth, 0, false, true, ""));
    for (const std::string& line : lines)
        gf_log(line);
}

void gf_logNoMatches()
{
    if (noMatchSet.empty())
        return;
    gf_log("\nNo match found for: ");
    for (const std::string& ident : noMatchSet)
        gf_log(ident);
    gf_log("");
}

void gf_resetMatchingState()
{
    stepCounters.fill(0);
    noMatchSet.clear();
}
