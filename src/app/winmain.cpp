// Entry point of Tarnwick_P3D.exe.
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "foundation/log.h"

#include <windows.h>

#include <exception>

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
    const int result = initInstance(instance);
    // The exit thread posts the quit message just before it ends; the threads it waited
    // for get the same bounded time again before the process ends.
    gf_waitForThreads(0);
    return result;
}
