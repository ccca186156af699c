// Livery matches per second and the share of each step, for a mix of flights against a
// generated world of about 30,000 liveries (RANDOM on, LOG off, depth 4).
// Usage: bench_livery_matching.exe [liveries] [matches]
#include "foundation/settingscatalogue.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"
#include "liveries/matching.h"
#include "liveries/referencedata.h"
#include "refgen/refgen.h"
#include "traffic/records.h"

#include <fmt/format.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>

namespace fs = std::filesystem;

namespace {
struct Flight {
    const char* kind;
    Act act;
};

Act lf_flight(const std::string& airline, const std::string& type, const std::string& registration, bool cargo)
{
    Act act;
    act.ident().identity = {.airline = airline, .type = type, .callsign = airline + "1", .registration = registration};
    act.ident().sizeClass = static_cast<std::uint32_t>(gf_sizeCategory(type));
    act.ident().cargo = cargo;
    return act;
}

// Equal numbers of flights of each kind, drawn from the world.
std::vector<Flight> lf_flightMix(const refgen::World& world, std::size_t perKind)
{
    std::mt19937 random(99);
    const auto any = [&](const auto& list) -> const auto& { return list[random() % list.size()]; };
    std::vector<const LiveryData*> registered, airlineModel, cargo;
    for (const LiveryData& livery : world.liveries) {
        if (livery.airl == "ZZZ" || livery.airl == "PVT")
            continue;
        (livery.cargo ? cargo : livery.atcid.empty() ? airlineModel : registered).push_back(&livery);
    }
    std::vector<std::pair<std::string, std::string>> similarOnly;
    for (const auto& [airline, models] : airlineSimilar)
        for (const auto& [model, similar] : models)
            similarOnly.emplace_back(airline, model);
    std::vector<std::string> jets, light; // light: Light, Buzjets and Rotorcraft, which may take any livery
    for (const refgen::TypeSpec& type : world.types)
        if (type.sizeClass == 2 || type.sizeClass == 3)
            jets.push_back(type.code);
        else if (type.sizeClass != 4)
            light.push_back(type.code);

    std::vector<Flight> flights;
    for (std::size_t i = 0; i < perKind; ++i) {
        const LiveryData& listed = *any(registered);
        flights.push_back({"listed registration", lf_flight(listed.airl, listed.type, listed.atcid, false)});
        const LiveryData& known = *any(airlineModel);
        flights.push_back({"known airline and model", lf_flight(known.airl, known.type, "", false)});
        const auto& [airline, model] = any(similarOnly);
        flights.push_back({"similar models only", lf_flight(airline, model, "", false)});
        flights.push_back({"generic only", lf_flight("QQQ", any(jets), "", false)});
        flights.push_back({"light aircraft by model", lf_flight("QQQ", any(light), "", false)});
        flights.push_back({"unknown type", lf_flight("KLM", "ZZ99", "", false)});
        const LiveryData& freight = *any(cargo);
        flights.push_back({"cargo", lf_flight(freight.airl, freight.type, "", true)});
        flights.push_back({"private", lf_flight("PVT", any(light), "", false)});
    }
    return flights;
}
} // namespace

int main(int argc, char** argv)
{
    const std::size_t liveryCount = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 30000;
    const std::size_t matches = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 400000;

    const fs::path folder = fs::temp_directory_path() / L"tarnwick-bench-liveries";
    fs::remove_all(folder);
    fs::create_directories(folder / L"output" / L"info");
    fs::create_directories(folder / L"output" / L"errors");
    fs::current_path(folder);
    const refgen::World world = refgen::scaledWorld(liveryCount, 7);
    refgen::writeProgramFiles(world, folder);

    const auto buildStart = std::chrono::steady_clock::now();
    gf_readAircraftData();
    gf_readFixes();
    lf_readLiveriesScanned();
    const std::size_t scanned = scannedLiveries.size();
    processScannedLiveries();
    const double buildSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - buildStart).count();

    RANDOM.value = true;
    LOG.value = false;
    MATCHING_DEPTH.value = 4;
    std::vector<Flight> flights = lf_flightMix(world, 1000);
    std::map<std::string, std::size_t> matchedByKind;
    std::size_t matched = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < matches; ++i) {
        Flight& flight = flights[i % flights.size()];
        flight.act.ident().liveryTitle = {};
        matchLiveryLive(flight.act);
        if (!flight.act.ident().liveryTitle.empty()) {
            ++matched;
            ++matchedByKind[flight.kind];
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    fmt::print("{} liveries, {} registration records; reading and index build {:.2f} s\n", scanned,
               world.registrations.size(), buildSeconds);
    fmt::print("{} matches in {:.3f} s: {:.0f} matches per second, {:.2f} us each\n", matches, seconds,
               matches / seconds, seconds * 1e6 / matches);
    fmt::print("share per step (of all flights):\n");
    for (std::size_t step = 0; step < stepCounters.size(); ++step)
        fmt::print("  step {}: {:5.1f} %\n", step + 1, 100.0 * stepCounters[step] / matches);
    fmt::print("  none:   {:5.1f} %\n", 100.0 * (matches - matched) / matches);
    fmt::print("matched per kind (each {:.1f} % of the flights):\n", 100.0 / 8);
    for (const auto& [kind, count] : matchedByKind)
        fmt::print("  {:24} {:5.1f} %\n", kind, 100.0 * count / (matches / 8.0));
    fs::current_path(folder.parent_path());
    fs::remove_all(folder);
    return 0;
}
