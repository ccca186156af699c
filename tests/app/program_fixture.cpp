#include "program_fixture.h"

#include "app/buildconfig.h"
#include "foundation/registry.h"
#include "foundation/winstring.h"
#include "links/simids.h"
#include "liveries/liveries.h"
#include "refgen/refgen.h"
#include "simconnect/protocol.h"
#include "support/airportlist.h"
#include "support/parametersxml.h"
#include "support/testpaths.h"

#include <winsock2.h>

#include <fstream>
#include <iostream>
#include <map>

namespace fs = std::filesystem;

standin::Options gf_testPipeSimulatorOptions(const fs::path& folder)
{
    const std::wstring pipe = gf_testPipeName();
    gf_testWriteFile(folder / L"SimConnect.cfg",
                     "[SimConnect]\r\nProtocol=Pipe\r\nAddress=.\r\nPort=" + gf_utf16ToUtf8(pipe) + "\r\n");
    standin::Options options;
    options.pipeName = gf_testPipePath(pipe);
    options.tcp = false;
    options.frameIntervalMs = 33;
    options.userValues = {{"Plane Latitude", 52.3086}, {"Plane Longitude", 4.7639}, {"SIM ON GROUND", 1}};
    return options;
}

std::vector<std::pair<std::string, std::string>> gf_testRunParameters(const fs::path& simulator)
{
    // A server port of its own: RealTraffic's default may be taken by another run meanwhile.
    return {{"SIM_INSTALL_PATH", gf_pathText(simulator)},
            {"DATA_CHECKED_AT_DATE", gf_dateCode()},
            {"SCAN_LIVERIES", "false"},
            {"SCAN_AIRPORTS", "false"},
            {"AUTO_RANGE", "false"},
            {"PORT_NUMBER", std::to_string(gf_unusedTcpPort())}};
}

std::vector<std::string> gf_testRecordedTraffic()
{
    std::vector<std::string> lines;
    std::ifstream in(gf_testSourcePath("tools/realtraffic/sample_traffic.txt"));
    for (std::string line; std::getline(in, line) && lines.size() < 200;)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

RealTrafficPorts gf_ownRealTrafficPorts()
{
    RealTrafficPorts ports{gf_unusedUdpPort(), gf_unusedUdpPort()};
    while (ports.traffic == ports.qnh)
        ports.traffic = gf_unusedUdpPort();
    testQnhPort = ports.qnh;
    testTrafficPort = ports.traffic;
    SetEnvironmentVariableW(L"TARNWICK_TEST_QNH_PORT", std::to_wstring(ports.qnh).c_str());
    SetEnvironmentVariableW(L"TARNWICK_TEST_TRAFFIC_PORT", std::to_wstring(ports.traffic).c_str());
    return ports;
}

DatagramSender::DatagramSender(std::vector<std::string> records, RealTrafficPorts ports)
    : m_records(std::move(records)), m_ports(ports)
{
    m_thread = std::thread([this] { run(); });
}

DatagramSender::~DatagramSender()
{
    m_stop = true;
    m_thread.join();
}

void DatagramSender::run()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET sock = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto sendTo = [&](std::uint16_t port, const std::string& text) {
        to.sin_port = htons(port);
        sendto(sock, text.data(), static_cast<int>(text.size()), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    };
    for (std::size_t n = 0; !m_stop.load(); ++n) {
        if (!m_records.empty())
            sendTo(m_ports.traffic, m_records[n % m_records.size()]);
        if (n % 10 == 0)
            sendTo(m_ports.qnh, R"({"ICAO": "EHAM", "QNH": 1021})");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    closesocket(sock);
    WSACleanup();
}

void ProgramRun::SetUp()
{
    lock = std::make_unique<SharedSimulatorLock>();
    program = std::make_unique<TempFolder>();
    fs::create_directory(*program / L"docs");
    fs::create_directory(*program / L"input");
    fs::create_directories(*program / L"Prepar3D v5" / L"Scenery");
    refgen::writeReferenceFiles(refgen::baseWorld(), *program / L"input");
    // The result of an earlier livery scan, which the start-up reads instead of scanning.
    refgen::writeLiveriesScanned(refgen::baseWorld().liveries, *program / L"output" / L"LiveriesScanned.xml");
    gf_testWriteFile(*program / L"input" / L"AIG-regcodes.xml", "<regcodes/>");
    gf_testWriteAirportList(program->path());

    // The data folder of this prefix's user, as a user who ran the program today left it.
    const fs::path roaming = gf_shellFolderPath();
    std::error_code ignored;
    fs::remove_all(roaming / L"Tarnwick_P3D", ignored);
    fs::remove_all(roaming / L"InsideSystems", ignored); // RealTraffic is not on this computer
    fs::create_directories(roaming / L"Tarnwick_P3D");
    ASSERT_TRUE(gf_testWriteParameters(roaming / L"Tarnwick_P3D" / L"parameters.xml",
                                       gf_testRunParameters(*program / L"Prepar3D v5")));

    standin::Options options = gf_testPipeSimulatorOptions(program->path());
    options.userValues.insert(
        {{"Plane Altitude", 0}, {"ZULU YEAR", 2024}, {"ZULU DAY OF YEAR", 60}, {"ZULU TIME", 43200}});
    simulator = std::make_unique<standin::SimStandIn>(options);
    datagrams = std::make_unique<DatagramSender>(gf_testRecordedTraffic(), gf_ownRealTrafficPorts());
}

void ProgramRun::TearDown()
{
    if (HasFailure()) {
        std::cout << "---- Log.txt of the program ----\n" << logText() << "---- end of Log.txt ----\n";
        std::map<std::pair<int, std::uint32_t>, int> asked; // (session, request number) -> count
        for (const standin::Request& request : simulator->requests()) {
            ++asked[{request.session, request.number}];
            if (request.number == 1)
                std::cout << "session " << request.session << " opened by " << request.text(16, 256) << "\n";
        }
        for (const auto& [key, count] : asked)
            std::cout << "session " << key.first << " request " << key.second << ": " << count << "\n";
    }
    datagrams.reset();
    for (HANDLE process : processes) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 3);
            WaitForSingleObject(process, 10000);
        }
        CloseHandle(process);
    }
    if (simulator)
        simulator->stop();
    std::error_code ignored;
    fs::remove_all(gf_shellFolderPath() / L"Tarnwick_P3D", ignored);
}

