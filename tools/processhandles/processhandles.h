#pragma once
// The handles a process holds, found by trying its handle values one by one: GetProcessHandleCount
// answers 0 under Wine, and the system's handle list must not be asked for: Wine's server (8.0)
// crashes when it lists a process whose handle table is empty, as a process's is for a moment
// while it starts, and every process of the session then waits for ever.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

namespace processhandles {

// The counted text at the start of an object's type information.
struct CountedText {
    USHORT length; // in bytes
    USHORT room;
    PWSTR text;
};

template <class Function>
Function lf_ntdll(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), name)));
}

// Handle values are multiples of 4 and a new handle takes the lowest free one, so the search
// ends after this many free values in a row.
inline constexpr std::uintptr_t lf_freeValuesAtTheEnd = 4096;

// Calls `visit` with each handle the process holds, as a handle of the calling process (a copy
// for another process, valid during the call); false when the process cannot be looked at.
template <class Visit>
bool lf_forEachHandle(DWORD processId, Visit visit)
{
    const bool self = processId == GetCurrentProcessId();
    const HANDLE process = self ? nullptr : OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId);
    if (!self && process == nullptr)
        return false;
    for (std::uintptr_t value = 4, freeInARow = 0; freeInARow < lf_freeValuesAtTheEnd; value += 4) {
        const auto handle = reinterpret_cast<HANDLE>(value);
        HANDLE copy = nullptr;
        DWORD flags = 0;
        const bool held = self ? GetHandleInformation(handle, &flags) != FALSE
                               : DuplicateHandle(process, handle, GetCurrentProcess(), &copy, 0, FALSE,
                                                 DUPLICATE_SAME_ACCESS) != FALSE;
        if (!held) {
            ++freeInARow;
            continue;
        }
        freeInARow = 0;
        visit(self ? handle : copy);
        if (copy != nullptr)
            CloseHandle(copy);
    }
    if (process != nullptr)
        CloseHandle(process);
    return true;
}

// 0 when the process cannot be looked at.
inline unsigned long gf_handleCount(DWORD processId)
{
    unsigned long count = 0;
    lf_forEachHandle(processId, [&](HANDLE) { ++count; });
    return count;
}

// How many handles of each object type ("Event", "File", "Key" ...) the process holds;
// "?" counts those whose type could not be read.
inline std::map<std::string, int> gf_handleTypes(DWORD processId)
{
    using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    static const auto queryObject = lf_ntdll<QueryObject>("NtQueryObject");
    std::map<std::string, int> types;
    lf_forEachHandle(processId, [&](HANDLE handle) {
        std::string type = "?";
        alignas(8) std::uint8_t information[1024];
        if (queryObject != nullptr && queryObject(handle, 2 /* type information */, information, sizeof information,
                                                  nullptr) == 0) {
            const auto* name = reinterpret_cast<const CountedText*>(information);
            type.assign(name->text, name->text + name->length / sizeof(wchar_t)); // type names are ASCII
        }
        ++types[type];
    });
    return types;
}

// The types whose count changed, as "Event +5, File -1"; empty when none did.
inline std::string gf_typeChanges(const std::map<std::string, int>& before, const std::map<std::string, int>& after)
{
    std::map<std::string, int> change;
    for (const auto& [type, count] : after)
        change[type] += count;
    for (const auto& [type, count] : before)
        change[type] -= count;
    std::string text;
    for (const auto& [type, difference] : change)
        if (difference != 0)
            text += (text.empty() ? "" : ", ") + type + (difference > 0 ? " +" : " ") + std::to_string(difference);
    return text;
}

} // namespace processhandles
