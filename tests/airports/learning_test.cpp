// Learning at the park airport end to end: a parking file with its learned file loaded,
// options and a radius change learned as the traffic manager learns them, saved when the
// parking ends and read back; the user's files kept through every failure.
#include "parkfolder.h"

#include "app/commands.h"
#include "app/status.h"
#include "app/startup.h"
#include "foundation/settingscatalogue.h"
#include "foundation/standoptions.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "liveries/liveries.h"
#include "traffic/parking.h"

#include <cmath>
#include <regex>
#include <tuple>

namespace fs = std::filesystem;

namespace {
const fs::path archived = apfFolders::archiveStock / L"EHAM.xml";
const fs::path learned = apfFolders::learned / L"stock" / L"EHAM.xml";
const fs::path aside = apfFolders::learned / L"stock" / L"EHAM0.xml";
const Parameters baseParameters{{"airport_name", "Schiphol"}, {"publisher", "stock"}, {"altitude", "-11"}};

// The archived file: A1 (an option on Monday at 05:00), B2 and C3.
void lf_writeBase(const fs::path& path = archived, const Parameters& parameters = baseParameters)
{
    gf_testWriteApf(path, gf_testApfText(parameters,
                                         "\t<parkpos id=\"A1\" latitude=\"52.30\" longitude=\"4.76\" radius=\"20\" "
                                         "heading=\"90\">\n\t\t<opt airl=\"KLM\" type=\"B738\" day=\"1\" hh=\"10\" />\n"
                                         "\t</parkpos>\n" +
                                             gf_testParkpos("B2", 52.31, 4.76, 20) +
                                             gf_testParkpos("C3", 52.32, 4.76, 20)));
}

// What a save must keep of the stands: everything but the made-up options.
using OptionView = std::tuple<std::string, std::string, std::string, std::int32_t, unsigned long long, bool,
                              std::uint8_t>;
using StandView = std::tuple<std::string, double, std::uint8_t, std::uint8_t, std::vector<OptionView>>;
std::vector<StandView> lf_view(const std::vector<StandRecord>& stands)
{
    std::vector<StandView> view;
    for (const StandRecord& stand : stands) {
        std::vector<OptionView> options;
        for (const StandOption& o : stand.options)
            if (!o.fake)
                options.emplace_back(o.airl, o.type, o.reg, o.day, o.hh.to_ullong(), o.soft, o.mark);
        view.emplace_back(stand.id, std::round(stand.radius * 18520.0) / 10.0, stand.manual, stand.cargo,
                          std::move(options));
    }
    return view;
}

// A saved file without its date, which a save on another day would change.
std::string lf_withoutDate(std::string text)
{
    return std::regex_replace(text, std::regex("<info name=\"date\" value=\"[^\"]*\" />"), "");
}

// What the traffic manager does when an aircraft of the flight stands at the stand.
void lf_learn(StandRecord& stand, const std::string& airline, WeekSlot slot)
{
    FlightIdent ident;
    ident.airline = airline;
    ident.type = "A320";
    gf_addSlotRecord(stand.options, ident, false, slot, airline + "12", "");
    ++apfEditCount;
}

std::string lf_status() { return gf_statusLine().status; }

class Learning : public ParkFolder {
protected:
    Learning()
    {
        RANDOM.value = false;
        currentWeekSlot = WeekSlot{3, 17}.value();
        lf_writeBase();
    }
};
} // namespace

