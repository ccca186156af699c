#pragma once
// The program's identifiers with the simulator: system events, data definitions, client
// events, the notification group and the requests. No <windows.h> here.
#include <cstdint>

// System events.
inline constexpr std::uint32_t evSim = 201;
inline constexpr std::uint32_t evObjectAdded = 202;
inline constexpr std::uint32_t evObjectRemoved = 203;
inline constexpr std::uint32_t evFrame = 204;
inline constexpr std::uint32_t evPositionChanged = 205;
inline constexpr std::uint32_t evFlightLoaded = 206;

// Client events.
inline constexpr std::uint32_t ceBeaconLights = 207;
inline constexpr std::uint32_t ceNavLights = 208;
inline constexpr std::uint32_t ceTaxiLights = 209;
inline constexpr std::uint32_t ceStrobes = 210;
inline constexpr std::uint32_t ceLandingLights = 211;
inline constexpr std::uint32_t ceCabinLights = 212;
inline constexpr std::uint32_t ceLogoLights = 213;
inline constexpr std::uint32_t ceAllLightsToggle = 214;
inline constexpr std::uint32_t ceFreezeLatLon = 215;
inline constexpr std::uint32_t ceFreezeAltitude = 216;
inline constexpr std::uint32_t ceFreezeAttitude = 217;
inline constexpr std::uint32_t ceFlaps = 218;
inline constexpr std::uint32_t ceSpoilers = 219;
inline constexpr std::uint32_t ceGear = 220;
inline constexpr std::uint32_t ceEngineStart = 221;
inline constexpr std::uint32_t ceEngineShutdown = 222;
inline constexpr std::uint32_t ceThrottle = 223;

inline constexpr std::uint32_t notificationGroup = 301;

// Data definitions.
inline constexpr std::uint32_t defSpoilersThrottles = 401; // three f64
inline constexpr std::uint32_t defAiPosition = 402;        // eight f64, written to move an AI aircraft
inline constexpr std::uint32_t defUserAircraft = 403;      // the user aircraft block
inline constexpr std::uint32_t defNearbyAircraft = 404;    // height above ground, ground altitude, on ground, ATC id
inline constexpr std::uint32_t defStaticCg = 405;          // static CG to ground, static pitch
inline constexpr std::uint32_t defLightOnStates = 406;     // declared, never requested
inline constexpr std::uint32_t defTitle = 407;
inline constexpr std::uint32_t defAtcModel = 408;
inline constexpr std::uint32_t defOnGround = 409;

// Requests.
inline constexpr std::uint32_t reqWithinRange = 101;
inline constexpr std::uint32_t reqStaticCg = 102;
inline constexpr std::uint32_t reqReleaseControl = 103;
inline constexpr std::uint32_t reqCreateAircraft = 104;
inline constexpr std::uint32_t reqRemoveObject = 105;
inline constexpr std::uint32_t reqUserTitle = 106;
inline constexpr std::uint32_t reqUserModel = 107;
inline constexpr std::uint32_t reqUserOnGround = 108;
inline constexpr std::uint32_t reqUserPosition = 109;
inline constexpr std::uint32_t reqFlightPlan = 110;
inline constexpr std::uint32_t reqNewObject = 111; // definition 404 of one object just announced

// What the frame flush writes with definition 402 for one AI aircraft.
inline constexpr std::uint32_t aiPositionBytes = 64;
