#include "simconnect/connect.h"

#include "simconnect/connection.h"

#include <ws2tcpip.h>

namespace {
constexpr std::size_t longestPipeName = 259; // 520 bytes with the NUL
constexpr DWORD busyPipeWaitMs = 5000;

HANDLE lf_openPipe(const std::wstring& name)
{
    for (;;) {
        const HANDLE pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe != INVALID_HANDLE_VALUE)
            return pipe;
        if (GetLastError() != ERROR_PIPE_BUSY || !WaitNamedPipeW(name.c_str(), busyPipeWaitMs))
            return INVALID_HANDLE_VALUE;
    }
}

HANDLE lf_connectSocket(int family, const std::wstring& address, const std::wstring& port)
{
    ADDRINFOW hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(address.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr)
        return INVALID_HANDLE_VALUE;
    SOCKET s = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (s != INVALID_SOCKET && connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0) {
        closesocket(s);
        s = INVALID_SOCKET;
    }
    FreeAddrInfoW(found);
    return reinterpret_cast<HANDLE>(s);
}

void lf_closeHandle(int family, HANDLE handle)
{
    if (family == 0)
        CloseHandle(handle);
    else
        closesocket(reinterpret_cast<SOCKET>(handle));
}

// One attempt; the connection is closed again when it fails.
ScConnection* lf_tryConnect(int family, const std::wstring& address, const std::wstring& port,
                            const ScConfig& config)
{
    ScConnection* connection = sc_newConnection(family == 0 ? ScKind::pipe : ScKind::socket);
    if (sc_connectTransport(*connection, family, address, port, config.maxReceiveSize, config.disableNagle) == 0)
        return connection;
    sc_closeConnection(connection);
    return nullptr;
}
} // namespace

std::wstring sc_pipeName(const std::wstring& address, const std::wstring& port)
{
    const std::wstring server = address.empty() ? L"." : address;
    std::wstring name = port.empty() ? L"\\\\" + server + L"\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect"
                                     : L"\\\\" + server + L"\\pipe\\" + port;
    if (name.size() > longestPipeName)
        name.resize(longestPipeName);
    return name;
}

int sc_connectTransport(ScConnection& connection, int family, const std::wstring& address, const std::wstring& port,
                        std::uint32_t maxReceiveSize, bool disableNagle)
{
    const HANDLE handle = family == 0 ? lf_openPipe(sc_pipeName(address, port))
                                      : lf_connectSocket(family, address, port);
    if (handle == INVALID_HANDLE_VALUE)
        return 1;
    if (!BindIoCompletionCallback(handle, sc_ioCompletion, 0)) {
        lf_closeHandle(family, handle);
        return 1;
    }
    sc_attach(connection, handle, static_cast<std::uint32_t>(family), maxReceiveSize, disableNagle);
    connection.start();
    sc_startRead(connection);
    return 0;
}

int sc_loadConfig(std::uint32_t configIndex, ScConfig& config)
{
    config = ScConfig{};
    if (configIndex == scNoConfigFile)
        return 0;
    std::vector<std::filesystem::path> holding;
    for (const auto& file : sc_configFiles())
        if (sc_findConfigSection(file, configIndex) == 0)
            holding.push_back(file);
    if (configIndex != 0 && holding.empty())
        return 3;
    for (const auto& file : holding)
        sc_readConfig(file, configIndex, config);
    return 0;
}

int sc_openTransport(ScConnection** handle, std::uint32_t configIndex)
{
    *handle = nullptr;
    ScConfig config;
    if (sc_loadConfig(configIndex, config) == 3)
        return 3;
    std::wstring address = config.address;
    std::wstring port = config.port;
    ScProtocol protocol = config.protocol;
    if (protocol == ScProtocol::pipe) {
        if ((*handle = lf_tryConnect(0, address, port, config)) != nullptr)
            return 0;
        if (!address.empty() && address != L".")
            return 1;
        address = L"::1";
        sc_readPortFromRegistry(true, port);
        protocol = ScProtocol::ipv6;
    }
    if (protocol == ScProtocol::ipv6) {
        if (!sc_startWinsock())
            return 1;
        if (!port.empty() && (*handle = lf_tryConnect(AF_INET6, address, port, config)) != nullptr)
            return 0;
        if (address != L"::1")
            return 1;
        address = L"127.0.0.1";
        sc_readPortFromRegistry(false, port);
    }
    if (!sc_startWinsock())
        return 1;
    if (!port.empty() && (*handle = lf_tryConnect(AF_INET, address, port, config)) != nullptr)
        return 0;
    if (address != L"127.0.0.1")
        return 1;
    *handle = lf_tryConnect(0, L".", L"", config);
    return *handle != nullptr ? 0 : 1;
}
