#pragma once
// Requests to the main loop. Only the main-loop thread changes the traffic tables, so the
// window thread raises these and the main loop carries them out and clears them.
#include <atomic>
#include <cstdint>

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
