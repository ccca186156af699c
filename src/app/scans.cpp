// The scans at start-up: which folders, the log frame, the switch-off once they succeeded.
#include "app/scans.h"

#include "airports/airports.h"
#include "app/detection.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {
// A scan that succeeded is not repeated at the next start.
void lf_scanDone(GuiBoolParameter& setting)
{
    gf_setScanSetting(setting, false);
    gf_repaintBand(controlsBand);
}

std::vector<std::string> lf_liveryFolders()
{
    std::vector<std::string> folders;
    for (const StringParameter* setting : gf_liveryFolderSettings())
        if (std::string folder = setting->getValue(); !folder.empty())
            folders.push_back(std::move(folder));
    return folders;
}

// The generated files of the previous scan go; the folder is made when missing.
void lf_prepareGeneratedFolder(const fs::path& folder)
{
    if (fs::is_directory(folder))
        lf_removeOldFiles(folder);
    else
        fs::create_directory(folder);
}
} // namespace

void gf_setScanSetting(GuiBoolParameter& setting, bool on)
{
    gf_setCheckBox(setting, on);
    gf_saveBoolParameter(setting);
}

bool gf_liveryScanPossible() { return LIG_AUTOMATIC.value.load() || !lf_liveryFolders().empty(); }

void gf_scanLiveriesAtStart(bool scan)
{
    const bool automatic = LIG_AUTOMATIC.value.load();
    const bool prioritize = LIG_PRIORITIZE.value.load();
    if (scan) {
        gf_showStatus(fmt::format("Scanning {}for liveries ...", prioritize && !automatic ? "prioritized " : ""),
                      false);
        gf_logf("\n++++++++++++++++++++++++ liveries scan {} starts ++++++++++++++++++++++++++++++++",
                automatic ? "automatic" : "manual");
    } else {
        gf_log("\n++++++++++++++++++++++++ liveries scan starts ++++++++++++++++++++++++++++++++");
    }
    std::vector<std::string> folders;
    if (scan && !automatic) {
        folders = lf_liveryFolders();
        if (folders.empty())
            throw zeb::UserErrorException(48, "Set lfolder parameter(-s) to your liveries first, see Manual 5.1 (or "
                                              "check Liveries automatic)");
    }
    const bool found = gf_scanLiveries(scan, automatic, prioritize, folders);
    // One cut short by the exit, or whose result could not replace the old one, is not done:
    // the next start scans again rather than read the old result.
    if (found && scan && !gf_exitUnderWay()) {
        if (const std::string notSaved = gf_scanResultNotSaved(); notSaved.empty())
            lf_scanDone(SCAN_LIVERIES);
        else
            gf_showStatus(fmt::format("Liveries scanned, but {} not saved ({}): they are scanned again at the "
                                      "next start",
                                      gf_pathText(liveriesScannedPath), notSaved),
                          true);
    }
    if (!found && automatic)
        throw zeb::UserErrorException(43, "Automatic scan has not found any liveries, switch off automatic and set "
                                          "lfolder parameter(-s), Manual 5.1");
    gf_log("-------------------------- liveries scan ends   --------------------------------\n");
}

void gf_scanAirportsAtStart()
{
    const bool automatic = AFG_AUTOMATIC.value.load();
    gf_showStatus("Scanning for addon airports ...", false);
    gf_logf("\n++++++++++++++++++++++++ airports scan {} starts +++++++++++++++++++++++++++++",
            automatic ? "automatic" : "manual");
    std::vector<std::string> folders;
    if (!automatic) {
        lf_checkAddOnFolders(folders);
        if (folders.empty())
            throw zeb::UserErrorException(49, "Set afolder parameter(-s) to your add-on airports first, see Manual 6.1");
    }
    lf_prepareGeneratedFolder(fs::path(L"airports") / L"my_ORBX");
    lf_prepareGeneratedFolder(fs::path(L"airports") / L"my_thirdparty");
    if (gf_scanAirports(automatic, folders))
        lf_scanDone(SCAN_AIRPORTS);
    else
        gf_showStatus("Warning: Scan has not found any add-on airports", true);
    gf_log("-------------------------- airports scan ends    ----------------------------\n");
}

void lf_removeOldFiles(const fs::path& folder)
{
    try {
        if (!fs::exists(folder) || !fs::is_directory(folder))
            return;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (fs::exists(entry.path()) && !fs::remove(entry.path()))
                gf_logf("{} could not be removed", gf_pathText(entry.path()));
        }
    } catch (const std::exception& e) {
        throw zeb::UserErrorException(5, e.what());
    }
}

std::vector<std::string>& gf_scanXmlFolder(std::vector<std::string>& names, const fs::path& folder)
{
    names.clear();
    names.reserve(64);
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && gf_equalsUpper(".XML", gf_pathText(entry.path().extension())))
            names.push_back(gf_pathText(entry.path().filename()));
    return names;
}
