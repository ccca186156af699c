// The registration-code index: in-line codes of the scanned liveries, then the offline
// lists, each later source overriding the earlier ones.
#include "liveries/regcodes.h"

#include "foundation/log.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "liveries/indexes.h"
#include "liveries/liveries.h"
#include "liveries/referencedata.h"
#include "liveries/scanreports.h"
#include "liveries/scrambling.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>

namespace fs = std::filesystem;

std::unordered_map<std::string, std::string_view> regcodeTitles;
std::vector<std::string_view> specialLiveries;
std::vector<std::string> offlineRegcodeLines;

const fs::path aigRegcodesPath = fs::path(L"input") / L"AIG-regcodes.xml";
const fs::path myRegcodesFolder = fs::path(L"input") / L"my_regcodes";
const fs::path offlineReportPath = fs::path(L"output") / L"info" / L"OfflineRegcodes.txt";
const fs::path inlineReportPath = fs::path(L"output") / L"errors" / L"InlineRegcodes.txt";

namespace {
std::unordered_set<std::string_view> specialTitles;

const char* lf_plural(std::int32_t count) { return count == 1 ? "" : "s"; }

// A code of 1 to 12 characters enters or replaces its title; `context` names the title
// (AIG-regcodes.xml) or the file in a length complaint.
void lf_enterRegcode(const std::string& code, std::string_view title, bool special, const std::string& context,
                     RegcodeCounts& counts)
{
    if (code.empty() || code.size() > 12) {
        offlineRegcodeLines.push_back(fmt::format("{}wrong regcode length \"{}\" in {}", errorMarker, code, context));
        return;
    }
    const auto [entry, added] = regcodeTitles.emplace(code, title);
    if (!added && entry->second != title) {
        offlineRegcodeLines.push_back(
            fmt::format("   regcode {} for \"{}\", instead of for \"{}\"", code, title, entry->second));
        entry->second = title;
        ++counts.replaced;
    } else {
        ++counts.added;
    }
    if (special) {
        specialLiveries.push_back(title);
        specialTitles.insert(title);
        ++counts.special;
    }
}

std::string lf_summary(const std::string& path, const RegcodeCounts& counts)
{
    std::string line = fmt::format("{}: {} new regcode{} added", path, counts.added, lf_plural(counts.added));
    if (counts.replaced >= 1)
        line += fmt::format(", {} regcode{} replaced", counts.replaced, lf_plural(counts.replaced));
    if (counts.special >= 1)
        line += fmt::format(", {} regcode{} defined as special", counts.special, lf_plural(counts.special));
    return line;
}

// The livery elements of an AIG-regcodes.xml document.
pugi::xml_object_range<pugi::xml_named_node_iterator> lf_aigLiveries(const pugi::xml_document& document)
{
    return document.child("AIG-regcodes").children("livery");
}

void readRegcodeXmlFiles()
{
    const std::string path = gf_pathText(aigRegcodesPath);
    offlineRegcodeLines.push_back("Processing " + path);
    pugi::xml_document document;
    if (!document.load_file(aigRegcodesPath.c_str())) {
        offlineRegcodeLines.push_back(fmt::format("{} Failed to load regcode file {}", errorMarker, path));
        return;
    }
    RegcodeCounts counts;
    for (const pugi::xml_node livery : lf_aigLiveries(document)) {
        const std::string_view title = findLiveryTitle(livery.attribute("title").value());
        if (title.empty())
            continue;
        const bool special = gf_flagText(livery.attribute("special").value());
        for (const std::string& code : gf_splitComma(livery.attribute("reg").value()))
            checkRegcodeXml(code, title, special, counts);
    }
    offlineRegcodeLines.push_back(lf_summary(path, counts));
}

void readRegcodeTxtFiles()
{
    offlineRegcodeLines.push_back("Processing files in " + gf_pathText(myRegcodesFolder));
    for (const fs::path& file : lf_regcodeTextFiles()) {
        std::vector<std::string> lines;
        if (!gf_readExtTextFileToStringVector(file, lines) || lines.empty())
            continue;
        const std::string path = gf_pathText(file);
        RegcodeCounts counts;
        for (const std::string& line : lines)
            parseRegcodeLine(line, path, counts);
        offlineRegcodeLines.push_back(lf_summary(path, counts));
    }
}

// A source that fails part way keeps what it entered.
template <typename Read>
void lf_readSource(const fs::path& path, Read read)
{
    try {
        read();
    } catch (const std::exception& e) {
        offlineRegcodeLines.push_back(
            fmt::format("{} Error in reading regcode file {}, what: {}", errorMarker, gf_pathText(path), e.what()));
    }
}
} // namespace

