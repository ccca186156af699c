#pragma once
// The whole program under a benchmark: Tarnwick_P3D.exe in the world that scripts/world.sh
// prepared below a run folder, the simulator stand-in in this process (on the simulator's
// named pipe, in the same Wine prefix, its ground at the world's airport) and the RealTraffic
// stand-in beside it, replaying the world's traffic once. Everything started here ends by
// itself within its time bound. The program takes RealTraffic's fixed ports: scripts/bench.sh
// runs it in a network namespace of its own. The user aircraft stands where the world put it, or
// flies over it (UserPlacement).
#include "app/mainloop.h"
#include "foundation/settingscatalogue.h"
#include "foundation/winstring.h"
#include "processhandles/processhandles.h"
#include "simstandin/scenario.h"
#include "simstandin/simstandin.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <memory>
#include <stdexcept>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace programrun {

// The Windows path of a Linux path (Z: is the root).
inline std::filesystem::path gf_windowsPath(const std::string& linuxPath)
{
    std::wstring path = L"Z:" + gf_utf8ToUtf16(linuxPath);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

// Windows command-line quoting, which Wine undoes for a Linux program.
inline std::wstring lf_quote(const std::string& argument)
{
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : gf_utf8ToUtf16(argument)) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// Starts a Linux program (Wine cannot wait for it: it must end by itself).
inline void gf_startLinux(const std::string& program, const std::vector<std::string>& arguments)
{
    std::wstring command = lf_quote(program);
    for (const std::string& argument : arguments)
        command += L" " + lf_quote(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        throw std::runtime_error("cannot start " + program);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// Runs a script of the source tree with Debian's Python and waits until it has written
// `done` (at most `bound`); false when it did not.
inline bool gf_runPython(const std::string& script, std::vector<std::string> arguments, const std::string& done,
                         std::chrono::seconds bound)
{
    arguments.insert(arguments.begin(), std::string(TARNWICK_SOURCE_DIR) + "/" + script);
    gf_startLinux("/usr/bin/python3", arguments);
    const auto end = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < end) {
        if (std::filesystem::exists(gf_windowsPath(done)))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

// Processor seconds (user and kernel) that a Linux process has used, from /proc: under Wine
// GetProcessTimes answers only for the calling process. The process is found by its
// command line, which holds the program's full path. Linux counts in 1/100 s on x86.
inline double lf_linuxProcessorSeconds(const std::wstring& program)
{
    const std::string wanted = gf_utf16ToUtf8(program);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(L"Z:\\proc", error)) {
        const std::wstring name = entry.path().filename().wstring();
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos)
            continue;
        std::ifstream commandLine(entry.path() / L"cmdline", std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(commandLine)), std::istreambuf_iterator<char>());
        if (text.find(wanted) == std::string::npos)
            continue;
        std::ifstream stat(entry.path() / L"stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t close = line.rfind(')'); // the name in brackets may hold blanks
        if (close == std::string::npos)
            continue;
        std::istringstream fields(line.substr(close + 2));
        std::string field;
        double ticks = 0.0;
        for (int n = 3; n <= 15 && fields >> field; ++n)
            if (n == 14 || n == 15) // utime, stime
                ticks += std::stod(field);
        return ticks / 100.0;
    }
    return 0.0;
}

inline double lf_fileTimeSeconds(const FILETIME& time)
{
    return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
}

struct Sample {
    double workingSetMb = 0.0;
    unsigned long handles = 0;
    double processorSeconds = 0.0;
    std::chrono::steady_clock::time_point at{};
};

// The processor time between two samples as a share of one core, in per cent.
inline double gf_processorShare(const Sample& from, const Sample& to)
{
    const double seconds = std::chrono::duration<double>(to.at - from.at).count();
    return seconds > 0.0 ? 100.0 * (to.processorSeconds - from.processorSeconds) / seconds : 0.0;
}

// The world's description that scripts/world.sh wrote (world.txt: "<key> <value>" a line):
// its airport, the user's position and the ground's elevation.
inline std::map<std::string, std::string> gf_readWorld(const std::string& run)
{
    std::map<std::string, std::string> world;
    std::ifstream file(gf_windowsPath(run + "/world.txt"));
    for (std::string key, value; file >> key >> value;)
        world[key] = value;
    if (!world.contains("airport") || !world.contains("user") || !world.contains("elevation"))
        throw std::runtime_error("no airport, user and elevation in " + run + "/world.txt");
    return world;
}

// The QNH RealTraffic sends, hectopascals: TARNWICK_QNH, else the standard one (RealTraffic sends
// the nearest station's, which the program then takes into its ground checks).
inline std::string gf_qnhSent()
{
    const char* qnh = std::getenv("TARNWICK_QNH");
    return qnh != nullptr && *qnh != '\0' ? qnh : "1013";
}

// Where the user aircraft is while the program runs: parked at the world's airport, as the
// world's scenario.txt has it, or (TARNWICK_USER=air) in the air over the same spot, holding at
// userAirAltitude, above the program's airport height, where AUTO_RANGE gives it the air radius.
struct UserPlacement {
    bool air = false;
    double altitude = 0.0;  // feet
    double elevation = 0.0; // the ground under it, feet
    int radiusNm = 0;       // the live radius AUTO_RANGE chooses for it (the program's own rule)

    std::string text() const
    {
        return air ? "in the air at " + std::to_string(std::lround(altitude)) + " ft over it" : "parked there";
    }
};

inline constexpr double userAirAltitude = 25000.0; // feet: cruising over the airport

// TARNWICK_USER: "air", else (empty or "ground") parked. Raises std::runtime_error for another value.
inline UserPlacement gf_userPlacement(const std::map<std::string, std::string>& world)
{
    const char* user = std::getenv("TARNWICK_USER");
    const std::string where = user == nullptr ? "" : user;
    if (where != "" && where != "ground" && where != "air")
        throw std::runtime_error("TARNWICK_USER is ground or air, not " + where);
    UserPlacement placement;
    placement.air = where == "air";
    placement.elevation = std::stod(world.at("elevation"));
    const double airportHeight = AIRPORT_HEIGHT.value.load();
    placement.altitude = placement.air ? std::max(userAirAltitude, airportHeight + 1000.0) : placement.elevation;
    placement.radiusNm = gf_autoRangeRadius(!placement.air, placement.altitude, static_cast<std::int32_t>(airportHeight), 0.0);
    return placement;
}

class ProgramRun {
public:
    // `run` is the Linux path of the world's run folder; the RealTraffic stand-in serves for
    // `seconds` and a little longer. With a record file the simulator stand-in writes its AI
    // track there and the RealTraffic stand-in the records it sent beside it (sent.txt).
    ProgramRun(const std::string& run, int seconds, const std::string& recordFile = {}, const UserPlacement& user = {})
        : m_run(run), m_program(gf_windowsPath(run + "/program"))
    {
        standin::Options options;
        options.pipeName = L"\\\\.\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect";
        options.frameIntervalMs = 33;
        options.recordRequests = false; // a long run: counted only
        options.groundElevation = std::stod(gf_readWorld(run).at("elevation")); // the airport of the world
        // The world's AI aircraft: the simulator refuses any other title (scripts/world.sh).
        options.packageFolders = {L"C:\\AI Traffic", L"C:\\Prepar3D v5\\SimObjects"};
        if (!recordFile.empty())
            options.recordFile = gf_windowsPath(recordFile).wstring();
        m_sim = std::make_unique<standin::SimStandIn>(options);
        for (const standin::ScenarioStep& step : standin::gf_readScenario(gf_windowsPath(run + "/scenario.txt")))
            standin::gf_applyScenarioStep(*m_sim, step);
        if (user.air) { // before the program connects: it never sees the aircraft parked
            m_sim->setUserValue("SIM ON GROUND", 0.0);
            m_sim->setUserValue("Plane Altitude", user.altitude);
            m_sim->setUserValue("Plane Alt Above Ground", user.altitude - user.elevation);
        }

        std::vector<std::string> realTraffic{std::string(TARNWICK_SOURCE_DIR) + "/tools/realtraffic/realtraffic_standin.py",
                                             "live", "--file", run + "/traffic.txt", "--once", "--after-connect", "3", "--stay",
                                             "--log", run + "/realtraffic.txt", "--timeout",
                                             std::to_string(seconds + 120)};
        if (!recordFile.empty()) {
            realTraffic.push_back("--sent");
            realTraffic.push_back(run + "/sent.txt");
        }
        realTraffic.push_back("--qnh");
        realTraffic.push_back(gf_qnhSent());
        gf_startLinux("/usr/bin/python3", realTraffic);

        const std::wstring exe = (m_program / L"Tarnwick_P3D.exe").wstring();
        std::wstring command = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, m_program.c_str(),
                            &startup, &process))
            throw std::runtime_error("cannot start Tarnwick_P3D.exe");
        CloseHandle(process.hThread);
        m_process = process.hProcess;
    }
    ~ProgramRun()
    {
        if (alive())
            TerminateProcess(m_process, 1); // only after a failed close
        CloseHandle(m_process);
        m_sim->stop();
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    standin::SimStandIn& sim() { return *m_sim; }
    bool alive() const { return WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

    Sample sample() const
    {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(m_process, &counters, sizeof counters);
        DWORD handles = 0;
        // Under Wine GetProcessHandleCount answers 0: the system's handle list is counted.
        if (!GetProcessHandleCount(m_process, &handles) || handles == 0)
            handles = processhandles::gf_handleCount(GetProcessId(m_process));
        FILETIME created, ended, kernel, user;
        double processor = 0.0;
        if (GetProcessTimes(m_process, &created, &ended, &kernel, &user))
            processor = (lf_fileTimeSeconds(kernel) + lf_fileTimeSeconds(user));
        if (processor == 0.0)
            processor = lf_linuxProcessorSeconds((m_program / L"Tarnwick_P3D.exe").wstring());
        return {counters.WorkingSetSize / (1024.0 * 1024.0), handles, processor, std::chrono::steady_clock::now()};
    }

    // Closes the main window as the user does and waits for the process to end; the
    // seconds it took, or a negative number when it did not end within the bound.
    double close(std::chrono::seconds bound, DWORD& exitCode)
    {
        const auto start = std::chrono::steady_clock::now();
        if (HWND window = FindWindowW(nullptr, L"Tarnwick_P3D"))
            PostMessageW(window, WM_CLOSE, 0, 0);
        const DWORD wait = WaitForSingleObject(m_process, static_cast<DWORD>(bound.count() * 1000));
        exitCode = STILL_ACTIVE;
        GetExitCodeProcess(m_process, &exitCode);
        return wait == WAIT_OBJECT_0
                   ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()
                   : -1.0;
    }

    // The live radius the program's window shows (the LATERAL_RANGE field), nm; 0 when it cannot
    // be read.
    int shownRadius() const
    {
        HWND window = FindWindowW(nullptr, L"Tarnwick_P3D");
        HWND field = window != nullptr ? GetDlgItem(window, LATERAL_RANGE.controlId) : nullptr;
        wchar_t text[16]{};
        DWORD_PTR copied = 0;
        if (field == nullptr || !SendMessageTimeoutW(field, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                                                     SMTO_ABORTIFHUNG, 2000, &copied))
            return 0;
        return _wtoi(text);
    }

    // The lines of the program's Log.txt that begin with the text.
    std::vector<std::string> logLines(const std::string& begin) const
    {
        std::ifstream log(m_program / L"Log.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);)
            if (line.rfind(begin, 0) == 0)
                lines.push_back(line);
        return lines;
    }

private:
    std::string m_run;
    std::filesystem::path m_program;
    std::unique_ptr<standin::SimStandIn> m_sim;
    HANDLE m_process = nullptr;
};

} // namespace programrun
