#include "liveries/scanreports.h"

#include "foundation/log.h"
#include "foundation/textfiles.h"
#include "liveries/cfgkeys.h"
#include "liveries/regcodes.h"
#include "liveries/fltsimsection.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>

namespace fs = std::filesystem;

const fs::path errorsFolder = fs::path(L"output") / L"errors";
const fs::path infoFolder = fs::path(L"output") / L"info";

ScanReportList invalidAirlineCodes(errorsFolder / L"InvalidAirlineCodes.txt");
ScanReportList invalidAircraftCodes(errorsFolder / L"InvalidAircraftCodes.txt");
ScanReportList codeFixes(errorsFolder / L"Fixes.txt");
ScanReportList invalidCfgFiles(errorsFolder / L"InvalidAircraftCfgFiles.txt");
ScanReportList incompleteSections(errorsFolder / L"IncompleFltsimSections.txt");
ScanReportList emptyCfgFiles(infoFolder / L"AircraftCfgWithNoFltsimSection.txt");
ScanReportList conversions(infoFolder / L"AirlineModelConversions.txt");
ScanReportList skippedOnPriority(infoFolder / L"LiveriesSkippedOnPriority.txt");

void ScanReportList::add(std::string line)
{
    const std::lock_guard lock(mutex);
    if (lines.size() >= lines.max_size())
        throw std::length_error("list too long");
    lines.push_back(std::move(line));
}

void gf_addLiveryReportLine(const std::string& line) { codeFixes.add(line); }
void gf_addInvalidCfgFile(const std::string& line) { invalidCfgFiles.add(line); }
void gf_addIncompleteSection(const std::string& line) { incompleteSections.add(line); }

void lf_writeConversionLines(LiveryData& record)
{
    if (record.atcid.empty())
        return;
    std::optional<DbRecord> found;
    for (const std::string& variant : gf_regcodeVariants(record.atcid))
        if (lf_findDbRecord(variant, found))
            break;
    if (!found)
        return;
    if (record.cargo != found->cargo) {
        conversions.lines.push_back(
            fmt::format("{:80} {} cargo {} => {}", record.title, record.atcid, record.cargo, found->cargo));
        record.cargo = found->cargo;
    }
    const std::string& airline = found->opr.empty() ? found->airl : found->opr;
    if (record.airl != airline) {
        conversions.lines.push_back(fmt::format("{:80} {} airl {} => {}", record.title, record.atcid, record.airl, airline));
        record.airl = airline;
    }
    if (record.type != found->type) {
        conversions.lines.push_back(
            fmt::format("{:80} {} model {} => {}", record.title, record.atcid, record.type, found->type));
        record.type = found->type;
    }
}

bool gf_writeReportFile(const std::vector<std::string>& lines, const fs::path& path)
{
    if (gf_writeLinesToFile(lines, path))
        return true;
    gf_logMarked(fmt::format("could not write {}", gf_scanPathText(path)));
    return false;
}

namespace {
// A file in the folder's place fails the creation, and the error names it.
void lf_ensureFolder(const fs::path& folder)
{
    if (!fs::is_directory(folder))
        fs::create_directory(folder);
}

// Writes one list (sorted when asked) and logs its summary line.
void lf_writeReport(ScanReportList& list, bool sorted, std::string_view singular, std::string_view plural)
{
    if (list.lines.empty())
        return;
    lf_ensureFolder(list.path.parent_path());
    if (sorted)
        std::sort(list.lines.begin(), list.lines.end());
    gf_writeReportFile(list.lines, list.path);
    gf_log(fmt::format("{} {}, see {}", list.lines.size(), list.lines.size() == 1 ? singular : plural,
                       gf_scanPathText(list.path)));
}
} // namespace

void lf_writeScanReports()
{
    try {
        const bool errors = !invalidAirlineCodes.lines.empty() || !invalidAircraftCodes.lines.empty() ||
                            !codeFixes.lines.empty() || !invalidCfgFiles.lines.empty() ||
                            !incompleteSections.lines.empty();
        gf_log(errors ? "\nErrors:" : "\nNo errors");
        lf_writeReport(invalidAirlineCodes, true, "invalid airline code", "invalid airline codes");
        lf_writeReport(invalidAircraftCodes, true, "invalid model code", "invalid model codes");
        lf_writeReport(codeFixes, false, "code fixes", "code fixes");
        lf_writeReport(invalidCfgFiles, true, "invalid aircraft.cfg files", "invalid aircraft.cfg files");
        lf_writeReport(incompleteSections, true, "incomplete [fltsim.x] sections", "incomplete [fltsim.x] sections");
        gf_log("\nInformation:");
        lf_writeReport(emptyCfgFiles, true, "empty aircraft.cfg files", "empty aircraft.cfg files");
        lf_writeReport(conversions, false, "liveries updated with real live data from dbase",
                       "liveries updated with real live data from dbase");
        lf_writeReport(skippedOnPriority, true, "liverie skipped on priority", "liveries skipped on priority");
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("scan reports not written: {}", e.what()));
    }
}

void lf_clearScanLists()
{
    for (ScanReportList* list : {&invalidAirlineCodes, &invalidAircraftCodes, &codeFixes, &invalidCfgFiles,
                                 &incompleteSections, &emptyCfgFiles, &conversions, &skippedOnPriority})
        list->lines.clear();
    gf_clearScannedTitles();
    dontUseTitles.clear();
}