TEST_F(Learning, LearnedStandsAndOptionsAreSavedWhereTheyAreReadAndComeBackTheSame)
{
    CUSTOM_PARKING_PERCENTAGE.value = -1;
    AUTO_RANGE.value = false;
    PARK_FAKE.value = true;
    gf_testReadReferenceData();
    gf_testWriteApf(
        learned,
        gf_testApfText({{"airport_name", "Schiphol"}, {"LATERAL_RANGE", "25"}, {"parking_percentage", "150"},
                        {"MAX_FIT_WEEK", "9"}, {"LEARN_SOFT", "false"}},
                       "\t<parkpos id=\"M1\" latitude=\"52.34\" longitude=\"4.76\" heading=\"90\" radius=\"30\" "
                       "ramp=\"true\" manual=\"true\">\n\t\t<opt airl=\"TRA\" type=\"B738\" day=\"2\" hh=\"4\" />\n"
                       "\t</parkpos>\n"
                       "\t<parkpos id=\"A1\">\n\t\t<opt airl=\"KLM\" type=\"B738\" day=\"1\" hh=\"10,11\" />\n"
                       "\t\t<opt airl=\"KLM\" type=\"B738\" day=\"1\" hh=\"20\" />\n"
                       "\t\t<opt reg=\"PH-XYZ\" airl=\"KLM\" type=\"B738\" day=\"1\" hh=\"10\" />\n\t</parkpos>\n"
                       "\t<parkpos id=\"B2\" radius_change=\"true\" radius=\"36.0\" />\n"
                       "\t<parkpos id=\"X9\" />\n" +
                           gf_testParkpos("M1", 52.35, 4.76, 20, "manual=\"true\"") +
                           gf_testParkpos("M2", 0.0, 0.0, 20, "manual=\"true\"")));
    ASSERT_EQ(load(archived), "");
    ASSERT_EQ(parkStands.size(), 4u);
    const std::string learnedText = gf_pathText(learned);
    EXPECT_TRUE(log.hasLine("Read from learned airport file: \"" + learnedText + "\""));
    EXPECT_TRUE(log.hasLine("learned stand X9 in " + learnedText + " not found?"));
    EXPECT_TRUE(log.hasLine("===> manually created standid M1 already exists in " + learnedText));
    EXPECT_TRUE(log.hasLine("===> manually created standid M2 misses correct attributes in " + learnedText));
    EXPECT_EQ(parking_percentage.value.load(), 100) << "a share beyond 100% is taken as 100%";
    EXPECT_EQ(std::make_tuple(MAX_FIT.value.load(), MAX_FIT_FL.value.load(), LATERAL_RANGE.value.load()),
              std::make_tuple(9, 5.0f, 25));
    EXPECT_FALSE(LEARN_SOFT.value.load());
    const auto options = [](const StandRecord& stand) {
        std::vector<std::tuple<std::string, std::int32_t, std::uint8_t, bool>> list;
        for (const StandOption& o : stand.options)
            list.emplace_back(gf_joinComma(o.hh), o.seq, o.mark, o.fake);
        return list;
    };
    using Options = std::vector<std::tuple<std::string, std::int32_t, std::uint8_t, bool>>;
    EXPECT_EQ(options(parkStands[0]),
              (Options{{"10", 1, 0, false}, {"20", 2, 1, false}, {"10", 3, 1, false}, {"17", 4, 0, true}}))
        << "the overlapping learned option is dropped, the others added (another registration is another "
           "aircraft); a fake follows";
    EXPECT_EQ(std::round(parkStands[1].radius * 1852.0), 36.0);
    EXPECT_TRUE(parkStands[3].manual && parkStands[3].ramp);
    EXPECT_EQ(options(parkStands[3]), (Options{{"4", 1, 1, false}})) << "no small type fits the manual ramp stand";
    EXPECT_EQ(quality, lf_weighStands(parkStands));

    // The traffic manager learns two options and widens a stand.
    lf_learn(parkStands[2], "EZY", WeekSlot{4, 30});
    lf_learn(parkStands[0], "TRA", WeekSlot{4, 31});
    parkStands[2].radius = 40.0 / 1852.0;
    parkStands[2].radius_change = 1;
    ++apfEditCount;
    const std::vector<StandView> before = lf_view(parkStands);
    gf_stopParking();
    EXPECT_TRUE(std::regex_match(lf_status(), std::regex("\\d\\d:\\d\\d:\\d\\d \"airports\\\\learned\\\\stock\\\\EHAM.xml\" "
                                                         "saved with 3 updates ")))
        << lf_status();
    EXPECT_FALSE(staticParkingActive.load());
    EXPECT_EQ(options(parkStands[0]).front(), std::make_tuple("10", 1, 0, false)) << "the loaded stands keep theirs";
    const std::string saved = gf_testReadFile(learned);
    EXPECT_EQ(saved.find("REGFAKE"), std::string::npos);
    EXPECT_TRUE(gf_testHasLine(saved, "\t<parkpos id=\"C3\" radius_change=\"true\" radius=\"40.0\">")) << saved;

    ASSERT_EQ(load(archived), "");
    EXPECT_EQ(lf_view(parkStands), before);

    airportSettingsChanged = true; // only a setting changed
    gf_stopParking();
    EXPECT_TRUE(lf_status().ends_with("\"airports\\learned\\stock\\EHAM.xml\" saved with 0 updates and one or more "
                                      "parameter changes"))
        << lf_status();
    EXPECT_EQ(lf_withoutDate(gf_testReadFile(learned)), lf_withoutDate(saved));

    const auto unchanged = fs::last_write_time(learned);
    ASSERT_EQ(load(archived), "");
    gf_stopParking();
    EXPECT_EQ(fs::last_write_time(learned), unchanged) << "nothing learned, nothing saved";
}

