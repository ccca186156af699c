#include "liveries/fltsimsection.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "liveries/cfgkeys.h"
#include "liveries/regcodes.h"
#include "liveries/referencedata.h"
#include "liveries/scanreports.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {
// Titles given to liveries in this scan: a title belongs to one section only.
std::mutex scannedTitlesMutex;
std::unordered_set<std::string> ScannedTitles;

void lf_upperAscii(std::string& text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
}

// The registration of an atc_id value, or empty (logged) when it gives none.
std::string lf_readRegcode(std::string value, PackageKind kind, const std::string& title)
{
    if (kind == PackageKind::ordinary)
        value = value.substr(0, value.find(';'));
    const std::vector<std::string> items = gf_splitComma(value);
    if (items.empty()) {
        gf_log(fmt::format("invalid atc_id={} ==> in: {}", value, title));
        return {};
    }
    for (const std::string& item : items) {
        if (item.empty()) {
            gf_log(kind == PackageKind::ordinary ? fmt::format("empty regcode in {} {}", title, value)
                                                 : fmt::format(" empty regcode in: {}", value));
            return {};
        }
        if (item.size() > 12) {
            gf_log(kind == PackageKind::ordinary
                       ? fmt::format("regcode: {}, has more than 12 chars or contains UTF16 chars in \"{}\"?", item, title)
                       : fmt::format("regcode: {}, has more than 12 chars in title: {}", item, title));
            return {};
        }
        if (item.find('*') != std::string::npos) {
            gf_logMarked(fmt::format("{} {} wild cards no longer supported, atc_id skipped ", title, item));
            return {};
        }
    }
    return items.size() == 1 ? items.front() : std::string();
}

bool lf_reject(const std::string& message)
{
    gf_addIncompleteSection(message);
    return false;
}

// "model.name", or "model" for an empty value (Windows drops a trailing dot).
fs::path lf_variantName(const char* key, const std::string& value)
{
    return gf_u8path(value.empty() ? std::string(key) : std::string(key) + "." + value);
}
} // namespace

void lf_dropTrailingLines(std::vector<std::string>& lines)
{
    while (!lines.empty() && (lines.back().empty() || lines.back().starts_with("//")))
        lines.pop_back();
}

bool lf_readSectionValues(const std::vector<std::string>& lines, const std::string& folderText, PackageKind kind,
                          SectionValues& values)
{
    const std::string& header = lines.front();
    const auto refuse = [&](std::string_view what) { return lf_reject(fmt::format("{} {} {}", folderText, header, what)); };
    std::string ignored;
    for (const std::string& line : lines) {
        if (values.title.empty()) {
            if (lf_getTitle(line, values.title))
                continue;
        } else if (lf_getTitle(line, ignored)) {
            return refuse("has more than one title key");
        }
        if (kind == PackageKind::ordinary) {
            if (!values.codes.empty()) {
                if (line.find("atc_parking_codes") != std::string::npos)
                    return refuse("has more than one atc_parking_codes key");
            } else if (const auto codes = gf_keyValue(line, "atc_parking_codes")) {
                values.codes = *codes;
                gf_normalizeList(values.codes);
                if (lf_isManufacturerCode(values.codes))
                    values.codes = "ZZZ";
                continue;
            }
        }
        if (values.types.empty()) {
            if (lf_getAtcParkingTypes(line, values.types)) {
                gf_normalizeList(values.types);
                lf_upperAscii(values.types);
                continue;
            }
        } else if (lf_hasAtcParkingTypes(line)) {
            return refuse("has more than one atc_parking_types key");
        }
        if (!values.atcid.empty()) {
            if (lf_hasAtcId(line))
                return lf_reject(fmt::format("{}, {}, has more than one atc_id key", folderText, header));
        } else if (std::string value; lf_getAtcId(line, value)) {
            values.atcid = lf_readRegcode(value, kind, values.title);
            continue;
        }
        if (values.model.empty() && lf_getModel(line, values.model))
            continue;
        if (values.sim.empty() && lf_getSim(line, values.sim))
            continue;
        if (values.texture.empty())
            lf_getTexture(line, values.texture);
    }
    return true;
}

bool lf_sectionFilesExist(const fs::path& folder, const std::string& header, PackageKind kind,
                          const SectionValues& values, const FolderListing* listing)
{
    std::array<std::pair<fs::path, fs::file_type>, 3> checks;
    try {
        checks = {{{lf_variantName("model", values.model), fs::file_type::directory},
                   {lf_variantName("texture", values.texture), fs::file_type::directory},
                   {gf_u8path(values.sim + ".air"), fs::file_type::regular}}};
    } catch (const fs::filesystem_error& e) {
        // One section's broken value must not cost the file's other liveries.
        if (e.code() != std::errc::illegal_byte_sequence)
            throw;
        return lf_reject(fmt::format("{} {} names a file that is no path text", gf_scanPathText(folder), header));
    }
    if (kind == PackageKind::ivao)
        std::swap(checks[1], checks[2]);
    for (const auto& [name, type] : checks)
        if (!gf_pathIs(folder, name, type, listing))
            return lf_reject(fmt::format("{} {} does not exist", gf_scanPathText(folder / name), header));
    return true;
}

