// A process that holds no handle: it lets go of every handle it has, tells its starter through
// the named event given as its argument, and waits a minute to be ended. Its handle table is
// then empty, as a starting process's is for a moment.
#include <windows.h>

#include <cstdint>

int wmain(int argc, wchar_t** argv)
{
    const HANDLE told = argc > 1 ? OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]) : nullptr;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4)
        if (reinterpret_cast<HANDLE>(value) != told)
            CloseHandle(reinterpret_cast<HANDLE>(value));
    SetEvent(told);
    CloseHandle(told);
    Sleep(60000);
    return 0;
}
