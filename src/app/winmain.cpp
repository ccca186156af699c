// Entry point of Tarnwick_P3D.exe.
#include "app/mainwindow.h"
#include "foundation/log.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // One instance at a time; the mutex lives as long as the process.
    CreateMutexA(nullptr, FALSE, "Local\\$Tarnwick_P3D$");
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return -1;
    try {
        gf_openLog();
    } catch (const std::exception&) {
        // Runs on without a log.
    }
    return initInstance(instance);
}
