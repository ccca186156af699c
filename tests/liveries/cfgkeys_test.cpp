// aircraft.cfg key reading: the matchers give what the whole-line regular expressions of
// the file format give, on one table of lines; section headers and their numbering.
#include "liveries/cfgkeys.h"
#include "liveries/cfgscan.h"
#include "liveries/scanreports.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>

using namespace std::string_literals;

namespace {
std::optional<std::string> lf_byRegex(const std::string& line, const std::string& pattern)
{
    std::smatch match;
    if (!std::regex_match(line, match, std::regex(pattern, std::regex::ECMAScript | std::regex::icase)))
        return std::nullopt;
    return match[2].str();
}

std::optional<std::string> lf_keyRegex(const std::string& line, const std::string& key)
{
    return lf_byRegex(line, "\\s*(" + key + ")\\s*=\\s*(.*\\S)\\s*");
}

std::optional<std::string> lf_keyMatcher(const std::string& line, const std::string& key)
{
    const std::optional<std::string_view> value = gf_keyValue(line, key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}
} // namespace

TEST(KeyReading, KeyLinesGiveTheValuesOfTheWholeLinePattern)
{
    const struct {
        std::string line;
        std::string key;
        std::optional<std::string> value;
    } cases[] = {
        {"title=Boeing 737", "title", "Boeing 737"},
        {"Title = Boeing 737 ", "title", "Boeing 737"},
        {"TITLE=Boeing 737", "title", "Boeing 737"},
        {"  title\t=\t A  B \t", "title", "A  B"},
        {"\vtitle\f=\vX\f", "title", "X"},
        {"title=A\r", "title", "A"},
        {"title==X", "title", "=X"},
        {"title=X=Y", "title", "X=Y"},
        {"title=\xC3\xA9t\xC3\xA9 \xA0", "title", "\xC3\xA9t\xC3\xA9 \xA0"},
        {"title=A\0B"s, "title", "A\0B"s},
        {"title=A\rB", "title", std::nullopt},
        {"title=", "title", std::nullopt},
        {"title= \t ", "title", std::nullopt},
        {"title", "title", std::nullopt},
        {"ui_title=X", "title", std::nullopt},
        {"title2=X", "title", std::nullopt},
        {"//title=X", "title", std::nullopt},
        {"titl=X", "title", std::nullopt},
        {"", "title", std::nullopt},
        {"atc_id=N123AB", "atc_id", "N123AB"},
        {"atc_id=", "atc_id", std::nullopt},
        {"atc_id_color=0xffffffff", "atc_id", std::nullopt},
        {"ATC_Model = B738", "atc_model", "B738"},
        {"atc_parking_types=GATE,RAMP", "atc_parking_types", "GATE,RAMP"},
        {"model=", "model", std::nullopt},
        {"sim=Boeing737-800", "sim", "Boeing737-800"},
        {"texture.1=x", "texture", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::string shown = "line \"" + c.line + "\" key " + c.key;
        EXPECT_EQ(lf_keyMatcher(c.line, c.key), c.value) << shown;
        EXPECT_EQ(lf_keyRegex(c.line, c.key), c.value) << shown << " (regular expression)";
    }
    std::string title = "kept";
    EXPECT_FALSE(lf_getTitle("title=  ", title));
    EXPECT_EQ(title, "kept") << "a blank value leaves the earlier one";
    EXPECT_TRUE(lf_getTitle("title = new ", title));
    EXPECT_EQ(title, "new");
    EXPECT_EQ(lf_getAtcModel("atc_model=A320"), "A320");
    EXPECT_TRUE(lf_hasAtcId("//atc_id=N1"));
    EXPECT_FALSE(lf_hasAtcId("atc_id =N1"));
}

TEST(KeyReading, AMegabyteLineIsReadWithoutTrouble)
{
    const std::string huge(1 << 20, 'x');
    EXPECT_EQ(lf_keyMatcher("title=" + huge + " ", "title"), huge);
    EXPECT_EQ(lf_keyMatcher(huge, "title"), std::nullopt);
    EXPECT_EQ(lf_getFltsimNumber(huge + "[fltsim.1]"), "10000");
}

TEST(KeyReading, SectionHeadersGiveTheirNumberAsWritten)
{
    const struct {
        std::string line;
        std::string number;
    } cases[] = {
        {"[fltsim.0]", "0"},     {"[FltSim.2]", "2"},         {"[fltsim.02]", "02"},
        {" [fltsim.4] ", "4"},   {"\v[fltsim.1]\f", "1"},     {"// [fltsim.4]", ""},
        {"//[fltsim.4]", ""},    {"[fltsim.4] ; old", "10000"}, {"[fltsim.]", "10000"},
        {"[fltsim.x]", "10000"}, {"[FLTSIM.x]", "10000"},     {"[FltSim.x]", ""},
        {"[general]", ""},       {"x[fltsim.3]", "10000"},    {"[fltsim.-1]", "10000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lf_getFltsimNumber(c.line), c.number) << c.line;
        const std::optional<std::string> byRegex = lf_byRegex(c.line, "\\s*(\\[fltsim\\.)(\\d+)\\]\\s*");
        if (byRegex) {
            EXPECT_EQ(*byRegex, c.number) << c.line << " (regular expression)";
        }
    }
}

TEST(KeyReading, SectionNumbersMustRunFromZeroWithoutGaps)
{
    const struct {
        std::vector<std::string> headers;
        bool passes;
        std::string report; // InvalidAircraftCfgFiles.txt, after the path
    } cases[] = {
        {{"[fltsim.1]", "[fltsim.0]", "[fltsim.2]"}, true, ""},
        {{"[fltsim.0]", "[fltsim.1]", "[fltsim.3]"}, false, " contains non-consecutive [fltsim.x] numbers at .x=3"},
        {{"[fltsim.1]", "[fltsim.2]"}, false, " contains non-consecutive [fltsim.x] numbers at .x=1"},
        {{"[fltsim.0]", "[fltsim.0]"}, false, " contains non-consecutive [fltsim.x] numbers at .x=0"},
        {{"[fltsim.0]", "[fltsim.1]", "[fltsim.2]", "[fltsim.]"}, false,
         " contains a [fltsim.] section without a number"},
        {{"[fltsim.99999999999]"}, false, ""},
        {{"[general]"}, true, ""},
    };
    for (const auto& c : cases) {
        invalidCfgFiles.lines.clear();
        emptyCfgFiles.lines.clear();
        EXPECT_EQ(lf_checkFltsimNumbers(c.headers, "D:/AI/A/aircraft.cfg"), c.passes) << c.headers.back();
        const std::vector<std::string> report{"D:\\AI\\A\\aircraft.cfg" + c.report};
        EXPECT_EQ(invalidCfgFiles.lines, c.report.empty() ? std::vector<std::string>{} : report) << c.headers.back();
    }
    EXPECT_EQ(emptyCfgFiles.lines, std::vector<std::string>{"D:\\AI\\A\\aircraft.cfg"}) << "the file without sections";
    invalidCfgFiles.lines.clear();
    emptyCfgFiles.lines.clear();
}

TEST(KeyReading, IvaoFoldersAndTitlesGiveWhatTheirPatternsGive)
{
    const char* folderPattern = ".+\\\\IVAO_MTL\\\\IVAO_(\\w+)\\\\aircraft.cfg$";
    const struct {
        std::string path;
        std::optional<std::string> model;
    } folders[] = {
        {"D:\\AI\\IVAO_MTL\\IVAO_B738w\\aircraft.cfg", "B738w"},
        {"D:\\AI\\ivao_mtl\\ivao_B738\\AIRCRAFT.CFG", "B738"},
        {"D:\\IVAO_MTL\\IVAO_B738\\aircraft_cfg", "B738"},
        {"D:\\X\\IVAO_MTL\\IVAO_IVAO_B738\\aircraft.cfg", "IVAO_B738"},
        {"\\IVAO_MTL\\IVAO_B738\\aircraft.cfg", std::nullopt},
        {"D:\\IVAO_MTL\\IVAO_A320-200\\aircraft.cfg", std::nullopt},
        {"D:\\IVAO_MTL\\IVAO_B738\\extra\\aircraft.cfg", std::nullopt},
        {"D:\\IVAO_MTL\\IVAO_\\aircraft.cfg", std::nullopt},
        {"D:\\IVAO_MTL\\IVAO_B738\\sim.cfg", std::nullopt},
        {"D:\\IVAO_MTLX\\IVAO_B738\\aircraft.cfg", std::nullopt},
    };
    for (const auto& c : folders) {
        EXPECT_EQ(gf_ivaoFolderModel(c.path), c.model) << c.path;
        std::smatch match;
        const bool matched = std::regex_match(c.path, match, std::regex(folderPattern, std::regex::icase));
        EXPECT_EQ(matched ? std::optional<std::string>(match[1].str()) : std::nullopt, c.model) << c.path;
    }
    const struct {
        std::string title;
        std::string type;
        std::optional<std::string> airline;
    } titles[] = {
        {"B738 KLM Royal Dutch Airlines", "B738", "KLM"},
        {"B744F KLM", "B744", std::nullopt},
        {"B744 KLM", "B744", "KLM"},
        {"B738KLM", "B738", "KLM"},
        {"B738 \tKLMX", "B738", "KLM"},
        {"B738 KL", "B738", std::nullopt},
        {"B738 K-LM", "B738", std::nullopt},
        {"b738 KLM", "B738", std::nullopt},
        {"A B738 KLM", "B738", std::nullopt},
    };
    for (const auto& c : titles) {
        EXPECT_EQ(gf_titleAirline(c.title, c.type), c.airline) << c.title;
        std::smatch match;
        const bool matched = std::regex_match(c.title, match, std::regex(c.type + "\\s*(\\w\\w\\w).*$"));
        EXPECT_EQ(matched ? std::optional<std::string>(match[1].str()) : std::nullopt, c.airline) << c.title;
    }
}
