#include "support/simconnectenv.h"

#include "simstandin/simstandin.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <stdexcept>

void gf_setSimulatorPorts(const std::wstring& ipv4, const std::wstring& ipv6)
{
    standin::gf_registerSimulatorPort(false, ipv4);
    standin::gf_registerSimulatorPort(true, ipv6);
}

SharedSimulatorLock::SharedSimulatorLock()
{
    m_mutex = CreateMutexW(nullptr, FALSE, L"Local\\TarnwickTests_SharedSimulator");
    if (m_mutex == nullptr)
        throw std::runtime_error("cannot create the shared simulator mutex");
    // A whole-program run holds it for two minutes and more when the machine is busy; the wait
    // ends well within a test's time limit of 300 s.
    const DWORD waited = WaitForSingleObject(m_mutex, 240000);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        throw std::runtime_error("timed out waiting for the shared simulator mutex");
}

SharedSimulatorLock::~SharedSimulatorLock()
{
    ReleaseMutex(m_mutex);
    CloseHandle(m_mutex);
}

std::wstring gf_testPipeName()
{
    static std::atomic<int> counter{0};
    return L"TarnwickTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

std::wstring gf_testPipePath(const std::wstring& name)
{
    return L"\\\\.\\pipe\\" + name;
}

std::wstring gf_defaultSimulatorPipePath()
{
    return L"\\\\.\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect";
}

namespace {
sockaddr_in lf_loopback(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// The system picks a free port among many, so runs side by side rarely meet on one.
std::uint16_t lf_unusedPort(int type, int protocol)
{
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET s = socket(AF_INET, type, protocol);
    sockaddr_in address = lf_loopback(0);
    int length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    WSACleanup();
    return ntohs(address.sin_port);
}
} // namespace

std::uint16_t gf_unusedTcpPort()
{
    return lf_unusedPort(SOCK_STREAM, IPPROTO_TCP);
}

std::uint16_t gf_unusedUdpPort()
{
    return lf_unusedPort(SOCK_DGRAM, IPPROTO_UDP);
}

std::uintptr_t gf_testConnectTcp(std::uint16_t port)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in address = lf_loopback(port);
    if (s != INVALID_SOCKET && connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(s);
        s = INVALID_SOCKET;
    }
    return s;
}
