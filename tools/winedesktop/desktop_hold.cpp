// Holds Wine's desktop for a session of the scripts. Wine starts its desktop process for the
// first program that makes a window, with that program's output, and keeps it while windows
// come and go: started by a test, it would hold the test runner's pipe of that test until the
// runner's time-out. This one makes a hidden window first, says "ready" once the desktop
// serves, and stays until it is ended.
#include <windows.h>

#include <cstdio>

int wmain()
{
    if (!CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
