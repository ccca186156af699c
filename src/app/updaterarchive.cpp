// The archive of airport parking files (archive.zip, unpacked below "airports") and
// its two documentation files.
#include "app/updater.h"

#include "app/buildconfig.h"
#include "app/download.h"
#include "app/status.h"
#include "foundation/filereplace.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "foundation/ziparchive.h"
#include "liveries/liveries.h"

#include <array>

namespace fs = std::filesystem;

namespace {

const char* const archiveZip = "archive.zip";
// Far above any airport parking file; a larger entry is a broken or hostile archive.
constexpr std::uint64_t maxEntryBytes = 64u << 20;

std::array<fs::path, 4> lf_archiveFolders()
{
    const fs::path archive = fs::path("airports") / "archive";
    return {archive, archive / "stock", archive / "ORBX", archive / "thirdparty"};
}

// Entry names are paths below "airports"; one that climbs out of it, names a drive or
// starts at a root would write elsewhere on the disk.
bool lf_staysInside(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\' || name.find(':') != std::string::npos)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = name.find_first_of("/\\", start);
        const std::size_t stop = end == std::string::npos ? name.size() : end;
        if (name.compare(start, stop - start, "..") == 0)
            return false;
        start = stop + 1;
    }
    return true;
}

// Folders of the entry's path that do not exist yet (a publisher unknown to the
// reference data, say) are made, so that every entry is extracted.
bool lf_writeEntry(const std::string& text, const fs::path& target)
{
    std::error_code ignored;
    fs::create_directories(target.parent_path(), ignored);
    try {
        return gf_writeReplacing(target, [&](const fs::path& partial) { return gf_writeTextFile(text, partial); });
    } catch (const fs::filesystem_error& error) {
        gf_log(error.what());
        return false;
    }
}

} // namespace

bool prepareArchiveFolders()
{
    for (const fs::path& folder : lf_archiveFolders())
        if (!fs::exists(folder))
            return true;
    return false;
}

bool downloadArchiveZip()
{
    const CurlHandle handle = gf_newCurlHandle();
    return gf_download(handle.get(), downloadBaseUrl + "archive/p3d/archive.zip", archiveZip);
}

bool updateArchive()
{
    const Version server = fetchArchiveVersionJson();
    if (server == Version()) {
        gf_logMarked("No archive version info found at the Tarnwick server?");
        return false;
    }
    const Version installed(ARCHIVE_VERSION.getValue());
    const bool wentBack = (server == Version(1, 0, 0) || server == Version(0, 1, 0)) && installed > server;
    if (!(server > installed || wentBack || installed.major == 0 || prepareArchiveFolders()))
        return false;

    const std::string serverText = server.toString();
    gf_showStatus(fmt::format("Downloading archive files version {} ...", serverText), true);
    if (!downloadArchiveZip()) {
        gf_showStatus(fmt::format("Downloading archive files version {} failed", serverText), true);
        return false;
    }
    for (const fs::path& folder : lf_archiveFolders())
        if (!fs::exists(folder))
            fs::create_directory(folder);

    bool complete = true;
    {
        ZipArchive zip{fs::path(archiveZip)};
        if (!zip.isOpen()) {
            gf_logMarked(fmt::format("could not open {}", archiveZip));
            return false;
        }
        std::int32_t count = 0;
        const std::int64_t entries = zip.entryCount();
        for (std::int64_t index = 0; index < entries; ++index)
            complete = extractArchiveEntry(count, zip, index) && complete;
        zip.close();
        gf_showStatus(fmt::format("{} extracted {} files", archiveZip, count), true);
    }
    fs::remove(archiveZip);
    if (!complete) {
        // Not recorded, so the next daily check installs it again.
        gf_showStatus(fmt::format("Archive version {} was not installed completely, see Log.txt", serverText), true);
        return false;
    }
    ARCHIVE_VERSION.setValue(serverText);
    gf_showStatus(fmt::format("Archive has been updated to version {}", serverText), true);
    downloadDocs("txt");
    downloadDocs("csv");
    return true;
}

bool extractArchiveEntry(std::int32_t& count, const ZipArchive& zip, std::int64_t index)
{
    const std::string name = zip.entryName(index);
    if (name.empty()) {
        gf_logMarked(fmt::format("could not read the name of entry {} of {}", index, archiveZip));
        return false;
    }
    if (!name.ends_with(".xml"))
        return true; // folders and other files are not airports
    if (!lf_staysInside(name)) {
        gf_logMarked(fmt::format("{} entry {} refused: it lies outside airports", archiveZip, name));
        return false;
    }
    if (name.find("thirdparty") != std::string::npos) {
        const std::string publisher = gf_publisherOf(name);
        if (publisher == "unknown") {
            gf_logMarked(fmt::format("pub {} not found", name));
        } else {
            // The name comes from the downloaded reference data: a bad one is logged.
            const fs::path folder = lf_archiveFolders()[3] / gf_u8path(publisher);
            const bool inside = lf_staysInside(publisher);
            std::error_code error;
            if (inside && !fs::exists(folder, error) && !error)
                fs::create_directory(folder, error);
            if (!inside || error)
                gf_logMarked(fmt::format("no folder for pub {} of {}: {}", publisher, name,
                                         inside ? error.message() : "not a folder name"));
        }
    }
    ++count;
    if (count % 300 == 0)
        gf_showStatus(fmt::format("Extracting {} ...  {} files", archiveZip, count), false);

    std::string text;
    if (!zip.readAsText(index, text, maxEntryBytes)) {
        gf_logMarked(fmt::format("could not read {} from {}", name, archiveZip));
        return false;
    }
    const fs::path target = (fs::path("airports") / gf_u8path(name)).make_preferred();
    if (!lf_writeEntry(text, target)) {
        gf_logMarked(fmt::format("writing {} failed?", gf_pathText(target)));
        return false;
    }
    return true;
}

void downloadDocs(const std::string& extension)
{
    const std::string name = "P3D_archive." + extension;
    const fs::path installed = fs::path("docs") / name;
    const CurlHandle handle = gf_newCurlHandle();
    if (!gf_download(handle.get(), downloadBaseUrl + "docs/" + name, name)) {
        gf_logMarked(fmt::format("downloading {} failed?", gf_pathText(installed)));
        return;
    }
    gf_replaceFile(name, installed);
    gf_logf("{} downloaded", name);
}
