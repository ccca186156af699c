#include "foundation/registry.h"
#include "foundation/winstring.h"
#include "support/registrysandbox.h"

#include <gtest/gtest.h>

namespace {
const std::wstring v4 = L"SOFTWARE\\Lockheed Martin\\Prepar3D v4";
const std::wstring v5 = L"SOFTWARE\\Lockheed Martin\\Prepar3D v5";
const std::wstring v6 = L"SOFTWARE\\Lockheed Martin\\Prepar3D v6";

void lf_setSetupPath(const std::wstring& key, const std::wstring& path, DWORD type = REG_SZ)
{
    RegistrySandbox::setString(HKEY_LOCAL_MACHINE, key, L"SetupPath", path, type);
}
} // namespace

TEST(Registry, InstalledVersionsAreTheKeysThatExist)
{
    RegistrySandbox registry;
    EXPECT_FALSE(gf_simulatorInstalled(5));
    lf_setSetupPath(v5, L"C:\\Program Files\\Lockheed Martin\\Prepar3D v5\\");
    EXPECT_FALSE(gf_simulatorInstalled(4));
    EXPECT_TRUE(gf_simulatorInstalled(5));
    EXPECT_FALSE(gf_simulatorInstalled(6));
    EXPECT_EQ(gf_simulatorSetupPath(5), std::filesystem::path(L"C:\\Program Files\\Lockheed Martin\\Prepar3D v5\\"));
    EXPECT_TRUE(gf_simulatorSetupPath(6).empty());
}

TEST(Registry, SetupPathMustBeAPlainString)
{
    RegistrySandbox registry;
    lf_setSetupPath(v4, L"%ProgramFiles%\\P3D", REG_EXPAND_SZ);
    lf_setSetupPath(v5, L"");
    RegistrySandbox::createKey(HKEY_LOCAL_MACHINE, v6);
    EXPECT_TRUE(gf_simulatorInstalled(4));
    EXPECT_TRUE(gf_simulatorSetupPath(4).empty());
    EXPECT_TRUE(gf_simulatorSetupPath(5).empty());
    EXPECT_TRUE(gf_simulatorInstalled(6));
    EXPECT_TRUE(gf_simulatorSetupPath(6).empty());
}

TEST(Registry, LongAndNonAsciiPathsAreReadWhole)
{
    RegistrySandbox registry;
    const std::wstring longPath = L"D:\\" + std::wstring(3000, L'x') + L"\\Prepar3D v6";
    lf_setSetupPath(v6, longPath);
    EXPECT_EQ(gf_simulatorSetupPath(6).wstring(), longPath);
    const std::wstring accented = L"C:\\Users\\J\u00fcrgen\\Prepar3D v5";
    lf_setSetupPath(v5, accented);
    EXPECT_EQ(gf_simulatorSetupPath(5).wstring(), accented);
    EXPECT_EQ(gf_pathText(gf_simulatorSetupPath(5)), "C:\\Users\\J\xC3\xBCrgen\\Prepar3D v5");
}

TEST(Registry, RootKeysAreNeverClosed)
{
    winreg::RegKey root(HKEY_LOCAL_MACHINE);
    root.Close();
    EXPECT_EQ(root.Get(), nullptr);
    winreg::RegKey again;
    again.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE", KEY_READ);
    winreg::RegKey moved(std::move(again));
    EXPECT_EQ(again.Get(), nullptr);
    EXPECT_NE(moved.Get(), nullptr);
    EXPECT_THROW(moved.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\No Such Key Here", KEY_READ), winreg::RegException);
}

TEST(Registry, RoamingFolderIsTheUsersAppData)
{
    const auto folder = gf_shellFolderPath();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(folder.filename(), L"Roaming");
}
