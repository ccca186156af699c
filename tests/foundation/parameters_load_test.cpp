#include "parameters_fixture.h"

#include "app/status.h"
#include "foundation/winstring.h"

#include <set>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {
// Every stored setting with the text its current value is written as.
std::string valueText(const BoolParameter& s) { return s.value ? "true" : "false"; }
std::string valueText(const IntParameter& s) { return std::to_string(s.value); }
std::string valueText(const StringParameter& s) { return s.getValue(); }

std::map<std::string, std::string> storedValuesInMemory()
{
    std::map<std::string, std::string> values;
    gf_forEachStoredSetting(gf_parameterLists(), [&](const auto& s) { values[s.key] = valueText(s); });
    return values;
}

std::map<std::string, std::string> withoutFolders(std::map<std::string, std::string> values)
{
    std::erase_if(values, [](const auto& item) { return gf_isFolderParameter(item.first); });
    return values;
}

std::string pathText() { return gf_pathText(parametersFile); }
} // namespace

TEST_F(ParametersTest, WithoutAFileEverySettingTakesItsDefaultAndANewFileHoldsThem)
{
    gf_readParameters(gf_parameterLists());

    EXPECT_THAT(logText(), HasSubstr(pathText() + " not found, default values taken:"));
    const auto expected = withoutFolders(storedValuesInMemory());
    EXPECT_EQ(fileValues(), expected);
    for (const Parameter* setting : gf_allSettings())
        EXPECT_LE(countInFile(setting->key), 1) << setting->key; // listed twice, stored once
    EXPECT_EQ(LOG.value.load(), LOG.defaultValue);
    EXPECT_EQ(PORT_NUMBER.getValue(), "10747");
    EXPECT_FALSE(fileExists(L"parameters.xml.bad"));
}

TEST_F(ParametersTest, AnEmptyParametersElementIsFilledWithEveryDefault)
{
    LOG.value = !LOG.defaultValue; // a value from an earlier start is replaced by the default
    MAX_LIVE.value = 17;
    gf_testWriteFile(parametersFile, "<?xml version=\"1.0\"?>\n<parameters />\n");

    gf_readParameters(gf_parameterLists());

    EXPECT_THAT(logText(), HasSubstr("from \"" + pathText() + "\""));
    EXPECT_EQ(LOG.value.load(), LOG.defaultValue);
    EXPECT_EQ(MAX_LIVE.value.load(), MAX_LIVE.defaultValue);
    EXPECT_EQ(fileValues(), withoutFolders(storedValuesInMemory()));
    EXPECT_FALSE(fileExists(L"parameters.xml.bad"));
}

TEST_F(ParametersTest, NumbersOutOfLimitsAreClampedInMemoryAndKeptInTheFile)
{
    const struct {
        IntParameter& setting;
        const char* text;
        std::int32_t value;
    } numbers[] = {{MAX_LIVE, "500", 300},
                   {LATERAL_RANGE, "1", 2},
                   {AIRPORT_HEIGHT, "abc", 2000}, // no number reads 0, clamped
                   {LAST_EPOCH_TIME, "99999999999", 2147483647},
                   {CUSTOM_PARKING_PERCENTAGE, "-7", -1},
                   {MATCHING_DEPTH, " 3", 3}};
    std::vector<std::pair<std::string, std::string>> elements;
    for (const auto& number : numbers)
        elements.emplace_back(number.setting.key, number.text);
    writeParameters(elements);

    gf_setupParameters();

    for (const auto& number : numbers)
        EXPECT_EQ(number.setting.value.load(), number.value) << number.setting.key << "=" << number.text;
    EXPECT_TRUE(logHasLine("MAX_LIVE=300"));
    EXPECT_EQ(lateralRadiusNm.load(), 2.0);
    EXPECT_EQ(lateralRadiusMetres.load(), 2 * 1852);

    auto values = fileValues();
    EXPECT_EQ(values["MAX_LIVE"], "500"); // until the setting itself is saved
    gf_saveParameterValue(MAX_LIVE);
    values = fileValues();
    EXPECT_EQ(values["MAX_LIVE"], "300");
    EXPECT_EQ(values["LATERAL_RANGE"], "1");
}

