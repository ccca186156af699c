// The traffic record parser: one RealTraffic record into a LiveReport for the traffic manager.
#include "links/trafficreader.h"

#include "foundation/exceptions.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "foundation/winstring.h"
#include "links/qnhreader.h"
#include "links/useraircraft.h"
#include "traffic/traffic.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace {
std::pmr::unsynchronized_pool_resource reportPool;
} // namespace
std::mutex reportDequeMutex;
std::pmr::deque<LiveReport> reportDeque{&reportPool};
bool acceptReports = false;

namespace {

enum Field : std::size_t {
    hexidField = 1,
    latitudeField = 2,
    longitudeField = 3,
    altitudeField = 4,
    verticalSpeedField = 5,
    trackField = 7,
    groundSpeedField = 8,
    callsignField = 9,
    typeField = 10,
    secondIdentField = 11,
    departureField = 12,
    destinationField = 13,
    timeStampField = 14,
    flagField = 15,
    sourceField = 17,
    trueAirSpeedField = 20,
    rollField = 23,
    trueHeadingField = 25,
    categoryField = 28,
};

// Beyond this a time stamp is in milliseconds.
constexpr double lastSecondsStamp = 171644617100.79;

// A rejected record: dropped like any other, but told apart from the wanted drops.
[[noreturn]] void lf_reject(const std::string& message) { throw zeb::SysErrorException(0, message); }

std::string_view lf_field(const TrafficReader& reader, std::size_t index)
{
    return index < reader.fields.size() ? reader.fields[index] : std::string_view{};
}

std::string_view lf_lastField(const TrafficReader& reader)
{
    return reader.fields.empty() ? std::string_view{} : reader.fields.back();
}

// The leading number of the field; a field that does not begin with one, or whose number
// is not finite, gives nothing.
bool lf_readDouble(std::string_view field, double& value)
{
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && std::isfinite(value);
}

bool lf_readUnsigned(std::string_view field, std::uint32_t& value)
{
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc();
}

template <typename... Args>
double lf_number(std::string_view field, fmt::format_string<Args...> message, Args&&... args)
{
    double value;
    if (!lf_readDouble(field, value))
        lf_reject(fmt::format(message, std::forward<Args>(args)...));
    return value;
}

// Whether the field is one of the words; compared in line, as this runs many times a record.
template <std::size_t... N>
bool lf_isOneOf(std::string_view field, const char (&... words)[N])
{
    return ((field.size() == N - 1 && std::memcmp(field.data(), words, N - 1) == 0) || ...);
}

// "null" stands for a missing text. Texts from the network are made valid UTF-8 here, once:
// a broken byte must not keep a flight from being shown or sent to the simulator.
void lf_assignText(std::string& text, std::string_view field)
{
    if (!lf_isOneOf(field, "null")) {
        text.assign(field);
        gf_makeValidUtf8(text);
    }
}

void gf_readSecondIdent(LiveReport& report, std::string_view field)
{
    if (field.size() < 13)
        lf_assignText(report.ident.registration, field);
}

bool gf_checkCategory(std::string_view category, std::string_view type)
{
    if (category.empty())
        return true;
    if (lf_isOneOf(category, "B1", "B2", "B4", "C1", "C2"))
        return false;
    return type.size() <= 4 && !lf_isOneOf(type, "GRND", "GLID", "SERV", "BALL", "PARA", "SHIP");
}

// False when the callsign drops the record.
bool gf_checkCallsign(LiveReport& report, std::string_view field)
{
    std::string& callsign = report.ident.callsign;
    lf_assignText(callsign, field);
    if (lf_isOneOf(std::string_view(callsign).substr(0, 4), "TOW "))
        return false;
    if (callsign.find('@') != std::string::npos)
        callsign.clear();
    return !lf_isOneOf(callsign, "ERARMTR0");
}

void lf_collectCallsign(TrafficReader& reader, std::string_view field)
{
    if (!reader.collectCallsigns || field.empty() || lf_isOneOf(field, "null") ||
        field.find('@') != std::string_view::npos)
        return;
    std::string callsign;
    lf_assignText(callsign, field);
    std::lock_guard lock(reader.callsignMutex);
    // The flag is tested again under the lock, so nothing slips in after a hand-over.
    if (reader.collectCallsigns && reader.callsignsSeen.find(callsign) == reader.callsignsSeen.end())
        reader.callsignsSeen.emplace(std::move(callsign));
}

void lf_readHeading(TrafficReader& reader)
{
    if (!lf_isOneOf(lf_field(reader, sourceField), "adsb_icao"))
        return;
    LiveReport& report = reader.report;
    std::string_view headingText = lf_field(reader, trueHeadingField);
    double heading = lf_number(headingText, "true heading:{}", headingText);
    if (heading > 360)
        lf_reject(fmt::format("true heading:{:.2F}", heading));
    if (heading < 0)
        return;
    report.heading = heading == 0 ? twoPi : heading * degToRad;
    report.hasHeading = 1;
    report.headingFromAdsb = 1;
}

constexpr std::int32_t standardQnh = 1013;

// The altitude above sea level of a pressure altitude (feet) under this QNH (hPa), in the
// standard atmosphere: some 27 ft a hectopascal near the sea, more higher up.
double lf_qnhAltitude(double pressureAltitude, std::int32_t qnh)
{
    constexpr double scaleFeet = 145366.45;
    constexpr double exponent = 0.190284;
    return scaleFeet * (1 - (1 - pressureAltitude / scaleFeet) * std::pow(1013.25 / qnh, exponent));
}

// At `h` feet above the park airport (below it when negative), whether a report is on the ground
// there at its speed.
bool lf_groundByHeight(double h, double groundSpeed, double verticalSpeed, bool qnhKnown)
{
    constexpr double groundSpeedAnyHeight = 43;
    // With the QNH, well below the field at a flying speed is a flight over lower ground; coming down
    // as an approach does, it is in the air until the feed says it is down: a QNH a little off puts
    // the last mile of a final below the field.
    constexpr double lowerGround = 250;      // feet below the field
    constexpr double approachDescent = -300; // feet a minute
    if (h < 0 && !qnhKnown)
        return groundSpeed <= groundSpeedAnyHeight;
    // Climbing as a climb-out does, it has left the ground, whatever its height says (a field
    // nearby lies higher or lower than the park airport).
    if (verticalSpeed >= liftOffClimb)
        return false;
    const double height = std::fabs(h);
    if ((height <= 45 && groundSpeed <= 120) || (height <= 90 && groundSpeed <= 80) ||
        (height <= 120 && groundSpeed <= groundSpeedAnyHeight))
        return true;
    return h <= 0 && (groundSpeed <= groundSpeedAnyHeight ||
                      (qnhKnown && h > -lowerGround && verticalSpeed > approachDescent));
}

// On the ground at 0 ft, or near the park airport's elevation at a speed that fits the
// height. The feed's altitudes are pressure altitudes: a QNH from RealTraffic (1013 until one
// arrives, and then as good as none) tells how high above the airport a report is. Below the
// airport a report is on the ground where, corrected by the QNH, it has reached the ground;
// without a QNH an approach on a high-pressure day lies there too, also just below it at an
// approach's speed, and only a taxi's speed tells the ground. Speed alone decides where no
// ground is known (a slow report may be one on the ground whose flag is missing), but not
// above the highest airports. Away from the park airport its height tells nothing of the ground
// (a helicopter slow over lower ground, or at a higher field nearby, is where its altitude says).
// `nearPark()`: whether the report lies at the park airport (asked only where it decides).
template <typename Near>
bool lf_onGround(double altitude, double groundSpeed, double verticalSpeed, bool elevationKnown, double elevation,
                 std::int32_t qnh, const Near& nearPark)
{
    constexpr double aboveAnyAirport = 16000; // the highest lie at 14,500 ft; a deep low reads higher
    if (altitude <= 0)
        return true;
    if (!elevationKnown)
        return altitude < aboveAnyAirport && groundSpeed <= 35;
    const bool qnhKnown = qnh != standardQnh;
    const double h = (qnhKnown ? lf_qnhAltitude(altitude, qnh) : altitude) - elevation;
    return lf_groundByHeight(h, groundSpeed, verticalSpeed, qnhKnown) && nearPark();
}

// Whether the report lies beyond the live radius from the user. Most records are decided by
// two bounds of the great-circle distance that need no trigonometry (one nautical mile is
// one arc minute): it is at least the way along the meridian, and at most the way along the
// user's parallel and then the meridian. The rest is measured.
bool lf_beyondRadius(TrafficReader& reader, double userLatitude, double userLongitude, double latitude,
                     double longitude, double radius)
{
    constexpr double margin = 1e-9; // far beyond the rounding of either side
    const double meridianNm = std::fabs(latitude - userLatitude) * 60;
    if (meridianNm > radius * (1 + margin))
        return true;
    if (userLatitude != reader.cosineLatitude) {
        reader.cosineLatitude = userLatitude;
        reader.cosine = std::cos(userLatitude * degToRad);
    }
    double longitudeDifference = std::fabs(longitude - userLongitude);
    longitudeDifference = std::min(longitudeDifference, 360 - longitudeDifference);
    if (meridianNm + longitudeDifference * 60 * reader.cosine < radius * (1 - margin))
        return false;
    return gf_distanceNm(userLatitude, userLongitude, latitude, longitude) > radius;
}

void lf_readHexid(const TrafficReader& reader, LiveReport& report)
{
    std::string_view hexidText = lf_field(reader, hexidField);
    if (!lf_readUnsigned(hexidText, report.hexid))
        lf_reject(fmt::format("hexid incorrect {}", hexidText));
}

// The feed sends a flight's type in some of its records only, at times only while the flight is
// still beyond the radius: a record without one takes the last its flight sent (BOG71 at Los
// Angeles sent F2TH once, just beyond 8 nm, and never again: it was never shown).
constexpr std::size_t typesKept = 50000; // flights; a long session's are forgotten and sent again
void lf_keepType(TrafficReader& reader, LiveReport& report)
{
    if (!report.ident.type.empty()) {
        if (reader.typesSent.size() >= typesKept)
            reader.typesSent.clear();
        reader.typesSent[report.hexid] = report.ident.type;
    } else if (const auto sent = reader.typesSent.find(report.hexid); sent != reader.typesSent.end()) {
        report.ident.type = sent->second;
    }
}

void lf_readType(const TrafficReader& reader, LiveReport& report)
{
    std::string_view type = lf_field(reader, typeField);
    if (!lf_isOneOf(type, "null", "0", "ZZZZ"))
        lf_assignText(report.ident.type, type);
}

double lf_assumedAirSpeed(double altitude)
{
    if (altitude <= 2000)
        return 180;
    if (altitude <= 5000)
        return 220;
    if (altitude <= 10000)
        return 250;
    if (altitude <= 20000)
        return 350;
    return 430;
}

// Fills the report; false when the record is not wanted, an exception when it is rejected.
bool lf_parseRecord(TrafficReader& reader, std::string_view datagram)
{
    LiveReport& report = reader.report;
    // Empty texts, numbers 0, flags cleared; built in place, as this runs for every record.
    std::destroy_at(&report);
    std::construct_at(&report);

    std::string_view stampField = lf_field(reader, timeStampField);
    double stamp = lf_number(stampField, "timestamp:{}", stampField);
    report.timeStamp = stamp > lastSecondsStamp ? stamp / 1000 : stamp;
    gf_setTrafficClockStamp(report.timeStamp);

    gf_readSecondIdent(report, lf_field(reader, secondIdentField));
    if (report.ident.registration.empty() && lf_isOneOf(lf_field(reader, flagField), "F"))
        return false;

    std::string_view latitudeText = lf_field(reader, latitudeField);
    std::string_view longitudeText = lf_field(reader, longitudeField);
    report.latitude = lf_number(latitudeText, "lat:{}", latitudeText);
    report.longitude = lf_number(longitudeText, "lon:{}", longitudeText);
    if (report.latitude < -90 || report.latitude > 90 || report.longitude < -180 || report.longitude > 180 ||
        gf_inNullBox(report.latitude, report.longitude))
        lf_reject(fmt::format("lalo:{},{}", report.latitude, report.longitude));

    double userLatitude, userLongitude, elevation;
    bool elevationKnown;
    {
        std::lock_guard lock(reader.inputMutex);
        userLatitude = reader.userLatitude;
        userLongitude = reader.userLongitude;
        elevation = reader.parkElevation;
        elevationKnown = reader.parkElevationKnown;
    }
    const double radius = lateralRadiusNm.load();
    if (lf_beyondRadius(reader, userLatitude, userLongitude, report.latitude, report.longitude, radius)) {
        // Beyond the radius only the flights already shown are followed, out to the margin;
        // past it their report is handed over bare, to tell that they have left.
        lf_readHexid(reader, report);
        if (!gf_flightShown(reader, report.hexid)) {
            lf_readType(reader, report); // the only record with its type may be one out here
            lf_keepType(reader, report);
            return false;
        }
        const bool left = lf_beyondRadius(reader, userLatitude, userLongitude, report.latitude, report.longitude,
                                          radius + shownMarginNm);
        report.reach = left ? beyondMargin : withinMargin;
        if (left)
            return true;
    }

    std::string_view callsignText = lf_field(reader, callsignField);
    lf_collectCallsign(reader, callsignText);

    lf_readType(reader, report);
    const std::string_view category = lf_field(reader, categoryField);
    if (!gf_checkCategory(category, report.ident.type))
        return false;
    if (category.size() == 2 && category[0] == 'A' && category[1] >= '1' && category[1] <= '7')
        report.category = static_cast<std::uint8_t>(category[1] - '0');

    lf_readHeading(reader);

    lf_readHexid(reader, report);
    if (report.hexid <= 10000)
        return false;
    lf_keepType(reader, report);

    std::string_view speedText = lf_field(reader, groundSpeedField);
    report.groundSpeed = lf_number(speedText, "gs:{}", speedText);

    // The callsign is read before the test that needs one of the two identifiers.
    if (!gf_checkCallsign(report, callsignText))
        return false;
    if (report.ident.registration.empty() && report.ident.callsign.empty())
        return false;

    std::string_view altitudeText = lf_field(reader, altitudeField);
    report.altitude = lf_number(altitudeText, "altitude {} incorrect, from: {}", altitudeText, datagram);
    const bool saysGround = report.altitude <= 0;
    report.readAltitude = report.altitude;
    std::optional<bool> near;
    const auto nearPark = [&] {
        if (!near) {
            const auto park = gf_parkAirportPosition();
            near = !park || gf_withinNm(park->first, park->second, report.latitude, report.longitude, parkAirportReachNm);
        }
        return *near;
    };
    std::string_view climbText = lf_field(reader, verticalSpeedField);
    report.verticalSpeed = lf_number(climbText, "vs:{}", climbText);
    if (lf_onGround(report.altitude, report.groundSpeed, report.verticalSpeed, elevationKnown, elevation,
                    currentQnh.load(), nearPark))
        report.altitude = 0;
    report.airborne = report.altitude != 0;

    // Ground traffic is shown at the park airport only. A flight already shown that lands at
    // another field keeps the reports that say themselves they are on the ground, so that it
    // comes down onto its runway there (the park airport's height tells nothing of that field).
    if (!report.airborne) {
        if (!nearPark() && !(saysGround && gf_flightShown(reader, report.hexid)))
            return false;
    }

    std::string_view trackText = lf_field(reader, trackField);
    report.hasTrack = trackText.empty() ? 0 : 1;
    report.track = trackText.empty() ? 0 : lf_number(trackText, "track incorrect {}", trackText);
    if (report.track == 0 && report.hasHeading) {
        report.track = report.heading * radToDeg;
        report.hasTrack = 1;
    }
    lf_assignText(report.ident.departure, lf_field(reader, departureField));
    lf_assignText(report.ident.destination, lf_field(reader, destinationField));
    std::string_view checksumText = lf_lastField(reader);
    if (!lf_readUnsigned(checksumText, report.checksum))
        lf_reject(fmt::format("checksum:{}", checksumText));

    if (report.airborne) {
        std::string_view rollText = lf_field(reader, rollField);
        double roll = lf_number(rollText, "roll:{}", rollText);
        if (roll != -1 && roll != 0) {
            report.roll = -roll * degToRad;
            report.hasRoll = 1;
        }
    }

    std::string_view airSpeedText = lf_field(reader, trueAirSpeedField);
    report.trueAirSpeed = lf_number(airSpeedText, "TAS incorrect {}", airSpeedText);
    if (report.trueAirSpeed == -1)
        report.trueAirSpeed = lf_assumedAirSpeed(report.altitude);
    return true;
}

} // namespace

void processLine(TrafficReader& reader)
{
    try {
        if (!lf_parseRecord(reader, reader.datagram))
            return;
    } catch (const zeb::SysErrorException&) {
        return; // rejected
    } catch (const std::exception& error) {
        gf_log(fmt::format("exception in processLine: {}", error.what()));
        return;
    }
    LiveReport& report = reader.report;
    report.managerFlag = 0;
    std::lock_guard lock(reportDequeMutex);
    if (acceptReports) {
        report.expiry = tickCounter.load() + reportLifetimeTicks;
        reportDeque.push_back(report);
    }
}
