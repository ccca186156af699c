// The SimConnect thread: connects, declares, dispatches every millisecond, and closes
// the connection whenever it ends.
#include "links/simlink.h"

#include "app/finalexit.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/status.h"
#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/timehelpers.h"
#include "foundation/timerresolution.h"
#include "foundation/waits.h"
#include "links/simqueues.h"

#include <fmt/format.h>

#include <chrono>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

ScConnection* simConnection = nullptr;
std::atomic<bool> simulatorQuit{false};
std::atomic<bool> flightRunning{false};
std::atomic<bool> simPaused{false};
std::atomic<std::int32_t> requestErrorCount{0};
std::atomic<bool> newSecond{false};
std::atomic<std::int64_t> simulatorTime{0};
std::atomic<float> simFrameRate{0.0f};
std::atomic<std::uint64_t> dispatchPasses{0};
std::atomic<std::uint32_t> userObjectId{0};
std::atomic<bool> userOnGround{false};
std::atomic<bool> userOnGroundReceived{false};

namespace {
constexpr auto reconnectPause = 1s;
constexpr auto pauseStep = 50ms;
constexpr DWORD idleWaitMs = 50; // only a safety net: every packet and a stop set the event
constexpr std::int32_t requestErrorsForRestart = 3;

std::mutex threadObjectMutex; // the start-up and the exit thread both reach the thread object
std::jthread simConnectThreadObject;

// Set by the client library when a packet arrives or the connection breaks, and by a stop
// request. One for the whole process: a late completion of a closed connection may still
// set it.
HANDLE lf_packetEvent()
{
    static const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return event;
}

// Under threadObjectMutex.
void lf_requestStop()
{
    simConnectThreadObject.request_stop();
    SetEvent(lf_packetEvent()); // the dispatch loop may be waiting for a packet
}

// Under threadObjectMutex.
void lf_stopAndJoinThread()
{
    if (simConnectThreadObject.joinable()) {
        lf_requestStop();
        simConnectThreadObject.join();
    }
}

void lf_pause(const std::stop_token& stop, std::chrono::milliseconds length)
{
    const auto end = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < end && !stop.stop_requested() && !gf_exitUnderWay())
        gf_sleepFor(pauseStep);
}

// A fresh connection starts with nothing from the one before.
void lf_beginSession(ScConnection* connection)
{
    simulatorQuit = false;
    lf_clearAiBookkeeping();
    std::lock_guard lock(simQueues.mutex);
    simConnection = connection;
}

// Dispatches until a stop, a millisecond apart at the most; true when the simulator has
// gone (its quit message, or a connection that broke). While nothing arrives the loop
// sleeps on the packet event: a wake-up every millisecond would cost the simulator a
// share of a core for nothing.
bool lf_dispatchLoop(ScConnection* connection, const std::stop_token& stop)
{
    TimerResolution resolution;
    while (!stop.stop_requested()) {
        const ScResult result = SimConnect_CallDispatch(connection, dispatchSimConnect, nullptr);
        if (result != scOk || simulatorQuit)
            return true;
        dispatchPasses.fetch_add(1, std::memory_order_relaxed);
        gf_sleepFor(1ms);
        WaitForSingleObject(lf_packetEvent(), idleWaitMs);
    }
    return false;
}

void lf_connectAndRun(const std::stop_token& stop)
{
    bool first = true;
    while (!stop.stop_requested() && !gf_exitUnderWay()) {
        if (first) {
            gf_showStatus(fmt::format("Waiting for Prepar3Dv{} ...", gf_checkInstallPathVersion()), true);
            first = false;
        }
        ScConnection* connection = nullptr;
        if (SimConnect_Open(&connection, simClientName, nullptr, 0, lf_packetEvent(), 0) != scOk) {
            lf_pause(stop, reconnectPause);
            continue;
        }
        setupSimConnect(connection);
        lf_beginSession(connection);
        const bool gone = lf_dispatchLoop(connection, stop);
        if (gone)
            flightRunning = false;
        closeSimConnect();
        if (gone) {
            lf_simulatorGone();
            return;
        }
    }
}

void lf_failed(const std::string& text, bool userError)
{
    gf_showError(text);
    flightRunning = false;
    closeSimConnect();
    // A user error keeps the program open for the user to act on it.
    if (!userError)
        lf_simulatorGone();
}
} // namespace

void simConnectThread(std::stop_token stop)
{
    ++runningThreads;
    try {
        lf_connectAndRun(stop);
    } catch (const zeb::UserErrorException& e) {
        lf_failed(e.what(), true);
    } catch (const std::exception& e) {
        lf_failed(e.what(), false);
    } catch (...) {
        lf_failed("Exception in SimClient", false);
    }
    lf_saveUserStand();
    --runningThreads;
}

void gf_startSimConnectThread()
{
    std::lock_guard lock(threadObjectMutex);
    lf_stopAndJoinThread();
    simConnectThreadObject = std::jthread(simConnectThread);
}

void gf_requestSimConnectStop()
{
    std::lock_guard lock(threadObjectMutex);
    if (simConnectThreadObject.joinable())
        lf_requestStop();
}

void gf_resetSimLink()
{
    {
        std::lock_guard lock(threadObjectMutex);
        lf_stopAndJoinThread();
    }
    closeSimConnect(); // nothing left open, whatever ended the thread
    flightRunning = false;
    simPaused = false;
    requestErrorCount = 0;
    newSecond = false;
    simulatorTime = 0;
    simFrameRate = 0.0f;
    simulatorQuit = false;
    lf_clearUserAircraft();
    lf_clearAiBookkeeping();
    gf_emptySimQueues();
}

void closeSimConnect()
{
    mainWindow.simulatorConnected = false;
    gf_repaintBand(countersBand);
    ScConnection* connection = nullptr;
    {
        std::lock_guard lock(simQueues.mutex);
        connection = simConnection;
        simConnection = nullptr;
    }
    if (connection == nullptr)
        return;
    lf_clearDefinitions(connection);
    if (SimConnect_Close(connection) != scOk)
        gf_logMarked("SimConnect close failed!");
}

void lf_simulatorGone()
{
    if (gf_exitUnderWay())
        return;
    gf_logf("{} Flight Simulator no longer connected, {} will stop ...", gf_nowString(), simClientName);
    gf_startFinalExit(1, 0);
}

void countRequestError()
{
    const std::int32_t count = ++requestErrorCount;
    if (count < requestErrorsForRestart)
        return;
    gf_showStatus(fmt::format("SimConnect request error {}, see Log.txt", count), true);
    simPaused = true;
    gf_startFinalExit(2, 10);
}
