// The .bgl reader on files written from the published layout.
#include "bgltestfiles.h"

#include "foundation/log.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

using bglw::Helipad;
using bglw::Name;
using bglw::Parking;
using bglw::ParkingList;
using bglw::Raw;

namespace {
constexpr float noNumber = std::numeric_limits<float>::quiet_NaN();
constexpr double twoPi = 2.0 * std::numbers::pi;
const std::string marker = "===> ";

bglw::Airport lf_airport(std::vector<bglw::Subrecord> subrecords, std::string ident = "EHAM")
{
    return bglw::Airport{.ident = std::move(ident), .subrecords = std::move(subrecords)};
}

Parking lf_stand(std::uint32_t number, float radius = 20.0f, std::uint32_t type = 1)
{
    return Parking{.nameCode = 2, .type = type, .number = number, .radius = radius, .latitude = 52.3, .longitude = 4.7};
}

std::vector<std::string> lf_ids(const BglAirport& airport)
{
    std::vector<std::string> ids;
    for (const StandRecord& stand : airport.file.stands)
        ids.push_back(stand.id);
    return ids;
}

bool lf_has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::ranges::find(lines, line) != lines.end();
}
} // namespace

TEST(BglReader, HeadersAndSectionsThatHoldNoAirportSectionGiveNothingSilently)
{
    const bglw::Airport eham = lf_airport({ParkingList{.entries = {lf_stand(1)}}});
    bglw::File otherHeader = gf_testBglFile({eham});
    otherHeader.headerSize = 0x40;
    bglw::File flagged = gf_testBglFile({eham});
    flagged.sections[0].flags = 0x10000;
    bglw::File otherType = gf_testBglFile({eham});
    otherType.sections[0].type = 0x65;
    bglw::File noSections = gf_testBglFile({eham});
    noSections.sectionCount = 0;
    for (const bglw::File& file : {otherHeader, flagged, otherType, noSections}) {
        const BglRead read = gf_testReadBgl(file);
        EXPECT_TRUE(read.airports.empty());
        EXPECT_TRUE(read.lines.empty());
    }
    const std::vector<std::uint8_t> bytes = bglw::gf_bglBytes(gf_testBglFile({eham}));
    for (std::size_t length : {0u, 3u, 7u, 56u, 59u})
        EXPECT_TRUE(gf_testReadBgl(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + length)).airports.empty());
    EXPECT_EQ(gf_testReadBgl(bytes).airports.size(), 1u);
}

