// The generator's worlds: a small hand-made one and a scaled one of generated airlines.
#include "refgen/refgen.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
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

// Each airline of a fleet list, and two liveries of each type it flies.
template <std::size_t N>
void lf_addFleets(World& world, const std::pair<const char*, std::vector<std::string>> (&fleets)[N])
{
    for (const auto& [airline, fleet] : fleets) {
        if (std::ranges::find(world.airlines, airline) == world.airlines.end())
            world.airlines.push_back(airline);
        for (const std::string& type : fleet)
            for (int n = 1; n <= 2; ++n)
                world.liveries.push_back({airline, type, fmt::format("{} {} livery {}", airline, type, n), ""});
    }
}

// The types, similar groups, airlines and liveries of the traffic around Las Vegas, added to a
// world, so that its flights are known and each finds the liveries of its airline and type.
void lf_addLasVegasTraffic(World& world)
{
    const TypeSpec types[] = {
        {"B736", 2, 34.3},  {"B739", 2, 35.8},  {"B712", 2, 28.4},  {"B753", 2, 38.05}, {"E75L", 2, 28.65},
        {"E75S", 2, 26.0},  {"E135", 2, 20.0},  {"CRJ2", 2, 21.2},  {"CRJ7", 2, 23.2},  {"B763", 3, 47.6},
        {"B772", 3, 60.9},  {"B788", 3, 60.1},  {"A332", 3, 60.3},  {"E50P", 1, 11.4},  {"E55P", 1, 16.2},
        {"LJ35", 1, 12.0},  {"C680", 1, 19.4},  {"C68A", 1, 22.0},  {"PRM1", 1, 13.6},  {"C750", 1, 19.4},
        {"C25C", 1, 15.5},  {"C56X", 1, 17.2},  {"E550", 1, 20.0},  {"CL30", 1, 19.5},  {"F2TH", 1, 21.4},
        {"F900", 1, 19.3},  {"GLF4", 1, 23.7},  {"GLF6", 1, 30.4},  {"GL5T", 1, 28.7},  {"GLEX", 1, 28.7},
        {"C152", 0, 10.1},  {"C180", 0, 10.9},  {"C206", 0, 11.0},  {"P28A", 0, 10.7},  {"PA24", 0, 10.9},
        {"PA44", 0, 11.8},  {"PA46", 0, 13.1},  {"BE36", 0, 10.2},  {"BE55", 0, 11.5},  {"S22T", 0, 11.7},
        {"EVOT", 0, 8.4},   {"EVSS", 0, 8.2},   {"PC12", 0, 16.3},  {"P750", 0, 12.8},  {"B350", 0, 17.7},
        {"EC30", 5, 10.7},  {"R44", 5, 10.1},   {"B407", 5, 10.7}};
    world.types.insert(world.types.end(), std::begin(types), std::end(types));
    world.similarGroups.insert(world.similarGroups.end(),
                               {{"B736", "B739"}, {"B712", "B753"}, {"E75L", "E75S", "E135"}, {"CRJ2", "CRJ7"},
                                {"B763", "B772", "B788", "A332"}, {"E50P", "E55P", "LJ35", "PRM1", "C25C", "C56X"},
                                {"C680", "C68A", "C750", "E550", "CL30", "F2TH", "F900"},
                                {"GLF4", "GLF6", "GL5T", "GLEX"}, {"C152", "C180", "C206", "P28A", "PA24", "BE36"},
                                {"PA44", "BE55"}, {"PA46", "PC12", "P750", "B350"}, {"S22T", "EVOT", "EVSS"},
                                {"EC30", "R44", "B407"}});
    const std::pair<const char*, std::vector<std::string>> fleets[] = {
        {"SWA", {"B737", "B738", "B38M"}},
        {"AAL", {"A319", "A321", "B738", "B752", "B772"}},
        {"DAL", {"A321", "B712", "B738", "B739", "B752", "B753", "B763"}},
        {"SKW", {"E75L", "CRJ2", "CRJ7"}},
        {"FFT", {"A319", "A320", "A20N"}},
        {"UAL", {"B738", "B739"}},
        {"NKS", {"A320", "A321", "A20N"}},
        {"WJA", {"B738"}}, {"JBU", {"A320", "A321"}}, {"ASA", {"A320"}}, {"CPZ", {"E75S"}}, {"ASH", {"CRJ9"}},
        {"QXE", {"E75L"}}, {"BAW", {"B744"}}, {"AMX", {"B737"}}, {"WSW", {"B738"}}, {"AFL", {"A332"}},
        {"VOI", {"A320"}}, {"NAX", {"B788"}}, {"AIJ", {"A320"}}, {"VTE", {"E135"}}, {"WWW", {"B736"}},
        {"GDS", {"PC12"}}, {"WCC", {"B350"}}, {"GLF", {"GLF4", "GLF6"}}};
    lf_addFleets(world, fleets);
}

