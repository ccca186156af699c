// Values typed into the edit fields of the real main window and committed with Enter.
#include "mainwindow_fixture.h"

#include "airports/airports.h"
#include "app/commands.h"
#include "app/mainloop.h"
#include "app/programcontrol.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/settingscatalogue.h"
#include "support/tempfolder.h"

#include <tuple>

namespace {
class FieldTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        openEnabledWindow();
    }
};
} // namespace

TEST_F(FieldTest, ANewRadiusIsStoredSavedAppliedAndConfirmed)
{
    type(LATERAL_RANGE, L"75");
    EXPECT_EQ(LATERAL_RANGE.value.load(), 75);
    EXPECT_EQ(fileValue("LATERAL_RANGE"), "75");
    EXPECT_EQ(lateralRadiusNm.load(), 75.0);
    EXPECT_EQ(lateralRadiusMetres.load(), 75 * 1852);
    EXPECT_TRUE(airportSettingsChanged.load());
    EXPECT_EQ(fieldText(LATERAL_RANGE), L"75");
    EXPECT_EQ(status(), "The new LATERAL_RANGE is 75");
    EXPECT_FALSE(logHasLine("The new LATERAL_RANGE is 75"));
    EXPECT_TRUE(logHasLine("LATERAL_RANGE=75"));
}

TEST_F(FieldTest, ValuesOutsideTheLimitsAreClampedAndNumbersBeyond32BitsChangeNothing)
{
    struct Clamped {
        GuiIntParameter& setting;
        const wchar_t* text;
        std::int32_t value;
    };
    const Clamped cases[] = {
        {LATERAL_RANGE, L"150", 100}, {MATCHING_DEPTH, L"9", 4},        {MAX_LIVE, L"5", 6},
        {AIRPORT_RANGE, L"-8", 8},    {parking_percentage, L"101", 100}, {LATERAL_RANGE, L"1", 2},
    };
    for (const Clamped& clamped : cases) {
        SCOPED_TRACE(clamped.setting.key + " " + gf_utf16ToUtf8(clamped.text));
        paste(clamped.setting, clamped.text);
        EXPECT_EQ(clamped.setting.value.load(), clamped.value);
        EXPECT_EQ(status(), "The new " + clamped.setting.key + " is " + std::to_string(clamped.value));
        EXPECT_EQ(fieldText(clamped.setting), std::to_wstring(clamped.value));
        EXPECT_EQ(fileValue(clamped.setting.key),
                  &clamped.setting == &parking_percentage ? "<missing>" : std::to_string(clamped.value));
        if (&clamped.setting == &LATERAL_RANGE) {
            EXPECT_EQ(lateralRadiusNm.load(), clamped.value);
        }
    }

    for (const wchar_t* beyond : {L"99999999999", L"-2147483649"}) {
        const std::string text = gf_utf16ToUtf8(beyond);
        SCOPED_TRACE(text);
        const std::string stored = fileValue("AIRPORT_HEIGHT");
        paste(AIRPORT_HEIGHT, beyond);
        EXPECT_EQ(AIRPORT_HEIGHT.value.load(), 18000);
        EXPECT_TRUE(logHasLine("===> procesTbInt exception stoi argument out of range, h=" + text + " "));
        EXPECT_EQ(status(), "invalid input: " + text);
        EXPECT_EQ(fileValue("AIRPORT_HEIGHT"), stored) << "nothing saved";
        EXPECT_EQ(fieldText(AIRPORT_HEIGHT), L"18000") << "the field shows the kept value again";
    }
}

TEST_F(FieldTest, TextWithoutANumberIsInvalidInputAndANumberFollowedByTextCounts)
{
    type(MATCHING_DEPTH, L"abc");
    EXPECT_EQ(status(), "invalid input: abc");
    EXPECT_TRUE(logHasLine("invalid input: abc"));
    EXPECT_EQ(MATCHING_DEPTH.value.load(), 4);
    EXPECT_EQ(fieldText(MATCHING_DEPTH), L"4");

    type(AIRPORT_RANGE, L" 12nm");
    EXPECT_EQ(AIRPORT_RANGE.value.load(), 12);
    EXPECT_EQ(fieldText(AIRPORT_RANGE), L"12");
}

