// The reference data dbase.xml and the registration list AIG-regcodes.xml.
#include "app/updater.h"

#include "app/buildconfig.h"
#include "app/download.h"
#include "app/status.h"
#include "foundation/filereplace.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"
#include "liveries/liveries.h"

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {

struct DataFile {
    const char* versionFolder;
    const char* downloadName; // in the program folder
    fs::path installed;
    const char* serverPath;
    StringParameter& setting;
    const char* noVersionMessage;
    // Why the start-up could not use the file; empty when it can.
    std::string (*problem)(const fs::path& file);
};

// A server or proxy can answer 200 with a page of its own, even one of well-formed XML, and
// the data themselves can hold what the start-up cannot read: only what the start-up's
// reader takes whole is the data, and whatever it throws refuses the file.
std::string lf_dbaseProblem(const fs::path& file)
{
    try {
        gf_checkAircraftData(file);
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}

std::string lf_regcodesProblem(const fs::path& file)
{
    return gf_countAigLiveries(file) > 0 ? std::string() : std::string("no AIG-regcodes livery entries");
}

// False when there was nothing to download.
bool lf_updateDataFile(const DataFile& data)
{
    const Version server = fetchVersionJson(data.versionFolder);
    if (server == Version()) {
        gf_logMarked(data.noVersionMessage);
        return false;
    }
    // A missing installed file is fetched again, and so is one the start-up cannot use (an
    // earlier program installed what it was sent): with it every start would stop.
    const Version installed(data.setting.getValue());
    if (server <= installed && fs::exists(data.installed) && data.problem(data.installed).empty())
        return false;
    gf_showStatus(fmt::format("Downloading {} version {} ...", data.downloadName, server.toString()), true);

    const CurlHandle handle = gf_newCurlHandle();
    const fs::path downloaded = data.downloadName;
    if (!gf_download(handle.get(), downloadBaseUrl + data.serverPath, downloaded)) {
        gf_logf("downloading {} failed?", gf_pathText(data.installed));
    } else if (const std::string problem = data.problem(downloaded); !problem.empty()) {
        gf_logMarked(fmt::format("downloaded {} version {} is not the data ({}), {} kept as it was", data.downloadName,
                                 server.toString(), problem, gf_pathText(data.installed)));
        gf_showStatus(fmt::format("Downloaded {} is not the data, see Log.txt", data.downloadName), false);
    } else {
        // The file just read is moved in place in one step, so the installed file is either
        // the old one or this one, and its version is recorded only once it is there.
        gf_replaceFile(downloaded, data.installed);
        data.setting.setValue(server.toString());
    }
    fs::remove(downloaded);
    return true;
}

} // namespace

void updateDbase()
{
    lf_updateDataFile({"dbase", "dbase.xml", fs::path("input") / "dbase.xml", "dbase/dbase.xml", DBASE_VERSION,
                       "No dbase version info found at the Tarnwick server?", lf_dbaseProblem});
}

void updateAigRegcodes()
{
    if (!lf_updateDataFile({"aig", "AIG-regcodes.xml", fs::path("input") / "AIG-regcodes.xml", "aig/AIG-regcodes.xml",
                            AIG_VERSION, "No AIG regcodes version info found at the Tarnwick server?",
                            lf_regcodesProblem}))
        return;
    // The list's place in older versions; a folder that holds files of the user stays.
    const fs::path oldFolder = fs::path("input") / "regcodesAIG";
    fs::remove(oldFolder / "AIG-regcodes.xml");
    if (fs::exists(oldFolder) && fs::is_empty(oldFolder))
        fs::remove(oldFolder);
}