HANDLE ProgramRun::start()
{
    std::wstring command = L"\"" + (gf_testBuildFolder() / L"Tarnwick_P3D_test.exe").wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, program->path().c_str(),
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    processes.push_back(process.hProcess);
    return process.hProcess;
}

std::size_t ProgramRun::userRequests(std::uint32_t request) const
{
    const int session = simulator->sessionCount();
    std::size_t count = 0;
    for (const standin::Request& asked : simulator->requests(scReqDataOnObject))
        if (asked.session == session && asked.u32(scHeaderSize) == request)
            ++count;
    return count;
}

bool ProgramRun::waitForMainLoop(int count)
{
    // The title is asked once the flight is found; the main loop then asks for the user
    // position once a second.
    if (!gf_waitFor([&] { return userRequests(reqUserTitle) > 0; }, std::chrono::seconds(30)))
        return false;
    const std::size_t before = userRequests(reqUserPosition);
    return gf_waitFor([&] { return userRequests(reqUserPosition) >= before + static_cast<std::size_t>(count); },
                      std::chrono::seconds(30));
}

bool ProgramRun::closeWindow(HANDLE process)
{
    // Other test processes have main windows of their own.
    HWND found = nullptr;
    const auto findOwn = [&] {
        for (HWND w = FindWindowExW(nullptr, nullptr, L"Tarnwick_P3D", nullptr); w && !found;
             w = FindWindowExW(nullptr, w, L"Tarnwick_P3D", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == GetProcessId(process))
                found = w;
        }
        return found != nullptr;
    };
    return gf_waitFor(findOwn) && PostMessageW(found, WM_CLOSE, 0, 0) != FALSE;
}

long ProgramRun::waitForEnd(HANDLE process, std::chrono::seconds limit)
{
    if (WaitForSingleObject(process, static_cast<DWORD>(limit.count() * 1000)) != WAIT_OBJECT_0)
        return -2;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return static_cast<long>(code);
}

std::string ProgramRun::logText() const { return gf_testReadFile(*program / L"Log.txt"); }

bool ProgramRun::logHasLine(const std::string& line) const { return gf_testHasLine(logText(), line); }
