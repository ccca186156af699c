#pragma once
// A benchmark's headline figures, printed in a form that scripts/bench.sh gathers into
// one table of all benchmarks: "figure<TAB>name<TAB>value<TAB>unit".
#include <cstdio>
#include <string>

inline void gf_benchFigure(const std::string& name, double value, const std::string& unit, int decimals = 1)
{
    std::printf("figure\t%s\t%.*f\t%s\n", name.c_str(), decimals, value, unit.c_str());
    std::fflush(stdout);
}