TEST(BglReader, AFileIsReadAsWordsWithItsLastPiecePaddedWithZeros)
{
    TempFolder folder;
    gf_testWriteFile(folder / L"five.bgl", std::string("\x01\x02\x03\x04\x05", 5));
    gf_testWriteFile(folder / L"empty.bgl", "");
    const BglFileView five(folder / L"five.bgl");
    EXPECT_EQ((std::vector<std::uint32_t>(five.words().begin(), five.words().end())),
              (std::vector<std::uint32_t>{0x04030201, 0x05}));
    EXPECT_TRUE(BglFileView(folder / L"empty.bgl").words().empty());
    EXPECT_TRUE(BglFileView(folder / L"missing.bgl").words().empty());
    EXPECT_FALSE(lf_bglHasAirports(folder / L"five.bgl"));
    EXPECT_FALSE(lf_bglHasAirports(folder / L"missing.bgl"));
    const std::vector<std::uint8_t> bytes = bglw::gf_bglBytes(gf_testBglFile({lf_airport({})}));
    gf_testWriteFile(folder / L"airport.bgl", std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(lf_bglHasAirports(folder / L"airport.bgl"));
}

TEST(BglReader, BothLayoutsGiveTheSameAirport)
{
    for (const bool newLayout : {false, true}) {
        Parking gate{.nameCode = 10, .type = 9, .number = 12, .radius = 36.5f, .heading = 90.0f,
                     .latitude = 52.308613, .longitude = 4.763889, .airlineCodes = {0x004D4C4B, 0x00524641}};
        Parking cargo{.nameCode = 37, .type = 5, .number = 4095, .radius = 40.0f, .heading = 0.0f,
                      .latitude = -33.946111, .longitude = -151.177222};
        Parking ramp{.nameCode = 1, .type = 8, .number = 7, .radius = 10.0f, .heading = 359.5f,
                     .latitude = 89.999999, .longitude = 179.999999, .airlineCodes = {1}};
        bglw::Airport airport = lf_airport({Name{"Amsterdam Schiphol"}, ParkingList{.entries = {gate, cargo, ramp}}});
        airport.newLayout = newLayout;
        airport.altitudeMillimetres = -3353;
        const BglRead read = gf_testReadBgl(gf_testBglFile({airport}));
        ASSERT_EQ(read.airports.size(), 1u);
        const ApfFile& file = read.airports[0].file;
        EXPECT_EQ(file.identifier, "EHAM");
        EXPECT_EQ(file.airport_name, "Amsterdam Schiphol");
        EXPECT_EQ(file.altitude, -11);
        EXPECT_EQ(file.BGLpath, "D:\\Scenery\\test.bgl");
        ASSERT_EQ(file.stands.size(), 3u);
        const Parking* written[] = {&gate, &cargo, &ramp};
        const char* ids[] = {"g12", "Z4095", "r7"};
        const double headings[] = {std::numbers::pi / 2, twoPi, 359.5 * std::numbers::pi / 180};
        for (std::size_t i = 0; i < 3; ++i) {
            const StandRecord& stand = file.stands[i];
            EXPECT_EQ(stand.id, ids[i]);
            EXPECT_NEAR(stand.latitude, written[i]->latitude, 1e-6);
            EXPECT_NEAR(stand.longitude, written[i]->longitude, 1e-6);
            EXPECT_NEAR(stand.heading, headings[i], 1e-6);
            EXPECT_DOUBLE_EQ(stand.radius * 1852.0, written[i]->radius);
            EXPECT_EQ(stand.cargo, i == 1);
            EXPECT_EQ(stand.ramp, i == 1) << "types below 8 are ramps";
            EXPECT_EQ(stand.heli, 0);
        }
    }
}

TEST(BglReader, OnlyFourCharacterCodesOfLettersAndDigitsAreConverted)
{
    const auto codeWord = [](std::vector<std::uint32_t> digits) {
        std::uint32_t value = 0;
        for (std::uint32_t digit : digits)
            value = value * 38 + digit;
        return value << 5;
    };
    const std::pair<std::uint32_t, std::string> codes[] = {
        {bglw::gf_bglIdentWord("EHAM"), "EHAM"}, {bglw::gf_bglIdentWord("K2A0"), "K2A0"},
        {bglw::gf_bglIdentWord("EHA"), ""},      {bglw::gf_bglIdentWord("EHAMX"), ""},
        {bglw::gf_bglIdentWord("E HA"), ""},     {codeWord({16, 1, 12, 24}), ""},
        {codeWord({1, 19, 12, 24}), ""},         {bglw::gf_bglIdentWord("EHAM") | 0x1F, "EHAM"},
        {37u << 5, ""}};
    for (const auto& [word, code] : codes) {
        bglw::Airport airport = lf_airport({ParkingList{.entries = {lf_stand(1)}}});
        airport.identWord = word;
        const BglRead read = gf_testReadBgl(gf_testBglFile({airport}));
        EXPECT_EQ(read.airports.empty() ? "" : read.airports[0].file.identifier, code) << std::hex << word;
    }
    bool ok = true;
    EXPECT_NE(lf_decodeIdentifierOrRegionCode(codeWord({16, 1, 12, 24}), ok), "E6AM");
    EXPECT_FALSE(ok) << "digit 1 is no character";
}

TEST(BglReader, AltitudesAreSignedMillimetresWithinTheirLimits)
{
    const std::pair<std::int32_t, std::int32_t> altitudes[] = {
        {-3353, -11}, {-6096, -20}, {-6250, 0}, {3048000, 10000}, {3048200, 0}, {0, 0}, {1000, 3}};
    for (const auto& [millimetres, feet] : altitudes) {
        bglw::Airport airport = lf_airport({});
        airport.altitudeMillimetres = millimetres;
        const BglRead read = gf_testReadBgl(gf_testBglFile({airport}));
        ASSERT_EQ(read.airports.size(), 1u);
        EXPECT_EQ(read.airports[0].file.altitude, feet) << millimetres;
    }
}

TEST(BglReader, NamesAreWindowsTextWithoutControlsOfAtMost45Bytes)
{
    const std::string long50(50, 'x');
    const std::pair<std::vector<bglw::Subrecord>, std::string> cases[] = {
        {{Name{"Z\xFCrich\x01Kloten"}}, "Z\xC3\xBCrich" "Kloten"},
        {{Name{"Same"}, Name{"Same"}}, "Same"},
        {{Name{"One"}, Name{"Other"}, Name{"One"}}, ""},
        {{Name{long50}}, std::string(45, 'x')},
        {{Raw{.id = 0x0019, .size = 4}}, ""},
        {{Name{"\x80 Euro\x9D"}}, "\xE2\x82\xAC Euro"},
        {{}, ""}};
    for (const auto& [subrecords, name] : cases) {
        const BglRead read = gf_testReadBgl(gf_testBglFile({lf_airport(subrecords)}));
        ASSERT_EQ(read.airports.size(), 1u);
        EXPECT_EQ(read.airports[0].file.airport_name, name);
    }
}

TEST(BglReader, ParkingEntriesAreCheckedAndSharedIdsGetLettersBySize)
{
    Parking boxed = lf_stand(9);
    boxed.latitude = 0.0005;
    boxed.longitude = 0.01;
    Parking south = lf_stand(10);
    south.latitude = -0.0005;
    south.longitude = 0.01;
    std::vector<Parking> entries{lf_stand(1, 10.0f), lf_stand(1, 30.0f), lf_stand(1, 20.0f), lf_stand(2, 1.0f),
                                 lf_stand(3, 200.0f), lf_stand(4, noNumber), lf_stand(5, 1.5f), lf_stand(6, 20.0f, 0),
                                 lf_stand(7, 20.0f, 12), boxed, south};
    bglw::Airport airport = lf_airport({ParkingList{.entries = entries}, ParkingList{.entries = {lf_stand(99)}},
                                  Helipad{.latitude = 52.0, .longitude = 4.0}});
    const BglRead read = gf_testReadBgl(gf_testBglFile({airport}));
    ASSERT_EQ(read.airports.size(), 1u);
    const BglAirport& got = read.airports[0];
    EXPECT_EQ(lf_ids(got), (std::vector<std::string>{"p1b", "p1", "p1a", "p5", "p10"}))
        << "the largest p1 keeps the id; a second list and a later helipad are not read";
    EXPECT_DOUBLE_EQ(got.file.stands[1].radius * 1852.0, 30.0);
    EXPECT_TRUE(std::ranges::none_of(got.file.stands, [](const StandRecord& s) { return s.suffix != 0; }));
    for (const char* line : {"skipped position with radius 1.0 meters, in D:\\Scenery\\test.bgl",
                             "skipped position with radius 200.0 meters, in D:\\Scenery\\test.bgl",
                             "skipped position with radius NAN meters, in D:\\Scenery\\test.bgl",
                             "lat/lon: 0.000500,0.010000, incorrect (skipped) "})
        EXPECT_TRUE(lf_has(read.lines, line)) << line;
    EXPECT_EQ(read.lines.size(), 4u) << "wrong types are dropped silently";

    // Seven entries with one id: six stands, then the warning.
    const BglRead seven = gf_testReadBgl(gf_testBglFile({lf_airport({ParkingList{
        .entries = {lf_stand(3, 10), lf_stand(3, 20), lf_stand(3, 30), lf_stand(3, 40), lf_stand(3, 50),
                    lf_stand(3, 60), lf_stand(3, 70)}}})}));
    EXPECT_EQ(lf_ids(seven.airports[0]), (std::vector<std::string>{"p3e", "p3d", "p3c", "p3b", "p3a", "p3"}));
    EXPECT_EQ(seven.lines, std::vector<std::string>{marker + marker +
                                                    "Warning more then 6 the same ids p3, in D:\\Scenery\\test.bgl"});
}

TEST(BglReader, HelipadsAreNumberedStandsOfHalfTheirSize)
{
    bglw::Airport airport = lf_airport({Name{"Heli"},
                                  Helipad{.latitude = 52.1, .longitude = 4.1, .size = 30.0f, .heading = 0.0f},
                                  Helipad{.latitude = 52.1, .longitude = 4.1, .size = 30.0f},
                                  Helipad{.latitude = 52.2, .longitude = 4.2, .size = 20.0f, .heading = 270.0f},
                                  Helipad{.latitude = 52.3, .longitude = 4.3, .size = 20.0f, .heading = std::nullopt},
                                  Helipad{.latitude = 52.4, .longitude = 4.4, .size = noNumber},
                                  Helipad{.latitude = 52.5, .longitude = 4.5, .size = 20.0f, .heading = noNumber},
                                  Helipad{.latitude = 52.6, .longitude = 4.6, .size = 0.0f},
                                  Helipad{.latitude = 52.7, .longitude = 4.7, .size = -10.0f},
                                  Helipad{.latitude = 52.7, .longitude = 4.7, .size = 16.0f},
                                  Helipad{.latitude = 0.0, .longitude = 0.0}});
    const BglRead read = gf_testReadBgl(gf_testBglFile({airport}));
    const BglAirport& got = read.airports[0];
    // A pad without a size is kept; pads dropped for their size keep their numbers, so the
    // pads after them keep theirs (learned options name them); a valid pad where a pad was
    // dropped is no double.
    EXPECT_EQ(lf_ids(got),
              (std::vector<std::string>{"helipad1", "helipad2", "helipad3", "helipad5", "helipad6", "helipad8"}));
    EXPECT_EQ(got.helipadNumber, 9);
    const double headings[] = {twoPi, 270.0 * std::numbers::pi / 180, twoPi, twoPi, twoPi, twoPi};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_TRUE(got.file.stands[i].heli);
        EXPECT_FALSE(got.file.stands[i].ramp || got.file.stands[i].cargo);
        EXPECT_NEAR(got.file.stands[i].heading, headings[i], 1e-6);
    }
    EXPECT_DOUBLE_EQ(got.file.stands[0].radius * 1852.0, 15.0);
    EXPECT_EQ(got.file.stands[4].radius, 0.0);
    EXPECT_DOUBLE_EQ(got.file.stands[5].radius * 1852.0, 8.0);
    EXPECT_EQ(read.lines, (std::vector<std::string>{"double helipad Heli (skipped) 52.100000,4.100000",
                                                    "skipped position with radius NAN meters, in D:\\Scenery\\test.bgl",
                                                    "skipped position with radius -5.0 meters, in D:\\Scenery\\test.bgl",
                                                    "lat/lon helipad incorrect (skipped): 0.000000,0.000000"}))
        << "one of negative size would get the whole parking file refused";
}

