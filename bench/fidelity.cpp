// Fidelity of a longer replay: the whole program against both stand-ins on the traffic of a
// world that scripts/world.sh prepared (the scripted Amsterdam, or the real recording at Las
// Vegas): the figures of tools/run/runfigures.py, what a watcher of the simulator sees
// (how far each position sent lies from the reported track at the same delayed time, headings,
// speeds and altitudes against the reports, standstills, re-creations, take-offs) with the
// figures of the AI aircraft, and the program's processor share. Arguments: <run folder
// prepared by scripts/world.sh (Linux path)> [minutes, default 10]. TARNWICK_USER=air puts the
// user aircraft in the air over the airport (programrun::UserPlacement): the program then takes
// its air radius, and the figures take the radius its window shows.
#include "figures.h"
#include "programrun.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

using namespace std::chrono_literals;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: bench_fidelity <run folder> [minutes]   (scripts/bench.sh fidelity prepares the folder)\n");
        return 2;
    }
    const std::string run = argv[1];
    const int minutes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const auto world = programrun::gf_readWorld(run);
    programrun::UserPlacement user;
    try {
        user = programrun::gf_userPlacement(world);
    } catch (const std::runtime_error& e) {
        std::printf("bench_fidelity: %s\n", e.what());
        return 2;
    }
    std::printf("fidelity: %d minutes of the traffic around %s, the user %s (live radius %d nm), QNH %s hPa sent\n",
                minutes, world.at("airport").c_str(), user.text().c_str(), user.radiusNm,
                programrun::gf_qnhSent().c_str());
    std::fflush(stdout);
    const std::string track = run + "/aitrack.txt";
    const std::string figures = run + "/fidelity.json";
    DWORD exitCode = 0;
    double processor = 0.0;
    std::size_t refused = 0;
    int radius = 0; // as the program's window last showed it
    {
        programrun::ProgramRun program(run, minutes * 60, track, user);
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::minutes(minutes);
        // From the first minute on the program is connected and the traffic runs.
        programrun::Sample first, last;
        bool firstTaken = false;
        while (std::chrono::steady_clock::now() < end && program.alive()) {
            std::this_thread::sleep_for(1s);
            if (!firstTaken && std::chrono::steady_clock::now() - start >= 60s) {
                first = program.sample();
                firstTaken = true;
            }
            if (const int shown = firstTaken ? program.shownRadius() : 0; shown > 0)
                radius = shown;
        }
        if (program.alive() && firstTaken)
            processor = programrun::gf_processorShare(first, last = program.sample());
        if (program.close(20s, exitCode) < 0)
            std::printf("the program did not end within 20 s\n");
        program.sim().flushAiTrack();
        refused = program.sim().aiFigures().refused;
    }
    if (radius == 0)
        std::printf("live radius:        not read from the program's window; the figures take %d nm\n", user.radiusNm);
    else
        std::printf("live radius:        %d nm in the program's window (%d nm expected for the user %s)\n", radius,
                    user.radiusNm, user.air ? "in the air" : "on the ground");
    const int figureRadius = radius > 0 ? radius : user.radiusNm;
    if (!programrun::gf_runPython("tools/run/runfigures.py",
                                  {"--sent", run + "/sent.txt", "--sim", track, "--world", run + "/world.txt", "--log",
                                   run + "/program/Log.txt", "--json", figures, "--radius",
                                   std::to_string(figureRadius)},
                                  figures, 900s)) {
        std::printf("the figures were not computed\n");
        return 1;
    }
    const nlohmann::json f = nlohmann::json::parse(std::ifstream(programrun::gf_windowsPath(figures)));
    const auto lines = [](const std::string& file) {
        std::ifstream in(programrun::gf_windowsPath(file));
        return std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
    };
    std::printf("traffic:            %lld of %lld records sent; the simulator refused %zu creations (goal 0)\n",
                static_cast<long long>(lines(run + "/sent.txt")), static_cast<long long>(lines(run + "/traffic.txt")),
                refused);
    for (const auto& line : f.value("summary", nlohmann::json::array()))
        std::printf("%s\n", line.get<std::string>().c_str());
    std::printf("processor:          %.1f %% of one core with the traffic, from the first minute on (goal under 5 %%)\n",
                processor);
    for (const auto& figure : f.value("bench figures", nlohmann::json::array()))
        gf_benchFigure(figure[0].get<std::string>(), figure[1].get<double>(), figure[2].get<std::string>(),
                       figure[3].get<int>());
    gf_benchFigure("live radius", figureRadius, user.air ? "nm, the user in the air" : "nm, the user on the ground", 0);
    gf_benchFigure("processor with the traffic", processor, "% of one core (goal under 5)", 2);
    gf_benchFigure("creations refused", static_cast<double>(refused), "(goal 0)", 0);
    return exitCode == 0 ? 0 : 1;
}
