// The airport parking file format: the generated, learned and hand-made forms as written,
// and what the stand reader makes of a file.
#include "parkfolder.h"

#include "foundation/exceptions.h"
#include "foundation/geometry.h"
#include "foundation/settingscatalogue.h"
#include "liveries/liveries.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <cmath>
#include <numbers>
#include <tuple>

namespace fs = std::filesystem;

namespace {
StandOption lf_option(const std::string& airl, const std::string& type, std::int32_t seq, std::int32_t day,
                      std::bitset<48> hh, const std::string& reg = "")
{
    StandOption option;
    option.airl = airl;
    option.type = type;
    option.reg = reg;
    option.seq = seq;
    option.day = day;
    option.hh = hh;
    option.mark = 1;
    return option;
}

StandRecord lf_stand(const std::string& id, double radiusMetres = 22.5, bool cargo = false, bool ramp = false,
                     bool heli = false)
{
    return StandRecord(id, {}, 52.3, 4.76, std::numbers::pi / 2, radiusMetres, cargo, ramp, heli);
}

ApfFile lf_file(std::vector<StandRecord> stands)
{
    ApfFile file;
    file.identifier = "EHAM";
    file.airport_name = "Schiphol";
    file.publisher = "unknown";
    file.BGLpath = "C:\\Scenery\\APX.bgl";
    file.altitude = -11;
    file.Qf_real = 50;
    file.Qf_soft = 7;
    file.stands = std::move(stands);
    return file;
}

// The names of the file's parameters, in order.
std::vector<std::string> lf_parameterNames(const std::string& text)
{
    pugi::xml_document document;
    document.load_string(text.c_str());
    std::vector<std::string> names;
    for (const pugi::xml_node parameter : document.child("parameters").children("parameter"))
        names.emplace_back(parameter.attribute("name").as_string());
    return names;
}

std::vector<StandRecord> lf_readStands(const std::string& parkpositions)
{
    pugi::xml_document document;
    document.load_string(gf_testApfText({}, parkpositions).c_str());
    std::vector<StandRecord> stands;
    lf_readParkPositions(document, stands);
    return stands;
}

using ParkFiles = ParkFolder;
} // namespace

TEST_F(ParkFiles, AGeneratedFileHoldsEveryStandInFullAndReadsBackToTheSameBytes)
{
    ApfFile file = lf_file({lf_stand("A1"), lf_stand("H1", 10.0, true, false, true), lf_stand("C1", 40.0, true, true)});
    file.stands[0].options.push_back(lf_option("KLM", "B738", 1, 3, 0b11));
    ASSERT_TRUE(gf_writeParkPositions(file, "EHAM.xml", false));
    const std::string text = gf_testReadFile("EHAM.xml");
    for (const char* line : {"\t<parameter name=\"altitude\" value=\"-11\" />",
                             "\t<parameter name=\"BGLpath\" value=\"C:\\Scenery\\APX.bgl\" />",
                             "\t<parkpos id=\"A1\" latitude=\"52.300000\" longitude=\"4.760000\" heading=\"90.0\" "
                             "radius=\"22.5\" cargo=\"false\" ramp=\"false\" />",
                             "\t<parkpos id=\"H1\" latitude=\"52.300000\" longitude=\"4.760000\" heading=\"90.0\" "
                             "radius=\"10.0\" heli=\"true\" ramp=\"false\" />",
                             "\t<parkpos id=\"C1\" latitude=\"52.300000\" longitude=\"4.760000\" heading=\"90.0\" "
                             "radius=\"40.0\" cargo=\"true\" ramp=\"true\" />"})
        EXPECT_TRUE(gf_testHasLine(text, line)) << line << "\n" << text;
    EXPECT_EQ(text.find("<opt"), std::string::npos) << "no options in a generated file";
    EXPECT_EQ(lf_parameterNames(text),
              (std::vector<std::string>{"airport_name", "publisher", "altitude", "num_parkpos", "BGLpath"}));

    pugi::xml_document document;
    ASSERT_TRUE(document.load_file(L"EHAM.xml"));
    ApfFile again = lf_file({});
    lf_readParkPositions(document, again.stands);
    ASSERT_EQ(again.stands.size(), 3u);
    EXPECT_NEAR(again.stands[0].heading, std::numbers::pi / 2, 1e-12);
    EXPECT_NEAR(again.stands[0].radius, 22.5 / 1852.0, 1e-12);
    EXPECT_TRUE(again.stands[1].heli);
    EXPECT_FALSE(again.stands[1].cargo) << "a helipad is written without its cargo flag";
    ASSERT_TRUE(gf_writeParkPositions(again, "again.xml", false));
    EXPECT_EQ(gf_testReadFile("again.xml"), text);
    EXPECT_FALSE(fs::exists("again.xml.part"));
}

