#pragma once
// The main window's display state that other subsystems set; the window paints it.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

struct MainWindow {
    std::mutex statusMutex;                    // also guards the texts below
    std::string realTrafficLine;               // RealTraffic's version and edition
    std::string simulatorText;                 // the user aircraft's title
    std::string simulatorLine;                 // the simulator's name and version
    std::string userStand;                     // the stand of the user aircraft

    std::atomic<std::int32_t> qnh{0};          // below 1: not yet known
    // Reader lights: 1 receiving, 2 no datagram since the last check, 3 stopped.
    std::atomic<std::int32_t> trafficReaderState{3};
    std::atomic<std::int32_t> weatherReaderState{3};
    std::atomic<bool> realTrafficWaiting{true};
    std::atomic<bool> readerLights{false};     // the reader lights are shown
    std::atomic<bool> realTrafficConnected{false};
    std::atomic<bool> simulatorConnected{false};
    std::atomic<bool> flightMark{false};
    std::atomic<bool> userModelKnown{true};
};
extern MainWindow mainWindow;

// Invalidates the main window so that it is painted anew from the state above.
void gf_repaintWindow();