TEST_F(FieldTest, TheSameValueChangesNothingAndSavesNothing)
{
    type(MAX_LIVE, L"300");
    EXPECT_EQ(status(), "Same MAX_LIVE value 300, no changes made");
    EXPECT_TRUE(logHasLine("Same MAX_LIVE value 300, no changes made"));
    EXPECT_EQ(fileValue("MAX_LIVE"), "<missing>");
    EXPECT_FALSE(liveTrimRequest.load());
    EXPECT_EQ(fieldText(MAX_LIVE), L"") << "the default maximum shows an empty field";
}

TEST_F(FieldTest, AnEmptyFieldTakesTheDefault)
{
    type(AIRPORT_HEIGHT, L"5000");
    type(AIRPORT_HEIGHT, L"");
    EXPECT_EQ(AIRPORT_HEIGHT.value.load(), 18000);
    EXPECT_EQ(fileValue("AIRPORT_HEIGHT"), "18000");
    EXPECT_EQ(status(), "The new AIRPORT_HEIGHT is 18000");

    type(MAX_LIVE, L"100");
    type(MAX_LIVE, L"");
    EXPECT_EQ(MAX_LIVE.value.load(), 300);
    EXPECT_EQ(fileValue("MAX_LIVE"), "300");
    EXPECT_EQ(fieldText(MAX_LIVE), L"");

    type(parking_percentage, L"");
    EXPECT_EQ(parking_percentage.value.load(), 0) << "an empty percentage is no parking";
}

TEST_F(FieldTest, MaxLiveSetsTheMaximumInForceAndAsksForATrim)
{
    type(MAX_LIVE, L"100");
    EXPECT_EQ(liveMaximum.load(), 100);
    EXPECT_TRUE(liveTrimRequest.load()) << "the main loop trims the created aircraft";
    EXPECT_FALSE(airportSettingsChanged.load());
    EXPECT_EQ(fileValue("MAX_LIVE"), "100");

    liveTrimRequest = false;
    staticParkingActive = true;
    type(MAX_LIVE, L"50");
    EXPECT_EQ(liveMaximum.load(), 100) << "static parking takes it from the airport settings";
    EXPECT_TRUE(airportSettingsChanged.load());
    EXPECT_TRUE(liveTrimRequest.load());
}

TEST_F(FieldTest, ARaisedMatchingDepthAsksToForgetTheFlightsWithoutMatch)
{
    type(MATCHING_DEPTH, L"2");
    EXPECT_FALSE(noMatchClearRequest.load());
    type(MATCHING_DEPTH, L"3");
    EXPECT_TRUE(noMatchClearRequest.load());
    EXPECT_EQ(fileValue("MATCHING_DEPTH"), "3");
}

TEST_F(FieldTest, ParkingPercentageIsKeptWithTheAirportFilesAndRenewsTheParking)
{
    staticParkingActive = true;
    secondsCounter = 20;
    type(parking_percentage, L"50");
    EXPECT_EQ(parking_percentage.value.load(), 50);
    EXPECT_EQ(fileValue("parking_percentage"), "<missing>");
    EXPECT_TRUE(staticRenewalRequest.load());
    EXPECT_TRUE(airportSettingsChanged.load());
    EXPECT_EQ(status(), "Tarnwick_P3D will respond in 10 seconds ...");
}

