// The traffic record parser on real RealTraffic records, records derived from them and
// hostile input, through the traffic reader's own datagram handling.
#include "foundation/geometry.h"
#include "foundation/logcapture.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "foundation/winstring.h"
#include "links/qnhreader.h"
#include "links/trafficreader.h"
#include "support/testpaths.h"
#include "traffic/manager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// A real record (42 fields: the last, authentication, left out).
const std::string example =
    "RTTFC,11234042,-33.9107,152.9902,26400,1248,0,90.12,490.00,AAL72,B789,N835AN,SYD,LAX,1645144774.2,X2,AA72,"
    "adsb_icao,27575,320,474,0.780,0.0,0.0,78.93,92.27,1280,none,A5,1012.8,35008,-1,71.02,autopilot|vnav|lnav|tcas,"
    "0.0,-21.9,223,24,-30,0,1,170124";

std::vector<std::string> lf_split(const std::string& record)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = record.find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(record.substr(start, comma - start));
    fields.push_back(record.substr(start));
    return fields;
}

std::string lf_join(const std::vector<std::string>& fields)
{
    std::string record;
    for (const std::string& field : fields)
        record += (record.empty() ? "" : ",") + field;
    return record;
}

// The example with some fields replaced.
std::string lf_record(std::initializer_list<std::pair<std::size_t, std::string>> changes)
{
    std::vector<std::string> fields = lf_split(example);
    for (const auto& [index, value] : changes)
        fields.at(index) = value;
    return lf_join(fields);
}

class ProcessLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        reader = std::make_unique<TrafficReader>();
        setUser(-33.9, 152.99);
        gf_setParkAirport({});
        std::lock_guard lock(reportDequeMutex);
        reportDeque.clear();
        acceptReports = true;
    }

    void setUser(double latitude, double longitude)
    {
        reader->userLatitude = latitude;
        reader->userLongitude = longitude;
    }

    // The report the record hands over, if any.
    std::optional<LiveReport> parse(const std::string& record)
    {
        reader->datagram = record;
        reader->handleDatagram();
        std::lock_guard lock(reportDequeMutex);
        if (reportDeque.empty())
            return std::nullopt;
        EXPECT_EQ(reportDeque.size(), 1u);
        LiveReport report = reportDeque.back();
        reportDeque.clear();
        return report;
    }

    bool accepted(const std::string& record) { return parse(record).has_value(); }

    // The report of a record that must be accepted (an empty one, after a failure naming
    // the record, when it is not).
    LiveReport report(const std::string& record)
    {
        std::optional<LiveReport> found = parse(record);
        EXPECT_TRUE(found) << "rejected: " << record.substr(0, 120);
        return found.value_or(LiveReport{});
    }

    std::unique_ptr<TrafficReader> reader;
};

TEST_F(ProcessLine, TheRealExampleGivesEveryField)
{
    tickCounter = 500;
    auto report = parse(example);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->hexid, 11234042u);
    EXPECT_DOUBLE_EQ(report->latitude, -33.9107);
    EXPECT_DOUBLE_EQ(report->longitude, 152.9902);
    EXPECT_DOUBLE_EQ(report->altitude, 26400);
    EXPECT_EQ(report->airborne, 1);
    EXPECT_DOUBLE_EQ(report->verticalSpeed, 1248);
    EXPECT_DOUBLE_EQ(report->track, 90.12);
    EXPECT_DOUBLE_EQ(report->groundSpeed, 490);
    EXPECT_DOUBLE_EQ(report->trueAirSpeed, 474);
    EXPECT_DOUBLE_EQ(report->timeStamp, 1645144774.2);
    EXPECT_EQ(trafficClockStamp.load(), 1645144774);
    EXPECT_EQ(report->hasHeading, 1);
    EXPECT_EQ(report->headingFromAdsb, 1);
    EXPECT_DOUBLE_EQ(report->heading, 92.27 * degToRad);
    EXPECT_EQ(report->hasRoll, 0); // roll 0.0 means none
    EXPECT_EQ(report->checksum, 170124u);
    EXPECT_EQ(report->expiry, 3500);
    EXPECT_EQ(report->managerFlag, 0);
    EXPECT_EQ(report->ident.airline, "");
    EXPECT_EQ(report->ident.type, "B789");
    EXPECT_EQ(report->ident.departure, "SYD");
    EXPECT_EQ(report->ident.destination, "LAX");
    EXPECT_EQ(report->ident.callsign, "AAL72");
    EXPECT_EQ(report->ident.registration, "N835AN");
    EXPECT_EQ(report->ident.optionCallsign, "");
    EXPECT_EQ(report->ident.optionSecond, "");
    EXPECT_EQ(report->ident.word, 0u);
}

