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

void lf_addPart(std::string& list, const std::string& part)
{
    list += list.empty() ? part : ", " + part;
}

} // namespace

Version fetchProgramVersionJson() { return lf_fetch("release/version_P3D.json"); }

Version fetchVersionJson(const std::string& folder) { return lf_fetch(folder + "/version.json"); }

Version fetchArchiveVersionJson() { return lf_fetch("archive/p3d/version.json"); }

std::string checkVersions()
{
    std::string list;
    Version server = fetchProgramVersionJson();
    if (server > programVersion)
        lf_addPart(list, fmt::format("{} ({})", "Tarnwick_P3D", server.toString()));
    server = fetchVersionJson("dbase");
    if (Version(DBASE_VERSION.getValue()) < server)
        lf_addPart(list, fmt::format("dbase ({})", server.toString()));
    server = fetchArchiveVersionJson();
    if (Version(ARCHIVE_VERSION.getValue()) < server)
        lf_addPart(list, fmt::format("archive ({})", server.toString()));
    server = fetchVersionJson("aig");
    if (Version(AIG_VERSION.getValue()) < server)
        lf_addPart(list, fmt::format("AIG-regcodes ({})", server.toString()));
    if (list.empty())
        return list;
    return fmt::format("New version{} for: {}", list.find(',') != std::string::npos ? "s" : "", list);
}
