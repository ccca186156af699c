#include "foundation/settingscatalogue.h"

#include <algorithm>
#include <climits>

// Texts
StringParameter PROGRAM_INSTALL_PATH("PROGRAM_INSTALL_PATH", "");
StringParameter ARCHIVE_VERSION("ARCHIVE_VERSION", "");
StringParameter DBASE_VERSION("DBASE_VERSION", "");
StringParameter AIG_VERSION("AIG_VERSION", "");
StringParameter author("author", "");
StringParameter date("date", "");
StringParameter version("version", "");
StringParameter copyright("copyright", "Copyright (c) Tarnwick_P3D"); // fits the window header
StringParameter PROGRAM_VERSION("PROGRAM_VERSION", "");
GuiStringParameter SIM_INSTALL_PATH("SIM_INSTALL_PATH", "", 32788, 119);
GuiStringParameter BLOCK_CALLSIGN("BLOCK_CALLSIGN", "", 32828, 287);
StringParameter DATA_CHECKED_AT_DATE("DATA_CHECKED_AT_DATE", "");
StringParameter PORT_NUMBER("PORT_NUMBER", "10747");
StringParameter lfolder0("lfolder0", ""), lfolder1("lfolder1", ""), lfolder2("lfolder2", ""),
    lfolder3("lfolder3", ""), lfolder4("lfolder4", ""), lfolder5("lfolder5", ""), lfolder6("lfolder6", ""),
    lfolder7("lfolder7", ""), lfolder8("lfolder8", ""), lfolder9("lfolder9", "");
StringParameter afolder0("afolder0", ""), afolder1("afolder1", ""), afolder2("afolder2", ""),
    afolder3("afolder3", ""), afolder4("afolder4", ""), afolder5("afolder5", ""), afolder6("afolder6", ""),
    afolder7("afolder7", ""), afolder8("afolder8", ""), afolder9("afolder9", "");

// Numbers
IntParameter MAIN_WINDOW_X("MAIN_WINDOW_X", 400, -30000, 30000);
IntParameter MAIN_WINDOW_Y("MAIN_WINDOW_Y", 20, -30000, 30000);
IntParameter CUSTOM_PARKING_PERCENTAGE("CUSTOM_PARKING_PERCENTAGE", -1, -1, 100);
IntParameter LAST_EPOCH_TIME("LAST_EPOCH_TIME", 0, 0, 2147483647);
IntParameter P3D_VERSION("P3D_VERSION", 5, 5, 6);
GuiIntParameter MATCHING_DEPTH("MATCHING_DEPTH", 4, 1, 4, 32808, 231);
GuiIntParameter LATERAL_RANGE("LATERAL_RANGE", 40, 2, 100, 32818, 259);
GuiIntParameter MAX_FIT("MAX_FIT", 47, 0, 47, 32851, 371);
GuiFloatParameter MAX_FIT_FL("MAX_FIT_FL", 24.0f, 0.5f, 24.0f, 32853, 371);
GuiIntParameter MAX_LIVE("MAX_LIVE", 300, 6, 300, 32820, 259);
GuiIntParameter parking_percentage("parking_percentage", 30, 0, 100, 32848, 371);
GuiIntParameter AIRPORT_RANGE("AIRPORT_RANGE", 20, 8, 30, 32839, 343);
GuiIntParameter AIRPORT_HEIGHT("AIRPORT_HEIGHT", 18000, 2000, 45000, 32840, 343);

// Built after LATERAL_RANGE: same translation unit, so in this order.
std::atomic<double> lateralRadiusNm{static_cast<double>(LATERAL_RANGE.value.load())};
std::atomic<std::int32_t> lateralRadiusMetres{LATERAL_RANGE.value.load() * 1852};

// Switches
BoolParameter RANDOM("RANDOM", true);
GuiBoolParameter COLLISION_LIVE_PARKED_GND("COLLISION_LIVE_PARKED_GND", false, 32835, 315);
GuiBoolParameter AEROWINX("AEROWINX", false, 32775, 231);
GuiBoolParameter COLLISION_USER_AIR("COLLISION_USER_AIR", true, 32833, 315);
GuiBoolParameter COLLISION_USER_GND("COLLISION_USER_GND", true, 32834, 315);
GuiBoolParameter SUPPRESS_STUB("SUPPRESS_STUB", true, 32800, 175);
GuiBoolParameter LOG("LOG", true, 32779, 175);
GuiBoolParameter ALWAYS_ON_TOP("ALWAYS_ON_TOP", false, 32771, 175);
GuiBoolParameter SCAN_LIVERIES("SCAN_LIVERIES", true, 32797, 175);
GuiBoolParameter LIG_AUTOMATIC("LIG_AUTOMATIC", true, 32798, 175);
GuiBoolParameter LIG_PRIORITIZE("LIG_PRIORITIZE", false, 32799, 175);
GuiBoolParameter SCAN_AIRPORTS("SCAN_AIRPORTS", true, 32802, 203);
GuiBoolParameter AFG_AUTOMATIC("AFG_AUTOMATIC", true, 32803, 203);
GuiBoolParameter NAV_LIGHTS_WHILE_PARKED("NAV_LIGHTS_WHILE_PARKED", true, 32778, 203);
GuiBoolParameter LEARN_SOFT("LEARN_SOFT", true, 32777, 203);
GuiBoolParameter LIGHT_AIRCRAFT("LIGHT_AIRCRAFT", true, 32809, 231);
GuiBoolParameter HELICOPTERS("HELICOPTERS", true, 32810, 231);
GuiBoolParameter HIGH_PERF_AIRCRAFT("HIGH_PERF_AIRCRAFT", true, 32811, 231);
GuiBoolParameter GUID_CHANGES("GUID_CHANGES", true, 32773, 231);
GuiBoolParameter AUTO_RANGE("AUTO_RANGE", true, 32819, 259);
GuiBoolParameter PARK_FAKE("PARK_FAKE", false, 32856, 371);
GuiBoolParameter PARK_SOFT("PARK_SOFT", true, 32850, 371);
GuiBoolParameter WEEK("WEEK", false, 32852, 371);
GuiBoolParameter INITIAL_LOAD_ONLY("INITIAL_LOAD_ONLY", false, 32849, 371);

