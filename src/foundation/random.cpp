#include "foundation/random.h"

#include "foundation/settingscatalogue.h"

#include <algorithm>

namespace {
bool lf_randomOn() { return RANDOM.value.load(); }
} // namespace

std::mt19937& gf_randomEngine()
{
    thread_local std::mt19937 engine{std::random_device{}()};
    return engine;
}

void gf_seedRandomEngine(std::uint32_t seed) { gf_randomEngine().seed(seed); }

std::int64_t gf_randomIndex(std::int64_t n)
{
    if (!lf_randomOn() || n < 2)
        return 0;
    return static_cast<std::int64_t>(gf_randomEngine()()) % n;
}

void gf_shuffle(std::vector<std::string>& items)
{
    if (lf_randomOn() && items.size() > 1)
        std::shuffle(items.begin(), items.end(), gf_randomEngine());
}

double gf_randomVariation(double v, double p)
{
    const std::uint32_t draw = gf_randomEngine()();
    const double sign = draw % 2 == 0 ? 1.0 : -1.0;
    const double offset = p > 0.0 ? v * p / 100.0 : 0.0;
    return v + sign * offset;
}
