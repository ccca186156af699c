// Cost of one great-circle distance and one destination point, for the per-tick budgets.
#include "figures.h"
#include "foundation/geometry.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace {
template <typename Work>
double lf_nanosecondsPerCall(int calls, Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work(calls);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / calls;
}
} // namespace

int main()
{
    // Positions spread around Europe so that the compiler cannot fold the work away.
    std::vector<LatLon> points;
    for (int i = 0; i < 1024; ++i)
        points.push_back({40.0 + (i % 97) * 0.2, -10.0 + (i % 89) * 0.3});
    const std::size_t mask = points.size() - 1;
    constexpr int calls = 2'000'000;
    volatile double sink = 0.0;

    for (int round = 0; round < 3; ++round) {
        const double distance = lf_nanosecondsPerCall(calls, [&](int n) {
            double sum = 0.0;
            for (int i = 0; i < n; ++i)
                sum += gf_distanceNm(points[i & mask], points[(i * 7 + 3) & mask]);
            sink = sum;
        });
        const double destination = lf_nanosecondsPerCall(calls, [&](int n) {
            double sum = 0.0;
            for (int i = 0; i < n; ++i)
                sum += gf_destinationPoint(points[i & mask], (i % 628) * 0.01, 1000.0 + (i & 1023)).second;
            sink = sum;
        });
        const double bearing = lf_nanosecondsPerCall(calls, [&](int n) {
            double sum = 0.0;
            for (int i = 0; i < n; ++i)
                sum += gf_initialBearing(points[i & mask], points[(i * 7 + 3) & mask]);
            sink = sum;
        });
        std::printf("round %d: distance %.1f ns, destination point %.1f ns, initial bearing %.1f ns\n", round + 1,
                    distance, destination, bearing);
        if (round == 2) {
            gf_benchFigure("great-circle distance", distance, "ns");
            gf_benchFigure("destination point", destination, "ns");
            gf_benchFigure("initial bearing", bearing, "ns");
        }
    }
    return sink == 12345.678 ? 1 : 0;
}
