#pragma once
// Where the simulator's server is found: SimConnect.cfg in three folders and the
// simulator's registered TCP ports.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

enum class ScProtocol { pipe, ipv4, ipv6 };

struct ScConfig {
    ScProtocol protocol = ScProtocol::pipe;
    std::wstring address;
    std::wstring port; // for a pipe, the pipe name
    std::uint32_t maxReceiveSize = 41088;
    bool disableNagle = false;
};

inline constexpr std::uint32_t scNoConfigFile = 0xFFFFFFFF; // index that reads no file

// SimConnect.cfg in the Public Documents folder, the user's Documents folder and the
// current folder, in this order of precedence (later ones override).
std::vector<std::filesystem::path> sc_configFiles();
// 0 when the file holds the section of the index, 3 when not.
int sc_findConfigSection(const std::filesystem::path& file, std::uint32_t index);
// Applies what the file's section of the index sets; changes nothing else.
void sc_readConfig(const std::filesystem::path& file, std::uint32_t index, ScConfig& config);
// The simulator's SimConnect_Port_IPv6 or _IPv4 value; empty and false when missing.
bool sc_readPortFromRegistry(bool ipv6, std::wstring& port);
