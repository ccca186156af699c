#pragma once
// A scenario for the stand-in program: timed steps read from a text file, one a line:
//   <seconds> user <datum name> = <number>     a value of the user aircraft
//   <seconds> text <datum name> = <text>       TITLE, ATC MODEL or ATC ID of the user aircraft
//   <seconds> object <ATC id> <latitude> <longitude> <altitude ft> <title>
//                                              an AI aircraft of another program appears
//   <seconds> remove <ATC id>                  an AI aircraft leaves
//   <seconds> event <system event name> <data> e.g. FlightLoaded 0
//   <seconds> quit                             the simulator says it quits
//   <seconds> close                            the connection breaks
// Blank lines and lines starting with '#' are skipped. The file is UTF-8; its texts reach the
// program in the system's code page, as the simulator's do.
#include "simstandin/simstandin.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace standin {

struct ScenarioStep {
    double at = 0.0; // seconds after the start
    std::string what;
    std::string name;                // datum, ATC id or event name
    std::string text;                // text value or title
    std::array<double, 3> numbers{}; // value; or latitude, longitude, altitude
};

// Raises std::runtime_error naming the line of the first step it cannot read.
std::vector<ScenarioStep> gf_readScenario(const std::filesystem::path& file);
void gf_applyScenarioStep(SimStandIn& standIn, const ScenarioStep& step);

} // namespace standin
