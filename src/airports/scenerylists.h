#pragma once
// The simulator's lists of add-on sceneries (scenery.cfg, scenery_add-ons.xml) and the
// tests that keep the stock scenery out of the add-on airport scan.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The simulator's data folder: ProgramData\Lockheed Martin\Prepar3D v<version>.
std::filesystem::path gf_simulatorDataFolder();
// Tests point the ProgramData folder elsewhere; empty: the system's known folder.
extern std::filesystem::path programDataRedirect;

// One area of scenery.cfg while it is read.
struct AreaState {
    bool insideArea = false;
    std::vector<std::string> lines; // the area's lines, trimmed
};

// Appends the active areas' Local folders of scenery.cfg (in the simulator's data folder).
void lf_readSceneryCfg(std::vector<std::string>& paths);
void lf_readSceneryCfgFile(const std::filesystem::path& file, std::vector<std::string>& paths);
// Appends the <Path> folders of scenery_add-ons.xml.
void lf_readSceneryAddOnsXml(std::vector<std::string>& paths);
void lf_readSceneryAddOnsXmlFile(const std::filesystem::path& file, std::vector<std::string>& paths);

void lf_readAreaSection(AreaState& state, const std::string& line, std::vector<std::string>& paths);
void lf_readAreaActiveLocal(const std::vector<std::string>& lines, const std::string& base,
                            std::vector<std::string>& paths);
void lf_readLocalKey(const std::string& base, std::vector<std::string>& paths, const std::string& line);
void lf_addSceneryPath(std::vector<std::string>& paths, bool& found, const std::string& line);

// A path with one of the simulator's own scenery folders among its components.
bool lf_isStockSceneryPath(std::string_view text);
// The path is the stock airports folder or lies inside it (whole components, any case).
bool lf_insideStockAirports(std::string_view path);
