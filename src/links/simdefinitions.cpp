// What the program declares to the simulator after connecting, and takes back before closing.
#include "links/simids.h"
#include "links/simlink.h"

#include "simconnect/protocol.h"

#include <array>

namespace {
struct Datum {
    std::uint32_t define;
    const char* name;
    const char* unit; // null: none
    std::uint32_t type;
};

struct NamedEvent {
    std::uint32_t id;
    const char* name;
};

constexpr Datum readDatums[] = {
    {defTitle, "TITLE", nullptr, scDatumStringVariable},
    {defAtcModel, "ATC MODEL", nullptr, scDatumString32},
    {defOnGround, "SIM ON GROUND", "Bool", scDatumInt64},
    {defAiPosition, "Plane Latitude", "degree", scDatumFloat64},
    {defAiPosition, "Plane Longitude", "degree", scDatumFloat64},
    {defAiPosition, "Plane Pitch degrees", "radians", scDatumFloat64},
    {defAiPosition, "Plane Bank degrees", "radians", scDatumFloat64},
    {defAiPosition, "Plane Heading degrees true", "radians", scDatumFloat64},
    {defAiPosition, "Plane Altitude", "feet", scDatumFloat64},
    {defAiPosition, "Vertical Speed", "feet per second", scDatumFloat64},
    {defAiPosition, "Airspeed True", "knots", scDatumFloat64},
    {defUserAircraft, "Plane Latitude", "degree", scDatumFloat64},
    {defUserAircraft, "Plane Longitude", "degree", scDatumFloat64},
    {defUserAircraft, "Plane Pitch degrees", "radians", scDatumFloat64},
    {defUserAircraft, "Plane Bank degrees", "radians", scDatumFloat64},
    {defUserAircraft, "Plane Heading degrees true", "radians", scDatumFloat64},
    {defUserAircraft, "Plane Altitude", "feet", scDatumFloat64},
    {defUserAircraft, "Plane Alt Above Ground", "feet", scDatumFloat64},
    {defUserAircraft, "Ground Velocity", "knots", scDatumFloat64},
    {defUserAircraft, "ZULU TIME", "Seconds", scDatumInt64},
    {defUserAircraft, "ZULU DAY OF YEAR", "Number", scDatumInt64},
    {defUserAircraft, "ZULU YEAR", "Number", scDatumInt64},
    {defUserAircraft, "LIGHT STATES", "Mask", scDatumInt64},
    {defStaticCg, "Static CG to Ground", "feet", scDatumFloat64},
    {defStaticCg, "Static Pitch", "radians", scDatumFloat64},
    {defLightOnStates, "Light On States", "Mask", scDatumInt64},
    {defNearbyAircraft, "Plane Alt Above Ground", "feet", scDatumFloat64},
    {defNearbyAircraft, "Ground Altitude", "feet", scDatumFloat64},
    {defNearbyAircraft, "SIM ON GROUND", "Bool", scDatumInt64},
    {defNearbyAircraft, "ATC ID", nullptr, scDatumString32},
};

constexpr Datum throttleDatums[] = {
    {defSpoilersThrottles, "SPOILERS HANDLE POSITION", "percent", scDatumFloat64},
    {defSpoilersThrottles, "GENERAL ENG THROTTLE LEVER POSITION:1", "percent", scDatumFloat64},
    {defSpoilersThrottles, "GENERAL ENG THROTTLE LEVER POSITION:2", "percent", scDatumFloat64},
};

constexpr NamedEvent clientEvents[] = {
    {ceGear, "GEAR_SET"},
    {ceEngineStart, "ENGINE_AUTO_START"},
    {ceEngineShutdown, "ENGINE_AUTO_SHUTDOWN"},
    {ceThrottle, "THROTTLE_SET"},
    {ceFlaps, "FLAPS_SET"},
    {ceSpoilers, "SPOILERS_SET"},
    {ceNavLights, "NAV_LIGHTS_SET"},
    {ceBeaconLights, "BEACON_LIGHTS_SET"},
    {ceLandingLights, "LANDING_LIGHTS_SET"},
    {ceTaxiLights, "TAXI_LIGHTS_SET"},
    {ceStrobes, "STROBES_SET"},
    {ceLogoLights, "LOGO_LIGHTS_SET"},
    {ceCabinLights, "CABIN_LIGHTS_SET"},
    {ceAllLightsToggle, "ALL_LIGHTS_TOGGLE"},
    {ceFreezeLatLon, "FREEZE_LATITUDE_LONGITUDE_SET"},
    {ceFreezeAltitude, "FREEZE_ALTITUDE_SET"},
    {ceFreezeAttitude, "FREEZE_ATTITUDE_SET"},
};

// ENGINE_AUTO_START stays out of the group.
constexpr std::uint32_t groupEvents[] = {ceNavLights,  ceBeaconLights,  ceLandingLights, ceTaxiLights,
                                         ceStrobes,    ceLogoLights,    ceCabinLights,   ceAllLightsToggle,
                                         ceFlaps,      ceSpoilers,      ceGear,          ceEngineShutdown,
                                         ceThrottle,   ceFreezeLatLon,  ceFreezeAltitude, ceFreezeAttitude};

constexpr NamedEvent systemEvents[] = {
    {evSim, "Sim"},
    {evObjectAdded, "ObjectAdded"},
    {evObjectRemoved, "ObjectRemoved"},
    {evPositionChanged, "PositionChanged"},
    {evFlightLoaded, "FlightLoaded"},
    {evFrame, "Frame"},
};

constexpr std::uint32_t clearedDefinitions[] = {defTitle,      defAtcModel,          defOnGround,
                                                defAiPosition, defUserAircraft,      defSpoilersThrottles,
                                                defNearbyAircraft, defStaticCg,      defLightOnStates};

constexpr std::uint32_t anyDatumId = 0xFFFFFFFF;

void lf_addDatums(ScConnection* connection, const auto& datums)
{
    for (const Datum& datum : datums)
        SimConnect_AddToDataDefinition(connection, datum.define, datum.name, datum.unit, datum.type, 0.0f,
                                       anyDatumId);
}
} // namespace

void setupSimConnect(ScConnection* connection)
{
    // The events come first; the dispatch, which handles them, runs only once all is declared.
    for (const NamedEvent& event : systemEvents)
        SimConnect_SubscribeToSystemEvent(connection, event.id, event.name);
    lf_addDatums(connection, readDatums);
    for (const NamedEvent& event : clientEvents)
        SimConnect_MapClientEventToSimEvent(connection, event.id, event.name);
    lf_addDatums(connection, throttleDatums);
    for (const std::uint32_t event : groupEvents)
        SimConnect_AddClientEventToNotificationGroup(connection, notificationGroup, event, 1);
    SimConnect_SetNotificationGroupPriority(connection, notificationGroup, 1);
}

void lf_clearDefinitions(ScConnection* connection)
{
    for (const std::uint32_t define : clearedDefinitions)
        SimConnect_ClearDataDefinition(connection, define);
    for (std::uint32_t event = evSim; event <= evFlightLoaded; ++event)
        SimConnect_UnsubscribeFromSystemEvent(connection, event);
}
