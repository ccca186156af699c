// The .bgl writer's bytes, pinned word by word from the published layout.
#include "bglwriter/bglwriter.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

namespace {
std::vector<std::uint32_t> lf_words(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint32_t> words((bytes.size() + 3) / 4);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        words[i / 4] |= static_cast<std::uint32_t>(bytes[i]) << (8 * (i % 4));
    return words;
}
} // namespace

TEST(BglWriter, AnAirportFileHasThePublishedLayout)
{
    bglw::Parking stand{.nameCode = 10, .type = 3, .number = 12, .radius = 20.0f, .heading = 180.0f,
                        .latitude = 52.5, .longitude = 4.75, .airlineCodes = {0x004D4C4B}};
    bglw::Airport airport{.ident = "EHAM", .altitudeMillimetres = -3353};
    airport.subrecords = {bglw::Name{"AMS"},
                          bglw::Helipad{.latitude = 52.0, .longitude = 4.5, .size = 20.0f, .heading = 90.0f},
                          bglw::ParkingList{.entries = {stand}}};
    const bglw::File file{.sections = {bglw::Section{.records = {airport}}}};
    const std::vector<std::uint8_t> bytes = bglw::gf_bglBytes(file);
    ASSERT_EQ(bytes.size(), 92u + 152u);
    const std::vector<std::uint32_t> expected{
        // header: size 0x38 in word 1, one section in word 5
        0, 0x38, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,
        // section: type 3, flags, one subsection, its table at byte 76, 16 bytes
        3, 0, 1, 76, 16,
        // subsection: the first record at byte 92, 152 bytes of records
        0, 1, 92, 152,
        // airport 0x003C, 152 bytes; altitude -3353 mm in word 5; "EHAM" packed in word 10
        0x0098003C, 0, 0, 0, 0, 0xFFFFF2E7, 0, 0, 0, 0, 0x01BA5180, 0, 0, 0,
        // name 0x0019, 12 bytes: "AMS" from byte 6, NUL-padded
        0x000C0019, 0x4D410000, 0x00000053,
        // helipad 0x0026, 36 bytes: longitude 4.5, latitude 52.0, size 20.0, heading 90.0
        0x00240026, 0, 0, 0x1899999A, 0x06C16C17, 0, 0, 0x41A00000, 0x42B40000,
        // parking list 0x003D, 48 bytes, one entry: g12 of type 3 with one airline word,
        // radius 20.0, heading 180.0, longitude 4.75, latitude 52.5, then "KLM"
        0x0030003D, 0x00010000, 0x0100C30A, 0x41A00000, 0x43340000, 0, 0, 0, 0, 0x18A22222, 0x06AAAAAB, 0x004D4C4B};
    const std::vector<std::uint32_t> words = lf_words(bytes);
    ASSERT_EQ(words.size(), expected.size());
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(words[i], expected[i]) << fmt::format("word {}: {:08X} instead of {:08X}", i, words[i], expected[i]);
}

TEST(BglWriter, NewLayoutRawRecordsAndOverridesAreWrittenAsGiven)
{
    bglw::Airport airport{.newLayout = true, .identWord = 0x12345678};
    airport.subrecords = {bglw::ParkingList{.entries = {bglw::Parking{.nameCode = 1, .type = 11, .number = 4095}},
                                            .count = 7},
                          bglw::Helipad{.heading = std::nullopt}, bglw::Raw{.id = 0x77, .size = -4, .body = {9}}};
    const bglw::File file{.headerSize = 0x40,
                          .sectionCount = 5,
                          .sections = {bglw::Section{.type = 0x22, .flags = 0x10000, .records = {bglw::Raw{
                                                                                    .id = 0x55, .size = 3}}},
                                       bglw::Section{.records = {airport}}}};
    const std::vector<std::uint32_t> words = lf_words(bglw::gf_bglBytes(file));
    EXPECT_EQ(words[1], 0x40u);
    EXPECT_EQ(words[5], 5u);
    EXPECT_EQ((std::vector<std::uint32_t>(words.begin() + 14, words.begin() + 24)),
              (std::vector<std::uint32_t>{0x22, 0x10000, 1, 96, 16, 3, 0, 1, 112, 16}));
    EXPECT_EQ((std::vector<std::uint32_t>(words.begin() + 24, words.begin() + 32)),
              (std::vector<std::uint32_t>{0, 1, 128, 8, 0, 1, 136, 60 + 48 + 32 + 12}));
    EXPECT_EQ(words[32], 0x00030055u) << "raw record: size 3 as given";
    const std::size_t airportAt = 34;
    EXPECT_EQ(words[airportAt], 0x00AB | (152u << 16));
    EXPECT_EQ(words[airportAt + 10], 0x12345678u);
    const std::size_t list = airportAt + 15;
    EXPECT_EQ(words[list], 0x00AD | (48u << 16)) << "ten-word entries";
    EXPECT_EQ(words[list + 1], 7u << 16);
    EXPECT_EQ(words[list + 2], 1u | 11u << 8 | 4095u << 12);
    EXPECT_EQ(words[list + 12], 0x0026u | 32u << 16) << "a helipad without its heading word";
    EXPECT_EQ(words[list + 20], 0xFFFC0077u);
    EXPECT_EQ(words[list + 21], 0xFFFFu);
    EXPECT_EQ(words[list + 22], 9u);
}