TEST_F(ParkFiles, ALearnedFileWritesWhatChangedAndTheLearnedOptions)
{
    gf_testReadReferenceData();
    MAX_LIVE.value = 120;
    std::vector<StandRecord> stands{lf_stand("M1"), lf_stand("R1", 30.0), lf_stand("K1", 30.0, true), lf_stand("P1")};
    stands[0].manual = stands[0].radius_change = 1;
    stands[1].radius_change = 1;
    stands[2].radius_change = stands[2].cargo_change = 1;
    StandOption named = lf_option("KLM", "B738", 1, 3, (1ull << 3) | (1ull << 4) | (1ull << 40), "PH-BXA");
    named.callsign = "KLM123";
    named.secondCall = "KLM9";
    StandOption soft = lf_option("EZY", "A320", 3, 0, {});
    soft.soft = true;
    StandOption fake = lf_option("ZZZ", "B738", 4, 1, 1);
    fake.fake = true;
    StandOption rejected = lf_option("DLH", "A320", 2, 1, 1);
    rejected.rejected = true; // by the stand search, for this run only
    stands[3].options = {named, rejected, soft, fake};
    ApfFile file = lf_file(stands);
    file.publisher = "stock";

    const std::string learned = *gf_parkPositionsText(file, true, false);
    for (const char* line : {"\t<parkpos id=\"M1\" latitude=\"52.300000\" longitude=\"4.760000\" heading=\"90.0\" "
                             "radius=\"22.5\" cargo=\"false\" ramp=\"false\" manual=\"true\" />",
                             "\t<parkpos id=\"R1\" radius_change=\"true\" radius=\"30.0\" />",
                             "\t<parkpos id=\"K1\" radius_change=\"true\" radius=\"30.0\" cargo_change=\"true\" "
                             "cargo=\"true\" />",
                             "\t<parkpos id=\"P1\">",
                             "\t\t<opt reg=\"PH-BXA\" airl=\"KLM\" type=\"B738\" day=\"3\" hh=\"3,4,40\" cs=\"KLM123:KLM9\" />",
                             "\t\t<opt reg=\"\" airl=\"DLH\" type=\"A320\" day=\"1\" hh=\"0\" />",
                             "\t\t<opt reg=\"\" airl=\"EZY\" type=\"A320\" soft=\"true\" day=\"0\" hh=\"\" />"})
        EXPECT_TRUE(gf_testHasLine(learned, line)) << line << "\n" << learned;
    EXPECT_EQ(learned.find("ZZZ"), std::string::npos) << "a fake option is never written";
    EXPECT_EQ(lf_parameterNames(learned),
              (std::vector<std::string>{"airport_name", "publisher", "num_parkpos", "LATERAL_RANGE", "AUTO_RANGE",
                                        "WEEK", "PARK_FAKE", "PARK_SOFT", "parking_percentage", "INITIAL_LOAD_ONLY",
                                        "MAX_FIT", "MAX_LIVE", "LEARN_SOFT"}));

    // A hand-made file is read back by the stand reader: every stand in full.
    MAX_LIVE.value = MAX_LIVE.defaultValue;
    const std::string handmade = *gf_parkPositionsText(file, true, true);
    EXPECT_TRUE(gf_testHasLine(handmade, "\t<parkpos id=\"R1\" latitude=\"52.300000\" longitude=\"4.760000\" "
                                         "heading=\"90.0\" radius=\"30.0\" cargo=\"false\" ramp=\"false\" />"))
        << handmade;
    EXPECT_EQ(handmade.find("ZZZ"), std::string::npos);
    EXPECT_EQ(lf_parameterNames(handmade),
              (std::vector<std::string>{"airport_name", "publisher", "handmade", "altitude", "num_parkpos", "Qf_real",
                                        "Qf_soft", "LATERAL_RANGE", "AUTO_RANGE", "WEEK", "PARK_FAKE", "PARK_SOFT",
                                        "parking_percentage", "INITIAL_LOAD_ONLY", "MAX_FIT", "LEARN_SOFT"}));
}

