// The one exit path: stop, remove, tell RealTraffic, wait; then restart or quit.
#include "app/finalexit.h"

#include "airports/airports.h"
#include "app/buildconfig.h"
#include "app/mainwindow.h"
#include "app/programcontrol.h"
#include "app/reporter.h"
#include "app/restart.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "foundation/settingscatalogue.h"
#include "links/readers.h"
#include "links/realtrafficserver.h"
#include "links/simlink.h"
#include "liveries/liveries.h"
#include "traffic/traffic.h"

#include <windows.h>

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>
#include <unordered_map>

using namespace std::chrono_literals;

namespace {
// Taken by every request and by the end of an exit, so that a request that comes while
// a restart finishes either cuts it short or waits for it.
std::mutex exitMutex;
// Counts the exits started; a restart posts its start-up message only while no later
// exit has begun.
std::uint64_t exitGeneration = 0;

bool lf_isRestart(std::uint32_t reason) { return reason == 2 || reason == 3; }

void lf_post(unsigned message)
{
    if (HWND window = mainWindow.window.load())
        PostMessageW(window, message, 0, 0);
}

// The traffic tables belong to the main-loop thread: they are touched only once it ended.
bool lf_waitForMainLoop()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(mainLoopStopSeconds);
    while (startUpRunning.load()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// Until the simulator has removed every object made for the program: the frame flush sends
// the removals (again when a call failed) and finds the creations still on their way, which
// the link looks for as long as a late answer may come. A removal merely sent may still wait
// in the connection, which closes after this. Bounded: a simulator may never answer.
void lf_waitForProgramObjects()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(lateCreationSeconds) + 5s;
    if (const std::size_t left = gf_programObjectsLeft(); left > 0)
        gf_showStatus(fmt::format("Removing {} AI aircraft from the simulator ...", left), false);
    while (gf_programObjectsLeft() > 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    if (const std::size_t left = gf_programObjectsLeft(); left > 0)
        gf_logMarked(fmt::format("{} AI aircraft of {} not known to be removed from the simulator", left, programName));
}

// Everything an exit does before it restarts or quits; false when the start-up and main-loop
// thread did not end, so that nothing it uses may be reset or released.
bool lf_stopEverything(std::uint32_t reason)
{
    gf_logFlushed(fmt::format("Exiting: {}", gf_exitReasonName(reason)));
    gf_takeNewAiObjects(false); // nothing new is created; what the simulator still makes goes
    if (reason == 2)
        gf_showStatus("Prepare for a restart ...", true);
    gf_stopReaders();
    gf_logf("{} traffic and {} QNH datagrams received", trafficUdpReader.datagramCounter.load(),
            qnhUdpReader.datagramCounter.load());
    std::this_thread::sleep_for(500ms);
    const bool trafficStopped = lf_waitForMainLoop();
    if (trafficStopped)
        gf_removeInjectedAircraft();
    else
        gf_logMarked(fmt::format("The main loop did not stop within {} s, the aircraft were not removed",
                                 mainLoopStopSeconds));
    std::this_thread::sleep_for(1s); // the frame flush sends the removals meanwhile
    if (trafficStopped)
        gf_removeLateCreations();
    // Whatever the traffic knew of them, the objects made for the program go.
    gf_removeProgramObjects();
    lf_waitForProgramObjects();
    std::this_thread::sleep_for(500ms);
    gf_closeServer();
    if (reason == 5) {
        std::this_thread::sleep_for(std::chrono::milliseconds(systemErrorPauseMs));
    } else if (reason == 4) {
        gf_logf("User closed {}", programName);
        removalDone = true;
    }
    gf_requestSimConnectStop();
    if (trafficStopped)
        gf_clearLiveryChoices();
    gf_removeFlightPlanFolder();
    if (!lf_isRestart(reason)) {
        BLOCK_CALLSIGN.setValue("");
        LAST_EPOCH_TIME.value = static_cast<std::int32_t>(std::time(nullptr));
        gf_saveParameterValue(LAST_EPOCH_TIME);
        logMatchingSummary();
        gf_logNoMatches();
    }
    // The park airport's stands belong to the main loop: saved only once it has ended.
    if (trafficStopped)
        gf_stopParking();
    else
        gf_logMarked("The main loop did not stop, the parking changes were not saved");
    gf_waitForThreads(1); // all but this one
    return trafficStopped;
}

// A thread that did not end still uses what a restart would reset: the program ends instead
// of running on half reset, and says so before it goes.
void lf_endForAStuckThread(std::uint32_t reason)
{
    const std::string text = fmt::format("{} ends: its main loop did not stop{}, start it again", programName,
                                         lf_isRestart(reason) ? " for the restart" : "");
    gf_logMarked(text);
    gf_showError(text);
    std::this_thread::sleep_for(std::chrono::milliseconds(systemErrorPauseMs));
}

// The end of a restart: the start-up runs again unless a later exit has begun.
void lf_finishRestart(std::uint64_t generation, bool countedDown)
{
    std::lock_guard lock(exitMutex);
    if (!countedDown || generation != exitGeneration)
        return;
    exitFlag = false;
    lf_post(startUpMessage);
}
} // namespace

const std::string& gf_exitReasonName(std::uint32_t reason)
{
    static const std::unordered_map<std::uint32_t, std::string> names{
        {0, "NOT_YET_SET"}, {1, "SIM WAS CLOSED"},  {2, "RESTART"},
        {3, "RESTART_IPP"}, {4, "USER CLOSED SIM"}, {5, "SYSTEM ERROR"}};
    return names.at(reason);
}

void (*exitRequestRecorder)(std::uint32_t reason, std::uint32_t seconds) = nullptr;

void gf_startFinalExit(std::uint32_t reason, std::uint32_t seconds)
{
    if (exitRequestRecorder != nullptr) {
        exitRequestRecorder(reason, seconds);
        return;
    }
    std::lock_guard lock(exitMutex);
    // Test and set in one step: of two requests at the same moment only one exits.
    if (exitFlag.exchange(true))
        return;
    exitReason = reason;
    ++exitGeneration;
    // Counted before the thread starts, so that no wait for the threads misses it.
    ++runningThreads;
    try {
        std::thread(FinalExit, static_cast<std::int32_t>(seconds)).detach();
    } catch (...) {
        --runningThreads;
        exitFlag = false;
        throw;
    }
}

void FinalExit(std::int32_t seconds)
{
    exitFlag = true;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(exitMutex);
        generation = exitGeneration;
    }
    const std::uint32_t reason = exitReason.load();
    bool restartDue = false;
    bool failed = false;
    bool stuck = false;
    try {
        stuck = !lf_stopEverything(reason);
        if (stuck) {
            lf_endForAStuckThread(reason);
        } else if (lf_isRestart(reason)) {
            gf_resetRunState(reason);
            {
                // From here on a new request is accepted; it ends the countdown.
                std::lock_guard lock(exitMutex);
                exitReason = 0;
                exitFlag = false;
            }
            restartDue = gf_restartCountdown(seconds);
        } else {
            gf_releaseTrafficLists();
        }
    } catch (...) {
        gf_reportException("FinalExit");
        failed = true;
    }
    if (failed) {
        // An exit that failed half-way cannot be trusted to restart: the program ends.
        gf_logMarked("The exit did not complete, the program ends");
        lf_post(finalQuitMessage);
    } else if (lf_isRestart(reason) && !stuck) {
        lf_finishRestart(generation, restartDue);
    } else {
        // The exit flag stays set: nothing starts again while the process ends.
        lf_post(finalQuitMessage);
    }
    gf_flushLog();
    --runningThreads;
}

bool gf_restartCountdown(std::int32_t seconds)
{
    seconds = std::min(seconds, longestRestartCountdown);
    if (seconds < 1)
        return !gf_exitUnderWay();
    gf_logFlushed(fmt::format("Restarting after {} seconds\n\n\n\n\n", seconds));
    for (std::int32_t left = seconds; left >= 1; --left) {
        if (gf_exitUnderWay())
            return false;
        gf_showStatus(fmt::format("Restarting after {} second{}", left, left == 1 ? "" : "s"), false);
        if (!gf_pauseUnlessExit(1s))
            return false;
    }
    return true;
}