std::size_t gf_countAigLiveries(const fs::path& file)
{
    pugi::xml_document document;
    if (!document.load_file(file.c_str()))
        return 0;
    const auto liveries = lf_aigLiveries(document);
    return static_cast<std::size_t>(std::count_if(liveries.begin(), liveries.end(), [](const pugi::xml_node& livery) {
        return *livery.attribute("title").value() != '\0';
    }));
}

std::vector<fs::path> lf_regcodeTextFiles()
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(myRegcodesFolder))
        if (entry.is_regular_file() && gf_equalsUpper(".TXT", gf_pathText(entry.path().extension())))
            files.push_back(entry.path());
    return files;
}

bool gf_isSpecialTitle(std::string_view title) { return specialTitles.contains(title); }

void lf_clearRegcodes()
{
    regcodeTitles.clear();
    specialLiveries.clear();
    specialTitles.clear();
}

void assignRegcode(std::vector<std::string>& clashLines, const LiveryData& livery)
{
    if (livery.atcid.empty())
        return;
    const std::string_view title = findLiveryTitle(livery.title);
    if (title.empty()) {
        gf_logMarked(fmt::format("sys error: livery \"{}\" for a [{:3} {:4}] with regcode {} not available",
                                 livery.title, livery.airl, livery.type, livery.atcid));
        return;
    }
    const auto [entry, added] = regcodeTitles.emplace(livery.atcid, title);
    if (!added && entry->second != title)
        clashLines.push_back(fmt::format("[{:3} {:4}] {} \"{}\" => in use by \"{}\"", livery.airl, livery.type,
                                         livery.atcid, livery.title, entry->second));
}

void processInlineRegcodes()
{
    std::vector<std::string> clashLines;
    for (const LiveryData& livery : scannedLiveries)
        assignRegcode(clashLines, livery);
    if (clashLines.empty())
        return;
    if (!fs::exists(inlineReportPath.parent_path()))
        fs::create_directory(inlineReportPath.parent_path());
    gf_writeReportFile(clashLines, inlineReportPath);
    gf_logMarked(fmt::format("{} in-line regcode clashes, see \"{}\"", clashLines.size(), gf_pathText(inlineReportPath)));
}

void checkRegcodeXml(const std::string& stored, std::string_view title, bool special, RegcodeCounts& counts)
{
    lf_enterRegcode(gf_decryptRegcode(stored), title, special, std::string(title), counts);
}

void checkRegcodeTxt(const std::string& code, std::string_view title, bool special, const std::string& path,
                     RegcodeCounts& counts)
{
    lf_enterRegcode(code, title, special, path, counts);
}

void parseRegcodeLine(const std::string& line, const std::string& path, RegcodeCounts& counts)
{
    if (line.empty())
        return;
    const std::vector<std::string> fields = gf_splitSemicolon(line);
    if (fields.size() == 1 || (fields.size() == 3 && fields[2] != "#"))
        return;
    if (fields.empty() || fields.size() > 3) {
        offlineRegcodeLines.push_back(fmt::format("{}{} wrong format: {}", errorMarker, path, line));
        gf_logMarked(fmt::format("{} wrong format: {}", path, line));
        return;
    }
    const std::string_view title = findLiveryTitle(fields[0]);
    const std::vector<std::string> codes = gf_splitComma(fields[1]);
    if (title.empty() || codes.empty())
        return;
    const bool special = fields.size() == 3 || codes.size() == 1;
    for (const std::string& code : codes)
        checkRegcodeTxt(code, title, special, path, counts);
}

void processOfflineRegcodes()
{
    offlineRegcodeLines.clear();
    if (fs::exists(aigRegcodesPath))
        lf_readSource(aigRegcodesPath, readRegcodeXmlFiles);
    lf_readSource(myRegcodesFolder, [] {
        if (gf_countDirEntries(myRegcodesFolder) > 0)
            readRegcodeTxtFiles();
    });
    if (fs::exists(offlineReportPath))
        fs::remove(offlineReportPath);
    if (offlineRegcodeLines.empty())
        return;
    gf_writeReportFile(offlineRegcodeLines, offlineReportPath);
    gf_logf("Offline regcode files processed, results can be found in \"{}\"", gf_pathText(offlineReportPath));
    if (!specialLiveries.empty())
        gf_logf("{} special liveries", specialLiveries.size());
}
