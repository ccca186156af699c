#pragma once
// The simulator link's thread against the in-process simulator stand-in, over a pipe or TCP
// named in a SimConnect.cfg of the test's own folder; and what the program's stand-ins of
// other subsystems recorded meanwhile.
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "foundation/logcapture.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "support/simconnectenv.h"
#include "support/waitfor.h"
#include "simstandin/simstandin.h"
#include "traffic/manager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

enum class SimTransport { pipe, ipv4 };

// The exit requests, recorded by the fixture.
extern std::atomic<std::uint32_t> pendingExitReason;
extern std::atomic<std::uint32_t> pendingExitSeconds;
extern std::atomic<std::int32_t> pendingExits;

inline constexpr auto linkWait = std::chrono::seconds(15);

class SimLink : public ::testing::Test {
protected:
    void TearDown() override;

    // Starts the stand-in, writes SimConnect.cfg and, unless told otherwise, starts the link
    // thread and waits until it has declared everything and the flight runs.
    void start(SimTransport transport, standin::Options options = {}, bool startLink = true);
    // Writes SimConnect.cfg for the stand-in (done by start()).
    void writeConfig(SimTransport transport);
    // Starts the link with a SimConnect.cfg naming a fresh pipe (pipeName) that nobody serves
    // yet, and waits until it says it waits for the simulator.
    void startWithoutSimulator();
    bool waitForSetup(int session = 1);

    standin::SimStandIn& sim() { return *standIn; }
    // Requests of one kind received from the link in this session.
    std::vector<standin::Request> requestsOf(std::uint32_t number, int session = 1) const;
    // Waits until the inbound buffer holds an answer that the predicate accepts.
    bool waitForAnswer(const std::function<bool(const InboundAnswer&)>& match);
    std::vector<InboundAnswer> answers() const;
    bool logHas(const std::string& part) { return log.text().find(part) != std::string::npos; }
    bool waitForLog(const std::string& part) { return gf_waitFor([&] { return logHas(part); }, linkWait); }
    // Asks the simulator for the aircraft within range, as the traffic manager does.
    void requestWithinRange();
    // Waits until the link ended its thread (which must have been running).
    bool waitForThreadEnd() { return gf_waitFor([] { return runningThreads.load() == 0; }, linkWait); }
    // Starts the stand-in and the link, and waits until the link has declared everything and ended.
    bool runLinkUntilItEnds(SimTransport transport, const standin::Options& options);
    // Whether the link holds no connection.
    static bool connectionClosed();
    // A text of the main window's status, read under its mutex.
    static std::string status(std::string MainWindow::*text);
    // Asks for the user position (again every half second) until the block satisfies `done`.
    bool waitForUserBlock(const std::function<bool(const UserAircraft&)>& done);
    // Asks for the user's ground state every second, as the wait for a flight does.
    void requestOnGround();

    LogCapture log; // a fresh current folder, which holds SimConnect.cfg too
    std::unique_ptr<standin::SimStandIn> standIn;
    std::wstring pipeName;
};

// The same, once over a pipe and once over TCP.
class SimLinkOverTransport : public SimLink, public ::testing::WithParamInterface<SimTransport> {};

// An aircraft on the ground at Amsterdam to be created with this callsign and livery.
CreationItem gf_testCreation(const std::string& callsign, std::uint32_t flightId, std::string_view title = "Livery OK");