TEST_F(ProcessLine, TheLastFieldIsTheChecksumInBothRecordForms)
{
    EXPECT_EQ(report(example + ",4000000000").checksum, 4000000000u);
    EXPECT_FALSE(accepted(example + ",4294967296")); // beyond 32 bits
    EXPECT_FALSE(accepted(example + ",sig"));
    // A trailing comma adds no empty field, so the field before it is the last.
    EXPECT_EQ(report(example + ",").checksum, 170124u);
}

TEST_F(ProcessLine, TimeStampsInMillisecondsAreStoredInSeconds)
{
    EXPECT_DOUBLE_EQ(report(lf_record({{14, "1645144774200"}})).timeStamp, 1645144774.2);
    EXPECT_DOUBLE_EQ(report(lf_record({{14, "171644617100.79"}})).timeStamp, 171644617100.79);
    EXPECT_FALSE(accepted(lf_record({{14, "soon"}})));
    EXPECT_FALSE(accepted(lf_record({{14, ""}})));
}

TEST_F(ProcessLine, PositionsOutsideTheWorldOrInTheNullBoxAreRejected)
{
    setUser(0.0, 0.0);
    EXPECT_FALSE(accepted(lf_record({{2, "0.0005"}, {3, "0.02"}})));
    EXPECT_TRUE(accepted(lf_record({{2, "-0.0005"}, {3, "0.02"}})));
    EXPECT_TRUE(accepted(lf_record({{2, "0.0005"}, {3, "0.06"}})));
    setUser(89.9, 0.0);
    EXPECT_FALSE(accepted(lf_record({{2, "90.5"}, {3, "0"}})));
    setUser(0.0, 179.9);
    EXPECT_FALSE(accepted(lf_record({{2, "0.5"}, {3, "180.2"}})));
    EXPECT_FALSE(accepted(lf_record({{2, "north"}})));
    EXPECT_FALSE(accepted(lf_record({{3, ""}})));
}

TEST_F(ProcessLine, ReportsBeyondTheLiveRadiusAreDropped)
{
    setUser(-33.9107, 153.9); // about 45 nm east
    EXPECT_FALSE(accepted(example));
    // Its type, sent only beyond the radius, holds for its records without one; another's is its own.
    const double radius = lateralRadiusNm.exchange(60.0);
    EXPECT_EQ(report(lf_record({{10, ""}})).ident.type, "B789");
    EXPECT_EQ(report(lf_record({{1, "11234043"}, {10, ""}})).ident.type, "");
    lateralRadiusNm = radius;
}

TEST_F(ProcessLine, FlightsAlreadyShownAreFollowedBeyondTheRadiusToTheMargin)
{
    const double radius = lateralRadiusNm.exchange(8.0);
    struct Case {
        double userEastNm; // how far east of the report the user is
        bool shown;
        std::optional<std::uint8_t> reach; // none: dropped
    };
    const Case cases[] = {{5.0, false, withinRadius}, {5.0, true, withinRadius},   {9.5, false, std::nullopt},
                          {9.5, true, withinMargin},  {10.9, true, withinMargin},  {11.1, true, beyondMargin},
                          {40.0, true, beyondMargin}, {11.1, false, std::nullopt}};
    const double nmOfLongitude = 1.0 / 60.0 / std::cos(-33.9107 * degToRad);
    for (const Case& c : cases) {
        setUser(-33.9107, 152.9902 + c.userEastNm * nmOfLongitude);
        gf_setShownFlights(c.shown ? std::vector<std::uint32_t>{4000001, 11234042, 11234043}
                                   : std::vector<std::uint32_t>{11234043},
                           *reader);
        const std::optional<LiveReport> r = parse(example);
        ASSERT_EQ(r.has_value(), c.reach.has_value()) << c.userEastNm << " nm, shown " << c.shown;
        if (!r)
            continue;
        EXPECT_EQ(r->reach, *c.reach) << c.userEastNm << " nm";
        EXPECT_EQ(r->hexid, 11234042u);
        EXPECT_DOUBLE_EQ(r->latitude, -33.9107);
        EXPECT_DOUBLE_EQ(r->timeStamp, 1645144774.2);
        // Beyond the margin the report only says that the flight has left.
        EXPECT_EQ(r->ident.callsign.empty(), *c.reach == beyondMargin);
    }
    lateralRadiusNm = radius;
}

