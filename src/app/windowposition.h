#pragma once
// The main window's place on the screen, kept in MAIN_WINDOW_X and MAIN_WINDOW_Y.
#include "foundation/settingscatalogue.h"

struct WindowPlace {
    int x;
    int y;
};

// The stored position from parameters.xml (not logged); a coordinate stored on one of
// its limits takes its default, which is saved. Nothing changes when the file does not load.
void gf_loadWindowPosition();
// The place itself when the window's caption can be seen and dragged on a screen, else
// the nearest place inside the work area of the nearest screen.
WindowPlace gf_visibleWindowPlace(WindowPlace place, int width, int height);
