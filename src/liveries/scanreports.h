#pragma once
// What the livery scan refused or corrected: report lists filled by the scan tasks and
// written to output\errors and output\info by the start-up thread after the walk.
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

struct LiveryData;

// One report's lines; tasks append under its mutex, the start-up thread writes and clears
// it once no task runs.
struct ScanReportList {
    std::mutex mutex;
    std::vector<std::string> lines;
    std::filesystem::path path;
    explicit ScanReportList(std::filesystem::path file) : path(std::move(file)) {}
    void add(std::string line);
};

// Errors (output\errors).
extern ScanReportList invalidAirlineCodes;  // InvalidAirlineCodes.txt
extern ScanReportList invalidAircraftCodes; // InvalidAircraftCodes.txt
extern ScanReportList codeFixes;            // Fixes.txt, in the order found
extern ScanReportList invalidCfgFiles;      // InvalidAircraftCfgFiles.txt
extern ScanReportList incompleteSections;   // IncompleFltsimSections.txt
// Information (output\info).
extern ScanReportList emptyCfgFiles;        // AircraftCfgWithNoFltsimSection.txt
extern ScanReportList conversions;          // AirlineModelConversions.txt, in the order found
extern ScanReportList skippedOnPriority;    // LiveriesSkippedOnPriority.txt

extern const std::filesystem::path errorsFolder; // output\errors
extern const std::filesystem::path infoFolder;   // output\info

void gf_addLiveryReportLine(const std::string& line);
void gf_addInvalidCfgFile(const std::string& line);
void gf_addIncompleteSection(const std::string& line);

// Airline, type and cargo flag of a livery with a registration taken from the registration
// records, each change noted in the conversions list (start-up thread).
void lf_writeConversionLines(LiveryData& record);
// Writes the non-empty lists and logs the summary (start-up thread, no task running).
void lf_writeScanReports();
// Empties the report lists, the scan's titles and the don't-use titles.
void lf_clearScanLists();
// Writes the lines to the file, replacing it; a file that cannot be written is logged.
bool gf_writeReportFile(const std::vector<std::string>& lines, const std::filesystem::path& path);
