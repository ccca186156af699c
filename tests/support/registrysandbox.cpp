#include "support/registrysandbox.h"

#include <stdexcept>

namespace {
HKEY lf_create(HKEY root, const std::wstring& key)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("test registry key could not be created");
    return opened;
}
} // namespace

RegistrySandbox::RegistrySandbox()
    : m_base(L"Software\\TarnwickTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(GetTickCount64()))
{
    m_machine = lf_create(HKEY_CURRENT_USER, m_base + L"\\machine");
    m_user = lf_create(HKEY_CURRENT_USER, m_base + L"\\user");
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine);
    RegOverridePredefKey(HKEY_CURRENT_USER, m_user);
}

RegistrySandbox::~RegistrySandbox()
{
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(m_machine);
    RegCloseKey(m_user);
    RegDeleteTreeW(HKEY_CURRENT_USER, m_base.c_str());
}

void RegistrySandbox::setString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value,
                                DWORD type)
{
    HKEY opened = lf_create(root, key);
    RegSetValueExW(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
}

void RegistrySandbox::setDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value)
{
    HKEY opened = lf_create(root, key);
    RegSetValueExW(opened, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(opened);
}

void RegistrySandbox::createKey(HKEY root, const std::wstring& key) { RegCloseKey(lf_create(root, key)); }