TEST_F(ProcessLine, HexIdsOfTenThousandOrLessAreDroppedAndOthersMustBeNumbers)
{
    EXPECT_FALSE(accepted(lf_record({{1, "10000"}})));
    EXPECT_EQ(report(lf_record({{1, "10001"}})).hexid, 10001u);
    EXPECT_EQ(report(lf_record({{1, "123456abc"}})).hexid, 123456u);
    EXPECT_FALSE(accepted(lf_record({{1, "abc123456"}})));
    EXPECT_FALSE(accepted(lf_record({{1, "-123456"}})));
}

TEST_F(ProcessLine, CategoryAndTypeDecideWhatIsTraffic)
{
    for (const char* category : {"B1", "B2", "B4", "C1", "C2"})
        EXPECT_FALSE(accepted(lf_record({{28, category}}))) << category;
    EXPECT_FALSE(accepted(lf_record({{28, "B1"}, {10, ""}})));
    for (const char* type : {"GRND", "GLID", "SERV", "BALL", "PARA", "SHIP", "B7879"})
        EXPECT_FALSE(accepted(lf_record({{10, type}}))) << type;
    EXPECT_TRUE(accepted(lf_record({{10, "C172"}})));
    EXPECT_TRUE(accepted(lf_record({{28, ""}, {10, "GLID"}}))); // no category: anything goes
    for (const char* unknown : {"null", "0", "ZZZZ"}) // a flight that never sent a type
        EXPECT_EQ(report(lf_record({{1, "11234099"}, {10, unknown}})).ident.type, "") << unknown;
}