TEST_F(ParametersTest, SwitchesReadTheirFirstLetterAndAMissingValueIsOff)
{
    const struct {
        BoolParameter& setting;
        const char* text;
        bool on;
    } switches[] = {{RANDOM, "yes", true},         {LOG, "0", false},  {AEROWINX, "Yes", true},
                    {SUPPRESS_STUB, "no", false},  {WEEK, "T", true},  {PARK_FAKE, "1", true},
                    {SCAN_AIRPORTS, "TRUE", true}};
    std::vector<std::pair<std::string, std::string>> elements;
    for (const auto& flag : switches)
        elements.emplace_back(flag.setting.key, flag.text);
    writeParameters(elements);
    {
        // An element without a value: off, not its default (on).
        pugi::xml_document document;
        document.load_file(parametersFile.c_str());
        document.child("parameters").append_child("parameter").append_attribute("name") = "GUID_CHANGES";
        document.save_file(parametersFile.c_str());
    }
    COLLISION_LIVE_PARKED_GND.value = true; // listed twice: both readings give the stored value

    gf_readParameters(gf_parameterLists());

    for (const auto& flag : switches)
        EXPECT_EQ(flag.setting.value.load(), flag.on) << flag.setting.key << "=" << flag.text;
    EXPECT_FALSE(GUID_CHANGES.value.load());
    EXPECT_FALSE(COLLISION_LIVE_PARKED_GND.value.load());
    EXPECT_EQ(countInFile("COLLISION_LIVE_PARKED_GND"), 1);
    EXPECT_TRUE(logHasLine("GUID_CHANGES=false"));
}

TEST_F(ParametersTest, UnknownSettingsStayAndMissingOnesAreAppendedWithDefaults)
{
    writeParameters({{"SOMETHING_OLD", "kept"}, {"PORT_NUMBER", "12000"}, {"BLOCK_CALLSIGN", "KLM123"}});

    gf_readParameters(gf_parameterLists());
    LOG.value = false;
    gf_saveBoolParameter(LOG);

    auto values = fileValues();
    EXPECT_EQ(values["SOMETHING_OLD"], "kept");
    EXPECT_EQ(values["PORT_NUMBER"], "12000");
    EXPECT_EQ(values["BLOCK_CALLSIGN"], "KLM123");
    EXPECT_EQ(values["LOG"], "false");
    EXPECT_EQ(values["MAX_LIVE"], "300");
    EXPECT_EQ(PORT_NUMBER.getValue(), "12000");
    EXPECT_EQ(BLOCK_CALLSIGN.getValue(), "KLM123");
    values.erase("SOMETHING_OLD");
    EXPECT_EQ(values, withoutFolders(storedValuesInMemory()));
}

TEST_F(ParametersTest, EmptyFolderSettingsAreRemovedAndSetOnesKept)
{
    writeParameters({{"lfolder3", ""}, {"lfolder4", "D:\\AI liveries"}, {"afolder0", "E:\\Sceneries"}});

    gf_readParameters(gf_parameterLists());

    const std::string log = logText();
    EXPECT_THAT(log, HasSubstr("Parameter lfolder3 removed"));
    EXPECT_TRUE(logHasLine("lfolder4=D:\\AI liveries"));
    EXPECT_THAT(log, Not(HasSubstr("lfolder5="))); // missing folders are neither logged nor added
    EXPECT_EQ(countInFile("lfolder3"), 0);
    EXPECT_EQ(countInFile("lfolder5"), 0);
    EXPECT_EQ(fileValues()["lfolder4"], "D:\\AI liveries");
    EXPECT_EQ(afolder0.getValue(), "E:\\Sceneries");
}

TEST_F(ParametersTest, ACorruptFileIsKeptAsideOverAnEarlierCopyBeforeDefaultsAreWritten)
{
    gf_testWriteFile(folder / L"parameters.xml.bad", "damage of an earlier start");
    const std::string damaged = "<?xml version=\"1.0\"?>\n<parameters>\n\t<parameter name=\"LOG\" value=\"fal";
    gf_testWriteFile(parametersFile, damaged);
    LOG.value = false;

    gf_readParameters(gf_parameterLists());

    EXPECT_EQ(gf_testReadFile(folder / L"parameters.xml.bad"), damaged);
    const std::string log = logText();
    EXPECT_THAT(log, HasSubstr("===> \"" + pathText() + "\" cannot be read ("));
    EXPECT_THAT(log, HasSubstr("kept as \"" + pathText() + ".bad\""));
    EXPECT_TRUE(LOG.value.load());
    EXPECT_EQ(fileValues(), withoutFolders(storedValuesInMemory()));
    // The user is told on a line that stays, not only in the log.
    EXPECT_EQ(gf_statusLine().notice,
              "parameters.xml could not be read: default settings taken, the old file is kept as parameters.xml.bad");
    gf_showNotice("");

    // The file now read well: nothing to tell.
    gf_readParameters(gf_parameterLists());
    EXPECT_EQ(gf_statusLine().notice, "");
}

