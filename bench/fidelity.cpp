// Fidelity of a longer replay: the whole program against both stand-ins on the world's
// traffic; for live aircraft, how far each position sent to the simulator lies from the
// reported track at the same (delayed) time, on the ground and in the air, with the
// figures of the AI aircraft. Arguments: <run folder prepared by scripts/world.sh (Linux
// path)> [minutes, default 10].
#include "figures.h"
#include "programrun.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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
    std::printf("fidelity: %d minutes of the world's traffic\n", minutes);
    std::fflush(stdout);
    const std::string track = run + "/aitrack.txt";
    const std::string figures = run + "/fidelity.json";
    DWORD exitCode = 0;
    {
        programrun::ProgramRun program(run, minutes * 60, track);
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(minutes);
        while (std::chrono::steady_clock::now() < end && program.alive())
            std::this_thread::sleep_for(1s);
        if (program.close(20s, exitCode) < 0)
            std::printf("the program did not end within 20 s\n");
        program.sim().flushAiTrack();
    }
    if (!programrun::gf_runPython("tools/run/runfigures.py",
                                  {"--sent", run + "/sent.txt", "--sim", track, "--json", figures}, figures, 120s)) {
        std::printf("the figures were not computed\n");
        return 1;
    }
    const nlohmann::json f = nlohmann::json::parse(std::ifstream(programrun::gf_windowsPath(figures)));
    const auto number = [&](const char* name) { return f.contains(name) ? f[name].get<double>() : 0.0; };
    std::printf("live aircraft: %.0f created, %.0f moved, %.0f removed; static: %.0f placed\n", number("live created"),
                number("live moved"), number("live removed"), number("static placed"));
    for (const char* where : {"ground", "air"})
        std::printf("fidelity %-6s median %6.1f m, 95th percentile %6.1f m (%.0f positions)\n", where,
                    number(fmt::format("fidelity {} median m", where).c_str()),
                    number(fmt::format("fidelity {} p95 m", where).c_str()),
                    number(fmt::format("fidelity {} samples", where).c_str()));
    for (const char* where : {"ground", "air"}) {
        gf_benchFigure(fmt::format("fidelity {} median", where), number(fmt::format("fidelity {} median m", where).c_str()), "m");
        gf_benchFigure(fmt::format("fidelity {} 95th percentile", where), number(fmt::format("fidelity {} p95 m", where).c_str()), "m");
    }
    std::printf("heading in the air: %.1f %% of %.0f moving positions more than 30 degrees off their course\n",
                number("heading off course %"), number("heading samples"));
    gf_benchFigure("heading more than 30 degrees off course in the air", number("heading off course %"),
                   "% (goal under 5 %)");
    gf_benchFigure("positions sent", number("positions per second"), "per s");
    gf_benchFigure("peak AI objects", number("peak AI objects"), "", 0);
    gf_benchFigure("AI objects left at the end", number("AI objects left"), "(goal 0)", 0);
    return exitCode == 0 ? 0 : 1;
}
