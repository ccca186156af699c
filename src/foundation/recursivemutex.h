#pragma once
// A std::recursive_mutex that gives back what the thread library made for it. With the
// posix threads of mingw-w64 the standard recursive mutex never destroys its native mutex:
// one that a thread ever waited on keeps an event handle (and a small block) after its
// object is gone. Objects that are made and freed while the program runs use this one.
#include <mutex>

class RecursiveMutex : public std::recursive_mutex {
public:
    RecursiveMutex() = default;
#ifdef __GTHREAD_RECURSIVE_MUTEX_INIT // the standard destructor then does nothing
    ~RecursiveMutex() { pthread_mutex_destroy(native_handle()); }
#endif
    RecursiveMutex(const RecursiveMutex&) = delete;
    RecursiveMutex& operator=(const RecursiveMutex&) = delete;
};