TEST(BglReader, EveryAirportIsReadOnceAndMalformedRecordsEndOnlyTheirWalk)
{
    // Two airport sections: the first walk reaches the second section's records too.
    bglw::File file = gf_testBglFile({lf_airport({}, "EHAM")});
    file.sections[0].records.emplace_back(std::in_place_type<Raw>, Raw{.id = 0x0033, .size = 12, .body = {7}});
    file.sections.push_back(bglw::Section{.type = 0x65, .records = {Raw{.id = 0x003C, .size = 8}}});
    file.sections.push_back(bglw::Section{.records = {lf_airport({}, "EHRD")}});
    const BglRead both = gf_testReadBgl(file);
    ASSERT_EQ(both.airports.size(), 2u);
    EXPECT_EQ(both.airports[0].file.identifier, "EHAM");
    EXPECT_EQ(both.airports[1].file.identifier, "EHRD");

    for (const std::int32_t size : {0, 2, -8, 1 << 20}) {
        bglw::File broken = gf_testBglFile({lf_airport({}, "EHAM")});
        broken.sections[0].records.emplace_back(std::in_place_type<Raw>, Raw{.id = 0x0044, .size = size, .body = {0}});
        broken.sections[0].records.emplace_back(std::in_place_type<bglw::Airport>, lf_airport({}, "EHRD"));
        const BglRead read = gf_testReadBgl(broken);
        ASSERT_EQ(read.airports.size(), 1u) << size;
        EXPECT_EQ(read.airports[0].file.identifier, "EHAM");
    }

    // Inside an airport: a subrecord past the airport's end, and more entries announced than written.
    const BglRead cut = gf_testReadBgl(gf_testBglFile(
        {lf_airport({Name{"Cut"}, Raw{.id = 0x0099, .size = 4000}, Name{"Never"}}),
         lf_airport({Raw{.id = 0x0026, .size = 28, .body = {0, 0, 0, 0, 0}},
                     ParkingList{.entries = {lf_stand(1), lf_stand(2)}, .count = 500}, Name{"After"}},
                    "EHRD")}));
    ASSERT_EQ(cut.airports.size(), 2u);
    EXPECT_EQ(cut.airports[0].file.airport_name, "Cut");
    EXPECT_EQ(lf_ids(cut.airports[1]), (std::vector<std::string>{"p1", "p2"}));
    // The airport whose walk ended early, a helipad too short for its size, and the list that
    // holds fewer entries than it announces, are named in marked lines.
    ASSERT_EQ(cut.lines.size(), 3u);
    EXPECT_TRUE(cut.lines[0].starts_with(marker + "D:\\Scenery\\test.bgl: airport EHAM: ")) << cut.lines[0];
    EXPECT_NE(cut.lines[0].find("the rest of the airport is not read"), std::string::npos) << cut.lines[0];
    EXPECT_EQ(cut.lines[1], marker + "D:\\Scenery\\test.bgl: airport EHRD: helipad of 28 bytes, too short to hold "
                                     "its size (skipped)");
    EXPECT_EQ(cut.lines[2],
              marker + "D:\\Scenery\\test.bgl: airport EHRD: parking list too short, 2 of 500 stands read");

    // A list cut after its header, at the end of the file: its count lies past the file.
    const BglRead headerOnly = gf_testReadBgl(gf_testListAtPageEnd("EHPE"));
    ASSERT_EQ(headerOnly.airports.size(), 1u);
    EXPECT_EQ(lf_ids(headerOnly.airports[0]), std::vector<std::string>{"helipad1"});
    EXPECT_EQ(headerOnly.lines, std::vector<std::string>{marker + "D:\\Scenery\\test.bgl: airport EHPE: parking list "
                                                                  "without its count, no stands read"});
}

