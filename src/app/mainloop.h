#pragma once
// The main loop: a 10 ms tick with the traffic manager's upkeep, the per-second jobs
// paced by the simulator's user-aircraft reports, and the slower jobs by a seconds
// counter. Runs on the start-up thread after the start of traffic.
#include <atomic>
#include <cstdint>

// Requests to the main loop. Only the main-loop thread changes the traffic tables, so the
// window thread raises these and the main loop carries them out and clears them.
extern std::atomic<bool> reReadRequest;        // read the park airports again; enables "Re-read"
extern std::atomic<bool> staticFlushRequest;   // remove all static parked aircraft
extern std::atomic<bool> callsignBlockRequest; // BLOCK_CALLSIGN changed
extern std::atomic<bool> staticRenewalRequest; // renew the static parked aircraft
extern std::atomic<bool> noMatchClearRequest;  // MATCHING_DEPTH raised: forget the flights without a match
extern std::atomic<bool> navLightsRequest;     // send NAV_LIGHTS_WHILE_PARKED to the parked aircraft
extern std::atomic<bool> autoRangeRequest;     // run the automatic range now
extern std::atomic<bool> liveTrimRequest;      // trim the created live aircraft to the live maximum

// The main loop's seconds counter (0 at each start).
extern std::atomic<std::int32_t> secondsCounter;
// The flight stopped running (set on the first tick without it, cleared when it runs again).
extern std::atomic<bool> flightPaused;
// The static renewal's phase: 0 idle, 1 first phase done.
extern std::atomic<std::int32_t> renewalPhase;

// Runs until an exit; an exception is reported and ends the loop.
void mainLoop();
// One tick of 10 ms.
void lf_mainTick();
void lf_everySecond();
// One of the per-second jobs: taxiing live aircraft against the static parked aircraft.
void lf_liveParkedCollisions();
void lf_flightNotRunning();
void lf_reReadIfRequested();
// The jobs of second n that are not done every second: 15, 16, 59 and 61 s and slower.
void lf_slowJobs(std::int32_t n);
void lf_every30Seconds(std::int32_t n);

// LATERAL_RANGE and the live radius from the user aircraft's state.
void gf_autoRange();
// The radius in nautical miles: 8 on the ground; 40 above the airport height; else by the
// distance to the park airport (10000 when there is none).
std::int32_t gf_autoRangeRadius(bool onGround, double altitudeFeet, std::int32_t airportHeight, double distanceNm);
