// Saving what was learned at the park airport as its learned parking file, and the end
// of the parking edit. A save that fails is kept and written again later.
#include "airports/apffiles.h"

#include "app/commands.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "foundation/winstring.h"
#include "links/trafficreader.h"
#include "traffic/traffic.h"

#include <windows.h>

#include <fmt/format.h>

#include <map>

namespace fs = std::filesystem;

std::atomic<bool> staticParkingActive{false};
std::atomic<std::int32_t> apfEditCount{0};

namespace {
// Learned files whose save failed, by path, with their text.
std::map<fs::path, std::string> unsavedParkFiles;

void lf_writeLearnedText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    if (!lf_writeFileText(path, text))
        throw std::runtime_error("the file could not be written");
}

void lf_reportFailure(const fs::path& path, const std::string& reason)
{
    gf_log(fmt::format("saving \"{}\": {}", gf_pathText(path), reason));
    gf_showStatus(fmt::format("{} saving \"{}\" did not succeed", gf_nowString(), gf_pathText(path)), true);
}

// Every stand the learned file needs, each with the options it keeps; the loaded stands
// stay as they are.
ApfFile lf_learnedFile(bool handmade)
{
    ApfFile file;
    file.identifier = gf_parkAirportCode();
    file.airport_name = parkFile.airportName;
    file.publisher = parkFile.publisher;
    file.altitude = parkFile.altitude;
    for (const StandRecord& stand : parkStands) {
        StandRecord copy(stand.id, {}, stand.latitude, stand.longitude, stand.heading, 0.0, stand.cargo, stand.ramp,
                         stand.heli);
        copy.radius = stand.radius;
        copy.manual = stand.manual;
        copy.radius_change = stand.radius_change;
        copy.cargo_change = stand.cargo_change;
        for (const StandOption& option : stand.options)
            if (!option.fake && (handmade || option.mark == 1))
                copy.options.push_back(option);
        if (handmade || copy.manual || !copy.options.empty() || copy.radius_change || copy.cargo_change)
            file.stands.push_back(std::move(copy));
    }
    if (handmade)
        std::tie(file.Qf_real, file.Qf_soft) = lf_weighStands(parkStands);
    return file;
}

void lf_save(const fs::path& path)
{
    const bool handmade = parkFile.handmade;
    const std::optional<std::string> text = gf_parkPositionsText(lf_learnedFile(handmade), true, handmade);
    if (!text) {
        lf_reportFailure(path, "the document could not be built");
        return;
    }
    try {
        lf_writeLearnedText(path, *text);
    } catch (const std::exception& e) {
        unsavedParkFiles[path] = *text;
        lf_reportFailure(path, e.what());
        return;
    }
    unsavedParkFiles.erase(path); // older than what was just written
    const std::int32_t updates = apfEditCount.load();
    gf_showStatus(fmt::format("{}{} \"{}\" saved with {} update{} {}", gf_nowString(), handmade ? " handmade" : "",
                              gf_pathText(path), updates, updates == 1 || updates < 0 ? "" : "s",
                              airportSettingsChanged.load() ? "and one or more parameter changes" : ""),
                  true);
}
} // namespace

bool lf_retryUnsavedParkFile()
{
    for (auto it = unsavedParkFiles.begin(); it != unsavedParkFiles.end();) {
        try {
            lf_writeLearnedText(it->first, it->second);
            gf_showStatus(fmt::format("{} \"{}\" saved after an earlier failure", gf_nowString(),
                                      gf_pathText(it->first)),
                          true);
            it = unsavedParkFiles.erase(it);
        } catch (const std::exception& e) {
            lf_reportFailure(it->first, e.what());
            ++it;
        }
    }
    return unsavedParkFiles.empty();
}

void gf_saveAirportFile()
{
    fs::path path;
    try {
        const fs::path loaded = parkFile.path.empty() ? lf_apfFileNameXml(gf_parkAirportCode()) : parkFile.path;
        path = lf_apfFolder(loaded, parkFile.publisher);
        lf_save(path);
    } catch (const std::exception& e) {
        lf_reportFailure(path, e.what());
    }
    apfEditCount = 0;
    airportSettingsChanged = false;
}

void gf_stopParking()
{
    try {
        lf_retryUnsavedParkFile();
        if (staticParkingActive.load() && (airportSettingsChanged.load() || apfEditCount.load() >= 1))
            gf_saveAirportFile();
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("exception in gf_stopParking: {}", e.what()));
    }
    parkFile.handmade = false;
    staticParkingActive.exchange(false);
    EnableWindow(flushStaticButton.window, FALSE);
    parkFile.path.clear();
    EnableWindow(parking_percentage.window, FALSE);
    gf_clearParkElevation();
}