TEST_F(FieldTest, MaxFitIsKeptInWholeHalfHours)
{
    type(MAX_FIT_FL, L"2.2");
    EXPECT_EQ(MAX_FIT.value.load(), 47) << "only while static parking is active";
    EXPECT_EQ(status(), "");

    staticParkingActive = true;
    type(MAX_FIT_FL, L"2.2");
    EXPECT_EQ(MAX_FIT.value.load(), 3);
    EXPECT_EQ(fileValue("MAX_FIT"), "3");
    EXPECT_EQ(MAX_FIT_FL.value.load(), 2.0f);
    EXPECT_EQ(fieldText(MAX_FIT_FL), L"2");
    EXPECT_EQ(status(), "Tarnwick_P3D will respond in 15 seconds ...") << "the renewal's answer follows";
    EXPECT_TRUE(staticRenewalRequest.load());

    type(MAX_FIT_FL, L"0.75"); // longer than the narrow field: it scrolls and keeps every character
    EXPECT_EQ(MAX_FIT.value.load(), 1) << "1.5 half hours round away from zero";
    EXPECT_EQ(fieldText(MAX_FIT_FL), L"1");

    type(MAX_FIT_FL, L"1");
    EXPECT_EQ(status(), "Same MAX_FIT_FL value 1, no changes made");

    type(MAX_FIT_FL, L"");
    EXPECT_EQ(MAX_FIT.value.load(), 47);
    EXPECT_EQ(fileValue("MAX_FIT"), "47");
    EXPECT_EQ(fieldText(MAX_FIT_FL), L"24");

    // Outside the limits: clamped; the field then shows whole half hours.
    const std::tuple<const wchar_t*, std::int32_t, const wchar_t*> clamped[] = {
        {L"0.1", 0, L"0.5"}, {L"25", 47, L"24"}, {L"-3", 0, L"0.5"}, {L"inf", 47, L"24"}};
    for (const auto& [text, maxFit, shown] : clamped) {
        paste(MAX_FIT_FL, text);
        EXPECT_EQ(MAX_FIT.value.load(), maxFit) << gf_utf16ToUtf8(text);
        EXPECT_EQ(fileValue("MAX_FIT"), std::to_string(maxFit));
        EXPECT_EQ(fieldText(MAX_FIT_FL), shown) << gf_utf16ToUtf8(text);
    }
    const std::pair<const wchar_t*, const char*> refused[] = {
        {L"nan", "invalid stof argument"}, {L"x", "invalid stof argument"}, {L"1e99", "stof argument out of range"}};
    for (const auto& [text, reason] : refused) {
        const std::string typed = gf_utf16ToUtf8(text);
        paste(MAX_FIT_FL, text);
        EXPECT_EQ(status(), "invalid input: " + typed);
        EXPECT_TRUE(logHasLine(std::string("procesTbFloat exception ") + reason + ", h=" + typed + " "));
        EXPECT_EQ(MAX_FIT.value.load(), 47);
        EXPECT_EQ(fieldText(MAX_FIT_FL), L"24");
    }
}

TEST_F(FieldTest, UnconvertibleFieldTextIsLoggedAndChangesNothing)
{
    const wchar_t loneSurrogate[] = {L'4', 0xD800, 0};
    paste(AIRPORT_RANGE, loneSurrogate);
    EXPECT_EQ(AIRPORT_RANGE.value.load(), 20);
    EXPECT_EQ(fieldText(AIRPORT_RANGE), L"20");
    EXPECT_TRUE(logHasLine("Invalid UTF-16 sequence found in input string."));
    EXPECT_TRUE(IsWindow(window()));
}

