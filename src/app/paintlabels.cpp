// The labels beside the controls, each on the row of its setting.
#include "airports/airports.h"
#include "app/mainwindow.h"
#include "app/painting.h"
#include "foundation/settingscatalogue.h"
#include "traffic/traffic.h"

#include <fmt/format.h>

namespace {
struct Label {
    const char* text;
    int x;
    const ParameterControl& rowOf;
};

// Labels that are always black.
const Label plainLabels[] = {
    {"Install path:", 5, SIM_INSTALL_PATH},
    {"Automatic", 237, LIG_AUTOMATIC},
    {"Prioritize", 343, LIG_AUTOMATIC},
    {"Log", 672, LOG},
    {"Automatic", 237, AFG_AUTOMATIC},
    {"Nav lights", 672, NAV_LIGHTS_WHILE_PARKED},
    {"Learn Soft", 768, LEARN_SOFT},
    {"Max aircraft matching depth:", 5, MATCHING_DEPTH},
    {"Optional:", 253, LIGHT_AIRCRAFT},
    {"Traffic injection", 5, LATERAL_RANGE},
    {"radius:", 167, LATERAL_RANGE},
    {"nm,  or", 260, LATERAL_RANGE},
    {"auto range", 343, LATERAL_RANGE},
    {"max live:", 500, MAX_LIVE},
    {"Callsigns", 5, BLOCK_CALLSIGN},
    {"block:", 172, BLOCK_CALLSIGN},
    {"Collision avoidance:", 5, COLLISION_USER_GND},
    {"User ground", 237, COLLISION_USER_GND},
    {"User air", 343, COLLISION_USER_AIR},
    {"Live X parked", 450, COLLISION_LIVE_PARKED_GND},
    {"within range (nm):", 217, AIRPORT_RANGE},
    {"< height above gnd (ft):", 430, AIRPORT_HEIGHT},
    {"Fake", 25, PARK_FAKE},
    {"Week", 91, WEEK},
    {"Soft", 171, PARK_SOFT},
    {"%", 262, parking_percentage},
    {"ILO", 343, INITIAL_LOAD_ONLY},
    {"Max fit:", 400, MAX_FIT_FL},
};

void lf_label(const char* text, int x, const ParameterControl& rowOf, COLORREF textColour)
{
    gf_drawText(x, rowOf.row, text, textColour);
}

COLORREF lf_whileOn(const BoolParameter& setting, COLORREF on, COLORREF off)
{
    return setting.value.load() ? on : off;
}

// Size classes that no livery serves have their check box disabled.
COLORREF lf_byEnabled(const ParameterControl& control)
{
    return IsWindowEnabled(control.window) ? colour::black : colour::grey;
}

void lf_paintAirportParking()
{
    const bool running = staticParkingRunning.load();
    const bool listed = mainWindow.parkAirportListed.load();
    const COLORREF title = !listed ? colour::red : running ? colour::yellow : colour::black;
    lf_label(running ? "Airport static parking active:" : "Airport parking:", 5, AIRPORT_RANGE, title);
    const std::int32_t minutes = mainWindow.minutesToRenewal.load();
    if (staticParkingActive.load() && !running && !INITIAL_LOAD_ONLY.value.load() && minutes >= 1 && minutes <= 19)
        gf_drawText(111, AIRPORT_RANGE.row, fmt::format("(in {} min)", minutes), colour::black);
}
} // namespace

void gf_paintLabels()
{
    for (const Label& label : plainLabels)
        lf_label(label.text, label.x, label.rowOf, colour::black);

    lf_label("Scan for liveries:", 25, LIG_AUTOMATIC, lf_whileOn(SCAN_LIVERIES, colour::red, colour::black));
    lf_label("STUB", 450, SUPPRESS_STUB, lf_whileOn(SUPPRESS_STUB, colour::black, colour::grey));
    lf_label("Stay on top", 768, ALWAYS_ON_TOP, lf_whileOn(ALWAYS_ON_TOP, colour::yellow, colour::black));
    lf_label("Scan for addon airports:", 25, AFG_AUTOMATIC, lf_whileOn(SCAN_AIRPORTS, colour::red, colour::black));
    if (const std::int32_t tblo = tbloAirportCount.load(); tblo > 0)
        gf_drawText(323, AFG_AUTOMATIC.row, fmt::format("{} airport{} in TBLO folder", tblo, tblo == 1 ? "" : "s"),
                    colour::yellow);
    lf_label("Light aircraft", 343, LIGHT_AIRCRAFT, lf_byEnabled(LIGHT_AIRCRAFT));
    lf_label("Helicopters", 450, HELICOPTERS, lf_byEnabled(HELICOPTERS));
    lf_label("FighterJets", 556, HIGH_PERF_AIRCRAFT, lf_byEnabled(HIGH_PERF_AIRCRAFT));
    lf_label("Aerowinx", 672, AEROWINX, lf_whileOn(AEROWINX, colour::yellow, colour::black));
    lf_label("GUID changes", 768, GUID_CHANGES, lf_whileOn(GUID_CHANGES, colour::black, colour::yellow));
    lf_paintAirportParking();
}
