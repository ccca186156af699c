#pragma once
// The RealTraffic stand-in (tools/realtraffic), run natively beside the Wine test program,
// and bounded waits for what it causes.
#include "support/tempfolder.h"
#include "support/waitfor.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The Linux path of a Windows path, for the native stand-in.
std::string gf_unixPath(const std::filesystem::path& path);

// Starts the stand-in with these arguments and returns at once.
void gf_startStandIn(const std::vector<std::string>& arguments);
// Runs the stand-in and waits until it has finished (false after the time limit).
bool gf_runStandIn(const TempFolder& folder, const std::vector<std::string>& arguments);

// A socket of another program on 127.0.0.1 and the port, for as long as it lives. A shared
// one is bound with SO_REUSEADDR, which on Windows lets others bind the port too, and does
// not listen yet.
class TakenPort {
public:
    TakenPort(bool stream, std::uint16_t port, bool shared = false);
    ~TakenPort();
    TakenPort(const TakenPort&) = delete;
    TakenPort& operator=(const TakenPort&) = delete;
    bool taken() const { return m_taken; }
    void release();

private:
    std::uintptr_t m_socket;
    bool m_taken = false;
};