TEST_F(ProcessLine, TheGroundDecisionUsesTheParkAirportElevation)
{
    reader->parkElevation = 100;
    reader->parkElevationKnown = true;
    LiveReport flying = report(lf_record({{4, "400"}, {8, "140"}}));
    EXPECT_EQ(flying.airborne, 1);
    EXPECT_DOUBLE_EQ(flying.altitude, 400);

    LiveReport landed = report(lf_record({{4, "140"}, {8, "100"}, {20, "-1"}, {5, "0"}}));
    EXPECT_EQ(landed.airborne, 0);
    EXPECT_DOUBLE_EQ(landed.altitude, 0);
    EXPECT_DOUBLE_EQ(landed.trueAirSpeed, 180);

    EXPECT_EQ(report(lf_record({{4, "190"}, {8, "79"}, {5, "0"}})).airborne, 0);  // 90 ft, slow
    EXPECT_EQ(report(lf_record({{4, "190"}, {8, "81"}})).airborne, 1);
    EXPECT_EQ(report(lf_record({{4, "220"}, {8, "43"}, {5, "0"}})).airborne, 0);  // 120 ft, taxiing
    EXPECT_EQ(report(lf_record({{4, "221"}, {8, "43"}})).airborne, 1);
    // Climbing away, it has left the ground within the band (a climb-out from a field nearby that
    // lies higher: a Piper at Santa Monica, 50 ft above Los Angeles, climbing 512 ft a minute).
    EXPECT_EQ(report(lf_record({{4, "150"}, {8, "68"}, {5, "0"}})).airborne, 0);
    EXPECT_EQ(report(lf_record({{4, "150"}, {8, "68"}, {5, "512"}})).airborne, 1);
    // Above the band a slow report is a helicopter or a light aircraft in the air.
    EXPECT_EQ(report(lf_record({{4, "300"}, {8, "30"}})).airborne, 1);
    EXPECT_EQ(report(lf_record({{4, "1000"}, {8, "0"}})).airborne, 1);

    // Below the airport without a QNH: an approach on a high-pressure day, also just below it at
    // an approach's speed, unless it has slowed.
    EXPECT_EQ(report(lf_record({{4, "60"}, {8, "100"}})).airborne, 1);
    EXPECT_EQ(report(lf_record({{4, "20"}, {8, "75"}})).airborne, 1);
    reader->parkElevation = 2181;
    EXPECT_EQ(report(lf_record({{4, "2000"}, {8, "140"}})).airborne, 1);
    EXPECT_EQ(report(lf_record({{4, "2000"}, {8, "43"}, {5, "0"}})).airborne, 0);
    // With the QNH the altitude tells where it reaches the ground: 1020 hPa lifts it 180 ft.
    currentQnh = 1020;
    EXPECT_EQ(report(lf_record({{4, "1950"}, {8, "140"}, {5, "0"}})).airborne, 0);
    EXPECT_EQ(report(lf_record({{4, "2100"}, {8, "140"}})).airborne, 1) << "100 ft above";
    // 1006 hPa lowers it 190 ft: 370 ft below the field at 130 kt it flies over lower ground; 220
    // ft below, on the park airport's runway, but not 6 nm from it.
    currentQnh = 1006;
    EXPECT_EQ(report(lf_record({{4, "2000"}, {8, "130"}})).airborne, 1);
    EXPECT_EQ(report(lf_record({{4, "2000"}, {8, "40"}, {5, "0"}})).airborne, 0);
    // 70 ft below the field at 161 kt: rolling, unless it climbs like a lift-off (an E55P at Las Vegas).
    EXPECT_EQ(report(lf_record({{4, "2300"}, {8, "161"}, {5, "64"}})).airborne, 0);
    EXPECT_EQ(report(lf_record({{4, "2300"}, {8, "161"}, {5, "2560"}})).airborne, 1);
    // A helicopter 100 ft above the field at 21 kt: on the ground at the park airport; away from it,
    // the park airport's height tells nothing of the ground (it stands at a higher field).
    gf_setParkAirport({.code = "YSSY", .latitude = -33.9107, .longitude = 153.0302}); // 2 nm east
    EXPECT_EQ(report(lf_record({{4, "2150"}, {8, "130"}, {5, "0"}})).airborne, 0);
    EXPECT_EQ(report(lf_record({{4, "2475"}, {8, "21"}, {5, "0"}})).airborne, 0);
    gf_setParkAirport({.code = "YSSY", .latitude = -33.9107, .longitude = 153.1102}); // about 6 nm east
    EXPECT_EQ(report(lf_record({{4, "2150"}, {8, "130"}})).airborne, 1);
    EXPECT_EQ(report(lf_record({{4, "2475"}, {8, "21"}})).airborne, 1);
    gf_setParkAirport({});
    currentQnh = 1013;
    // The elevation known, an airport above 14,000 ft has its aircraft on the ground.
    reader->parkElevation = 14400;
    EXPECT_EQ(report(lf_record({{4, "14410"}, {8, "0"}, {5, "0"}})).airborne, 0);

    reader->parkElevationKnown = false; // taken as -1000 ft
    EXPECT_EQ(report(lf_record({{4, "140"}, {8, "100"}})).airborne, 1);
    // Where no ground is known a slow report may be one on the ground whose flag is missing,
    // but not above the highest airports.
    EXPECT_EQ(report(lf_record({{4, "3000"}, {8, "30"}})).airborne, 0);
    EXPECT_EQ(report(lf_record({{4, "14400"}, {8, "30"}})).airborne, 0);
    EXPECT_EQ(report(lf_record({{4, "16000"}, {8, "30"}})).airborne, 1);
    EXPECT_EQ(report(lf_record({{4, "20000"}, {8, "30"}})).airborne, 1);
    EXPECT_EQ(report(lf_record({{4, "-50"}, {8, "300"}})).airborne, 0);
}

TEST_F(ProcessLine, ArrivalsAtLasVegasAreOnTheGroundFromTheirFirstGroundReport)
{
    // klas_20190305.rttfc: the six aeroplanes landing at Las Vegas (2,181 ft), from 90 s before
    // their first ground report to 20 s after; their last reports in the air lie up to 231 ft below
    // the airport at 119-159 kt without a QNH, and a mile from the runway already below it with a
    // QNH a little low.
    setUser(36.0840, -115.1537);
    reader->parkElevation = 2181;
    reader->parkElevationKnown = true;
    for (const std::int32_t qnh : {1013, 1006}) {
        currentQnh = qnh;
        std::ifstream in(gf_testSourcePath("tests/data/recordings/klas_arrivals.rttfc"));
        std::size_t records = 0;
        for (std::string line; std::getline(in, line); ++records) {
            const std::vector<std::string> f = lf_split(line);
            EXPECT_EQ(report(line).airborne, f.at(6) == "0" ? 1 : 0)
                << f.at(9) << " at " << f.at(4) << " ft, " << f.at(8) << " kt, " << qnh << " hPa";
        }
        EXPECT_EQ(records, 71u);
    }
    currentQnh = 1013;
}

