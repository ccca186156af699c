// The controls of the main window, built from the setting objects.
#include "app/commands.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "app/windowproc.h"
#include "foundation/settingcontrols.h"
#include "foundation/settingscatalogue.h"
#include "traffic/traffic.h"

namespace {
// The airport parking controls, disabled while static parking places its aircraft.
ParameterControl* const parkingControls[] = {&parking_percentage, &INITIAL_LOAD_ONLY, &PARK_FAKE,
                                             &PARK_SOFT,          &WEEK,              &MAX_FIT_FL,
                                             &flushStaticButton,  &rereadButton};

void lf_enableParkingControls(bool enable)
{
    for (const ParameterControl* control : parkingControls)
        EnableWindow(control->window, enable ? TRUE : FALSE);
    gf_clearStatus();
    gf_repaintBand(controlsBand);
}
} // namespace

void gf_createControls(HWND window, const CREATESTRUCTW* create)
{
    HINSTANCE instance = create->hInstance;
    const auto edit = [&](ParameterControl& field, int x, int width) {
        gf_createEdit(field, window, instance, x, width, gf_editFieldProc(field));
    };
    const auto box = [&](GuiBoolParameter& setting, int x) { gf_createCheckBox(setting, window, instance, x); };

    edit(SIM_INSTALL_PATH, 111, 1200);
    box(SCAN_LIVERIES, 5);
    box(LIG_AUTOMATIC, 217);
    box(LIG_PRIORITIZE, 323);
    box(SUPPRESS_STUB, 430);
    box(LOG, 652);
    box(ALWAYS_ON_TOP, 748);
    box(SCAN_AIRPORTS, 5);
    box(AFG_AUTOMATIC, 217);
    box(NAV_LIGHTS_WHILE_PARKED, 652);
    box(LEARN_SOFT, 748);
    edit(MATCHING_DEPTH, 217, 24);
    box(LIGHT_AIRCRAFT, 323);
    box(HELICOPTERS, 430);
    box(HIGH_PERF_AIRCRAFT, 536);
    box(AEROWINX, 652);
    box(GUID_CHANGES, 748);
    edit(LATERAL_RANGE, 217, 34);
    box(AUTO_RANGE, 323);
    edit(MAX_LIVE, 576, 34);
    gf_createButton(checkVersionButton, window, instance, 692, 120);
    box(COLLISION_USER_GND, 217);
    box(COLLISION_USER_AIR, 323);
    box(COLLISION_LIVE_PARKED_GND, 430);
    edit(BLOCK_CALLSIGN, 217, 100);
    gf_createButton(unblockButton, window, instance, 323, 70);
    edit(AIRPORT_RANGE, 343, 34);
    edit(AIRPORT_HEIGHT, 586, 50);
    box(PARK_FAKE, 5);
    box(WEEK, 71);
    box(PARK_SOFT, 151);
    edit(parking_percentage, 217, 34);
    box(INITIAL_LOAD_ONLY, 323);
    edit(MAX_FIT_FL, 460, 24);
    gf_createButton(flushStaticButton, window, instance, 642, 90);
    gf_createButton(rereadButton, window, instance, 758, 90);

    gf_invalidateBand(window, controlsBand);
}

void disableControls()
{
    staticParkingRunning = true;
    lf_enableParkingControls(false);
}

void enableControls()
{
    staticParkingRunning = false;
    lf_enableParkingControls(true);
}
