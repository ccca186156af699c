// The preparation part of the start-up: folders, settings, the updater's gates, the
// reference data, the simulator and RealTraffic, the airport list.
#include "app/startup.h"

#include "airports/airports.h"
#include "app/detection.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/scans.h"
#include "app/status.h"
#include "app/updater.h"
#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "foundation/registry.h"
#include "foundation/settingcontrols.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"
#include "foundation/version.h"
#include "foundation/weekslots.h"
#include "foundation/winstring.h"
#include "liveries/liveries.h"

#include <windows.h>

#include <fmt/format.h>

#include <filesystem>
#include <initializer_list>

namespace fs = std::filesystem;

namespace {
void lf_enable(std::initializer_list<const ParameterControl*> controls, bool enable)
{
    for (const ParameterControl* control : controls)
        EnableWindow(control->window, enable ? TRUE : FALSE);
}

void lf_scanAirportsNextTime()
{
    gf_setScanSetting(SCAN_AIRPORTS, true);
    gf_repaintWindow();
}

void lf_takeProgramFolder()
{
    const std::string current = gf_pathText(fs::current_path());
    if (current != PROGRAM_INSTALL_PATH.getValue())
        PROGRAM_INSTALL_PATH.setValue(current);
}

// Registration lists at every start; reference data on a new day or when missing; the
// program version and the airport archive on the first start of a day.
void lf_updateData()
{
    updateAigRegcodes();
    const std::string today = gf_dateCode();
    const bool newDay = today != DATA_CHECKED_AT_DATE.getValue();
    if (newDay || !fs::exists(fs::path(L"input") / L"dbase.xml"))
        updateDbase();
    if (!referenceDataRead.load()) {
        gf_readAircraftData();
        gf_readFixes();
        referenceDataRead = true;
    }
    if (newDay) {
        updateProgram();
        updateAigRegcodes();
        if (updateArchive())
            lf_scanAirportsNextTime();
        DATA_CHECKED_AT_DATE.setValue(today);
        lf_enable({&checkVersionButton}, false);
    } else {
        if (!fs::exists(fs::path(L"input") / L"AIG-regcodes.xml"))
            updateAigRegcodes();
        if (prepareArchiveFolders() && updateArchive())
            lf_scanAirportsNextTime();
    }
}

void lf_detectRealTraffic()
{
    std::error_code error;
    const bool found = fs::exists(gf_shellFolderPath() / L"InsideSystems" / L"RealTraffic.jar", error);
    realTrafficOnThisPc = found;
    gf_showStatus(fmt::format("RealTraffic {}detected at this PC", found ? "" : "not "), true);
}
} // namespace

void lf_createAirportsFolder()
{
    const fs::path output = L"output";
    const fs::path airports = L"airports";
    const fs::path learned = airports / L"learned";
    // "input" before the downloads that install into it.
    for (const fs::path& folder : {fs::path(L"input"), output, output / L"info", output / L"errors", airports, learned,
                                   learned / L"stock", learned / L"ORBX", learned / L"thirdparty"})
        if (!fs::exists(folder))
            fs::create_directory(folder);
}

void lf_prepareStart()
{
    lf_createAirportsFolder();
    gf_setupParameters();
    liveMaximum = MAX_LIVE.value.load();
    if (MAX_LIVE.value.load() == MAX_LIVE.defaultValue)
        gf_clearItemText(MAX_LIVE.controlId); // empty while the default applies
    lf_enable({&AUTO_RANGE, &COLLISION_USER_AIR, &COLLISION_LIVE_PARKED_GND, &GUID_CHANGES, &BLOCK_CALLSIGN, &MAX_LIVE,
               &checkVersionButton},
              true);
    lf_enable({&LATERAL_RANGE, &LEARN_SOFT}, false);
    lf_enable({&unblockButton}, !BLOCK_CALLSIGN.getValue().empty());
    lf_takeProgramFolder();
    currentWeekSlot = gf_currentWeekSlot().value();

    lf_updateData();
    archiveWeek = Version(ARCHIVE_VERSION.getValue()).major;

    lf_enable({&SIM_INSTALL_PATH}, true);
    gf_showStringParameter(SIM_INSTALL_PATH);
    gf_checkInstallPath();
    gf_repaintBand(controlsBand);
    lf_detectRealTraffic();

    lf_enable({&LIG_PRIORITIZE, &SCAN_LIVERIES, &LIG_AUTOMATIC, &SCAN_AIRPORTS, &AFG_AUTOMATIC, &LIGHT_AIRCRAFT,
               &HELICOPTERS, &HIGH_PERF_AIRCRAFT, &AIRPORT_RANGE, &AIRPORT_HEIGHT},
              true);
    lf_enable({&parking_percentage}, false);
    lateralRangeAtStart = LATERAL_RANGE.value.load();
    lf_enable({&INITIAL_LOAD_ONLY, &PARK_SOFT, &PARK_FAKE, &WEEK, &MAX_FIT_FL}, true);
    MAX_FIT_FL.value = static_cast<float>(MAX_FIT.value.load()) * 0.5f + 0.5f;
    gf_showFloatParameter(MAX_FIT_FL);
    lf_enable({&flushStaticButton}, false);
    lf_enable({&NAV_LIGHTS_WHILE_PARKED, &MATCHING_DEPTH, &COLLISION_USER_GND, &LATERAL_RANGE}, true);
    gf_readAirports();
    gf_flushLog();
}
