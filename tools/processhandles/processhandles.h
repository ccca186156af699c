#pragma once
// The handles a process holds, read from the system's handle list: GetProcessHandleCount
// answers 0 under Wine, even for the calling process; the list serves any process.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace processhandles {

struct Entry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

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

// The process's entries of the system handle list; empty when the list cannot be read.
inline std::vector<Entry> lf_entries(DWORD processId)
{
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = lf_ntdll<Query>("NtQuerySystemInformation");
    std::vector<Entry> mine;
    if (query == nullptr)
        return mine;
    std::vector<std::uint8_t> buffer(1 << 20);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(16 /* handle information */, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
            const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
            for (ULONG i = 0; i < count; ++i)
                if (entries[i].ownerPid == processId)
                    mine.push_back(entries[i]);
            return mine;
        }
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 65536));
    }
    return mine;
}

inline unsigned long gf_handleCount(DWORD processId)
{
    return static_cast<unsigned long>(lf_entries(processId).size());
}

// How many handles of each object type ("Event", "File", "Key" ...) the process holds;
// "?" counts those that could not be looked at.
inline std::map<std::string, int> gf_handleTypes(DWORD processId)
{
    using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    static const auto queryObject = lf_ntdll<QueryObject>("NtQueryObject");
    std::map<std::string, int> types;
    const HANDLE process = OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId);
    for (const Entry& entry : lf_entries(processId)) {
        std::string type = "?";
        HANDLE copy = nullptr;
        if (process != nullptr && queryObject != nullptr &&
            DuplicateHandle(process, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(entry.handle)),
                            GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            alignas(8) std::uint8_t information[1024];
            if (queryObject(copy, 2 /* type information */, information, sizeof information, nullptr) == 0) {
                const auto* name = reinterpret_cast<const CountedText*>(information);
                type.assign(name->text, name->text + name->length / sizeof(wchar_t)); // type names are ASCII
            }
            CloseHandle(copy);
        }
        ++types[type];
    }
    if (process != nullptr)
        CloseHandle(process);
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