TEST_F(ParkFiles, TheStandReaderSplitsCallsignsSkipsTowsAndTakesTheReferenceRecord)
{
    gf_testReadReferenceData(); // PH-BXA: KLM B738; PH-HSA: KLM B738 flown by TRA
    const std::vector<StandRecord> stands = lf_readStands(
        "\t<parkpos id=\"A1\" latitude=\"52.3\" longitude=\"4.76\" heading=\"180\" radius=\"1852\" cargo=\"true\">\n"
        "\t\t<opt airl=\"KLM\" type=\"B738\" cs=\"KLM123:ABC\" day=\"2\" hh=\"1,2\" />\n"
        "\t\t<opt airl=\"KLM\" type=\"B738\" cs=\"TOW 12\" />\n"
        "\t\t<opt airl=\"KLM\" type=\"B738\" cs=\"KLM123:A:B\" hh=\"5,x,7\" soft=\"yes\" />\n"
        "\t\t<opt reg=\"PH-BXA\" airl=\"TRA\" type=\"B737\" />\n"
        "\t\t<opt reg=\"PHHSA\" />\n"
        "\t\t<opt reg=\"N123\" airl=\"UAL\" />\n"
        "\t</parkpos>\n"
        "\t<parkpos id=\"B1\" />\n");
    ASSERT_EQ(stands.size(), 2u);
    const StandRecord& a1 = stands[0];
    EXPECT_EQ(a1.radius, 1.0);
    EXPECT_NEAR(a1.heading, std::numbers::pi, 1e-12);
    EXPECT_TRUE(a1.cargo);
    ASSERT_EQ(a1.options.size(), 5u) << "the tow is gone";
    const StandOption& first = a1.options[0];
    EXPECT_EQ(std::tie(first.callsign, first.secondCall, first.day, first.seq), std::make_tuple("KLM123", "ABC", 2, 1));
    EXPECT_EQ(first.hh, std::bitset<48>(0b110));
    const StandOption& second = a1.options[1];
    EXPECT_EQ(std::tie(second.callsign, second.secondCall, second.seq), std::make_tuple("KLM123", "", 2))
        << "the tow took no number";
    EXPECT_EQ(second.hh, std::bitset<48>(1u << 5));
    EXPECT_TRUE(second.soft);
    EXPECT_TRUE(log.hasLine("===> exception invalid stoi argument in lf_hours2bitset"));
    EXPECT_EQ(std::tie(a1.options[2].airl, a1.options[2].type), std::make_tuple("KLM", "B738")) << "the reference wins";
    EXPECT_EQ(std::tie(a1.options[3].airl, a1.options[3].type), std::make_tuple("TRA", "B738")) << "its operator first";
    EXPECT_EQ(std::tie(a1.options[4].airl, a1.options[4].type), std::make_tuple("UAL", ""));
    EXPECT_EQ(a1.options[4].mark, 0);
    const StandRecord& b1 = stands[1];
    EXPECT_EQ(std::tie(b1.latitude, b1.longitude, b1.radius), std::make_tuple(0.0, 0.0, 0.0)) << "missing attributes";
    EXPECT_FALSE(b1.cargo || b1.ramp || b1.heli);
}

