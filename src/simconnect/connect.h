#pragma once
// Making the connection: the chain of pipe, IPv6 and IPv4 attempts chosen from the
// configuration, and one attempt over a pipe or a socket.
#include "simconnect/config.h"

#include <cstdint>
#include <string>

class ScConnection;

// The defaults, overridden by the index's section in each SimConnect.cfg in turn; 3 when
// a non-zero index has its section in none of them. scNoConfigFile reads no file.
int sc_loadConfig(std::uint32_t configIndex, ScConfig& config);
// 0 connected (handle stored), 1 failed, 3 the configured section exists nowhere.
int sc_openTransport(ScConnection** handle, std::uint32_t configIndex);
// family 0 means a pipe, else AF_INET6 or AF_INET. 0 connected and reading, 1 failed.
int sc_connectTransport(ScConnection& connection, int family, const std::wstring& address,
                        const std::wstring& port, std::uint32_t maxReceiveSize, bool disableNagle);
// "\\server\pipe\name" (the simulator's own name when port is empty), at most 259 characters.
std::wstring sc_pipeName(const std::wstring& address, const std::wstring& port);
