#pragma once
// Machine-wide things that SimConnect tests share with parallel test processes: the
// Documents folders and the simulator's default pipe name (serialized by one named
// mutex), pipe names (unique); and the simulator's registered ports.
#include <cstdint>
#include <filesystem>
#include <string>

// The simulator's registered TCP ports under HKEY_CURRENT_USER (redirect it first with a
// RegistrySandbox); an empty text removes the value.
void gf_setSimulatorPorts(const std::wstring& ipv4, const std::wstring& ipv6);

// Held by every test that writes SimConnect.cfg into the Public Documents or Documents
// folder, or that listens on (or expects nobody on) the simulator's default pipe name.
// Such a test removes its files before it lets go.
class SharedSimulatorLock {
public:
    SharedSimulatorLock();
    ~SharedSimulatorLock();
    SharedSimulatorLock(const SharedSimulatorLock&) = delete;
    SharedSimulatorLock& operator=(const SharedSimulatorLock&) = delete;

private:
    void* m_mutex = nullptr;
};

// A pipe name (the part after \\.\pipe\) that no other test process uses.
std::wstring gf_testPipeName();
// The full \\.\pipe\ path of a pipe name.
std::wstring gf_testPipePath(const std::wstring& name);
// The simulator's default pipe, which a client finds without any configuration.
std::wstring gf_defaultSimulatorPipePath();
// A TCP port on 127.0.0.1 that nothing listens on, or a UDP port that nothing has bound
// (bound once, then released). Tests take these, never fixed ports: another run's tests may
// bind a fixed one at the same time.
std::uint16_t gf_unusedTcpPort();
std::uint16_t gf_unusedUdpPort();
// A blocking socket connected to 127.0.0.1:port, as a SOCKET; ~0 when that failed.
// Windows Sockets must be started.
std::uintptr_t gf_testConnectTcp(std::uint16_t port);
