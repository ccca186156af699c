// The simulator's registered TCP ports, written as the simulator writes them.
#include "simstandin/simstandin.h"

#include <windows.h>

namespace standin {

void gf_registerSimulatorPort(bool ipv6, const std::wstring& port)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Lockheed Martin\\Prepar3D v5", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t* name = ipv6 ? L"SimConnect_Port_IPv6" : L"SimConnect_Port_IPv4";
    if (port.empty())
        RegDeleteValueW(key, name);
    else
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                       static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

} // namespace standin
