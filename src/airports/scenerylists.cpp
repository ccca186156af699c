// Which add-on sceneries the simulator knows: active areas of scenery.cfg and the paths
// of scenery_add-ons.xml, without the simulator's own scenery.
#include "airports/scenerylists.h"

#include "airports/airports.h"
#include "app/detection.h"
#include "app/programcontrol.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cwctype>

namespace fs = std::filesystem;

fs::path programDataRedirect;

namespace {
bool lf_containsAny(std::string_view text, std::initializer_list<std::string_view> words)
{
    return std::ranges::any_of(words, [&](std::string_view word) { return text.find(word) != std::string_view::npos; });
}

// Folder names of the simulator's own scenery.
constexpr std::array<std::string_view, 45> stockSceneryNames{
    "Cities", "CITIES", "cities", "World", "BASE", "Global", "Bathymetry", "0006", "0007", "0103", "0106", "0107",
    "0206",   "0207",   "0307",   "0407",  "0505", "0506",   "0507",       "0606", "0607", "0706", "0707", "0805",
    "0806",   "0807",   "0900",   "0906",  "0907", "1000",   "1006",       "1007", "1100", "1102", "1107", "AFRI",
    "ASIA",   "AUST",   "EURE",   "EURW",  "NAMC", "NAME",   "NAMW",       "OCEN", "SAME"};

std::vector<std::wstring> lf_lowerComponents(const fs::path& path)
{
    std::vector<std::wstring> parts;
    for (const fs::path& part : path.lexically_normal()) {
        std::wstring text = part.wstring();
        if (text.empty() || text == L"\\" || text == L"/")
            continue;
        std::ranges::transform(text, text.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
        parts.push_back(std::move(text));
    }
    return parts;
}
// The file's lines in its encoding; false, with the " not found!" line, when it is missing.
bool lf_readListFile(const fs::path& file, std::vector<std::string>& lines)
{
    std::error_code error;
    if (!fs::exists(file, error)) {
        gf_log(gf_pathText(file) + " not found!");
        return false;
    }
    gf_readExtTextFileToStringVector(file, lines);
    return true;
}
} // namespace

fs::path gf_simulatorDataFolder()
{
    fs::path base = programDataRedirect;
    if (base.empty()) {
        PWSTR known = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &known)))
            base = known;
        CoTaskMemFree(known);
    }
    return base / L"Lockheed Martin" / gf_utf8ToUtf16("Prepar3D v" + gf_checkInstallPathVersion());
}

void lf_isActiveTrue(bool& flag, std::string_view line)
{
    if (lf_containsAny(line, {"Active", "ACTIVE", "active"}) && lf_containsAny(line, {"True", "TRUE", "true"}))
        flag = true;
}

bool lf_isStockSceneryPath(std::string_view text)
{
    // Whole components after a backslash: "\World" is stock, "\Worldwide Airports" is not.
    for (std::size_t at = text.find('\\'); at != std::string_view::npos; at = text.find('\\', at + 1)) {
        const std::size_t end = text.find_first_of("\\/", at + 1);
        const std::string_view part = text.substr(at + 1, end == std::string_view::npos ? end : end - at - 1);
        if (std::ranges::find(stockSceneryNames, part) != stockSceneryNames.end())
            return true;
    }
    return false;
}

bool lf_insideStockAirports(std::string_view path)
{
    if (stockAirportsPath.empty())
        return false;
    const std::vector<std::wstring> stock = lf_lowerComponents(stockAirportsPath);
    const std::vector<std::wstring> parts = lf_lowerComponents(gf_u8path(path));
    return !stock.empty() && parts.size() >= stock.size() && std::equal(stock.begin(), stock.end(), parts.begin());
}

void lf_readLocalKey(const std::string& base, std::vector<std::string>& paths, const std::string& line)
{
    if (!lf_containsAny(line, {"Local", "LOCAL", "local"}) || lf_isStockSceneryPath(line))
        return;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos)
        return;
    std::string value = gf_trim(line.substr(equals + 1));
    const bool relative = value.find(":\\") == std::string::npos;
    if (!gf_isPathText(value) || (relative && !gf_isPathText(base)))
        return;
    if (relative)
        value = gf_pathText(gf_u8path(base) / gf_u8path(value));
    if (lf_insideStockAirports(value))
        return;
    gf_logf("      found:{}", value);
    paths.push_back(std::move(value));
}

void lf_readAreaActiveLocal(const std::vector<std::string>& lines, const std::string& base,
                            std::vector<std::string>& paths)
{
    bool active = false;
    for (const std::string& line : lines)
        lf_isActiveTrue(active, line);
    if (active)
        for (const std::string& line : lines)
            lf_readLocalKey(base, paths, line);
}

void lf_readAreaSection(AreaState& state, const std::string& line, std::vector<std::string>& paths)
{
    const std::string trimmed = gf_trim(line);
    // Only a header opens an area: "Local=D:\Bay Area" and "Title=Harbour Area" do not.
    if (trimmed.starts_with('[') && lf_containsAny(trimmed, {"Area", "AREA", "area"})) {
        if (state.insideArea)
            lf_readAreaActiveLocal(state.lines, SIM_INSTALL_PATH.getValue(), paths);
        state.insideArea = true;
        state.lines.clear();
        return;
    }
    if (state.insideArea && !lf_containsAny(trimmed, {"Required", "REQUIRED", "Title", "TITLE", "Layer", "LAYER"}))
        state.lines.push_back(trimmed);
}

void lf_readSceneryCfgFile(const fs::path& file, std::vector<std::string>& paths)
{
    gf_logf("\nReading: {} for airport add-ons ...", gf_pathText(file));
    std::vector<std::string> lines;
    if (!lf_readListFile(file, lines))
        return;
    AreaState state;
    for (const std::string& line : lines)
        lf_readAreaSection(state, line, paths);
    if (state.insideArea)
        lf_readAreaActiveLocal(state.lines, SIM_INSTALL_PATH.getValue(), paths);
    gf_logf("{} scenery add-on paths found\n", paths.size());
}

void lf_readSceneryCfg(std::vector<std::string>& paths)
{
    lf_readSceneryCfgFile(gf_simulatorDataFolder() / L"scenery.cfg", paths);
}

void lf_addSceneryPath(std::vector<std::string>& paths, bool& found, const std::string& line)
{
    std::string path = gf_extractPath(line);
    if (path.empty() || !gf_isPathText(path))
        return;
    found = true;
    gf_logf("found path:{}", path);
    paths.push_back(std::move(path));
}

void lf_readSceneryAddOnsXmlFile(const fs::path& file, std::vector<std::string>& paths)
{
    gf_logf("\nReading {} for add-on airport ...", gf_pathText(file));
    std::vector<std::string> lines;
    if (!lf_readListFile(file, lines))
        return;
    bool found = false;
    for (const std::string& line : lines)
        lf_addSceneryPath(paths, found, line);
    gf_logf("{} scenery add-on paths found\n", paths.size());
}

void lf_readSceneryAddOnsXml(std::vector<std::string>& paths)
{
    lf_readSceneryAddOnsXmlFile(gf_simulatorDataFolder() / L"scenery_add-ons.xml", paths);
}
