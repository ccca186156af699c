// The generator's worlds: a small hand-made one and a scaled one of generated airlines.
#include "refgen/refgen.h"

#include <fmt/format.h>

#include <random>
#include <set>

namespace refgen {

World baseWorld()
{
    World world;
    world.types = {
        {"C172", 0, 11.0},        {"PA28", 0, 10.7},        {"DA40", 0, 11.9},        {"C208", 0, 15.9},
        {"SR22", 0, 0.0},         {"C25A", 1, 14.4},        {"CL35", 1, 19.5},        {"GLF5", 1, 28.5},
        {"A319", 2, 35.8},        {"A320", 2, 35.8},        {"A321", 2, 35.8},        {"A20N", 2, 35.8},
        {"B737", 2, 34.3},        {"B738", 2, 35.8},        {"B38M", 2, 35.9},        {"E190", 2, 28.7},
        {"CRJ9", 2, 24.9},        {"DH8D", 2, 28.4},        {"AT76", 2, 27.05},       {"B752", 2, 0.0},
        {"B744", 3, 64.4, true},  {"B748", 3, 68.4, true},  {"B77W", 3, 64.8},        {"A388", 3, 79.8},
        {"A333", 3, 60.3},        {"B789", 3, 60.1},        {"MD11", 3, 51.7, true},  {"F16", 4, 9.96},
        {"EUFI", 4, 10.95},       {"EC35", 5, 10.2},        {"AS50", 5, 10.7},        {"B06", 5, 10.2}};
    world.similarGroups = {{"A319", "A320", "A321", "A20N"}, {"B737", "B738", "B38M"}, {"B744", "B748"},
                           {"C172", "PA28", "DA40"},         {"E190", "CRJ9"},         {"EC35", "AS50"},
                           {"C25A", "CL35"}};
    world.airlines = {"KLM", "DLH", "BAW", "AFR", "EZY", "UAE", "RYR", "TRA", "FDX", "UPS", "GTI", "CLX", "ZZZ", "PVT"};
    world.cargoOperators = {"FDX", "UPS", "GTI", "CLX"};
    world.publishers = {"FlyTampa, FlyTampa_, FT_", "Aerosoft, AS_", "ORBX, FTX, Orbx Systems", "Taxi2Gate, T2G"};
    world.registrations = {{"PH-BXA", "KLM", "B738", "KLM"},        {"PH-BXB", "KLM", "B738", ""},
                           {"D-AIMA", "DLH", "A388", "DLH"},        {"G-STBA", "BAW", "B77W", "BAW"},
                           {"N123FE", "FDX", "MD11", "FDX", true}, {"PH-HSA", "KLM", "B738", "TRA"},
                           {"EI-DCL", "RYR", "B738", "RYR"},        {"G-EZAA", "EZY", "A319", "EZY"},
                           {"D-ABYA", "DLH", "B748", "DLH"},        {"N570UP", "UPS", "B744", "UPS", true}};
    world.modelFixes = {{"B737-800", "B738"}, {"A320NEO", "A20N"}, {"B747", "B744"}};
    world.pvtFixes = {"PRV", "XAA"};
    world.govFixes = {"GOV"};
    world.liveries = {
        {"KLM", "B738", "Boeing 737-800 KLM PH-BXA", "PH-BXA"},
        {"KLM", "B738", "Boeing 737-800 KLM PH-BXB", "PH-BXB"},
        {"KLM", "B738", "Boeing 737-800 KLM Skyteam", ""},
        {"KLM", "B738", "Boeing 737-800 KLM FSLTL_Orange", ""},
        {"KLM", "B744", "Boeing 747-400 KLM Cargo", "PH-CKA", 0, true},
        {"KLM", "E190", "Embraer 190 KLM Cityhopper", "PH-EZA"},
        {"DLH", "A320", "Airbus A320 Lufthansa", "D-AIZA"},
        {"DLH", "A388", "Airbus A380 Lufthansa", "D-AIMA"},
        {"BAW", "B77W", "Boeing 777-300ER British Airways", "G-STBA"},
        {"AFR", "A320", "Airbus A320 Air France", "F-HBNA"},
        {"AFR", "A320", "Airbus A320 Air France \xE2\x80\x93 Ch\xC3\xA2teau", ""},
        {"EZY", "A319", "Airbus A319 easyJet", "G-EZAA"},
        {"EZY", "A20N", "Airbus A320neo easyJet", "G-UZHA"},
        {"UAE", "A388", "Airbus A380 Emirates", "A6-EDA"},
        {"RYR", "B738", "Boeing 737-800 Ryanair", "EI-DCL"},
        {"FDX", "MD11", "MD-11 FedEx", "N123FE", 0, true},
        {"UPS", "B744", "Boeing 747-400 UPS", "N570UP", 0, true},
        {"ZZZ", "B738", "Boeing 737-800 Generic", ""},
        {"ZZZ", "A320", "Airbus A320 Generic", ""},
        {"ZZZ", "C172", "Cessna 172 Generic", ""},
        {"PVT", "C172", "Cessna 172 N172SP", "N172SP"},
        {"PVT", "PA28", "Piper Cherokee D-EABC", "D-EABC"},
        {"PVT", "CL35", "Challenger 350 Private", "N350CL"},
        {"PVT", "EC35", "EC135 ADAC", "D-HDAA"}};
    world.aig = {{"Boeing 737-800 KLM Skyteam", {"PH-BXC"}, true},
                 {"Airbus A320 Lufthansa", {"D-AIZB", "D-AIZC"}, false},
                 {"Airbus A320 Generic OLD", {}, false},
                 {"Airbus A320 Air France \xE2\x80\x93 Ch\xC3\xA2teau OLD", {}, false}};
    world.myRegcodes = {{"my.txt",
                         {"Boeing 737-800 Ryanair;EI-DCM", "Boeing 737-800 KLM PH-BXA;PH-BXD,PH-BXE;#",
                          "Old Livery Not Wanted"}},
                        {"mine16.txt", {"Airbus A320 Air France \xE2\x80\x93 Ch\xC3\xA2teau;F-HBNB"}},
                        {"minebom.txt", {"Airbus A380 Emirates;A6-EDB"}}};
    return world;
}

namespace {
// Three capitals from a number, skipping the codes the base world uses.
std::string lf_airlineCode(std::size_t n)
{
    return {static_cast<char>('A' + n / 676 % 26), static_cast<char>('A' + n / 26 % 26), static_cast<char>('A' + n % 26)};
}
} // namespace

World scaledWorld(std::size_t liveryCount, std::uint32_t seed)
{
    World world = baseWorld();
    std::mt19937 random(seed);
    const auto draw = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::vector<std::string> jets; // the types airlines fly
    std::vector<std::string> light;
    for (const TypeSpec& type : world.types)
        (type.sizeClass == 2 || type.sizeClass == 3 ? jets : light).push_back(type.code);

    std::set<std::string> used(world.airlines.begin(), world.airlines.end());
    std::size_t next = 0;
    std::size_t registration = 0;
    while (world.liveries.size() < liveryCount) {
        std::string airline;
        do
            airline = lf_airlineCode(next++ * 7 + 3);
        while (!used.insert(airline).second);
        world.airlines.push_back(airline);
        const bool cargoAirline = draw(10) == 0;
        if (cargoAirline)
            world.cargoOperators.push_back(airline);
        for (std::size_t t = 0, types = 2 + draw(6); t < types; ++t) {
            const std::string& type = jets[draw(jets.size())];
            for (std::size_t l = 0, count = 2 + draw(14); l < count; ++l) {
                const std::string reg = fmt::format("X{}{:05}", static_cast<char>('A' + registration % 26), registration);
                ++registration;
                const bool withReg = draw(3) != 0;
                world.liveries.push_back({airline, type, fmt::format("{} {} livery {}", airline, type, l),
                                          withReg ? reg : "", 0, cargoAirline});
                if (withReg && draw(2) == 0)
                    world.registrations.push_back({reg, airline, type, airline, cargoAirline});
            }
        }
    }
    for (const std::string& type : jets)
        world.liveries.push_back({"ZZZ", type, fmt::format("{} generic", type), ""});
    for (std::size_t i = 0; i < light.size() * 6; ++i) {
        const std::string& type = light[i % light.size()];
        world.liveries.push_back({"PVT", type, fmt::format("{} private {}", type, i), fmt::format("N{}PV", i)});
    }
    return world;
}

} // namespace refgen
