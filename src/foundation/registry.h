#pragma once
// The simulator's install path from the registry, and the roaming folder from the shell.
#include <filesystem>
#include <string>
#include <system_error>

#ifndef _WINDEF_
struct HKEY__;
typedef HKEY__* HKEY;
#endif

namespace winreg {

class RegException : public std::system_error {
public:
    RegException(long errorCode, const char* message)
        : std::system_error(static_cast<int>(errorCode), std::system_category(), message) {}
};

// Owns one open key; predefined root keys are never closed.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY handle) : m_handle(handle) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    RegKey& operator=(RegKey&& other) noexcept;
    ~RegKey() { Close(); }

    HKEY Get() const { return m_handle; }
    // Opens a sub-key for reading (64-bit view); raises RegException.
    void Open(HKEY parent, const std::wstring& subKey, unsigned long access);
    // Reads a REG_SZ value whole; raises RegException.
    std::wstring GetStringValue(const std::wstring& valueName) const;
    void Close();

private:
    HKEY m_handle = nullptr;
};

} // namespace winreg

// Prepar3D v4, v5 and v6 found in the registry, probed at static initialisation.
extern bool p3dv4Installed;
extern bool p3dv5Installed;
extern bool p3dv6Installed;

bool gf_simulatorInstalled(int version);
// The "SetupPath" of the version's key; empty when unknown or unreadable.
std::filesystem::path gf_simulatorSetupPath(int version);
// The current user's roaming application-data folder; empty when unknown.
std::filesystem::path gf_shellFolderPath();
