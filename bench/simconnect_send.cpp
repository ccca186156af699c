// Sends 100,000 position packets (SimConnect_SetDataOnSimObject, 100 bytes) to the
// simulator stand-in over the pipe and over TCP, and the same bytes with plain blocking
// writes, the limit to compare with. Prints packets per second.
#include "figures.h"
#include "foundation/winstring.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"
#include "simstandin/simstandin.h"

#include <winsock2.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr int packetCount = 100000;
constexpr auto patience = std::chrono::minutes(5);

using Clock = std::chrono::steady_clock;

// The packets the library builds: header, definition 402, object 2, count 1, unit 64, data.
std::vector<std::uint8_t> lf_positionPacket(std::uint32_t sendId)
{
    std::vector<std::uint8_t> packet(100, 0);
    const std::uint32_t fields[] = {100, scProtocolVersion, scRequestIdBase + scReqSetDataOnObject, sendId, 402, 2, 0, 1, 64};
    std::memcpy(packet.data(), fields, sizeof fields);
    return packet;
}

// Runs `send` and returns packets per second until the stand-in has them all.
double lf_measure(standin::SimStandIn& standIn, const std::function<void()>& send)
{
    const auto start = Clock::now();
    send();
    const bool all = standIn.waitUntil(
        [&](const auto& r) { return r.size() >= static_cast<std::size_t>(packetCount); }, patience);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!all)
        std::printf("  (the stand-in did not receive every packet in time)\n");
    return packetCount / seconds;
}

double lf_libraryRun(standin::SimStandIn& standIn, std::uint32_t configIndex)
{
    ScConnection* connection = nullptr;
    if (SimConnect_Open(&connection, "Tarnwick_P3D", nullptr, 0, nullptr, configIndex) != scOk) {
        std::printf("  cannot connect\n");
        return 0;
    }
    standIn.waitForRequests(scReqOpen, 1, std::chrono::seconds(10));
    standIn.clearRequests();
    const double values[8] = {51.47, -0.45, 0.01, 0.0, 1.57, 83.0, 0.0, 140.0};
    const double rate = lf_measure(standIn, [&] {
        for (int i = 0; i < packetCount; ++i)
            SimConnect_SetDataOnSimObject(connection, 402, 2, 0, 0, sizeof values, values);
    });
    SimConnect_Close(connection);
    return rate;
}

double lf_plainPipeRun(standin::SimStandIn& standIn, const std::wstring& pipePath)
{
    const HANDLE pipe = CreateFileW(pipePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return 0;
    standIn.clearRequests();
    const double rate = lf_measure(standIn, [&] {
        for (int i = 0; i < packetCount; ++i) {
            const std::vector<std::uint8_t> packet = lf_positionPacket(static_cast<std::uint32_t>(i + 1));
            DWORD written = 0;
            WriteFile(pipe, packet.data(), static_cast<DWORD>(packet.size()), &written, nullptr);
        }
    });
    CloseHandle(pipe);
    return rate;
}

double lf_plainTcpRun(standin::SimStandIn& standIn)
{
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(standIn.port4());
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return 0;
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    standIn.clearRequests();
    const double rate = lf_measure(standIn, [&] {
        for (int i = 0; i < packetCount; ++i) {
            const std::vector<std::uint8_t> packet = lf_positionPacket(static_cast<std::uint32_t>(i + 1));
            send(s, reinterpret_cast<const char*>(packet.data()), static_cast<int>(packet.size()), 0);
        }
    });
    closesocket(s);
    return rate;
}
} // namespace

int main()
{
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
    const fs::path folder = fs::temp_directory_path() / (L"tarnwick-bench-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
    fs::current_path(folder);

    const std::wstring pipeName = L"TarnwickBench-" + std::to_wstring(GetCurrentProcessId());
    standin::Options options;
    options.pipeName = L"\\\\.\\pipe\\" + pipeName;
    standin::SimStandIn standIn(options);
    std::ofstream(folder / L"SimConnect.cfg")
        << "[SimConnect.1]\nProtocol=Pipe\nAddress=.\nPort=" << gf_utf16ToUtf8(pipeName) << "\n"
        << "[SimConnect.2]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" << standIn.port4() << "\nDisableNagle=1\n";

    std::printf("%d SetDataOnSimObject packets of 100 bytes to the simulator stand-in\n", packetCount);
    const double pipeLibrary = lf_libraryRun(standIn, 1);
    std::printf("pipe: client library %10.0f packets/s, plain blocking writes %10.0f packets/s\n", pipeLibrary,
                lf_plainPipeRun(standIn, options.pipeName));
    const double tcpLibrary = lf_libraryRun(standIn, 2);
    std::printf("TCP:  client library %10.0f packets/s, plain blocking writes %10.0f packets/s\n", tcpLibrary,
                lf_plainTcpRun(standIn));
    gf_benchFigure("SimConnect packets by pipe", pipeLibrary, "per s", 0);
    gf_benchFigure("SimConnect packets by TCP", tcpLibrary, "per s", 0);

    standIn.stop();
    fs::current_path(fs::temp_directory_path());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    WSACleanup();
    return 0;
}
