#pragma once
// The two RealTraffic UDP readers as the rest of the program uses them.
#include "links/qnhreader.h"
#include "links/trafficreader.h"

// Resets the live state before traffic starts again: time stamp, QNH, callsigns seen,
// stop flags, counters and light flags.
void gf_resetTraffic();
// The reader lights from the datagram counters since the last check (main loop).
void gf_updateStatusLights();
// Stops both readers and waits for their threads to end.
void gf_stopReaders();
