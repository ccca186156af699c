// sim_standin.exe: the simulator stand-in on its own, for end-to-end runs of the program.
//   --pipe NAME      pipe name after \\.\pipe\ (default: the simulator's own)
//   --no-pipe, --no-tcp, --port4 N, --port6 N
//   --register       write the TCP ports as the simulator's registered ports (HKCU)
//   --frame-ms N     a frame every N ms (default 33)
//   --refuse TITLE   answer the creation of this title with exception 22 (repeatable)
//   --helicopter TITLE  an AI aircraft of this title is a helicopter: announced and found by
//                    type as one (repeatable)
//   --packages DIR   an AI aircraft package folder (repeatable): the creation of a title that
//                    none of their aircraft has is refused, as the simulator does
//   --name TEXT      simulator name in the open answer
//   --user-object N  the user aircraft's object id; AI aircraft get the ids after it (default 1)
//   --seconds N      run time (default 600), then stop
//   --scenario FILE  play the timed steps of this file (see scenario.h)
//   --ground FEET    the ground under every AI aircraft, so that its height and on-ground state follow
//                    (the ground altitude it reports, recorded with each position)
//   --record FILE    write every AI creation, position and removal to FILE (see aitrack.h)
//   --verbose        print every request
#include "simstandin/scenario.h"
#include "simstandin/simstandin.h"

#include "foundation/winstring.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {
// Only the ports listened on: any other registered value is left as it is.
void lf_registerPorts(const standin::SimStandIn& standIn)
{
    for (const auto& [ipv6, port] : {std::pair{false, standIn.port4()}, std::pair{true, standIn.port6()}})
        if (port != 0)
            standin::gf_registerSimulatorPort(ipv6, std::to_wstring(port));
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    standin::Options options;
    options.pipeName = L"\\\\.\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect";
    options.frameIntervalMs = 33;
    int seconds = 600;
    bool registerPorts = false;
    bool verbose = false;
    std::wstring scenarioFile;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--pipe" && hasValue)
            options.pipeName = L"\\\\.\\pipe\\" + std::wstring(argv[++i]);
        else if (arg == L"--no-pipe")
            options.pipeName.clear();
        else if (arg == L"--no-tcp")
            options.tcp = false;
        else if (arg == L"--port4" && hasValue)
            options.port4 = static_cast<std::uint16_t>(std::stoi(argv[++i]));
        else if (arg == L"--port6" && hasValue)
            options.port6 = static_cast<std::uint16_t>(std::stoi(argv[++i]));
        else if (arg == L"--register")
            registerPorts = true;
        else if (arg == L"--frame-ms" && hasValue)
            options.frameIntervalMs = std::stoi(argv[++i]);
        else if (arg == L"--refuse" && hasValue)
            options.refusedTitles.push_back(gf_utf16ToUtf8(argv[++i]));
        else if (arg == L"--helicopter" && hasValue)
            options.helicopterTitles.push_back(gf_utf16ToUtf8(argv[++i]));
        else if (arg == L"--packages" && hasValue)
            options.packageFolders.emplace_back(argv[++i]);
        else if (arg == L"--name" && hasValue)
            options.simulatorName = gf_utf16ToUtf8(argv[++i]);
        else if (arg == L"--user-object" && hasValue)
            options.userObjectId = static_cast<std::uint32_t>(std::stoul(argv[++i]));
        else if (arg == L"--seconds" && hasValue)
            seconds = std::stoi(argv[++i]);
        else if (arg == L"--verbose")
            verbose = true;
        else if (arg == L"--scenario" && hasValue)
            scenarioFile = argv[++i];
        else if (arg == L"--ground" && hasValue)
            options.groundElevation = std::stod(argv[++i]);
        else if (arg == L"--record" && hasValue)
            options.recordFile = argv[++i];
        else {
            std::fprintf(stderr, "sim_standin: unknown argument %s\n", gf_utf16ToUtf8(arg).c_str());
            return 2;
        }
    }
    std::vector<standin::ScenarioStep> scenario;
    try {
        if (!scenarioFile.empty())
            scenario = standin::gf_readScenario(scenarioFile);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sim_standin: %s\n", e.what());
        return 2;
    }
    standin::SimStandIn standIn(options);
    if (registerPorts)
        lf_registerPorts(standIn);
    const auto start = std::chrono::steady_clock::now();
    std::size_t played = 0;
    auto playDue = [&] {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (; played < scenario.size() && scenario[played].at <= elapsed; ++played)
            standin::gf_applyScenarioStep(standIn, scenario[played]);
    };
    playDue(); // the steps at 0 s hold before any client connects
    std::printf("sim_standin ready pipe=%s port4=%u port6=%u\n", gf_utf16ToUtf8(options.pipeName).c_str(),
                standIn.port4(), standIn.port6());
    if (!options.packageFolders.empty())
        std::printf("sim_standin knows %zu titles of AI aircraft\n", standIn.knownTitleCount());
    std::fflush(stdout);
    std::size_t printed = 0;
    for (int tick = 0; tick < seconds * 10; ++tick) {
        Sleep(100);
        playDue();
        standIn.flushAiTrack();
        if (!verbose)
            continue;
        const std::vector<standin::Request> requests = standIn.requests();
        for (; printed < requests.size(); ++printed) {
            const standin::Request& r = requests[printed];
            std::printf("request 0x%02X send %u size %u session %d\n", r.number, r.sendId, r.size, r.session);
        }
        std::fflush(stdout);
    }
    standIn.stop();
    const standin::AiFigures ai = standIn.aiFigures();
    std::printf("sim_standin AI aircraft: %zu created, %zu refused, %zu removed, %zu left, peak %zu, %zu positions\n",
                ai.created, ai.refused, ai.removed, ai.present, ai.peak, ai.positions);
    return 0;
}
