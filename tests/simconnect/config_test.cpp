// SimConnect.cfg and the registered ports, read from real files and registry values.
#include "simconnect/config.h"
#include "simconnect/connect.h"
#include "support/registrysandbox.h"
#include "support/simconnectenv.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace fs = std::filesystem;

namespace {
fs::path lf_knownFolder(const KNOWNFOLDERID& id)
{
    PWSTR path = nullptr;
    SHGetKnownFolderPath(id, 0, nullptr, &path);
    fs::path folder = path == nullptr ? fs::path() : fs::path(path);
    CoTaskMemFree(path);
    return folder;
}

// SimConnect.cfg in the shared Documents folders, removed again at the end.
class SharedConfigFiles {
public:
    SharedConfigFiles()
        : m_public(lf_knownFolder(FOLDERID_PublicDocuments) / L"SimConnect.cfg"),
          m_documents(lf_knownFolder(FOLDERID_Documents) / L"SimConnect.cfg")
    {
        remove();
    }
    ~SharedConfigFiles() { remove(); }
    void writePublic(const std::string& text) { write(m_public, text); }
    void writeDocuments(const std::string& text) { write(m_documents, text); }

private:
    static void write(const fs::path& file, const std::string& text)
    {
        fs::create_directories(file.parent_path());
        gf_testWriteFile(file, text);
    }
    void remove()
    {
        std::error_code ignored;
        fs::remove(m_public, ignored);
        fs::remove(m_documents, ignored);
    }

    SharedSimulatorLock m_lock; // first: held while the files exist
    fs::path m_public;
    fs::path m_documents;
};
} // namespace

TEST(Config, ReadsTheSectionOfTheIndexAndOnlyWhatItSets)
{
    TempFolder folder;
    const fs::path file = folder / L"SimConnect.cfg";
    gf_testWriteFile(file, "[SimConnect]\r\nprotocol=ipv4\r\nADDRESS=127.0.0.1\r\nPort=500\r\n"
                           "[simconnect.3]\r\nPort=MyPipe\r\nDisableNagle=1\r\n"
                           "[SimConnect.4]\r\nProtocol=Carrier pigeon\r\nAddress=\r\nDisableNagle=\r\n");
    EXPECT_EQ(sc_findConfigSection(file, 0), 0);
    EXPECT_EQ(sc_findConfigSection(file, 3), 0) << "section names ignore case";
    EXPECT_EQ(sc_findConfigSection(file, 5), 3);
    EXPECT_EQ(sc_findConfigSection(folder / L"missing.cfg", 0), 3);

    ScConfig config;
    sc_readConfig(file, 0, config);
    EXPECT_EQ(config.protocol, ScProtocol::ipv4);
    EXPECT_EQ(config.address, L"127.0.0.1");
    EXPECT_EQ(config.port, L"500");

    ScConfig piped;
    sc_readConfig(file, 3, piped);
    EXPECT_EQ(piped.protocol, ScProtocol::pipe);
    EXPECT_EQ(piped.port, L"MyPipe");
    EXPECT_TRUE(piped.disableNagle);

    // Unknown protocol and empty values change nothing.
    sc_readConfig(file, 4, piped);
    EXPECT_EQ(piped.protocol, ScProtocol::pipe);
    EXPECT_EQ(piped.port, L"MyPipe");
    EXPECT_TRUE(piped.disableNagle);
    gf_testWriteFile(file, "[SimConnect]\r\nDisableNagle=0\r\nAddress=" + std::string(1500, 'a') + "\r\n");
    sc_readConfig(file, 0, piped);
    EXPECT_FALSE(piped.disableNagle);
    EXPECT_EQ(piped.address.size(), 1023u);
}

TEST(Config, MaxReceiveSizeOnlyEverGrows)
{
    TempFolder folder;
    ScConfig config;
    auto apply = [&](const std::string& value) {
        gf_testWriteFile(folder / L"a.cfg", "[SimConnect]\r\nMaxReceiveSize=" + value + "\r\n");
        sc_readConfig(folder / L"a.cfg", 0, config);
        return config.maxReceiveSize;
    };
    EXPECT_EQ(apply("20000"), 41088u);
    EXPECT_EQ(apply("100000"), 100000u);
    EXPECT_EQ(apply("60000"), 100000u);
    EXPECT_EQ(apply("lots"), 100000u);
}