// The same for the traffic around Los Angeles (helicopters, light aircraft, business jets and
// airliners): the types and airlines the base world lacks.
void lf_addLosAngelesTraffic(World& world)
{
    const TypeSpec types[] = {
        {"A21N", 2, 35.8},  {"E75L", 2, 28.65}, {"B753", 2, 38.05}, {"CRJ2", 2, 21.2},  {"A359", 3, 64.75},
        {"B77L", 3, 64.8}, {"BE40", 1, 13.3}, {"C25B", 1, 15.9}, {"GLF4", 1, 23.7}, {"F2TH", 1, 21.4},
        {"B350", 0, 17.7},  {"BE9L", 0, 15.3},  {"PC12", 0, 16.3},  {"PA46", 0, 13.1},  {"PA44", 0, 11.8},
        {"C152", 0, 10.1},  {"C82S", 0, 11.0},  {"P28A", 0, 10.7},  {"P28R", 0, 10.8},  {"M20P", 0, 11.0},
        {"P210", 0, 11.2},  {"T210", 0, 11.2},  {"BT36", 0, 10.2},  {"S22T", 0, 11.7},  {"EVOT", 0, 8.4},
        {"SLG2", 0, 9.2},   {"R22", 5, 7.7},    {"R44", 5, 10.1},   {"R66", 5, 10.1}};
    world.types.insert(world.types.end(), std::begin(types), std::end(types));
    world.similarGroups.insert(world.similarGroups.end(),
                               {{"E75L", "CRJ2"}, {"A359", "B77L"}, {"BE40", "C25B"}, {"GLF4", "F2TH"},
                                {"C152", "C82S", "P28A", "P28R", "M20P", "BT36"}, {"P210", "T210", "PA46", "PA44"},
                                {"B350", "BE9L", "PC12"}, {"S22T", "EVOT", "SLG2"}, {"R22", "R44", "R66"}});
    const std::pair<const char*, std::vector<std::string>> fleets[] = {
        {"SWA", {"B737", "B738"}},
        {"AAL", {"A321", "A21N", "B77W", "B789"}},
        {"ASA", {"A320", "A21N"}},
        {"UAL", {"A320", "B753"}},
        {"SKW", {"E75L"}}, {"QXE", {"E75L"}}, {"DAL", {"A321", "B752"}}, {"JBU", {"A321"}}, {"NKS", {"A20N"}},
        {"VIV", {"A20N"}}, {"ANA", {"B77W"}}, {"JAL", {"B77W"}}, {"EVA", {"B77L"}}, {"FJI", {"A359"}},
        {"WGN", {"MD11"}}, {"EDV", {"CRJ2"}}, {"BOG", {"F2TH"}}, {"EJM", {"GLF5"}}, {"FTH", {"GLF4"}},
        {"GAJ", {"B350"}}, {"WSN", {"PC12"}}};
    lf_addFleets(world, fleets);
}

// The world with generated airlines flying its jets until it holds about `liveryCount`
// liveries, with generic liveries of every jet and private ones of the other types.
World lf_scaled(World world, std::size_t liveryCount, std::uint32_t seed)
{
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
} // namespace

World scaledWorld(std::size_t liveryCount, std::uint32_t seed) { return lf_scaled(baseWorld(), liveryCount, seed); }

World lasVegasWorld(std::size_t liveryCount, std::uint32_t seed)
{
    World world = baseWorld();
    lf_addLasVegasTraffic(world);
    return lf_scaled(std::move(world), liveryCount, seed);
}

World losAngelesWorld(std::size_t liveryCount, std::uint32_t seed)
{
    World world = baseWorld();
    lf_addLosAngelesTraffic(world);
    return lf_scaled(std::move(world), liveryCount, seed);
}

} // namespace refgen
