// simlink_run.exe: runs the simulator link for a few seconds against whatever SimConnect.cfg
// in the current folder names, creates one aircraft, and stops the link cleanly.
//   --seconds N     run time after the flight was found (default 5)
//   --callsign TEXT the tail number of the aircraft created (default TWK42)
// Prints what the link learned, one "key: value" a line; exit code 0 after a clean stop,
// 1 when no flight was found, 2 for a bad argument, 3 when the link did not stop cleanly.
#include "app/programcontrol.h"
#include "foundation/log.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "support/waitfor.h"
#include "traffic/manager.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {
using namespace std::chrono_literals;

std::vector<InboundAnswer> lf_answers()
{
    std::lock_guard lock(inboundMutex);
    return inboundBuffer;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    int seconds = 5;
    std::string callsign = "TWK42";
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--seconds" && i + 1 < argc) {
            seconds = std::stoi(argv[++i]);
        } else if (arg == L"--callsign" && i + 1 < argc) {
            const std::wstring text = argv[++i];
            callsign.assign(text.begin(), text.end());
        } else {
            std::fprintf(stderr, "simlink_run: unknown argument\n");
            return 2;
        }
    }
    gf_openLog();
    gf_startSimConnectThread();
    if (!gf_waitFor([] { return flightRunning.load(); }, 20s)) {
        std::printf("flight: none\n");
        gf_resetSimLink();
        return 1;
    }
    std::printf("flight: running\n");
    {
        // The ground state every second, as the start of traffic asks for it.
        std::lock_guard lock(simQueues.mutex);
        if (simConnection != nullptr)
            SimConnect_RequestDataOnSimObject(simConnection, 108, 409, 0, 4, 0, 0, 0, 0);
    }
    requestUserTitleAndModel();
    gf_waitFor([] { return !gf_userAircraftInfo().model.empty(); }, 5s);
    const UserAircraft before = requestUserPosition();
    gf_waitFor([&] { return requestUserPosition().latitude != before.latitude; }, 5s);
    CreationItem item;
    item.position = {52.31, 4.76, 0, 0, 0, 90, 1, 0};
    item.tailNumber = callsign;
    item.liveryTitle = "Stand-in Livery";
    item.flightId = 0x4840D6;
    queueAiCreation(item);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        // The traffic manager asks for the aircraft within range once a second.
        {
            std::lock_guard lock(simQueues.mutex);
            if (simConnection != nullptr)
                SimConnect_RequestDataOnSimObjectType(simConnection, 101, 404, 20000, 2);
        }
        std::this_thread::sleep_for(1s);
    }
    const UserAircraft user = requestUserPosition();
    const UserAircraftInfo info = gf_userAircraftInfo();
    std::printf("title: %s\nmodel: %s\n", info.title.c_str(), info.model.c_str());
    std::printf("position: %.4f %.4f altitude %.0f\n", user.latitude, user.longitude, user.altitude);
    std::printf("on ground: %d\nframe rate: %.0f\n", userOnGround ? 1 : 0, simFrameRate.load());
    for (const InboundAnswer& answer : lf_answers())
        std::printf("answer: kind %u object %u value %u\n", static_cast<unsigned>(answer.kind), answer.objectId,
                    answer.secondValue);
    gf_resetSimLink();
    const bool clean = runningThreads == 0 && simConnection == nullptr;
    std::printf("stopped: %s\n", clean ? "cleanly" : "with threads left");
    std::fflush(stdout);
    gf_closeLog();
    return clean ? 0 : 3;
}
