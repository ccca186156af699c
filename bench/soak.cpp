// Soak: the whole program against both stand-ins for a settable time, the user aircraft
// moving between two airports every minute (a jump the program answers with a restart).
// Prints the program's working set and handle count at the start, middle and end, the
// handles once each restart has settled, the AI objects left in the simulator after each
// restart and at the end, and the exits.
// Arguments: <run folder prepared by scripts/world.sh (Linux path)> [minutes, default 10].
#include "figures.h"
#include "programrun.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace std::chrono_literals;

namespace {
using Clock = std::chrono::steady_clock;

// Where the user aircraft stands, turn by turn (stand 1 of each sample airport).
struct Place {
    const char* name;
    double latitude;
    double longitude;
    double altitude;
};
constexpr Place places[] = {{"Amsterdam", 52.3086, 4.7639, -11.0}, {"Rotterdam", 51.9569, 4.4375, -15.0}};

// The last exit must end within this; a restart's exit and countdown within the next.
constexpr auto finalExitBound = 20s;
constexpr auto restartBound = 50s;
// A restart's handles are counted this long after it connected, once its start-up is done.
constexpr auto restartSettled = 20s;

void lf_print(const char* when, const programrun::Sample& s)
{
    std::printf("%-8s working set %7.1f MB, %5lu handles\n", when, s.workingSetMb, s.handles);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: bench_soak <run folder> [minutes]   (scripts/bench.sh soak prepares the folder)\n");
        return 2;
    }
    const int minutes = argc > 2 ? std::max(2, std::atoi(argv[2])) : 10;
    const auto length = std::chrono::minutes(minutes);
    std::printf("soak: %d minutes, the user aircraft moves between %s and %s every minute\n", minutes, places[0].name,
                places[1].name);
    programrun::ProgramRun program(argv[1], minutes * 60);
    const auto start = Clock::now();