TEST(BglReader, RecordsAreSteppedByTheirExactSizeAtAnyByte)
{
    // Unpadded names of every length modulo 4 put the records after them at any byte: the
    // helipad and stands after the name, and the next airport after this one.
    const std::string names[] = {"Schiphol Oost Heli", "Amsterdam Schiphol1", "Amsterdam Schiphol 2",
                                 "Amsterdam Schiphol 3x"};
    for (const bool newLayout : {false, true}) {
        for (const std::string& name : names) {
            bglw::Airport first = lf_airport({Name{name, false}, Helipad{.latitude = 52.1, .longitude = 4.1},
                                              ParkingList{.entries = {lf_stand(1), lf_stand(2)}}});
            bglw::Airport second = lf_airport({Name{"Rotterdam", false}, ParkingList{.entries = {lf_stand(7)}}}, "EHRD");
            first.newLayout = second.newLayout = newLayout;
            const BglRead read = gf_testReadBgl(gf_testBglFile({first, second}));
            ASSERT_EQ(read.airports.size(), 2u) << name;
            EXPECT_EQ(read.airports[0].file.airport_name, name);
            EXPECT_EQ(lf_ids(read.airports[0]), (std::vector<std::string>{"helipad1", "p1", "p2"})) << name;
            EXPECT_EQ(read.airports[1].file.identifier, "EHRD");
            EXPECT_EQ(read.airports[1].file.airport_name, "Rotterdam");
            EXPECT_EQ(lf_ids(read.airports[1]), std::vector<std::string>{"p7"});
            EXPECT_TRUE(read.lines.empty()) << name;
        }
    }
}

TEST(BglReader, NoInputMakesItFail)
{
    const std::vector<std::uint8_t> bytes = bglw::gf_bglBytes(gf_testBglFile(
        {lf_airport({Name{"Fuzz"}, Helipad{.latitude = 1.0, .longitude = 1.0},
                     ParkingList{.entries = {lf_stand(1), lf_stand(1), lf_stand(2)}}}),
         bglw::Airport{.newLayout = true, .ident = "EHRD", .subrecords = {ParkingList{.entries = {lf_stand(3)}}}}}));
    for (std::size_t length = 0; length <= bytes.size(); ++length)
        gf_testReadBgl(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + length));
    std::mt19937 random(20240607);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> flipped = bytes;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            flipped[random() % flipped.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        gf_testReadBgl(flipped);
    }
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> noise(56 + random() % 400);
        for (std::uint8_t& byte : noise)
            byte = static_cast<std::uint8_t>(random());
        noise[4] = 0x38;
        noise[5] = noise[6] = noise[7] = 0;
        noise[20] = static_cast<std::uint8_t>(1 + random() % 4);
        gf_testReadBgl(noise);
    }
    SUCCEED() << "no crash, no endless walk";
}
