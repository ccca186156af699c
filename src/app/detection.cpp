// The simulator's installation: version, install path, stock airports, add-on folders.
#include "app/detection.h"

#include "airports/scenerylists.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/registry.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"

#include <fmt/format.h>

#include <algorithm>

namespace fs = std::filesystem;

fs::path stockAirportsPath;

namespace {
const char* const noInstallPath = "No P3D install path detected, type full Install Path above, and press Enter";

bool lf_anyFolderSet()
{
    const auto isSet = [](const StringParameter* setting) { return !setting->getValue().empty(); };
    return std::ranges::any_of(gf_liveryFolderSettings(), isSet) ||
           std::ranges::any_of(gf_airportFolderSettings(), isSet);
}

[[noreturn]] void lf_askForInstallPath()
{
    gf_setInstallPathValue("");
    throw zeb::UserErrorException(151, noInstallPath);
}
} // namespace

const std::vector<StringParameter*>& gf_liveryFolderSettings()
{
    static const std::vector<StringParameter*> folders{&lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4,
                                                       &lfolder5, &lfolder6, &lfolder7, &lfolder8, &lfolder9};
    return folders;
}

const std::vector<StringParameter*>& gf_airportFolderSettings()
{
    static const std::vector<StringParameter*> folders{&afolder0, &afolder1, &afolder2, &afolder3, &afolder4,
                                                       &afolder5, &afolder6, &afolder7, &afolder8, &afolder9};
    return folders;
}

void gf_detectSimulator()
{
    // Version 4 is not supported; only 5 and 6 count.
    const int found = (p3dv6Installed ? 6 : 0) + (p3dv5Installed ? 5 : 0);
    if (found == 11)
        throw zeb::UserErrorException(
            153, "More than one P3D version detected, type full Install Path to wanted version above and press Enter");
    if (found == 0) {
        gf_showStatus("P3D not detected?", true);
        // Explicit livery or airport folders work without the simulator's path.
        if (lf_anyFolderSet())
            return;
        lf_askForInstallPath();
    }
    gf_logf("P3Dv{}detected", found);
    const fs::path setupPath = gf_simulatorSetupPath(found);
    if (setupPath.empty())
        lf_askForInstallPath();
    SIM_INSTALL_PATH.setValue(gf_pathText(setupPath));
    gf_showStringParameter(SIM_INSTALL_PATH);
}

void gf_checkInstallPath()
{
    const std::string path = SIM_INSTALL_PATH.getValue();
    if (path.empty()) {
        gf_detectSimulator();
        return;
    }
    // Written by another program or an editor in another encoding: no folder can be found
    // from it, so it is as good as no path at all.
    if (!gf_canNamePath(path)) {
        gf_logMarked(fmt::format("{} \"{}\" is no path text", SIM_INSTALL_PATH.key, gf_escapedText(path)));
        lf_askForInstallPath();
    }
}

std::string gf_checkInstallPathVersion()
{
    const std::string path = SIM_INSTALL_PATH.getValue();
    for (const auto& [mark, version] : {std::pair{"v5", "5"}, {"V5", "5"}, {"v6", "6"}, {"V6", "6"}})
        if (path.find(mark) != std::string::npos)
            return version;
    if (P3D_VERSION.value.load() >= 5)
        return fmt::format("{}", P3D_VERSION.value.load());
    throw zeb::UserErrorException(
        77, fmt::format("P3D install path does not contain v5 or v6? Use hidden parameter {}, set it at 5 or 6",
                        P3D_VERSION.key));
}

void lf_checkStockAirportsPath()
{
    stockAirportsPath = gf_u8path(SIM_INSTALL_PATH.getValue()) / L"Scenery";
    std::error_code error;
    if (!fs::exists(stockAirportsPath, error))
        gf_showStatus(fmt::format("Stock airports path does not exist: {}", gf_pathText(stockAirportsPath)), true);
}

void lf_checkAddOnFolders(std::vector<std::string>& folders)
{
    folders.clear();
    // Without an install path there are no stock airports to point into: "Scenery" alone
    // would match every folder with that word in its name.
    const bool stockKnown = !SIM_INSTALL_PATH.getValue().empty();
    for (const StringParameter* setting : gf_airportFolderSettings()) {
        std::string folder = setting->getValue();
        if (folder.empty() || !gf_isPathText(folder))
            continue;
        // By whole folder names: "Scenery Addons" beside "Scenery" is no stock folder.
        if (stockKnown && lf_insideStockAirports(folder))
            throw zeb::UserErrorException(
                42, fmt::format("parameter {} points to stock airports instead of add-on airports!", setting->key));
        folders.push_back(std::move(folder));
    }
}
