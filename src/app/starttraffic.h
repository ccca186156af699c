#pragma once
// The start of traffic: the live links brought up in order, then the main loop.

// Runs on the start-up thread; returns when the main loop has ended, or as soon as an
// exit cuts one of its waits short.
void gf_startTraffic();
// Waits for a running flight with a valid user position; false when an exit came first.
bool gf_waitForFlight();
// After a user error ended the traffic (the program stays open): the readers, the server
// and the injected aircraft go, and the window shows that nothing runs any more. On the
// start-up and main-loop thread, which owns the traffic tables.
void gf_stopTrafficShown();
