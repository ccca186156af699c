#pragma once
// The SimObjects folders of the simulator's add-on packages (add-ons.cfg with each
// package's add-on.xml, and simobjects.cfg), appended to the livery scan's folder list.
#include <filesystem>
#include <string>
#include <vector>

// Tests point the roaming folder elsewhere; empty: the user's roaming folder.
extern std::filesystem::path roamingRedirect;
// Roaming\Lockheed Martin\Prepar3D v<version>\add-ons.cfg.
std::filesystem::path gf_addOnsCfgPath();
// ProgramData\Lockheed Martin\Prepar3D v<version>\simobjects.cfg.
std::filesystem::path gf_simObjectsCfgPath();

void lf_readAddOnsCfg(std::vector<std::string>& folders);
void lf_readSimObjectsCfg(std::vector<std::string>& folders);

// A configuration file of sections, while it is read.
struct SectionContext {
    bool inSection = false;   // a header was seen
    bool givesPaths = false;  // the open section is a Package (Entry) section
    std::vector<std::string> lines; // kept lines of the open section
    std::vector<std::string> paths; // what the active sections gave
};
// add-ons.cfg: headers, kept lines, and the package paths of active Package sections.
void lf_readPackageSection(SectionContext& context, const std::string& line);
void lf_readPackagePath(SectionContext& context, const std::string& line);
// One package's add-on.xml: its SimObjects component folders.
void lf_readAddOnXml(const std::string& package, std::vector<std::string>& folders);
void lf_readSimObjectsPaths(bool& armed, const std::string& package, const std::string& line,
                            std::vector<std::string>& folders);
// simobjects.cfg: the folders of active Entry sections.
void lf_readEntrySection(SectionContext& context, const std::string& line);
void lf_addSimObjectsEntryPath(SectionContext& context, const std::string& line);