TEST_F(ParametersTest, ACorruptFileThatCannotBeKeptAsideIsNotOverwritten)
{
    std::filesystem::create_directory(folder / L"parameters.xml.bad"); // a folder where the copy should go
    const std::string damaged = "<parameters><parameter name=\"LOG\"";
    gf_testWriteFile(parametersFile, damaged);

    gf_readParameters(gf_parameterLists());

    EXPECT_EQ(gf_testReadFile(parametersFile), damaged);
    MAX_LIVE.value = 50;
    gf_saveParameterValue(MAX_LIVE); // nor by the save of a setting
    EXPECT_EQ(gf_testReadFile(parametersFile), damaged);
    EXPECT_THAT(logText(), HasSubstr("and not be kept as \"" + pathText() + ".bad\": "));
    EXPECT_EQ(LOG.value.load(), LOG.defaultValue);
    EXPECT_EQ(gf_statusLine().notice, "parameters.xml could not be read: default settings taken for this run, the "
                                      "file is left as it is");
    gf_showNotice("");
}

TEST_F(ParametersTest, ADocumentWithoutParametersElementCountsAsCorrupt)
{
    const std::string other = "<?xml version=\"1.0\"?>\n<settings><parameter name=\"LOG\" value=\"false\"/></settings>\n";
    gf_testWriteFile(parametersFile, other);

    gf_readParameters(gf_parameterLists());

    EXPECT_EQ(gf_testReadFile(folder / L"parameters.xml.bad"), other);
    EXPECT_THAT(logText(), HasSubstr("kept as \"" + pathText() + ".bad\"")); // with no earlier copy
    pugi::xml_document document;
    ASSERT_TRUE(document.load_file(parametersFile.c_str()));
    EXPECT_TRUE(document.child("parameters"));
    EXPECT_FALSE(document.child("settings"));
    EXPECT_EQ(fileValues(), withoutFolders(storedValuesInMemory()));
}

TEST_F(ParametersTest, EverySettingRoundTripsThroughItsOwnSave)
{
    gf_readParameters(gf_parameterLists());
    // A value other than the default for each stored setting, saved as the window would.
    const ParameterLists lists = gf_parameterLists();
    std::set<const Parameter*> done;
    const auto firstTime = [&](const Parameter* s) { return done.insert(s).second; };
    for (BoolParameter* s : lists.plainBools)
        if (firstTime(s)) { s->value = !s->defaultValue; gf_saveBoolParameter(*s); }
    for (GuiBoolParameter* s : lists.checkBoxes)
        if (firstTime(s)) { s->value = !s->defaultValue; gf_saveBoolParameter(*s); }
    for (IntParameter* s : lists.plainInts) {
        s->value = s->defaultValue != s->maximum ? s->maximum : s->minimum;
        gf_saveParameterValue(*s);
    }
    for (GuiIntParameter* s : lists.editInts) {
        s->value = s->defaultValue != s->maximum ? s->maximum : s->minimum;
        gf_saveParameterValue(*s);
    }
    for (StringParameter* s : lists.plainTexts)
        s->setValue(s->key + " <Zürich & \"quotes\" 'x'>");
    for (GuiStringParameter* s : lists.editTexts)
        s->setValue(s->key + " C:\\Program Files\\Lockheed Martin\\Prepar3D v5");
    const auto saved = storedValuesInMemory();
    EXPECT_EQ(fileValues(), saved);

    gf_testResetSettings();
    gf_readParameters(gf_parameterLists());

    EXPECT_EQ(storedValuesInMemory(), saved);
    for (const auto& [key, value] : saved)
        EXPECT_EQ(countInFile(key), 1) << key;
}