// The static parking's search passes over an option whose aircraft is in use elsewhere; the
// option is still the user's: learning goes on beside it and the save keeps it.
TEST_F(Learning, AnOptionTheStandSearchPassesOverIsKeptAndSaved)
{
    gf_testWriteApf(learned, gf_testApfText({{"airport_name", "Schiphol"}},
                                            "\t<parkpos id=\"A1\">\n\t\t<opt reg=\"PH-XYZ\" airl=\"KLM\" "
                                            "type=\"B738\" day=\"1\" hh=\"20,21\" />\n\t</parkpos>\n"));
    ASSERT_EQ(load(archived), "");
    ASSERT_EQ(parkStands[0].options.size(), 2u);
    std::vector<FitRecord> found;
    lf_searchStands(WeekSlot{1, 20}, false, 0, found, {FitRecord{.registration = "PH-XYZ"}}); // placed elsewhere
    EXPECT_TRUE(found.empty());
    lf_learn(parkStands[0], "TRA", WeekSlot{4, 31});
    gf_stopParking();
    ASSERT_EQ(load(archived), "");
    std::vector<std::pair<std::string, std::string>> options;
    for (const StandOption& o : parkStands[0].options)
        options.emplace_back(o.reg.empty() ? o.airl : o.reg, gf_joinComma(o.hh));
    EXPECT_EQ(options, (std::vector<std::pair<std::string, std::string>>{{"KLM", "10"}, {"PH-XYZ", "20,21"}, {"TRA", "31"}}));
}

TEST_F(Learning, AHandmadeFileReplacesTheStandsAndIsSavedWhole)
{
    CUSTOM_PARKING_PERCENTAGE.value = -1;
    parking_percentage.value = 77; // the share of the airport loaded before
    gf_testWriteApf(learned,
                    gf_testApfText({{"airport_name", "Schiphol"}, {"handmade", "false"}},
                                   gf_testParkpos("H1", 52.30, 4.76, 25, "heading=\"45.5\" cargo=\"true\"") +
                                       gf_testParkpos("H2", 52.301, 4.76, 15, "heli=\"true\"")));
    ASSERT_EQ(load(archived), "");
    EXPECT_TRUE(parkFile.handmade);
    EXPECT_TRUE(log.hasLine("A handmade airport file overruled the archived file!"));
    EXPECT_EQ(parking_percentage.value.load(), parking_percentage.defaultValue) << "the file holds none";
    EXPECT_TRUE(log.hasLine("Airport file read from \"" + gf_pathText(learned) + "\" for Schiphol"));
    ASSERT_EQ(parkStands.size(), 2u);
    lf_learn(parkStands[0], "KLM", WeekSlot{1, 10});
    gf_stopParking();
    EXPECT_NE(lf_status().find(" handmade \"airports\\learned\\stock\\EHAM.xml\" saved with 1 update "), std::string::npos)
        << lf_status();
    const std::string saved = gf_testReadFile(learned);
    EXPECT_TRUE(gf_testHasLine(saved, "\t<parameter name=\"handmade\" value=\"true\" />"));
    EXPECT_TRUE(gf_testHasLine(saved, "\t<parameter name=\"Qf_real\" value=\"32\" />")) << saved;

    ASSERT_EQ(load(archived), "");
    EXPECT_TRUE(parkFile.handmade);
    const std::vector<StandView> loaded = lf_view(parkStands);
    airportSettingsChanged = true;
    gf_stopParking();
    EXPECT_EQ(lf_withoutDate(gf_testReadFile(learned)), lf_withoutDate(saved));
    ASSERT_EQ(load(archived), "");
    EXPECT_EQ(lf_view(parkStands), loaded);
}

