// IVAO_MTL packages: the type comes from the folder IVAO_MTL\IVAO_<type>, the airline
// from the three characters after the type in each title.
#include "liveries/cfgscan.h"

#include "foundation/log.h"
#include "foundation/texthelpers.h"
#include "liveries/cfgkeys.h"
#include "liveries/fltsimsection.h"
#include "liveries/referencedata.h"
#include "liveries/scanreports.h"

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {
bool lf_isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Drops the variant mark of a model: "B738w", "B744F", "T154B2", gliders.
std::string lf_withoutVariant(std::string model)
{
    std::size_t drop = 0;
    if (model.ends_with('w') || model == "B744F" || model == "T154M")
        drop = 1;
    else if (model == "T154B2")
        drop = 2;
    else if (model == "GLID_SH")
        drop = 3;
    else if (model == "GLID_A13" || model == "GLID_A25" || model == "GLID_KA6" || model == "GLID_KA8" ||
             model == "GLID_L13")
        drop = 4;
    model.resize(model.size() - drop);
    return model;
}
} // namespace

std::optional<std::string> gf_ivaoFolderModel(std::string_view path)
{
    // ...\IVAO_MTL\IVAO_<word characters>\aircraft?cfg, in any letter case.
    constexpr std::string_view fileName = "AIRCRAFT?CFG";
    if (path.size() < fileName.size() + 1)
        return std::nullopt;
    const std::size_t nameAt = path.size() - fileName.size();
    const char dot = path[nameAt + 8];
    if (!gf_equalsUpper("AIRCRAFT", path.substr(nameAt, 8)) || dot == '\n' || dot == '\r' ||
        !gf_equalsUpper("CFG", path.substr(nameAt + 9)) || path[nameAt - 1] != '\\')
        return std::nullopt;
    // The folder holding the file: word characters only, "IVAO_" and the model.
    std::size_t start = nameAt - 1;
    while (start > 0 && lf_isWordChar(path[start - 1]))
        --start;
    const std::string_view folder = path.substr(start, nameAt - 1 - start);
    constexpr std::string_view mtl = "\\IVAO_MTL\\"; // with something before it
    if (folder.size() <= 5 || !gf_equalsUpper("IVAO_", folder.substr(0, 5)) || start <= mtl.size() ||
        !gf_equalsUpper(mtl, path.substr(start - mtl.size(), mtl.size())) ||
        path.substr(0, start - mtl.size()).find_first_of("\r\n") != std::string_view::npos)
        return std::nullopt;
    return std::string(folder.substr(5));
}

std::string lf_fixIvaoModel(const fs::path& file)
{
    const std::optional<std::string> found = gf_ivaoFolderModel(gf_scanPathText(file));
    if (!found) {
        lf_reportInvalidAircraft("  ", file);
        return {};
    }
    return lf_knownType(lf_withoutVariant(*found), file);
}

std::optional<std::string> gf_titleAirline(std::string_view title, std::string_view type)
{
    // The type, blanks, three word characters, then anything on the same line.
    if (!title.starts_with(type))
        return std::nullopt;
    std::size_t at = type.size();
    while (at < title.size() && std::string_view(" \t\n\v\f\r").find(title[at]) != std::string_view::npos)
        ++at;
    if (title.size() - at < 3 || !lf_isWordChar(title[at]) || !lf_isWordChar(title[at + 1]) ||
        !lf_isWordChar(title[at + 2]) || title.find_first_of("\r\n", at + 3) != std::string_view::npos)
        return std::nullopt;
    return std::string(title.substr(at, 3));
}

LiveryData lf_procesIvaoFltSimSection(int priority, std::vector<std::string>& lines, const std::string& type,
                                      const fs::path& file, const fs::path& folder, const FolderListing* listing)
{
    lf_dropTrailingLines(lines);
    if (lines.empty())
        return {};
    const std::string& header = lines.front();
    const std::string folderText = gf_scanPathText(folder);
    SectionValues values;
    if (!lf_readSectionValues(lines, folderText, PackageKind::ivao, values) ||
        !lf_sectionFilesExist(folder, header, PackageKind::ivao, values, listing))
        return {};
    if (values.title.empty()) {
        gf_addIncompleteSection(fmt::format("{} {} misses title", folderText, header));
        return {};
    }
    if (lf_unwantedTitle(values.title) || !lf_titleInCodePage(folderText, header, values.title))
        return {};
    std::optional<std::string> airline = gf_titleAirline(values.title, type);
    if (!airline) {
        gf_addIncompleteSection(fmt::format("{} {} misses airlinecode in title", folderText, header));
        return {};
    }
    if (lf_isManufacturerCode(*airline))
        airline = "ZZZ";
    if (!gf_isIcaoAirline(*airline)) {
        lf_reportInvalidAirline(*airline, file, header);
        return {};
    }
    if (*airline == "ZZZ")
        values.atcid.clear();
    LiveryData record = lf_makeLiveryData(priority, *airline, type, false, values.title, values.atcid, true);
    if (record.airl.empty())
        gf_addIncompleteSection(fmt::format("{} {} title already exists: {}", folderText, header, values.title));
    return record;
}