TEST_F(ProcessLine, TrueHeadingOnlyFromAdsbReports)
{
    LiveReport north = report(lf_record({{25, "0"}, {7, "0"}}));
    EXPECT_EQ(north.hasHeading, 1);
    EXPECT_DOUBLE_EQ(north.heading, twoPi);
    EXPECT_DOUBLE_EQ(north.track, 360);

    EXPECT_DOUBLE_EQ(report(lf_record({{25, "360"}})).heading, twoPi);

    LiveReport none = report(lf_record({{25, "-1"}}));
    EXPECT_EQ(none.hasHeading, 0);
    EXPECT_EQ(none.headingFromAdsb, 0);

    EXPECT_FALSE(accepted(lf_record({{25, "360.5"}})));
    EXPECT_FALSE(accepted(lf_record({{25, "east"}})));

    LiveReport mlat = report(lf_record({{17, "mlat"}, {25, "east"}, {7, "0"}}));
    EXPECT_EQ(mlat.hasHeading, 0);
    EXPECT_DOUBLE_EQ(mlat.track, 0);
    EXPECT_EQ(mlat.hasTrack, 1) << "due north";
    EXPECT_EQ(report(lf_record({{17, "mlat"}, {7, ""}})).hasTrack, 0);
}

TEST_F(ProcessLine, RollOnlyInTheAir)
{
    EXPECT_EQ(report(lf_record({{23, "-1"}})).hasRoll, 0);
    LiveReport banked = report(lf_record({{23, "10"}}));
    EXPECT_EQ(banked.hasRoll, 1);
    EXPECT_DOUBLE_EQ(banked.roll, -10 * degToRad);
    EXPECT_FALSE(accepted(lf_record({{23, "level"}})));
    EXPECT_EQ(report(lf_record({{4, "0"}, {23, "level"}})).hasRoll, 0);
}

TEST_F(ProcessLine, CallsignRules)
{
    EXPECT_FALSE(accepted(lf_record({{9, "TOW 12"}})));
    EXPECT_FALSE(accepted(lf_record({{9, "ERARMTR0"}})));
    EXPECT_EQ(report(lf_record({{9, "ERARMTR01"}})).ident.callsign, "ERARMTR01");
    EXPECT_EQ(report(lf_record({{9, "AB@CD"}})).ident.callsign, "");
    EXPECT_EQ(report(lf_record({{9, "null"}})).ident.callsign, "");
}

// A broken byte from the network must not keep a flight out: its texts arrive as UTF-8 that
// the simulator's code page holds, whatever came.
TEST_F(ProcessLine, TextsFromTheNetworkAreValidUtf8)
{
    const LiveReport broken = report(lf_record(
        {{9, "KL\xFFM1"}, {10, "B7\xC3" "8"}, {11, "PH-\xE9X"}, {12, "EH\x80M"}, {13, "\xED\xA0\x80GLL"}}));
    EXPECT_EQ(broken.ident.callsign, "KL?M1");
    EXPECT_EQ(broken.ident.type, "B7?8");
    EXPECT_EQ(broken.ident.registration, "PH-?X");
    EXPECT_EQ(broken.ident.departure, "EH?M");
    EXPECT_EQ(broken.ident.destination, "???GLL") << "an encoded surrogate is no character";
    for (const std::string* text : {&broken.ident.callsign, &broken.ident.type, &broken.ident.registration,
                                    &broken.ident.departure, &broken.ident.destination})
        EXPECT_TRUE(gf_utf8ToAnsi(*text)) << *text;
    // The private characters that stand for raw bytes at the simulator's door are no text of
    // the network: sent as such a byte, a callsign would come back as another.
    const LiveReport held = report(lf_record({{9, "KLM\xF3\xB0\x82\x80"}, {11, "PH-\xF3\xB0\x80\x80X"},
                                               {12, "EH\xF3\xB0\x83\xBFM"}, {13, "EG\xF3\xB0\x84\x80L"}}));
    EXPECT_EQ(held.ident.callsign, "KLM?");
    EXPECT_EQ(held.ident.registration, "PH-?X");
    EXPECT_EQ(held.ident.departure, "EH?M");
    EXPECT_EQ(held.ident.destination, "EG\xF3\xB0\x84\x80L") << "beyond them";
    for (const std::string* text : {&held.ident.callsign, &held.ident.registration, &held.ident.departure})
        EXPECT_EQ(gf_ansiToUtf8(gf_utf8ToAnsi(*text).value_or("")), *text) << "back from the simulator as itself";
    const std::string utf8 = "D-\xC3\x84" "BC";
    EXPECT_EQ(report(lf_record({{9, utf8}})).ident.callsign, utf8) << "UTF-8 stays";
}

