// After a scan, the generated files of airports whose stock file carries quality factors
// are copied to TO_BE_LEARNED_OFFLINE, for the user to send in.
#include "airports/airportscan.h"

#include "airports/airports.h"
#include "app/mainwindow.h"
#include "app/scans.h"
#include "foundation/log.h"
#include "foundation/winstring.h"

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {
const fs::path offlineFolder{L"TO_BE_LEARNED_OFFLINE"};

enum class Offline { notDue, copied, failed };

std::vector<std::string> lf_codesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    if (fs::is_directory(folder))
        gf_scanXmlFolder(names, folder);
    for (std::string& name : names)
        name = gf_pathText(gf_u8path(name).stem());
    return names;
}

template <typename FailureLine>
Offline lf_learnOffline(const fs::path& folder, const std::string& code, FailureLine failureLine)
{
    if (!gf_readQualityFactors(code))
        return Offline::notDue;
    const fs::path source = folder / lf_apfFileNameXml(code);
    const fs::path target = offlineFolder / lf_apfFileNameXml(code);
    std::error_code error;
    if (!fs::copy_file(source, target, fs::copy_options::overwrite_existing, error)) {
        gf_logMarked(failureLine(source, target));
        return Offline::failed;
    }
    gf_logf("{} copied to {}", code, gf_pathText(target));
    // A linked airport keeps its archived file; the generated one has been sent.
    if (fs::exists(folder / lf_apfFileNameTxt(code)))
        fs::remove(source);
    return Offline::copied;
}

void lf_askForZip()
{
    gf_log("\n");
    gf_logMarked(fmt::format("Please zip the folder {} and send it to the Tarnwick support, so that its airports "
                             "can be learned off line",
                             gf_pathText(fs::absolute(offlineFolder))));
}
} // namespace

void lf_prepareOfflineLearning()
{
    const std::vector<std::string> thirdparty = lf_codesIn(apfFolders::myThirdparty);
    const std::vector<std::string> orbx = lf_codesIn(apfFolders::myOrbx);
    mainWindow.orbxAirportsDone = orbx.empty();
    gf_repaintWindow();
    if (fs::exists(offlineFolder))
        fs::remove_all(offlineFolder);

    int copiedOrbx = 0;
    if (!orbx.empty()) {
        fs::create_directory(offlineFolder);
        bool allDone = true;
        for (const std::string& code : orbx) {
            const Offline result = lf_learnOffline(apfFolders::myOrbx, code, [](const fs::path& source, const fs::path&) {
                return fmt::format("failed to copy {}", gf_pathText(source));
            });
            copiedOrbx += result == Offline::copied;
            allDone = allDone && result != Offline::failed;
        }
        mainWindow.orbxAirportsDone = allDone;
        gf_repaintWindow();
        if (copiedOrbx == 0) {
            gf_log("All your ORBX airports are done, no off line learning needed.");
            fs::remove_all(offlineFolder);
        } else {
            tbloAirportCount = copiedOrbx;
            lf_askForZip();
        }
    }

    if (!thirdparty.empty()) {
        if (!fs::exists(offlineFolder))
            fs::create_directory(offlineFolder);
        int copied = 0;
        for (const std::string& code : thirdparty)
            copied += lf_learnOffline(apfFolders::myThirdparty, code, [](const fs::path& source, const fs::path& target) {
                          return fmt::format("\"{}\" failed to copy \"{}\"", gf_pathText(source), gf_pathText(target));
                      }) == Offline::copied;
        tbloAirportCount += copied;
        if (copied == 0) {
            gf_log("All your third party airports are done, no off line learning needed.");
            if (copiedOrbx == 0)
                fs::remove_all(offlineFolder);
        } else {
            lf_askForZip();
        }
    }
}
