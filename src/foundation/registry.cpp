#include "foundation/registry.h"

#include "foundation/winstring.h"

#include <windows.h>
#include <shlobj.h>

namespace winreg {

RegKey& RegKey::operator=(RegKey&& other) noexcept
{
    if (this != &other) {
        Close();
        m_handle = other.m_handle;
        other.m_handle = nullptr;
    }
    return *this;
}

void RegKey::Open(HKEY parent, const std::wstring& subKey, unsigned long access)
{
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(parent, subKey.c_str(), 0, access, &opened);
    if (result != ERROR_SUCCESS)
        throw RegException(result, "RegOpenKeyExW failed.");
    Close();
    m_handle = opened;
}

std::wstring RegKey::GetStringValue(const std::wstring& valueName) const
{
    // Only REG_SZ counts: without RRF_NOEXPAND a REG_EXPAND_SZ value would be expanded and accepted.
    // The value may grow between the size query and the read: ask again until it fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD bytes = 0;
        LONG result = RegGetValueW(m_handle, nullptr, valueName.c_str(), RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, nullptr, &bytes);
        if (result != ERROR_SUCCESS)
            throw RegException(result, "Cannot get size of string value: RegGetValueW failed.");
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD room = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        result = RegGetValueW(m_handle, nullptr, valueName.c_str(), RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, text.data(), &room);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            throw RegException(result, "Cannot get string value: RegGetValueW failed.");
        // RegGetValueW terminates the text; keep what stands before the first zero.
        text.resize(wcsnlen(text.c_str(), room / sizeof(wchar_t)));
        return text;
    }
    throw RegException(ERROR_MORE_DATA, "Cannot get string value: RegGetValueW failed.");
}

void RegKey::Close()
{
    static const HKEY predefined[] = {HKEY_CLASSES_ROOT,     HKEY_CURRENT_USER,
                                      HKEY_LOCAL_MACHINE,    HKEY_USERS,
                                      HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG,
                                      HKEY_CURRENT_USER_LOCAL_SETTINGS, HKEY_PERFORMANCE_TEXT,
                                      HKEY_PERFORMANCE_NLSTEXT};
    if (m_handle != nullptr) {
        bool isRoot = false;
        for (HKEY root : predefined)
            isRoot = isRoot || root == m_handle;
        if (!isRoot)
            RegCloseKey(m_handle);
    }
    m_handle = nullptr;
}

} // namespace winreg

namespace {
winreg::RegKey lf_openSimulatorKey(int version)
{
    const std::wstring key = L"SOFTWARE\\Lockheed Martin\\Prepar3D v" + std::to_wstring(version);
    winreg::RegKey opened;
    opened.Open(HKEY_LOCAL_MACHINE, key, KEY_READ | KEY_WOW64_64KEY);
    return opened;
}
} // namespace

bool gf_simulatorInstalled(int version)
{
    try {
        lf_openSimulatorKey(version);
        return true;
    } catch (const winreg::RegException&) {
        return false;
    }
}

std::filesystem::path gf_simulatorSetupPath(int version)
{
    try {
        const winreg::RegKey key = lf_openSimulatorKey(version);
        const std::wstring path = key.GetStringValue(L"SetupPath");
        gf_utf16ToUtf8(path); // a path that cannot be written in UTF-8 counts as unknown
        return std::filesystem::path(path);
    } catch (const winreg::RegException&) {
        return {};
    } catch (const win32::Utf8ConversionException&) {
        return {};
    }
}

std::filesystem::path gf_shellFolderPath()
{
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return {};
    return std::filesystem::path(std::wstring(buffer));
}

bool p3dv4Installed = gf_simulatorInstalled(4);
bool p3dv5Installed = gf_simulatorInstalled(5);
bool p3dv6Installed = gf_simulatorInstalled(6);
