#pragma once
// Every setting of Tarnwick, one global object each, named by its key.
#include "foundation/settings.h"

#include <atomic>
#include <cstdint>
#include <vector>

// Texts
extern StringParameter PROGRAM_INSTALL_PATH;
extern StringParameter ARCHIVE_VERSION;
extern StringParameter DBASE_VERSION;
extern StringParameter AIG_VERSION;
extern StringParameter author;    // entries of the "meta" block of the program's other XML files
extern StringParameter date;
extern StringParameter version;
extern StringParameter copyright;
extern StringParameter PROGRAM_VERSION;
extern GuiStringParameter SIM_INSTALL_PATH;
extern GuiStringParameter BLOCK_CALLSIGN;
extern StringParameter DATA_CHECKED_AT_DATE;
extern StringParameter PORT_NUMBER;
extern StringParameter lfolder0, lfolder1, lfolder2, lfolder3, lfolder4;
extern StringParameter lfolder5, lfolder6, lfolder7, lfolder8, lfolder9;
extern StringParameter afolder0, afolder1, afolder2, afolder3, afolder4;
extern StringParameter afolder5, afolder6, afolder7, afolder8, afolder9;

// Numbers
extern IntParameter MAIN_WINDOW_X;
extern IntParameter MAIN_WINDOW_Y;
extern IntParameter CUSTOM_PARKING_PERCENTAGE;
extern IntParameter LAST_EPOCH_TIME;
extern IntParameter P3D_VERSION;
extern GuiIntParameter MATCHING_DEPTH;
extern GuiIntParameter LATERAL_RANGE;
extern GuiIntParameter MAX_FIT;          // half hours minus one; edited through MAX_FIT_FL
extern GuiFloatParameter MAX_FIT_FL;     // the same in hours, kept with the airport parking files
extern GuiIntParameter MAX_LIVE;
extern GuiIntParameter parking_percentage; // kept with the airport parking files
extern GuiIntParameter AIRPORT_RANGE;
extern GuiIntParameter AIRPORT_HEIGHT;

// The live radius, derived from LATERAL_RANGE (which is clamped; these are not).
extern std::atomic<double> lateralRadiusNm;
extern std::atomic<std::int32_t> lateralRadiusMetres;

// Switches
extern BoolParameter RANDOM;
extern GuiBoolParameter COLLISION_LIVE_PARKED_GND;
extern GuiBoolParameter AEROWINX;
extern GuiBoolParameter COLLISION_USER_AIR;
extern GuiBoolParameter COLLISION_USER_GND;
extern GuiBoolParameter SUPPRESS_STUB;
extern GuiBoolParameter LOG;
extern GuiBoolParameter ALWAYS_ON_TOP;
extern GuiBoolParameter SCAN_LIVERIES;
extern GuiBoolParameter LIG_AUTOMATIC;
extern GuiBoolParameter LIG_PRIORITIZE;
extern GuiBoolParameter SCAN_AIRPORTS;
extern GuiBoolParameter AFG_AUTOMATIC;
extern GuiBoolParameter NAV_LIGHTS_WHILE_PARKED;
extern GuiBoolParameter LEARN_SOFT;
extern GuiBoolParameter LIGHT_AIRCRAFT;
extern GuiBoolParameter HELICOPTERS;
extern GuiBoolParameter HIGH_PERF_AIRCRAFT;
extern GuiBoolParameter GUID_CHANGES;
extern GuiBoolParameter AUTO_RANGE;
extern GuiBoolParameter PARK_FAKE;
extern GuiBoolParameter PARK_SOFT;
extern GuiBoolParameter WEEK;
extern GuiBoolParameter INITIAL_LOAD_ONLY;

// Buttons
extern GuiButton checkVersionButton; // "Check version"
extern GuiButton unblockButton;      // "Unblock"
extern GuiButton rereadButton;       // "Re-read"
extern GuiButton flushStaticButton;  // "Flush static"

// The settings stored in parameters.xml, in the lists and order in which they are read.
struct ParameterLists {
    std::vector<BoolParameter*> plainBools;         // no check box handling
    std::vector<GuiBoolParameter*> checkBoxes;
    std::vector<IntParameter*> plainInts;           // no edit field
    std::vector<GuiIntParameter*> editInts;
    std::vector<StringParameter*> plainTexts;       // no edit field
    std::vector<GuiStringParameter*> editTexts;
};
ParameterLists gf_parameterLists();
// Calls visit(setting) for every entry of the lists, list by list in the order above, each
// as its kind: BoolParameter&, IntParameter& or StringParameter&.
template <typename Visit>
void gf_forEachStoredSetting(const ParameterLists& lists, Visit&& visit)
{
    for (BoolParameter* setting : lists.plainBools)
        visit(*setting);
    for (BoolParameter* setting : lists.checkBoxes)
        visit(*setting);
    for (IntParameter* setting : lists.plainInts)
        visit(*setting);
    for (IntParameter* setting : lists.editInts)
        visit(*setting);
    for (StringParameter* setting : lists.plainTexts)
        visit(*setting);
    for (StringParameter* setting : lists.editTexts)
        visit(*setting);
}

// Every setting object, stored or not, buttons included.
const std::vector<Parameter*>& gf_allSettings();

// LATERAL_RANGE := nm clamped; the live radius takes nm itself.
void gf_setRadius(std::int32_t nm);
