#pragma once
// The main window's display state, which every subsystem sets from its own thread and
// the window thread paints, and the window's services to the rest of the program.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#ifndef _WINDEF_
struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
#endif

inline constexpr std::string_view programName = "Tarnwick_P3D"; // also window title and class name

// Application messages of the main window.
inline constexpr unsigned startUpMessage = 0x8001;      // run the start-up (again)
inline constexpr unsigned finalQuitMessage = 0x8002;    // save the position, close the log, quit
inline constexpr unsigned versionCheckedMessage = 0x8003; // the "Check version" answer has come

struct MainWindow {
    MainWindow() { ready = true; }

    // Guards the status line and every text below; the painter copies them under it.
    std::mutex statusMutex;
    std::string statusText;
    std::string errorText;         // held on a red strip until cleared
    std::int32_t statusStamp = 0;  // secondsClock when statusText was set; 0: nothing to expire
    std::string noticeText;        // shown while there is no status text, for the whole run
    std::string simulatorText;     // the user aircraft's title
    std::string airportNameText;   // park airport line, first text
    std::string airportPublisherText;
    std::string qualityText;       // shown as "qf: {}"
    std::string simulatorLine;     // the simulator's name and version
    std::string realTrafficLine;   // RealTraffic's version and edition
    std::string userStand;         // the stand of the user aircraft

    std::atomic<std::int32_t> secondsClock{0}; // advanced once a second by the main loop

    // Figures painted without a lock: a stale value only delays a repaint.
    std::atomic<float> staticAverageFit{-1.0f};
    std::atomic<float> liveAverageFit{-1.0f};
    std::atomic<std::int64_t> liveryCount{-1}; // not positive: not yet known
    std::atomic<std::uint32_t> updateCount{0};
    std::atomic<std::uint32_t> liveCount{0};   // created live aircraft not parked
    std::atomic<std::int32_t> orbxAirportCount{0};
    std::atomic<std::int32_t> otherAirportCount{0};
    std::atomic<std::int32_t> maxPark{0};
    std::atomic<std::int32_t> parkedLiveCount{0};
    std::atomic<std::uint32_t> parkedStaticCount{0};
    std::atomic<std::int32_t> qnh{0}; // below 1: not yet known
    std::atomic<std::int32_t> standCount{0};
    std::atomic<std::int32_t> minutesToRenewal{0};

    std::atomic<bool> parkFileHandmade{false};
    std::atomic<bool> realTrafficWaiting{true};
    std::atomic<bool> readerLights{false}; // the reader lights are shown
    std::atomic<bool> parkDataLoaded{false};
    std::atomic<bool> simulatorConnected{false};
    std::atomic<bool> flightMark{false};
    std::atomic<bool> userModelKnown{true};
    std::atomic<bool> orbxAirportsDone{true};
    std::atomic<bool> softMarker{false};
    std::atomic<bool> reservedStandValid{false};
    std::atomic<bool> parkAirportListed{true};
    std::atomic<bool> realTrafficConnected{false};

    // Reader lights: 1 receiving, 2 no datagram since the last check, 3 stopped.
    std::atomic<std::int32_t> trafficReaderState{3};
    std::atomic<std::int32_t> weatherReaderState{3};

    std::atomic<HWND> window{nullptr};
    std::atomic<bool> ready{false}; // set as the last step of construction
};
extern MainWindow mainWindow;

inline constexpr int mainWindowWidth = 880;
inline constexpr int mainWindowHeight = 516;

// Client areas of the window, for repaints after a change.
struct WindowBand {
    int top;
    int bottom;
};
inline constexpr WindowBand countersBand{28, 112};
inline constexpr WindowBand controlsBand{112, 392};
inline constexpr WindowBand statisticsBand{392, 448};
inline constexpr WindowBand statusBand{448, 476};

// Both are safe from any thread and do nothing before the window exists.
void gf_repaintWindow();
void gf_repaintBand(WindowBand band);
// The band of this window invalidated (also while the window is being created).
void gf_invalidateBand(HWND window, WindowBand band);

// A display text set under the status lock, then its band repainted.
void gf_setDisplayText(std::string MainWindow::*text, const std::string& value, WindowBand band);

// Registers the window class, creates the window, posts the first start-up message and
// runs the message loop; returns the quit code, or 0 when the window cannot be created.
int initInstance(HINSTANCE instance);
// The program's name from string resource 101 of the module: the window's class name and
// title. The name as compiled in (with a log line) when the module has no such string.
std::wstring gf_programNameResource(HINSTANCE instance);
// The class of that name, with icon resource 100 of the module (the system's icon when the
// module has none).
bool gf_registerWindowClass(HINSTANCE instance, const wchar_t* className);
// 1 when the window exists and has been shown, else 0. Its title is the class name.
int gf_createMainWindow(HINSTANCE instance, const wchar_t* className);

// The final quit: the window position saved, the time logged, the log closed, WM_QUIT posted.
void gf_finalQuit(HWND window);
// Saves the position of the window; a coordinate that lands on a limit keeps its old value.
void gf_saveWindowPosition(HWND window);
void gf_clampWindowPosition(std::int32_t previousX, std::int32_t previousY);

// Airport parking controls and the static-parking running flag.
void disableControls();
void enableControls();

// Text of a control as UTF-8, at most `limit` characters; nothing when it cannot be
// converted, which is logged.
std::optional<std::string> gf_controlText(HWND control, int limit);
// Text of a control of the main window as UTF-8 (at most 2047 characters); empty when
// it cannot be converted, which is logged.
std::string gf_getItemText(std::uint16_t controlId);
void gf_clearItemText(std::uint16_t controlId);
// The window that gf_wndProc last saw, which the edit fields act on.
HWND gf_lastWindow();
