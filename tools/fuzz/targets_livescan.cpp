// The livery scan's readers: aircraft.cfg and sim.cfg files of ordinary and IVAO_MTL
// packages, and the simulator's add-ons.cfg, add-on.xml and simobjects.cfg, seeded by the
// package tree generator.
#include "fuzz/fuzz.h"

#include "airports/scenerylists.h"
#include "liveries/addondiscovery.h"
#include "liveries/cfgscan.h"
#include "liveries/fltsimsection.h"
#include "liveries/liverydata.h"
#include "liveries/referencedata.h"
#include "liveries/scanreports.h"
#include "refgen/packagetree.h"

#include <filesystem>

namespace fuzz {
namespace {

namespace fs = std::filesystem;

// The package tree and the simulator's files that lead to it, below the run's folder.
struct Tree {
    refgen::PackageTree tree;
    fs::path aircraftCfg; // of an ordinary package
    fs::path simCfg;
    fs::path ivaoCfg;
    fs::path addOnXml;    // of one package named by add-ons.cfg
};
Tree tree;

void lf_setUpTree()
{
    // Made once per run folder: a test run gives each target a folder of its own.
    static fs::path madeIn;
    const fs::path root = fs::current_path();
    if (root == madeIn)
        return;
    const refgen::World world = refgen::baseWorld();
    refgen::writeProgramFiles(world, root);
    gf_readAircraftData();
    gf_readFixes();
    roamingRedirect = root / L"roaming";
    programDataRedirect = root / L"programdata";
    refgen::TreeOptions options;
    options.sectionsPerFile = 6;
    options.addOnsCfg = gf_addOnsCfgPath();
    options.simObjectsCfg = gf_simObjectsCfgPath();
    options.installFolder = root / L"p3d";
    fs::create_directories(options.addOnsCfg.parent_path());
    fs::create_directories(options.simObjectsCfg.parent_path());
    tree.tree = refgen::writePackageTree(world, root / L"tree", options);
    for (const fs::path& file : tree.tree.configFiles) {
        const std::wstring text = file.wstring();
        if (text.find(L"IVAO_MTL") != std::wstring::npos)
            tree.ivaoCfg = file;
        else if (file.filename() == L"sim.cfg")
            tree.simCfg = file;
        else
            tree.aircraftCfg = file;
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / L"tree"))
        if (entry.path().filename() == L"add-on.xml")
            tree.addOnXml = entry.path();
    madeIn = root;
}

std::vector<std::string> lf_fileSeeds(fs::path Tree::*file, bool configs)
{
    lf_setUpTree();
    std::vector<std::string> seeds;
    if (configs)
        for (const fs::path& config : tree.tree.configFiles)
            seeds.push_back(gf_readFile(config.string()));
    else
        seeds.push_back(gf_readFile((tree.*file).string()));
    return seeds;
}

// The original of a file the targets overwrite, put back after each input.
void lf_checkLiveries(const std::list<LiveryData>& liveries, std::size_t inputSize)
{
    gf_check(liveries.size() <= inputSize / 8 + 1, "more liveries than the file could hold");
    for (const LiveryData& livery : liveries) {
        gf_check(!livery.title.empty(), "a livery without a title");
        gf_check(livery.airl.empty() || livery.airl.size() == 3, "an airline code of " + livery.airl);
        gf_check(livery.type.size() >= 2 && livery.type.size() <= 4, "a type code of " + livery.type);
        gf_check(livery.priority == 1, "a livery of another folder priority");
    }
}

Outcome lf_runConfig(const fs::path& file, const std::string& input, bool ivao)
{
    gf_writeFile(file.string(), input);
    lf_clearScanLists(); // the reports and titles of one scan
    const std::list<LiveryData> liveries = ivao ? lf_searchLiveriesinIvaoFile(1, file) : lf_searchLiveriesinFile(1, file);
    lf_checkLiveries(liveries, input.size());
    return liveries.empty() ? Outcome::refused : Outcome::accepted;
}

void lf_checkFolders(const std::vector<std::string>& folders, std::size_t inputSize)
{
    gf_check(folders.size() <= inputSize / 4 + 1, "more folders than lines");
    for (const std::string& folder : folders)
        gf_check(!folder.empty(), "an empty folder");
}

Outcome lf_runAddOnsCfg(const std::string& input)
{
    gf_writeFile(gf_addOnsCfgPath().string(), input);
    std::vector<std::string> folders;
    lf_readAddOnsCfg(folders);
    // add-ons.cfg names packages whose add-on.xml each give folders: bound by those files.
    lf_checkFolders(folders, input.size() * 64);
    return folders.empty() ? Outcome::refused : Outcome::accepted;
}

Outcome lf_runAddOnXml(const std::string& input)
{
    gf_writeFile(tree.addOnXml.string(), input);
    std::vector<std::string> folders;
    lf_readAddOnXml(tree.addOnXml.parent_path().string(), folders);
    lf_checkFolders(folders, input.size());
    return folders.empty() ? Outcome::refused : Outcome::accepted;
}

Outcome lf_runSimObjectsCfg(const std::string& input)
{
    gf_writeFile(gf_simObjectsCfgPath().string(), input);
    std::vector<std::string> folders;
    lf_readSimObjectsCfg(folders);
    lf_checkFolders(folders, input.size());
    return folders.empty() ? Outcome::refused : Outcome::accepted;
}

} // namespace

std::vector<Target> gf_liveryScanTargets()
{
    std::vector<Target> targets;
    targets.push_back({"aircraft_cfg", "aircraft.cfg sections", [] { return lf_fileSeeds(&Tree::aircraftCfg, true); },
                       lf_setUpTree, [](const std::string& input) { return lf_runConfig(tree.aircraftCfg, input, false); },
                       1 << 16});
    targets.push_back({"sim_cfg", "sim.cfg sections", [] { return lf_fileSeeds(&Tree::simCfg, true); }, lf_setUpTree,
                       [](const std::string& input) { return lf_runConfig(tree.simCfg, input, false); }, 1 << 16});
    targets.push_back({"ivao_cfg", "IVAO_MTL aircraft.cfg", [] { return lf_fileSeeds(&Tree::ivaoCfg, true); },
                       lf_setUpTree, [](const std::string& input) { return lf_runConfig(tree.ivaoCfg, input, true); },
                       1 << 16});
    targets.push_back({"addons_cfg", "add-ons.cfg",
                       [] {
                           lf_setUpTree();
                           return std::vector<std::string>{gf_readFile(gf_addOnsCfgPath().string())};
                       },
                       lf_setUpTree, lf_runAddOnsCfg, 1 << 16});
    targets.push_back({"addon_xml", "add-on.xml", [] { return lf_fileSeeds(&Tree::addOnXml, false); }, lf_setUpTree,
                       lf_runAddOnXml, 1 << 16});
    targets.push_back({"simobjects_cfg", "simobjects.cfg",
                       [] {
                           lf_setUpTree();
                           return std::vector<std::string>{gf_readFile(gf_simObjectsCfgPath().string())};
                       },
                       lf_setUpTree, lf_runSimObjectsCfg, 1 << 16});
    return targets;
}

} // namespace fuzz
