#pragma once
// Tarnwick_P3D_test.exe as a process of its own in this Wine prefix, started in a fresh
// program folder, against the simulator stand-in run in this test process on a pipe that
// the folder's SimConnect.cfg names, with traffic and QNH datagrams sent from here to
// RealTraffic ports of its own. Such runs share the single-instance mutex and the data folder
// with every other run, so they hold the shared simulator lock.
#include "simstandin/simstandin.h"
#include "support/simconnectenv.h"
#include "support/tempfolder.h"
#include "support/waitfor.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// RealTraffic's UDP ports for the program that a test runs: ports that no other run uses,
// set as the test build's ports of this process and in its environment, which a program it
// starts inherits.
struct RealTrafficPorts {
    std::uint16_t qnh = 0;
    std::uint16_t traffic = 0;
};
RealTrafficPorts gf_ownRealTrafficPorts();

// Traffic records to the traffic port every 100 ms, in turn, and a QNH datagram to the QNH
// port every second, from a thread of its own, for as long as the object lives.
class DatagramSender {
public:
    DatagramSender(std::vector<std::string> records, RealTrafficPorts ports);
    ~DatagramSender();
    DatagramSender(const DatagramSender&) = delete;
    DatagramSender& operator=(const DatagramSender&) = delete;

private:
    void run();

    std::vector<std::string> m_records;
    RealTrafficPorts m_ports;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
// The simulator stand-in on a pipe of its own, named in the folder's SimConnect.cfg (a link of
// another test whose simulator has gone ends its search on the default pipe and must not find
// this one), with the user aircraft on the ground at Amsterdam.
standin::Options gf_testPipeSimulatorOptions(const std::filesystem::path& folder);
// The settings of a user who ran the program today with the simulator in that folder: the
// day's downloads are done, no scans, no automatic range, a RealTraffic server port that no
// other run uses (PORT_NUMBER, the last entry). The install path comes first.
std::vector<std::pair<std::string, std::string>> gf_testRunParameters(const std::filesystem::path& simulator);
// The first records of tools/realtraffic/sample_traffic.txt (flights around Amsterdam).
std::vector<std::string> gf_testRecordedTraffic();

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program; its process handle, or null.
    HANDLE start();
    // Waits until the program's main loop asks for the user position `count` more times
    // in the current simulator session.
    bool waitForMainLoop(int count = 3);
    // Sends WM_CLOSE to the program's main window, as its close button does.
    bool closeWindow(HANDLE process);
    // Waits for the process to end; its exit code, or -2 when it did not end in time.
    static long waitForEnd(HANDLE process, std::chrono::seconds limit = std::chrono::seconds(30));
    std::string logText() const;
    bool logHasLine(const std::string& line) const;

    std::unique_ptr<SharedSimulatorLock> lock;
    std::unique_ptr<TempFolder> program;
    std::unique_ptr<standin::SimStandIn> simulator;
    std::vector<HANDLE> processes;
    std::unique_ptr<DatagramSender> datagrams;

private:
    // How often the program asked for this data of the user aircraft in the current session.
    std::size_t userRequests(std::uint32_t request) const;
};