TEST_F(FieldTest, ACallsignIsBlockedInCapitalsAndUnblocked)
{
    type(BLOCK_CALLSIGN, L"klm123");
    EXPECT_EQ(BLOCK_CALLSIGN.getValue(), "KLM123");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "KLM123");
    EXPECT_EQ(fieldText(BLOCK_CALLSIGN), L"KLM123");
    EXPECT_TRUE(enabled(unblockButton));
    EXPECT_TRUE(callsignBlockRequest.load());
    EXPECT_EQ(status(), "live aircraft with callsign \"KLM123\" will be blocked");
    EXPECT_TRUE(logHasLine("live aircraft with callsign \"KLM123\" will be blocked"));

    type(BLOCK_CALLSIGN, L"KLM123");
    EXPECT_EQ(status(), "This callsign (KLM123) was already set ...");

    for (const wchar_t* refused : {L"KL", L"ABCDEFGHI"}) {
        type(BLOCK_CALLSIGN, refused);
        EXPECT_EQ(status(), "callsign \"" + gf_utf16ToUtf8(refused) + "\" is not valid");
        EXPECT_EQ(BLOCK_CALLSIGN.getValue(), "KLM123");
        EXPECT_EQ(fieldText(BLOCK_CALLSIGN), L"KLM123");
    }

    type(BLOCK_CALLSIGN, L"dlh4ab");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "DLH4AB") << "one callsign: the new one replaces the old";

    callsignBlockRequest = false;
    click(unblockButton);
    EXPECT_EQ(BLOCK_CALLSIGN.getValue(), "");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "");
    EXPECT_EQ(fieldText(BLOCK_CALLSIGN), L"");
    EXPECT_FALSE(enabled(unblockButton));
    EXPECT_TRUE(callsignBlockRequest.load());
    EXPECT_EQ(status(), "no more blocking of live aircraft \"DLH4AB\"");
}

TEST_F(FieldTest, EnterInAnEmptyCallsignFieldRemovesTheBlock)
{
    type(BLOCK_CALLSIGN, L"BAW12");
    type(BLOCK_CALLSIGN, L"");
    EXPECT_EQ(BLOCK_CALLSIGN.getValue(), "");
    EXPECT_EQ(status(), "no more blocking of live aircraft \"BAW12\"");
}

TEST_F(FieldTest, AnExistingInstallPathIsStoredAndRestartsTheProgram)
{
    TempFolder simulator;
    std::filesystem::create_directory(simulator / L"Prepar3D v5 Ünïcode");
    const std::filesystem::path path = simulator / L"Prepar3D v5 Ünïcode";
    gf_showError("held error");
    paste(SIM_INSTALL_PATH, path.wstring());
    EXPECT_EQ(SIM_INSTALL_PATH.getValue(), gf_pathText(path));
    EXPECT_EQ(fileValue("SIM_INSTALL_PATH"), gf_pathText(path));
    EXPECT_EQ(gf_statusLine().error, "") << "the held error is dropped";
    EXPECT_EQ(status(), "Install path exists, Tarnwick_P3D will restart");
    EXPECT_EQ(exitReason.load(), 3u) << "RESTART_IPP";
    // The restart runs the start-up again in this process.
    ASSERT_TRUE(gf_waitFor([] { return startUps.load() == 2; }, std::chrono::seconds(20)));
    EXPECT_TRUE(logHasLine("Exiting: RESTART_IPP"));
    EXPECT_EQ(exitReason.load(), 0u);
}

TEST_F(FieldTest, AMissingInstallPathIsRefusedAndAnEmptyOneClearsTheSetting)
{
    SIM_INSTALL_PATH.assignValue("C:\\old");
    const std::string missing = gf_pathText(std::filesystem::current_path() / L"no such simulator");
    paste(SIM_INSTALL_PATH, gf_utf8ToUtf16(missing));
    EXPECT_EQ(status(), "This install path does not exist: " + missing);
    EXPECT_TRUE(logHasLine("This install path does not exist: " + missing));
    EXPECT_EQ(SIM_INSTALL_PATH.getValue(), "C:\\old");
    EXPECT_FALSE(exitFlag.load()) << "no exit";

    gf_showStatus("sentinel", false);
    paste(SIM_INSTALL_PATH, L"");
    EXPECT_EQ(SIM_INSTALL_PATH.getValue(), "");
    EXPECT_EQ(fileValue("SIM_INSTALL_PATH"), "");
    EXPECT_EQ(status(), "");
    EXPECT_FALSE(exitFlag.load()) << "no exit";
}
