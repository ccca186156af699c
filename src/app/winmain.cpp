// Entry point of Tarnwick_P3D.exe.
#include "foundation/log.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    try {
        gf_openLog();
    } catch (const std::exception&) {
        // Runs on without a log.
    }
    gf_closeLog();
    return 0;
}