// A listed title is unwanted whichever reading of a file without a mark gives it: the lists
// are UTF-8, the scan reads such a file in the ANSI code page.
bool lf_unwantedTitle(const std::string& title)
{
    const auto listed = [](const std::string& text) {
        return std::find(dontUseTitles.begin(), dontUseTitles.end(), text) != dontUseTitles.end();
    };
    const std::optional<std::string> utf8 = gf_utf8ReadingOfAnsi(title);
    if (listed(title) || (utf8 && listed(*utf8)))
        return true;
    return SUPPRESS_STUB.value.load() && title.ends_with("_STUB");
}

bool lf_titleInCodePage(const std::string& folderText, const std::string& header, const std::string& title)
{
    if (gf_utf8ToAnsi(title))
        return true;
    return lf_reject(fmt::format("{} {} title \"{}\" has characters that the simulator's code page {} lacks",
                                 folderText, header, title, gf_ansiCodePage()));
}

LiveryData lf_makeLiveryData(int priority, const std::string& airl, const std::string& type, bool cargo,
                             const std::string& title, const std::string& atcid, bool checkUnique)
{
    if (checkUnique) {
        const std::lock_guard lock(scannedTitlesMutex);
        if (!ScannedTitles.insert(title).second)
            return {};
    }
    return LiveryData{airl, type, title, atcid, priority, cargo};
}

void gf_clearScannedTitles()
{
    const std::lock_guard lock(scannedTitlesMutex);
    ScannedTitles.clear();
}

namespace {
// One airline code of the section, fixed; empty when it is no airline (reported).
std::string lf_fixAirline(std::string code, const fs::path& file, const std::string& header)
{
    if (pvtFixes.contains(code) || govFixes.contains(code)) {
        gf_addLiveryReportLine(fmt::format("Fix: {} found in {} changed into {}", code, gf_scanPathText(file), "PVT"));
        code = "PVT";
    }
    if (code.size() == 4 && (code[3] == 'X' || code[3] == 'C'))
        code.resize(3);
    if (code.empty() || !gf_isIcaoAirline(code)) {
        lf_reportInvalidAirline(code, file, header);
        return {};
    }
    return code;
}
} // namespace

std::list<LiveryData> lf_procesFltSimSection(int priority, std::vector<std::string>& lines, const std::string& fileType,
                                             const fs::path& file, const fs::path& folder, const FolderListing* listing)
{
    std::list<LiveryData> result;
    try {
        lf_dropTrailingLines(lines);
        if (lines.empty())
            return result;
        const std::string& header = lines.front();
        const std::string folderText = gf_scanPathText(folder);
        SectionValues values;
        if (!lf_readSectionValues(lines, folderText, PackageKind::ordinary, values) ||
            !lf_sectionFilesExist(folder, header, PackageKind::ordinary, values, listing))
            return result;
        if (values.title.empty()) {
            lf_reject(fmt::format("{} {} misses title", folderText, header));
            return result;
        }
        if (lf_unwantedTitle(values.title) || !lf_titleInCodePage(folderText, header, values.title))
            return result;
        if (values.codes.empty()) {
            lf_reject(fmt::format("{} {} empty ", folderText, header) + "atc_parking_codes=");
            return result;
        }
        std::vector<std::string> codes = splitCommaList(values.codes);
        std::sort(codes.begin(), codes.end());
        codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
        const bool cargo = values.types.find("CARGO") != std::string::npos;
        bool checkUnique = true;
        for (const std::string& listed : codes) {
            const std::string code = lf_fixAirline(listed, file, header);
            if (code.empty())
                continue;
            if (code == "ZZZ")
                values.atcid.clear();
            LiveryData record = lf_makeLiveryData(priority, code, fileType, cargo, values.title, values.atcid, checkUnique);
            if (record.airl.empty()) {
                lf_reject(fmt::format("{} {} title \"{}\" already exists", folderText, header, values.title));
                continue;
            }
            checkUnique = false;
            result.push_back(std::move(record));
        }
        result.sort(lf_lessByNames);
    } catch (const std::exception& e) {
        gf_log(fmt::format("exception in lf_procesFltSimSection: {}, file: {}", e.what(), gf_scanPathText(file)));
        throw;
    }
    return result;
}