// Buttons
GuiButton checkVersionButton("Check version", 32780, 257);
GuiButton unblockButton("Unblock", 32829, 285);
GuiButton rereadButton("Re-read", 32838, 369);
GuiButton flushStaticButton("Flush static", 32855, 369);

ParameterLists gf_parameterLists()
{
    ParameterLists lists;
    lists.plainBools = {&RANDOM, &COLLISION_LIVE_PARKED_GND};
    lists.checkBoxes = {&AEROWINX,        &COLLISION_USER_AIR,      &COLLISION_USER_GND,
                        &COLLISION_LIVE_PARKED_GND, &SUPPRESS_STUB, &LOG,
                        &ALWAYS_ON_TOP,   &SCAN_LIVERIES,           &LIG_AUTOMATIC,
                        &LIG_PRIORITIZE,  &SCAN_AIRPORTS,           &AFG_AUTOMATIC,
                        &LIGHT_AIRCRAFT,  &HELICOPTERS,             &HIGH_PERF_AIRCRAFT,
                        &NAV_LIGHTS_WHILE_PARKED, &AUTO_RANGE,      &LEARN_SOFT,
                        &PARK_SOFT,       &PARK_FAKE,               &WEEK,
                        &INITIAL_LOAD_ONLY, &GUID_CHANGES};
    lists.plainInts = {&CUSTOM_PARKING_PERCENTAGE, &MAIN_WINDOW_X, &MAIN_WINDOW_Y, &LAST_EPOCH_TIME,
                       &P3D_VERSION};
    lists.editInts = {&MATCHING_DEPTH, &LATERAL_RANGE, &MAX_FIT, &MAX_LIVE, &AIRPORT_RANGE, &AIRPORT_HEIGHT};
    lists.plainTexts = {&PROGRAM_VERSION, &PORT_NUMBER,
                        &lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4,
                        &lfolder5, &lfolder6, &lfolder7, &lfolder8, &lfolder9,
                        &afolder0, &afolder1, &afolder2, &afolder3, &afolder4,
                        &afolder5, &afolder6, &afolder7, &afolder8, &afolder9,
                        &PROGRAM_INSTALL_PATH, &ARCHIVE_VERSION, &DBASE_VERSION, &AIG_VERSION,
                        &DATA_CHECKED_AT_DATE};
    lists.editTexts = {&BLOCK_CALLSIGN, &SIM_INSTALL_PATH};
    return lists;
}

const std::vector<Parameter*>& gf_allSettings()
{
    static const std::vector<Parameter*> all = {
        &PROGRAM_INSTALL_PATH, &ARCHIVE_VERSION, &DBASE_VERSION, &AIG_VERSION, &author, &date, &version,
        &copyright, &PROGRAM_VERSION, &SIM_INSTALL_PATH, &BLOCK_CALLSIGN, &DATA_CHECKED_AT_DATE, &PORT_NUMBER,
        &lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4, &lfolder5, &lfolder6, &lfolder7, &lfolder8,
        &lfolder9, &afolder0, &afolder1, &afolder2, &afolder3, &afolder4, &afolder5, &afolder6, &afolder7,
        &afolder8, &afolder9,
        &MAIN_WINDOW_X, &MAIN_WINDOW_Y, &CUSTOM_PARKING_PERCENTAGE, &LAST_EPOCH_TIME, &P3D_VERSION,
        &MATCHING_DEPTH, &LATERAL_RANGE, &MAX_FIT, &MAX_FIT_FL, &MAX_LIVE, &parking_percentage, &AIRPORT_RANGE,
        &AIRPORT_HEIGHT,
        &RANDOM, &COLLISION_LIVE_PARKED_GND, &AEROWINX, &COLLISION_USER_AIR, &COLLISION_USER_GND,
        &SUPPRESS_STUB, &LOG, &ALWAYS_ON_TOP, &SCAN_LIVERIES, &LIG_AUTOMATIC, &LIG_PRIORITIZE, &SCAN_AIRPORTS,
        &AFG_AUTOMATIC, &NAV_LIGHTS_WHILE_PARKED, &LEARN_SOFT, &LIGHT_AIRCRAFT, &HELICOPTERS,
        &HIGH_PERF_AIRCRAFT, &GUID_CHANGES, &AUTO_RANGE, &PARK_FAKE, &PARK_SOFT, &WEEK, &INITIAL_LOAD_ONLY,
        &checkVersionButton, &unblockButton, &rereadButton, &flushStaticButton};
    return all;
}

void gf_setRadius(std::int32_t nm)
{
    LATERAL_RANGE.value = LATERAL_RANGE.clamp(nm);
    lateralRadiusNm = static_cast<double>(nm);
    lateralRadiusMetres = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{nm} * 1852, INT32_MIN, INT32_MAX)); // no overflow for wild input
}
