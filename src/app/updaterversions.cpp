// The version files of the download server and the "Check version" comparison.
#include "app/updater.h"

#include "app/buildconfig.h"
#include "app/download.h"
#include "foundation/settingscatalogue.h"

#include <fmt/format.h>

namespace {

Version lf_fetch(const std::string& path)
{
    const CurlHandle handle = gf_newCurlHandle();
    return gf_downloadFile(handle.get(), downloadBaseUrl + path);
}

// Adds "name (version)" to the comma-separated list when the server has a newer version.
void lf_addNewer(std::string& list, const char* name, const Version& installed, const Version& server)
{
    if (installed < server)
        list += fmt::format("{}{} ({})", list.empty() ? "" : ", ", name, server.toString());
}

} // namespace

Version fetchProgramVersionJson() { return lf_fetch("release/version_P3D.json"); }

Version fetchVersionJson(const std::string& folder) { return lf_fetch(folder + "/version.json"); }

Version fetchArchiveVersionJson() { return lf_fetch("archive/p3d/version.json"); }

std::string checkVersions()
{
    std::string list;
    lf_addNewer(list, "Tarnwick_P3D", programVersion, fetchProgramVersionJson());
    lf_addNewer(list, "dbase", Version(DBASE_VERSION.getValue()), fetchVersionJson("dbase"));
    lf_addNewer(list, "archive", Version(ARCHIVE_VERSION.getValue()), fetchArchiveVersionJson());
    lf_addNewer(list, "AIG-regcodes", Version(AIG_VERSION.getValue()), fetchVersionJson("aig"));
    if (list.empty())
        return list;
    return fmt::format("New version{} for: {}", list.find(',') != std::string::npos ? "s" : "", list);
}