TEST_F(Learning, EachPublisherLearnsInAFolderOfItsOwnAndNoSourceIsOverwritten)
{
    const std::tuple<const wchar_t*, const char*, const char*> paths[] = {
        {L"airports\\archive\\stock\\EGLL.xml", "stock", "airports\\learned\\stock\\EGLL.xml"},
        {L"airports\\archive\\thirdparty\\Aerosoft\\EGLL.xml", "Aerosoft", "airports\\learned\\thirdparty\\Aerosoft\\EGLL.xml"},
        {L"airports\\my_ORBX\\EGLL.xml", "ORBX", "airports\\learned\\ORBX\\EGLL.xml"},
        {L"airports\\my_thirdparty\\EGLL.xml", "Stock", "airports\\learned\\thirdparty\\Stock\\EGLL.xml"},
        {L"airports\\my_thirdparty\\EGLL.xml", "..", "airports\\learned\\thirdparty\\unknown\\EGLL.xml"},
        {L"airports\\my_thirdparty\\EGLL.xml", "..\\..\\x", "airports\\learned\\thirdparty\\unknown\\EGLL.xml"},
        {L"airports\\my_thirdparty\\EGLL.xml", "C:", "airports\\learned\\thirdparty\\unknown\\EGLL.xml"},
        {L"D:\\Sceneries\\EGLL.xml", "stock", "airports\\learned\\stock\\EGLL.xml"},
        {L"D:\\Sceneries\\EGLL.xml", "Stock", "airports\\learned\\thirdparty\\Stock\\EGLL.xml"},
    };
    for (const auto& [path, publisher, expected] : paths)
        EXPECT_EQ(gf_pathText(lf_apfFolder(path, publisher)), expected) << publisher;

    // A thirdparty file of publisher "Stock": its folder is made when the first save comes.
    lf_writeBase(apfFolders::myThirdparty / L"EHAM.xml", {{"publisher", "Stock"}, {"altitude", "0"}});
    ASSERT_EQ(load(gf_resolveApfPath("EHAM")), "");
    lf_learn(parkStands[1], "KLM", WeekSlot{2, 3});
    gf_stopParking();
    EXPECT_TRUE(fs::exists(apfFolders::learned / L"thirdparty" / L"Stock" / L"EHAM.xml"));
    ASSERT_EQ(load(gf_resolveApfPath("EHAM")), "");
    EXPECT_EQ(parkStands[1].options.size(), 1u) << "read where it was saved";
}

TEST_F(Learning, ARefusedLearnedFileIsKeptAsideAndNothingOfTheUsersIsLost)
{
    const std::string files[] = {
        "<meta>\n<parameters>", // broken
        "<parameters>\n\t<parameter name=\"airport_name\" value=\"Schiphol\" />\n</parameters>\n<parkpositions>\n"
        "\t<parkpos id=\"A1\" radius_change=\"true\" radius=\"50\" />\n</parkpositions>\n", // no meta
        gf_testApfText({{"handmade", "true"}},
                       gf_testParkpos("H1", 52.3, 4.76, 20) + gf_testParkpos("H1", 52.3, 4.76, 20)), // id twice
    };
    for (const std::string& user : files) {
        gf_testWriteApf(learned, user);
        ASSERT_EQ(load(archived), "");
        EXPECT_EQ(parkStands.size(), 3u) << "the loaded stands stay\n" << user;
        EXPECT_FALSE(parkFile.handmade);
        EXPECT_EQ(gf_testReadFile(aside), user);
        lf_learn(parkStands[0], "KLM", WeekSlot{5, 5});
        gf_stopParking();
        EXPECT_NE(gf_testReadFile(learned), user);
        ASSERT_EQ(load(archived), "") << "the new learned file loads";
        EXPECT_EQ(parkStands[0].options.size(), 2u);
        EXPECT_EQ(gf_testReadFile(aside), user) << "and the user's file is still there";
        gf_stopParking();
    }
}

TEST_F(Learning, ASaveThatFailsIsShownAndWrittenAtTheNextChance)
{
    // The next chance: the next stop of the parking (as at the exit), or the next load.
    for (const bool atLoad : {false, true}) {
        SCOPED_TRACE(atLoad ? "at the next load" : "at the next stop");
        ASSERT_EQ(load(archived), "");
        lf_learn(parkStands[1], "KLM", WeekSlot{2, 3});
        fs::remove_all(apfFolders::learned);
        gf_testWriteApf(apfFolders::learned / L"stock", "a file where the folder belongs");
        EXPECT_NO_THROW(gf_stopParking());
        EXPECT_TRUE(std::regex_match(lf_status(), std::regex("\\d\\d:\\d\\d:\\d\\d saving \"airports\\\\learned\\\\"
                                                             "stock\\\\EHAM.xml\" did not succeed")))
            << lf_status();
        EXPECT_FALSE(staticParkingActive.load());

        fs::remove(apfFolders::learned / L"stock");
        if (!atLoad)
            gf_stopParking(); // with no parking edit
        ASSERT_EQ(load(archived), "");
        EXPECT_TRUE(lf_status().ends_with("\"airports\\learned\\stock\\EHAM.xml\" saved after an earlier failure"))
            << lf_status();
        EXPECT_EQ(parkStands[1].options.size(), 1u) << "the learned option is read back";

        // Once written, the text that failed is not written again at the next stop.
        gf_clearStatus();
        gf_stopParking();
        EXPECT_EQ(lf_status(), "");
        fs::remove_all(apfFolders::learned);
    }
}
