#pragma once
// Registration codes of single aircraft and the titles of their liveries, from the scanned
// liveries, input\AIG-regcodes.xml and the text files of input\my_regcodes; the special
// liveries that only their own codes get; the titles never to be used.
#include "liveries/liverydata.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Regcode -> title view; rebuilt with every index build.
extern std::unordered_map<std::string, std::string_view> regcodeTitles;
// One entry per code marked special (a title may stand several times).
extern std::vector<std::string_view> specialLiveries;
bool gf_isSpecialTitle(std::string_view title);
// The report lines of the latest reading of the regcode files.
extern std::vector<std::string> offlineRegcodeLines;
// Titles that the scan drops.
extern std::vector<std::string> dontUseTitles;

extern const std::filesystem::path aigRegcodesPath;   // input\AIG-regcodes.xml
extern const std::filesystem::path myRegcodesFolder;  // input\my_regcodes
extern const std::filesystem::path offlineReportPath; // output\info\OfflineRegcodes.txt
extern const std::filesystem::path inlineReportPath;  // output\errors\InlineRegcodes.txt

// The ".txt" files (any case) directly in input\my_regcodes, in the listing's order.
std::vector<std::filesystem::path> lf_regcodeTextFiles();

// Both tables empty again (a new index build).
void lf_clearRegcodes();
// The ATC ids of the scanned liveries; clashes go to InlineRegcodes.txt.
void processInlineRegcodes();
void assignRegcode(std::vector<std::string>& clashLines, const LiveryData& livery);
// AIG-regcodes.xml and the text files, each overriding what came before; the report goes
// to OfflineRegcodes.txt.
void processOfflineRegcodes();

// Counters of one regcode file.
struct RegcodeCounts {
    std::int32_t added = 0;
    std::int32_t replaced = 0;
    std::int32_t special = 0;
};
// One code of AIG-regcodes.xml (stored scrambled) or of a text file for the title.
void checkRegcodeXml(const std::string& stored, std::string_view title, bool special, RegcodeCounts& counts);
void checkRegcodeTxt(const std::string& code, std::string_view title, bool special, const std::string& path,
                     RegcodeCounts& counts);
// One line of a text file: "title;codes" or "title;codes;#".
void parseRegcodeLine(const std::string& line, const std::string& path, RegcodeCounts& counts);

// The don't-use titles of AIG-regcodes.xml and of the text files, appended to dontUseTitles.
void readDontUseTitlesXml();
void readDontUseTitlesTxt();