TEST_F(ParkFiles, WeekdaysOneToSevenComeBackAsTheyWereAndOthersAsNone)
{
    for (const auto& [text, day] : {std::pair{"1", 1}, std::pair{"2", 2}, std::pair{"3", 3}, std::pair{"4", 4},
                                    std::pair{"5", 5}, std::pair{"6", 6}, std::pair{"7", 7}, std::pair{"0", 0},
                                    std::pair{"8", 0}, std::pair{"-1", 0}, std::pair{"2147483648", 0}}) {
        SCOPED_TRACE(text);
        const std::string parkpos = fmt::format("\t<parkpos id=\"A1\" latitude=\"52.3\" longitude=\"4.76\" "
                                                "radius=\"20\">\n\t\t<opt airl=\"KLM\" type=\"B738\" day=\"{}\" "
                                                "hh=\"5\" />\n\t</parkpos>\n",
                                                text);
        std::vector<StandRecord> stands = lf_readStands(parkpos);
        ASSERT_EQ(stands.at(0).options.size(), 1u);
        EXPECT_EQ(stands[0].options[0].day, day);
        stands[0].options[0].mark = 1;
        const std::string written = *gf_parkPositionsText(lf_file(stands), true, false);
        EXPECT_TRUE(gf_testHasLine(written, fmt::format("\t\t<opt reg=\"\" airl=\"KLM\" type=\"B738\" day=\"{}\" "
                                                        "hh=\"5\" />",
                                                        day)))
            << written;
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(written.c_str()));
        std::vector<StandRecord> again;
        lf_readParkPositions(document, again);
        EXPECT_EQ(again.at(0).options.at(0).day, day);
    }
}

TEST_F(ParkFiles, AStandIdThatComesTwiceEndsTheReading)
{
    pugi::xml_document document;
    document.load_string(gf_testApfText({}, gf_testParkpos("A1", 52.3, 4.7, 20) + gf_testParkpos("A2", 52.3, 4.7, 20) +
                                                gf_testParkpos("A1", 52.3, 4.7, 20))
                             .c_str());
    std::vector<StandRecord> stands;
    try {
        lf_readParkPositions(document, stands);
        FAIL() << "no error";
    } catch (const zeb::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "94: Parking position A1 appears more than once?");
    }
    EXPECT_EQ(stands.size(), 2u);
}

TEST(ParkRecords, ParametersPositionsAndOptionMatches)
{
    pugi::xml_document document;
    document.load_string("<parameters><parameter name=\"bare\" /><parameter name=\"n\" value=\"0x10\" />"
                         "<parameter name=\"yes\" value=\"Y\" /><parameter name=\"it's\" value=\"x\" /></parameters>");
    EXPECT_EQ(gf_readValueAttr<std::int32_t>(document, "bare"), 0);
    EXPECT_EQ(gf_readValueAttr<bool>(document, "bare"), false);
    EXPECT_EQ(gf_readValueAttr<std::string>(document, "bare"), "");
    EXPECT_EQ(gf_readValueAttr<std::int32_t>(document, "missing"), std::nullopt);
    EXPECT_EQ(gf_readValueAttr<std::int32_t>(document, "n"), 16);
    EXPECT_EQ(gf_readValueAttr<bool>(document, "yes"), true);
    EXPECT_EQ(gf_readValueAttr<std::string>(document, "it's"), "x");

    const std::tuple<double, double, bool> positions[] = {
        {0.0005, 0.01, false}, {0.0, 0.0, false}, {0.0009, 0.05, false}, {0.0005, 0.06, true},
        {-0.0001, 0.01, true}, {0.001, 0.0, true}, {std::nan(""), 0.0, true}};
    for (const auto& [latitude, longitude, set] : positions)
        EXPECT_EQ(gf_positionIsSet(latitude, longitude), set) << latitude << " " << longitude;

    StandOption a;
    a.airl = "KLM";
    a.type = "B738";
    a.day = 2;
    a.hh = 0b0110;
    StandOption b = a;
    b.hh = 0b0100;
    EXPECT_TRUE(lf_optionMatches(a, b));
    b.hh = 0b1000;
    EXPECT_FALSE(lf_optionMatches(a, b)) << "no half hour in common";
    b.hh = a.hh;
    b.reg = "PH-BXA";
    EXPECT_FALSE(lf_optionMatches(a, b)) << "another registration is another aircraft";
    b.reg.clear();
    b.soft = true;
    EXPECT_FALSE(lf_optionMatches(a, b));
    StandOption empty = a;
    empty.hh.reset();
    EXPECT_FALSE(lf_optionMatches(empty, empty));
}
