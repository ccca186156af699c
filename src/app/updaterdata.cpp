// The reference data dbase.xml and the registration list AIG-regcodes.xml.
#include "app/updater.h"

#include "app/buildconfig.h"
#include "app/download.h"
#include "app/status.h"
#include "foundation/filereplace.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"

#include <pugixml.hpp>

namespace fs = std::filesystem;

namespace {

struct DataFile {
    const char* versionFolder;
    const char* downloadName; // in the program folder
    fs::path installed;
    const char* serverPath;
    StringParameter& setting;
    const char* noVersionMessage;
};

// A server or proxy can answer 200 with a page of its own; that is not the data.
bool lf_isXml(const fs::path& path)
{
    pugi::xml_document document;
    return static_cast<bool>(document.load_file(path.c_str()));
}

// False when there was nothing to download.
bool lf_updateDataFile(const DataFile& data)
{
    const Version server = fetchVersionJson(data.versionFolder);
    if (server == Version()) {
        gf_logMarked(data.noVersionMessage);
        return false;
    }
    const Version installed(data.setting.getValue());
    if (server <= installed && fs::exists(data.installed))
        return false;
    gf_showStatus(fmt::format("Downloading {} version {} ...", data.downloadName, server.toString()), true);

    const CurlHandle handle = gf_newCurlHandle();
    const fs::path downloaded = data.downloadName;
    if (!gf_download(handle.get(), downloadBaseUrl + data.serverPath, downloaded)) {
        gf_logf("downloading {} failed?", gf_pathText(data.installed));
    } else if (!lf_isXml(downloaded)) {
        gf_logMarked(fmt::format("downloaded {} is no XML file, {} kept as it was", data.downloadName,
                                 gf_pathText(data.installed)));
    } else {
        // One step, so the installed file is either the old or the new one.
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
                       "No dbase version info found at the Tarnwick server?"});
}

void updateAigRegcodes()
{
    if (!lf_updateDataFile({"aig", "AIG-regcodes.xml", fs::path("input") / "AIG-regcodes.xml", "aig/AIG-regcodes.xml",
                            AIG_VERSION, "No AIG regcodes version info found at the Tarnwick server?"}))
        return;
    // The list's place in older versions; a folder that holds files of the user stays.
    const fs::path oldFolder = fs::path("input") / "regcodesAIG";
    fs::remove(oldFolder / "AIG-regcodes.xml");
    if (fs::exists(oldFolder) && fs::is_empty(oldFolder))
        fs::remove(oldFolder);
}
