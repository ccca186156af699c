// Reading and playing a stand-in scenario.
#include "simstandin/scenario.h"

#include "foundation/texthelpers.h"
#include "foundation/winstring.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace standin {

namespace {
// "<name> = <value>"; false when there is no " = ".
bool lf_splitAssignment(const std::string& rest, std::string& name, std::string& value)
{
    const std::size_t at = rest.find(" = ");
    if (at == std::string::npos)
        return false;
    name = gf_trim(rest.substr(0, at));
    value = gf_trim(rest.substr(at + 3));
    return !name.empty();
}

bool lf_readStep(const std::string& line, ScenarioStep& step)
{
    std::istringstream in(line);
    if (!(in >> step.at >> step.what) || step.at < 0)
        return false;
    std::string rest;
    std::getline(in, rest);
    rest = gf_trim(rest);
    std::istringstream details(rest);
    if (step.what == "user") {
        std::string value;
        if (!lf_splitAssignment(rest, step.name, value))
            return false;
        std::size_t used = 0;
        try {
            step.numbers[0] = std::stod(value, &used);
        } catch (const std::exception&) {
            return false;
        }
        return used == value.size();
    }
    if (step.what == "text")
        return lf_splitAssignment(rest, step.name, step.text);
    if (step.what == "object") {
        if (!(details >> step.name >> step.numbers[0] >> step.numbers[1] >> step.numbers[2]))
            return false;
        std::getline(details, step.text);
        step.text = gf_trim(step.text);
        return !step.text.empty();
    }
    if (step.what == "remove")
        return static_cast<bool>(details >> step.name);
    if (step.what == "event")
        return static_cast<bool>(details >> step.name >> step.numbers[0]);
    return (step.what == "quit" || step.what == "close") && rest.empty();
}
} // namespace

std::vector<ScenarioStep> gf_readScenario(const std::filesystem::path& file)
{
    std::ifstream in(file);
    if (!in)
        throw std::runtime_error("cannot read the scenario " + file.string());
    std::vector<ScenarioStep> steps;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = gf_trim(line);
        if (line.empty() || line.front() == '#')
            continue;
        ScenarioStep step;
        if (!lf_readStep(line, step))
            throw std::runtime_error("scenario line " + std::to_string(number) + " not understood: " + line);
        steps.push_back(std::move(step));
    }
    return steps;
}

void gf_applyScenarioStep(SimStandIn& standIn, const ScenarioStep& step)
{
    // The file is UTF-8; the simulator's texts are in the system's code page.
    const auto simulatorText = [](const std::string& text) { return gf_utf8ToAnsi(text).value_or(text); };
    if (step.what == "user") {
        standIn.setUserValue(step.name, step.numbers[0]);
    } else if (step.what == "text") {
        standIn.setUserText(step.name, simulatorText(step.text));
    } else if (step.what == "object") {
        const bool onGround = step.numbers[2] <= 0.0;
        standIn.addObject(simulatorText(step.text), simulatorText(step.name),
                          {{"Plane Latitude", step.numbers[0]},
                           {"Plane Longitude", step.numbers[1]},
                           {"Plane Altitude", step.numbers[2]},
                           {"Plane Alt Above Ground", step.numbers[2]},
                           {"SIM ON GROUND", onGround ? 1.0 : 0.0}});
    } else if (step.what == "remove") {
        standIn.removeObject(standIn.objectByAtcId(simulatorText(step.name)));
    } else if (step.what == "event") {
        standIn.sendSystemEvent(step.name, static_cast<std::uint32_t>(step.numbers[0]));
    } else if (step.what == "quit") {
        standIn.sendQuit();
    } else if (step.what == "close") {
        standIn.closeAbruptly();
    }
}

} // namespace standin