TEST_F(ProcessLine, AReportNeedsASecondIdentifierOrACallsign)
{
    // The callsign is read before this test, so a flight known only by its callsign stays.
    LiveReport callsignOnly = report(lf_record({{11, "null"}}));
    EXPECT_EQ(callsignOnly.ident.registration, "");
    EXPECT_EQ(callsignOnly.ident.callsign, "AAL72");
    EXPECT_FALSE(accepted(lf_record({{11, "null"}, {9, "null"}})));
    EXPECT_FALSE(accepted(lf_record({{11, ""}, {9, "X@Y"}})));
    EXPECT_EQ(report(lf_record({{11, "ABCDEFGHIJKL"}})).ident.registration, "ABCDEFGHIJKL");
    EXPECT_EQ(report(lf_record({{11, "ABCDEFGHIJKLM"}})).ident.registration, "");
    EXPECT_FALSE(accepted(lf_record({{11, ""}, {15, "F"}})));
    EXPECT_TRUE(accepted(lf_record({{15, "F"}})));
}

TEST_F(ProcessLine, GroundReportsFarFromTheParkAirportAreDropped)
{
    const std::string onGround = lf_record({{4, "0"}, {8, "12"}});
    gf_setParkAirport({.code = "YSSY", .latitude = -33.9107, .longitude = 153.1102}); // about 6 nm east
    EXPECT_FALSE(accepted(onGround));
    EXPECT_TRUE(accepted(example));
    gf_setParkAirport({.code = "YSSY", .latitude = -33.9107, .longitude = 153.0302}); // 2 nm east
    EXPECT_TRUE(accepted(onGround));
}

TEST_F(ProcessLine, UnknownAirSpeedFollowsTheAltitude)
{
    const std::pair<const char*, double> table[] = {
        {"1500", 180}, {"2000", 180}, {"4000", 220}, {"9000", 250}, {"15000", 350}, {"30000", 430}};
    for (const auto& [altitude, speed] : table)
        EXPECT_DOUBLE_EQ(report(lf_record({{4, altitude}, {20, "-1"}})).trueAirSpeed, speed) << altitude;
}

TEST_F(ProcessLine, TrackRouteAndClimb)
{
    LiveReport descending = report(lf_record({{7, ""}, {12, "null"}, {13, "null"}, {5, "-640"}}));
    EXPECT_DOUBLE_EQ(descending.track, 92.27); // from the heading
    EXPECT_EQ(descending.hasTrack, 1);
    EXPECT_EQ(descending.ident.departure, "");
    EXPECT_EQ(descending.ident.destination, "");
    EXPECT_DOUBLE_EQ(descending.verticalSpeed, -640);
    EXPECT_FALSE(accepted(lf_record({{7, "west"}})));
    EXPECT_FALSE(accepted(lf_record({{5, "up"}})));
}

TEST_F(ProcessLine, NumbersThatAreNotFiniteOrNotNumbersAreRejected)
{
    const std::size_t realFields[] = {2, 3, 4, 5, 7, 8, 14, 20, 23, 25};
    for (std::size_t field : realFields)
        for (const char* value : {"nan", "NaN", "-nan", "inf", "-inf", "infinity", "1e999", "-1e999", "+5", " 5", "x1"})
            EXPECT_FALSE(accepted(lf_record({{field, value}}))) << "field " << field << " = " << value;
    // The hex id and the checksum (the last field) are unsigned 32-bit numbers.
    for (std::size_t field : {std::size_t{1}, std::size_t{41}})
        for (const char* value : {"nan", "inf", "-5", "+5", " 5", "x1", "4294967296", "99999999999999999999"})
            EXPECT_FALSE(accepted(lf_record({{field, value}}))) << "field " << field << " = " << value;
}

