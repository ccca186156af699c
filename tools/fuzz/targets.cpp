#include "fuzz/fuzz.h"

namespace fuzz {

std::vector<Target> gf_targets()
{
    std::vector<Target> targets;
    for (auto group : {gf_realTrafficTargets, gf_simConnectTargets, gf_foundationTargets, gf_liveriesTargets,
                       gf_liveryScanTargets, gf_airportsTargets})
        for (Target& target : group())
            targets.push_back(std::move(target));
    return targets;
}

} // namespace fuzz