TEST(Config, AnIpProtocolTakesTheRegisteredPortOnlyInPlaceOfAPortAlreadyFound)
{
    RegistrySandbox registry;
    gf_setSimulatorPorts(L"4001", L"6001");
    TempFolder folder;
    const fs::path file = folder / L"SimConnect.cfg";
    gf_testWriteFile(file, "[SimConnect]\r\nProtocol=IPv6\r\n");

    ScConfig config;
    sc_readConfig(file, 0, config);
    EXPECT_EQ(config.protocol, ScProtocol::ipv6);
    EXPECT_EQ(config.port, L"") << "no port so far: none is taken";

    config.port = L"1234";
    sc_readConfig(file, 0, config);
    EXPECT_EQ(config.port, L"6001");

    gf_setSimulatorPorts(L"", L"");
    config.port = L"1234";
    sc_readConfig(file, 0, config);
    EXPECT_EQ(config.port, L"") << "a missing registry value empties the port";

    gf_setSimulatorPorts(L"1234567890", L"");
    std::wstring port = L"x";
    EXPECT_FALSE(sc_readPortFromRegistry(false, port)) << "ten characters do not fit";
    EXPECT_EQ(port, L"");
    gf_setSimulatorPorts(L"123456789", L"");
    EXPECT_TRUE(sc_readPortFromRegistry(false, port));
    EXPECT_EQ(port, L"123456789");
}

TEST(Config, LaterFoldersOverrideEarlierOnes)
{
    RegistrySandbox registry;
    gf_setSimulatorPorts(L"4001", L"6001");
    SharedConfigFiles shared;
    TempFolder current(true);

    // Port from Public Documents, Protocol IPv6 from Documents: the registered port wins.
    shared.writePublic("[SimConnect]\r\nPort=777\r\nMaxReceiveSize=90000\r\n");
    shared.writeDocuments("[SimConnect]\r\nProtocol=IPv6\r\n");
    ScConfig config;
    EXPECT_EQ(sc_loadConfig(0, config), 0);
    EXPECT_EQ(config.protocol, ScProtocol::ipv6);
    EXPECT_EQ(config.port, L"6001");
    EXPECT_EQ(config.maxReceiveSize, 90000u);

    // The current folder comes last.
    gf_testWriteFile(current / L"SimConnect.cfg", "[SimConnect]\r\nProtocol=Pipe\r\nPort=Here\r\nMaxReceiveSize=50000\r\n");
    EXPECT_EQ(sc_loadConfig(0, config), 0);
    EXPECT_EQ(config.protocol, ScProtocol::pipe);
    EXPECT_EQ(config.port, L"Here");
    EXPECT_EQ(config.maxReceiveSize, 90000u);

    // A non-zero index needs its section somewhere; index 0 and "no file" never do.
    EXPECT_EQ(sc_loadConfig(7, config), 3);
    shared.writeDocuments("[SimConnect.7]\r\nAddress=::1\r\n");
    EXPECT_EQ(sc_loadConfig(7, config), 0);
    EXPECT_EQ(config.address, L"::1");
    EXPECT_EQ(config.port, L"") << "each load starts from the defaults";
    EXPECT_EQ(sc_loadConfig(scNoConfigFile, config), 0);
    EXPECT_EQ(config.address, L"");
}

TEST(Config, PipeNames)
{
    EXPECT_EQ(sc_pipeName(L"", L""), L"\\\\.\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect");
    EXPECT_EQ(sc_pipeName(L"fs-pc", L""), L"\\\\fs-pc\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect");
    EXPECT_EQ(sc_pipeName(L".", L"Mine"), L"\\\\.\\pipe\\Mine");
    EXPECT_EQ(sc_pipeName(L".", std::wstring(400, L'x')).size(), 259u);
}
