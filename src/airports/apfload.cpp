// Loading the park airport's parking file with its learned file into the park airport's
// stands, which are then numbered and linked to the stands they overlap.
#include "airports/apffiles.h"

#include "app/commands.h"
#include "app/mainwindow.h"
#include "foundation/exceptions.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"
#include "foundation/xmlblocks.h"
#include "links/trafficreader.h"
#include "traffic/traffic.h"

#include <windows.h>

#include <fmt/format.h>
#include <pugixml.hpp>

namespace fs = std::filesystem;

std::vector<StandRecord> parkStands;
ParkFile parkFile;

namespace {
std::string lf_qualityText(std::pair<std::int32_t, std::int32_t> quality)
{
    const auto [real, soft] = quality;
    if (real < 0 && soft < 0)
        return "  ";
    if (real < 45)
        return fmt::format("{:2}/{:2}", real, soft);
    return fmt::format("{:2}", real);
}

// With no learned file the default share applies, unless the user set one of his own.
void lf_defaultParkingPercentage()
{
    EnableWindow(parking_percentage.window, FALSE);
    parking_percentage.value = parking_percentage.defaultValue;
    if (CUSTOM_PARKING_PERCENTAGE.value.load() >= 0) {
        parking_percentage.value = CUSTOM_PARKING_PERCENTAGE.value.load();
        gf_log("parking percentage overruled by " + CUSTOM_PARKING_PERCENTAGE.key);
    }
    lf_logIndented(fmt::format("{:24}: {}%", parking_percentage.key, parking_percentage.value.load()));
    gf_showIntParameter(parking_percentage);
}


// The elevation for the traffic reader comes from the airport list; the file's serves
// an airport that the list lacks.
void lf_setParkElevation(const std::string& code)
{
    const std::optional<Airport> airport = gf_findAirport(code);
    gf_setParkElevation(airport ? airport->alt : static_cast<double>(parkFile.altitude));
}

void lf_showParkFile(const std::pair<std::int32_t, std::int32_t>& quality)
{
    gf_setDisplayText(&MainWindow::airportPublisherText, parkFile.publisher, statisticsBand);
    mainWindow.parkFileHandmade = parkFile.handmade;
    lf_logIndented(fmt::format("{:24}: {}", "publisher", parkFile.publisher));
    lf_logIndented(fmt::format("{:24}: {} ft", "altitude", parkFile.altitude));
    lf_logIndented(fmt::format("{:24}: {}", "num_parkpos", parkStands.size()));
    lf_logIndented(fmt::format("{:24}: {}", "quality factor", lf_qualityText(quality)));
    lf_logIndented(fmt::format("{:24}: {}", "RT traffic week", parkFile.trafficWeek));
    gf_setDisplayText(&MainWindow::qualityText, lf_qualityText(quality), statisticsBand);
}

std::string lf_readApf(const fs::path& path, std::pair<std::int32_t, std::int32_t>& quality)
{
    const std::string pathText = gf_pathText(path);
    gf_log("read_apf: " + pathText);
    const std::string code = gf_parkAirportCode();
    if (code.empty())
        return "gf_readApf, no park airport set";
    lf_retryUnsavedParkFile();
    parkStands.clear();
    parkFile.handmade = false;
    pugi::xml_document document;
    const pugi::xml_parse_result loaded = document.load_file(path.c_str());
    if (!loaded)
        return fmt::format("{} found, but could not be loaded: {}", pathText, loaded.description());
    if (!gf_checkMeta(document))
        return fmt::format("{} found but refused to load, copyright problem", pathText);

    parkFile.trafficWeek = gf_readValueAttr<std::int32_t>(document, "RT_traffic_week").value_or(0);
    parkFile.publisher = gf_readValueAttr<std::string>(document, "publisher").value_or("");
    const std::optional<std::int32_t> altitude = gf_readValueAttr<std::int32_t>(document, "altitude");
    if (!altitude)
        throw zeb::UserErrorException(65, "Parameter altitude not found");
    parkFile.altitude = *altitude;
    parkFile.airportName = gf_readValueAttr<std::string>(document, "airport_name").value_or("");
    lf_readParkPositions(document, parkStands);
    quality = {gf_readValueAttr<std::int32_t>(document, "Qf_real").value_or(-1),
               gf_readValueAttr<std::int32_t>(document, "Qf_soft").value_or(-1)};

    const fs::path learned = lf_apfFolder(path, parkFile.publisher);
    if (fs::exists(learned)) {
        lf_readLearned(learned, parkFile.airportName, parkStands, parkFile.handmade);
        quality = lf_weighStands(parkStands);
        if (parkFile.handmade)
            gf_log("A handmade airport file overruled the archived file!");
        // The learned file holds the share of this airport.
        EnableWindow(parking_percentage.window, TRUE);
    } else {
        lf_defaultParkingPercentage();
    }
    if (PARK_FAKE.value.load())
        lf_defaultStaticTypes(gf_pathText(path.stem()), parkStands);

    mainWindow.standCount = static_cast<std::int32_t>(parkStands.size());
    gf_repaintWindow();
    gf_numberAndLinkStands(parkStands);
    gf_logf("Airport file read from \"{}\" for {}", parkFile.handmade ? gf_pathText(learned) : pathText,
            parkFile.airportName);
    lf_showParkFile(quality);

    staticParkingActive.exchange(true);
    EnableWindow(flushStaticButton.window, TRUE);
    airportSettingsChanged = false;
    apfEditCount = 0;
    parkFile.path = path;
    lf_setParkElevation(code);
    gf_repaintWindow();
    return parkStands.empty() ? "no stands found" : "";
}
} // namespace

void gf_numberAndLinkStands(std::vector<StandRecord>& stands)
{
    std::uint32_t number = 0;
    for (StandRecord& stand : stands)
        stand.standNumber = ++number;
    for (StandRecord& a : stands) {
        a.neighbours.clear();
        for (const StandRecord& b : stands)
            if (b.standNumber != a.standNumber &&
                a.radius + b.radius > 1.1 * gf_distanceNm(a.latitude, a.longitude, b.latitude, b.longitude))
                a.neighbours.push_back(b.standNumber);
        a.neighbours.shrink_to_fit();
    }
}

std::string gf_readApf(const fs::path& path, std::pair<std::int32_t, std::int32_t>& quality)
{
    try {
        return lf_readApf(path, quality);
    } catch (const zeb::UserErrorException&) {
        throw;
    } catch (const std::exception& e) {
        return fmt::format("exception in readApf: {}", e.what());
    }
}
