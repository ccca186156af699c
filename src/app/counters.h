#pragma once
// Called once a second by the main loop (main-loop thread): the live and parked counts of
// the window follow the traffic manager, repainting their strips when they changed.
void gf_refreshCounters();