    programrun::Sample first, middle, last;
    bool firstTaken = false, middleTaken = false;
    int restarts = 0, restartsInBound = 0;
    std::size_t leftAfterRestarts = 0;
    int sessionsSeen = 0;
    auto movedAt = start;
    bool waitingForRestart = false;
    auto handlesDue = Clock::time_point::max();
    unsigned long handlesAfterFirstRestart = 0, handlesAfterLastRestart = 0;
    for (int minute = 1; Clock::now() < start + length && program.alive(); ++minute) {
        const auto due = start + std::chrono::minutes(minute);
        while (Clock::now() < due && Clock::now() < start + length && program.alive()) {
            std::this_thread::sleep_for(500ms);
            const int sessions = program.sim().sessionCount();
            if (sessions > sessionsSeen) {
                // A new connection: the program has (re)started; what the last one left stays.
                if (sessionsSeen > 0 && waitingForRestart) {
                    const double took = std::chrono::duration<double>(Clock::now() - movedAt).count();
                    const std::size_t left = program.sim().aiObjectsBefore(sessions);
                    leftAfterRestarts += left;
                    ++restarts;
                    restartsInBound += took <= std::chrono::duration<double>(restartBound).count();
                    std::printf("restart %d: connected again %.0f s after the move, %zu AI objects left\n", restarts,
                                took, left);
                    std::fflush(stdout);
                    waitingForRestart = false;
                    handlesDue = Clock::now() + restartSettled;
                }
                sessionsSeen = sessions;
            }
            if (Clock::now() >= handlesDue) {
                handlesAfterLastRestart = program.sample().handles;
                if (restarts == 1)
                    handlesAfterFirstRestart = handlesAfterLastRestart;
                std::printf("restart %d: %lu handles %lld s after it connected\n", restarts, handlesAfterLastRestart,
                            static_cast<long long>(restartSettled.count()));
                std::fflush(stdout);
                handlesDue = Clock::time_point::max();
            }
            const auto elapsed = Clock::now() - start;
            if (!firstTaken && elapsed >= 45s) {
                lf_print("start", first = program.sample());
                firstTaken = true;
            }
            if (!middleTaken && elapsed >= length / 2) {
                lf_print("middle", middle = program.sample());
                middleTaken = true;
            }
        }
        if (Clock::now() >= start + length || !program.alive())
            break;
        const Place& to = places[minute % 2];
        program.sim().setUserValue("Plane Latitude", to.latitude);
        program.sim().setUserValue("Plane Longitude", to.longitude);
        program.sim().setUserValue("Plane Altitude", to.altitude);
        movedAt = Clock::now();
        waitingForRestart = true;
        std::printf("minute %d: the user aircraft moves to %s\n", minute, to.name);
        std::fflush(stdout);
    }
    const bool aliveAtEnd = program.alive();
    if (aliveAtEnd)
        lf_print("end", last = program.sample());
    DWORD exitCode = 0;
    const double closed = aliveAtEnd ? program.close(finalExitBound, exitCode) : -1.0;
    std::this_thread::sleep_for(1s);
    const standin::AiFigures ai = program.sim().aiFigures();
    std::printf("final exit: %s, exit code %lu\n",
                closed >= 0 ? fmt::format("{:.1f} s", closed).c_str() : "did not end in time", exitCode);
    std::printf("AI aircraft: %zu created, %zu removed, %zu left in the simulator at the end, peak %zu\n", ai.created,
                ai.removed, ai.present, ai.peak);
    std::printf("program exits logged:\n");
    for (const std::string& line : program.logLines("Exiting: "))
        std::printf("  %s\n", line.c_str());
    const double growth = middle.workingSetMb > 0 ? 100.0 * (last.workingSetMb / middle.workingSetMb - 1.0) : 0.0;
    const double handleGrowth =
        middle.handles > 0 ? 100.0 * (static_cast<double>(last.handles) / middle.handles - 1.0) : 0.0;
    std::printf("end against middle: working set %+.1f %%, handles %+.1f %% (goal: within 10 %%)\n", growth,
                handleGrowth);
    // Start to middle holds the scans of the first start; middle to end is the program at work.
    const double shareEarly = programrun::gf_processorShare(first, middle);
    const double share = programrun::gf_processorShare(middle, last);
    std::printf("processor: %.1f %% of one core from start to middle, %.1f %% from middle to end (goal under 5 %%)\n",
                shareEarly, share);

    gf_benchFigure("soak working set start", first.workingSetMb, "MB");
    gf_benchFigure("soak working set middle", middle.workingSetMb, "MB");
    gf_benchFigure("soak working set end", last.workingSetMb, "MB");
    gf_benchFigure("soak handles start", first.handles, "", 0);
    gf_benchFigure("soak handles middle", middle.handles, "", 0);
    gf_benchFigure("soak handles end", last.handles, "", 0);
    gf_benchFigure("soak handles after restart 1", handlesAfterFirstRestart, "", 0);
    gf_benchFigure("soak handles after the last restart", handlesAfterLastRestart, "", 0);
    gf_benchFigure("soak working set end/middle", growth, "% (goal within 10)");
    gf_benchFigure("soak handles end/middle", handleGrowth, "% (goal within 10)");
    gf_benchFigure("soak processor, middle to end", share, "% of one core (goal under 5)", 2);
    gf_benchFigure("soak restarts", restarts, fmt::format("({} within {} s)", restartsInBound, restartBound.count()), 0);
    gf_benchFigure("soak AI objects left after restarts", static_cast<double>(leftAfterRestarts), "(goal 0)", 0);
    gf_benchFigure("soak AI objects left at the end", static_cast<double>(ai.present), "(goal 0)", 0);
    gf_benchFigure("soak final exit", closed, closed >= 0 && exitCode == 0 ? "s, clean" : "s, NOT CLEAN");
    return closed >= 0 && exitCode == 0 && ai.present == 0 && leftAfterRestarts == 0 ? 0 : 1;
}
