// Time of one static parking calculation at an airport of 300 stands: the real round widens
// to MAX_FIT 47 without filling the airport, and the soft round follows.
#include "figures.h"

#include "airports/airports.h"
#include "app/startup.h"
#include "foundation/settingscatalogue.h"
#include "traffic/parking.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {
constexpr int standCount = 300;

// Stands in rows 60 m apart; most have real options on a few days and hours, every one soft
// options, a tenth none at all.
void lf_makeStands()
{
    std::mt19937 engine(11);
    const char* airlines[] = {"KLM", "DLH", "BAW", "AFR", "EZY", "RYR"};
    const char* types[] = {"B738", "A320", "E190", "B77W", "A388"};
    parkStands.clear();
    for (int i = 0; i < standCount; ++i) {
        std::vector<StandOption> options;
        const int real = i % 10 == 0 ? 0 : static_cast<int>(engine() % 12);
        for (int k = 0; k < real + 6; ++k) {
            StandOption option;
            option.airl = airlines[engine() % 6];
            option.type = types[engine() % 5];
            option.callsign = option.airl + std::to_string(1000 + i * 20 + k);
            option.day = static_cast<std::int32_t>(engine() % 7 + 1);
            for (int h = 0; h < 4; ++h)
                option.hh.set(engine() % 48);
            option.soft = k >= real;
            option.seq = k + 1;
            options.push_back(std::move(option));
        }
        const double latitude = 52.30 + (i / 30) * 0.00054;
        const double longitude = 4.76 + (i % 30) * 0.00088;
        parkStands.emplace_back("S" + std::to_string(i), std::move(options), latitude, longitude, 0.0, 25.0, false,
                                false, false);
    }
    gf_numberAndLinkStands(parkStands);
}
} // namespace

int main()
{
    lf_makeStands();
    MAX_FIT.value = 47;
    PARK_SOFT.value = true;
    WEEK.value = false;
    RANDOM.value = true;
    parking_percentage.value = 100;
    currentWeekSlot = WeekSlot{3, 25}.value();
    constexpr int rounds = 20;
    std::vector<double> times;
    std::size_t candidates = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        lf_calcStaticParking();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        candidates = standCandidates.size();
    }
    std::sort(times.begin(), times.end());
    double sum = 0.0;
    for (const double t : times)
        sum += t;
    std::printf("static parking calculation, %d stands, MAX_FIT 47, real level %d, soft level %d: %zu candidates\n",
                standCount, realFitLevel, softFitLevel, candidates);
    std::printf("  %d rounds: mean %.2f ms, median %.2f ms, max %.2f ms\n", rounds, sum / rounds, times[rounds / 2],
                times.back());
    gf_benchFigure("static parking, 300 stands, median", times[rounds / 2], "ms", 2);
    gf_benchFigure("static parking, 300 stands, max", times.back(), "ms", 2);
    return candidates == 0 ? 1 : 0;
}
