#include "simconnect/config.h"

#include "foundation/registry.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cwchar>

namespace fs = std::filesystem;

namespace {
constexpr DWORD valueRoom = 2048;
constexpr std::size_t longestAddress = 1023;
constexpr std::size_t longestRegistryPort = 9;

std::wstring lf_sectionName(std::uint32_t index)
{
    return index == 0 ? std::wstring(L"SimConnect") : L"SimConnect." + std::to_wstring(index);
}

std::wstring lf_readValue(const fs::path& file, const std::wstring& section, const wchar_t* key)
{
    std::wstring value(valueRoom, L'\0');
    const DWORD length =
        GetPrivateProfileStringW(section.c_str(), key, L"", value.data(), valueRoom, file.c_str());
    value.resize(length);
    return value;
}

fs::path lf_knownFolder(const KNOWNFOLDERID& id)
{
    PWSTR path = nullptr;
    fs::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

bool lf_equalNoCase(const std::wstring& a, const wchar_t* b)
{
    return _wcsicmp(a.c_str(), b) == 0;
}
} // namespace

std::vector<fs::path> sc_configFiles()
{
    std::vector<fs::path> files;
    std::error_code ignored;
    for (const fs::path& folder : {lf_knownFolder(FOLDERID_PublicDocuments), lf_knownFolder(FOLDERID_Documents),
                                   fs::current_path(ignored)})
        if (!folder.empty())
            files.push_back(folder / L"SimConnect.cfg");
    return files;
}

int sc_findConfigSection(const fs::path& file, std::uint32_t index)
{
    // A double-NUL terminated list of every section name of the file.
    std::wstring names(32767, L'\0');
    const DWORD length = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), file.c_str());
    const std::wstring wanted = lf_sectionName(index);
    for (std::size_t pos = 0; pos < length && names[pos] != L'\0';) {
        const std::wstring name(names.c_str() + pos);
        if (lf_equalNoCase(name, wanted.c_str()))
            return 0;
        pos += name.size() + 1;
    }
    return 3;
}

void sc_readConfig(const fs::path& file, std::uint32_t index, ScConfig& config)
{
    const std::wstring section = lf_sectionName(index);
    const std::wstring protocol = lf_readValue(file, section, L"Protocol");
    if (lf_equalNoCase(protocol, L"Auto") || lf_equalNoCase(protocol, L"Pipe")) {
        config.protocol = ScProtocol::pipe;
    } else if (lf_equalNoCase(protocol, L"IPv4") || lf_equalNoCase(protocol, L"IPv6")) {
        const bool ipv6 = lf_equalNoCase(protocol, L"IPv6");
        config.protocol = ipv6 ? ScProtocol::ipv6 : ScProtocol::ipv4;
        if (!config.port.empty())
            sc_readPortFromRegistry(ipv6, config.port);
    }
    if (const std::wstring address = lf_readValue(file, section, L"Address"); !address.empty())
        config.address = address.substr(0, longestAddress);
    if (const std::wstring port = lf_readValue(file, section, L"Port"); !port.empty())
        config.port = port.substr(0, longestAddress);
    const std::wstring maxReceive = lf_readValue(file, section, L"MaxReceiveSize");
    const unsigned long size = std::wcstoul(maxReceive.c_str(), nullptr, 10);
    if (size > config.maxReceiveSize)
        config.maxReceiveSize = static_cast<std::uint32_t>(size);
    if (const std::wstring nagle = lf_readValue(file, section, L"DisableNagle"); !nagle.empty())
        config.disableNagle = std::wcstol(nagle.c_str(), nullptr, 10) != 0;
}

bool sc_readPortFromRegistry(bool ipv6, std::wstring& port)
{
    port.clear();
    try {
        winreg::RegKey key;
        key.Open(HKEY_CURRENT_USER, L"SOFTWARE\\Lockheed Martin\\Prepar3D v5", KEY_READ);
        std::wstring value = key.GetStringValue(ipv6 ? L"SimConnect_Port_IPv6" : L"SimConnect_Port_IPv4");
        if (value.size() > longestRegistryPort)
            return false; // does not fit the value's field
        port = std::move(value);
        return true;
    } catch (const winreg::RegException&) {
        return false;
    }
}
