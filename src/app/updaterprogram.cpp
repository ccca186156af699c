// A newer program: its installer is fetched and unpacked, and the user is told to run it.
#include "app/updater.h"

#include "app/buildconfig.h"
#include "app/download.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/filereplace.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "foundation/ziparchive.h"

namespace fs = std::filesystem;

namespace {

const char* const installerExe = "install_new_version.exe";
constexpr std::size_t chunkBytes = 524288;

} // namespace

void updateProgram()
{
    const Version server = fetchProgramVersionJson();
    if (server == Version()) {
        gf_logMarked("Program Version file not found?");
        return;
    }
    if (server <= programVersion)
        return;
    if (downloadInstaller(server))
        throw zeb::UserErrorException(
            99, fmt::format("New version {} available. Exit here, and run as administrator:   \"{}\"", server.toString(),
                            gf_pathText(gf_u8path(PROGRAM_INSTALL_PATH.getValue()) / installerExe)));
    gf_showStatus("download/extract of the new version failed? Try manually via my website", true);
}

bool downloadInstaller(const Version& version)
{
    const std::string name = fmt::format("setup_{}_v{}.zip", "Tarnwick_P3D", version.toString());
    const CurlHandle handle = gf_newCurlHandle();
    if (!gf_download(handle.get(), downloadBaseUrl + "release/" + name, name)) {
        gf_showStatus(fmt::format("Downloading program installer file version {} failed", version.toString()), true);
        return false;
    }
    gf_logf("downloaded {}", name);
    bool success = false;
    {
        ZipArchive zip{fs::path(name)};
        if (!zip.isOpen()) {
            gf_logMarked(fmt::format("could not open {}", name));
        } else {
            const std::int64_t entries = zip.entryCount();
            for (std::int64_t index = 0; index < entries; ++index)
                extractInstaller(success, name, zip, index);
        }
    }
    fs::remove(name);
    return success;
}

void extractInstaller(bool& success, const fs::path& zipPath, const ZipArchive& zip, std::int64_t index)
{
    const std::string entry = zip.entryName(index);
    if (entry.empty() || entry.back() == '/')
        return; // a folder entry holds no installer
    // An installer that cannot be read whole never takes the installer's place.
    int rc = -1;
    const bool written = gf_writeReplacing(installerExe, [&](const fs::path& partial) {
        const bool whole = gf_writeWholeFile(
            partial, [&](std::ostream& out) { return (rc = zip.readContent(index, out, chunkBytes)) == 0; },
            std::ios::binary);
        if (!whole && rc == 0)
            rc = -1;
        return whole;
    });
    if (!written) {
        gf_logMarked(fmt::format("extracting error code : {}", rc));
        return;
    }
    gf_logf("{} extracted to {}", gf_pathText(zipPath), installerExe);
    success = true;
}
