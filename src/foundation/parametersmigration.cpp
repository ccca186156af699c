#include "foundation/parametersfile.h"

#include "foundation/log.h"
#include "foundation/version.h"
#include "foundation/winstring.h"

#include <filesystem>

namespace {
// Left behind by the program update; a file that cannot be removed is no reason to stop.
void lf_removeOldInstaller()
{
    const std::filesystem::path installer(L"install_new_version.exe");
    std::error_code error;
    std::filesystem::remove(installer, error);
    if (error)
        gf_logMarked(fmt::format("could not remove {}: {}", gf_pathText(installer), error.message()));
}

void lf_removeObsoleteSettings()
{
    for (const char* key : {"TIME_COMPRESSION_CHECK", "SECONDS_DELAY", "FLIGHTPLANS_FOLDER", "CALLSIGN_OBJECTID",
                            "DESTINATION_AIRPORT", "DESTINATION_GATE", "MAX_FIT_WEEK"}) {
        const Parameter obsolete{std::string(key)};
        gf_removeParameter(obsolete);
    }
}
} // namespace

void gf_migrateParameters()
{
    const std::string running = programVersion.toString();
    const std::string stored = PROGRAM_VERSION.getValue();
    if (stored == PROGRAM_VERSION.defaultValue) { // a new file is never migrated
        PROGRAM_VERSION.setValue(running);
        return;
    }
    const Version storedVersion(stored);
    if (!(storedVersion < programVersion)) {
        if (storedVersion != programVersion)
            PROGRAM_VERSION.setValue(running);
        return;
    }
    gf_logf("This is a version update from {} -> {}", storedVersion.toString(), running);
    lf_removeOldInstaller();
    lf_removeObsoleteSettings();
    MAX_FIT.value = MAX_FIT.clamp(MAX_FIT.value.load());
    gf_saveParameterValue(MAX_FIT);
    DATA_CHECKED_AT_DATE.assignValue(""); // opens the daily download gate at this start
    LAST_EPOCH_TIME.value = LAST_EPOCH_TIME.clamp(0);
    gf_saveParameterValue(LAST_EPOCH_TIME);
    // Last: a migration cut short runs again at the next start.
    PROGRAM_VERSION.setValue(running);
}