TEST_F(ProcessLine, HostileDatagramsNeverCrashAndNeverReachTheDeque)
{
    LogCapture log;
    std::vector<std::string> hostile = {
        "",
        "RTTFC",
        std::string(10000, ','),
        std::string(16384, 'A'),
        std::string(16383, '9'),
        "RTTFC," + std::string(16000, '7'),
        std::string("RTTFC,\0\x01\xff,,,", 11),
        "\xef\xbb\xbfRTTFC,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan",
    };
    std::string commasAndNumbers;
    while (commasAndNumbers.size() < 16384)
        commasAndNumbers += "1e308,";
    hostile.push_back(commasAndNumbers);
    // The example cut short before the true heading: never complete enough.
    std::vector<std::string> fields = lf_split(example);
    for (std::size_t count = 0; count <= 25; ++count)
        hostile.push_back(lf_join({fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(count)}));

    for (const std::string& record : hostile)
        EXPECT_FALSE(accepted(record)) << record.substr(0, 80);
    EXPECT_EQ(log.text().find("exception in processLine"), std::string::npos);
}

TEST_F(ProcessLine, NothingIsQueuedWhileTrafficIsNotAcceptedButRecordsAreStillRead)
{
    {
        std::lock_guard lock(reportDequeMutex);
        acceptReports = false;
    }
    EXPECT_FALSE(accepted(example));
    EXPECT_EQ(reader->report.hexid, 11234042u);
    EXPECT_EQ(trafficClockStamp.load(), 1645144774);
}

TEST_F(ProcessLine, GroundVehiclesAreIgnoredWhole)
{
    EXPECT_FALSE(accepted(lf_record({{10, "B789 VEH"}})));
    EXPECT_FALSE(accepted(example + ", VEH"));
    EXPECT_TRUE(accepted(lf_record({{10, "VEH"}})));
}

TEST(SplitFields, EmptyStretchesAreFieldsButATrailingCommaAddsNone)
{
    std::vector<std::string_view> fields;
    lf_splitFields("a,,b,", fields);
    EXPECT_EQ(fields, (std::vector<std::string_view>{"a", "", "b"}));
    lf_splitFields("", fields);
    EXPECT_TRUE(fields.empty());
    lf_splitFields(",", fields);
    EXPECT_EQ(fields, (std::vector<std::string_view>{""}));
    lf_splitFields("one", fields);
    EXPECT_EQ(fields, (std::vector<std::string_view>{"one"}));
    // Longer texts go sixteen bytes at a time: commas at both ends of a block and in the rest.
    EXPECT_FALSE(lf_splitFields("0123456789abcde,0123456789abcdef,,x,0123456789abcdefghij,", fields));
    EXPECT_EQ(fields, (std::vector<std::string_view>{"0123456789abcde", "0123456789abcdef", "", "x",
                                                     "0123456789abcdefghij"}));
    EXPECT_TRUE(lf_splitFields("0123456789abcdef01 3", fields));
    EXPECT_TRUE(lf_splitFields("01234 6789abcdef013", fields));
}

TEST(CallsignsSeen, CollectedOnlyWhileAskedAndHandedOverOnce)
{
    TrafficReader& reader = trafficUdpReader;
    reader.userLatitude = -33.9;
    reader.userLongitude = 152.99;
    auto feed = [&](const std::string& record) {
        reader.datagram = record;
        reader.handleDatagram();
    };
    feed(example); // not collecting yet
    gf_startCollectingCallsigns();
    feed(lf_record({{9, "QFA1"}}));
    feed(lf_record({{9, "QFA1"}, {1, "99999"}}));
    feed(lf_record({{9, "null"}}));
    feed(lf_record({{9, "A@B"}}));
    feed(lf_record({{9, "GLIDER1"}, {10, "GLID"}})); // dropped after the callsign was seen
    feed(lf_record({{9, "FARAWAY"}, {2, "-35.9"}})); // beyond the radius: not seen
    feed(lf_record({{9, "QFA\xFF"}, {1, "99998"}}));
    auto seen = gf_takeCallsignsSeen();
    EXPECT_EQ(seen, (std::set<std::string, std::less<>>{"GLIDER1", "QFA1", "QFA?"}));
    feed(lf_record({{9, "LATE1"}}));
    EXPECT_TRUE(gf_takeCallsignsSeen().empty());
}

} // namespace
