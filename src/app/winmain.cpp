// Entry point of Tarnwick_P3D.exe.
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "foundation/log.h"

#include <windows.h>

#include <cstdlib>
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
        // Runs on without a log; the status line says why.
    }
    const int result = initInstance(instance);
    // The exit thread posts the quit message just before it ends; the threads it waited
    // for get the same bounded time again before the process ends.
    gf_waitForThreads(0);
    // A thread still running would find the static objects destroyed under it: the process
    // ends without destroying them.
    if (runningThreads.load() > 0)
        std::_Exit(result);
    return result;
}
