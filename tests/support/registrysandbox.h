#pragma once
// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process to fresh keys of
// the real registry, so that tests set the values they need without disturbing the
// tests running beside them. The keys are deleted at the end.
#include <string>

#include <windows.h>

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // Values under the redirected roots (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER).
    static void setString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value,
                          DWORD type = REG_SZ);
    static void setDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
    static void createKey(HKEY root, const std::wstring& key);

private:
    std::wstring m_base;
    HKEY m_machine = nullptr;
    HKEY m_user = nullptr;
};
