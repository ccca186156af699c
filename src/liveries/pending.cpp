// Stand-ins for the liveries services that are not built yet.
#include "liveries/liveries.h"

#include "foundation/log.h"
#include "traffic/records.h"

#include <fmt/format.h>

#include <atomic>
#include <ctime>
#include <regex>

std::vector<std::vector<std::string>> PublisherTable;

namespace pendingLiveries {
std::map<std::string, int> sizeClasses;
std::map<std::string, double> wingspans;
std::unordered_map<std::string, DbRecord> dbRecords;
std::string_view liveryTitle;
std::set<std::string, std::less<>> failedTitles;
} // namespace pendingLiveries

int gf_sizeCategory(const std::string& type)
{
    const auto found = pendingLiveries::sizeClasses.find(type);
    return found == pendingLiveries::sizeClasses.end() ? 0 : found->second;
}

double largestWingspan = 0.0;

double gf_wingspan(const std::string& type)
{
    const auto found = pendingLiveries::wingspans.find(type);
    return found == pendingLiveries::wingspans.end() ? 0.0 : found->second;
}

std::vector<std::string> gf_regcodeVariants(const std::string& registration)
{
    std::vector<std::string> variants{registration};
    if (registration.size() < 5 || registration.front() == 'N' || registration.find('-') != std::string::npos)
        return variants;
    variants.push_back(registration.substr(0, 2) + "-" + registration.substr(2));
    variants.push_back(registration.substr(0, 1) + "-" + registration.substr(1));
    return variants;
}

bool lf_findDbRecord(const std::string& variant, std::optional<DbRecord>& record)
{
    const auto found = pendingLiveries::dbRecords.find(variant);
    if (found == pendingLiveries::dbRecords.end())
        return false;
    record = found->second;
    return true;
}

std::string gf_publisherOf(const std::string& text)
{
    for (const std::vector<std::string>& row : PublisherTable)
        for (const std::string& field : row) {
            if (text.find(field) != std::string::npos)
                return row.front();
            try {
                if (std::regex_match(text, std::regex(".*" + field + ".*")))
                    return row.front();
            } catch (const std::regex_error&) {
                // A field that is no valid pattern matches only as plain text.
            }
        }
    return "unknown";
}

// Tests read how often the start-up called these and what the scan was given.
std::atomic<std::int32_t> pendingAircraftDataReads{0};
std::atomic<std::int32_t> pendingFixesReads{0};
std::atomic<std::int32_t> pendingLiveryScans{0};
std::atomic<bool> pendingLastScanWasScan{false};
std::atomic<bool> pendingLiveriesFound{true};
std::vector<std::string> pendingScanFolders; // written by the start-up thread only
std::string pendingDateCode;                 // not empty: gf_dateCode answers it

std::set<std::string> noMatchSet;

std::string gf_dateCode()
{
    if (!pendingDateCode.empty())
        return pendingDateCode;
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_s(&utc, &now);
    return fmt::format("{:04}{:02}{:02}", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
}

void gf_readAircraftData() { ++pendingAircraftDataReads; }
void gf_readFixes() { ++pendingFixesReads; }

bool gf_scanLiveries(bool scan, bool, bool, const std::vector<std::string>& folders)
{
    ++pendingLiveryScans;
    pendingLastScanWasScan = scan;
    pendingScanFolders = folders;
    return pendingLiveriesFound.load();
}

void gf_logNoMatches() {}
void logMatchingSummary() {}

bool gf_isKnownAircraft(const std::string& type) { return pendingLiveries::sizeClasses.contains(type); }

std::string gf_dbTypeOfReg(const std::string& registration)
{
    for (const std::string& spelling : gf_regcodeVariants(registration)) {
        std::optional<DbRecord> record;
        if (lf_findDbRecord(spelling, record))
            return record->type;
    }
    return {};
}

void matchLiveryLive(Act& act)
{
    act.base.head.liveryTitle = pendingLiveries::liveryTitle;
}

void gf_liveryNotCreated(const AircraftProfile& head)
{
    gf_logf("{} \"{}\" could not be created by your Sim!", head.identity.callsign, head.liveryTitle);
    pendingLiveries::failedTitles.emplace(head.liveryTitle);
}

bool gf_isFailedLivery(std::string_view title) { return pendingLiveries::failedTitles.contains(title); }

void gf_resetMatchState() {}
