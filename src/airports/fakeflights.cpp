// Made-up options (fake flights) that let static parking fill stands where the parking
// files know few aircraft: an airline and type that suit the stand's kind, size and region.
#include "airports/apffiles.h"

#include "foundation/aircraftprofile.h"
#include "foundation/random.h"
#include "liveries/liveries.h"
#include "traffic/traffic.h"

#include <fmt/format.h>


namespace {
using TypeRow = std::pair<std::string, std::string>;
using TypeTable = std::vector<TypeRow>;

const TypeTable helicopterTable{{"PVT", "EC35"}};
const TypeTable cargoTable{{"FDX", "C208"}, {"FDX", "B752"}, {"FDX", "B763"}, {"UPS", "A306"}, {"DHK", "B763"}};
const TypeTable rampTable = [] {
    TypeTable rows;
    for (const char* type : {"C172", "C206", "P28A", "PC12", "C550", "TBM9", "LJ25", "GLF6", "FA6X", "FA8X",
                             "GLF4", "GLF5", "LJ60", "DHC7", "DH8A", "DH8C", "E550", "CL30", "GA6C"})
        rows.emplace_back("PVT", type);
    return rows;
}();
const TypeTable regionK{{"UAL", "B77W"}, {"DAL", "B739"}, {"JBU", "BCS3"}, {"FFT", "A320"}, {"UAL", "B78X"},
                        {"UAL", "B738"}, {"AAL", "B738"}, {"SKW", "E75L"}, {"SWA", "B737"}, {"FFT", "A320"}};
const TypeTable regionC{{"ACA", "B789"}, {"ACA", "B38M"}, {"ROU", "A321"}, {"JZA", "CRJ9"}};
const TypeTable regionE{{"KLM", "B77W"}, {"SAS", "A320"}, {"EZY", "A320"}, {"RYR", "B738"},
                        {"DLH", "A320"}, {"KLM", "B738"}, {"BAW", "A21N"}};
const TypeTable regionZ{{"CSA", "A320"}, {"CES", "A333"}, {"CES", "A321"}};
const TypeTable regionR{{"ANA", "A20N"}, {"JAL", "A35K"}, {"JAL", "B738"}};
const TypeTable defaultTable{{"ZZZ", "B738"}};

TypeTable lf_fitting(const TypeTable& table, const StandRecord& stand)
{
    TypeTable rows;
    for (const TypeRow& row : table)
        if (gf_checkRounded(stand, gf_wingspan(row.second)))
            rows.push_back(row);
    return rows;
}

// The candidates of the stand's table: heli, cargo and ramp stands by kind, gate stands by
// the region letter of the airport's code.
TypeTable lf_candidates(const StandRecord& stand, const std::string& region)
{
    if (stand.heli)
        return helicopterTable;
    if (stand.cargo)
        return lf_fitting(cargoTable, stand);
    if (stand.ramp)
        return lf_fitting(rampTable, stand);
    switch (region.empty() ? '\0' : region.front()) {
    case 'K': return lf_fitting(regionK, stand);
    case 'C': return lf_fitting(regionC, stand);
    case 'E': return lf_fitting(regionE, stand);
    case 'Z': return lf_fitting(regionZ, stand);
    case 'R': return lf_fakeTypesFittingStand(stand);
    default: return defaultTable;
    }
}
} // namespace

TypeTable lf_fakeTypesFittingStand(const StandRecord& stand) { return lf_fitting(regionR, stand); }

void lf_makeFakeFlight(FakeContext& context, StandRecord& stand)
{
    const TypeTable candidates = lf_candidates(stand, context.region);
    if (candidates.empty())
        return;
    const TypeRow& row = candidates[static_cast<std::size_t>(gf_randomIndex(static_cast<std::int64_t>(candidates.size())))];
    StandOption option;
    option.airl = row.first;
    option.type = row.second;
    option.reg = fmt::format("REGFAKE{}", context.number);
    option.callsign = fmt::format("FAKE{}", context.number);
    if (context.slot.halfHour < 48)
        option.hh.set(context.slot.halfHour);
    option.seq = stand.options.empty() ? 1 : stand.options.back().seq + 1;
    option.day = static_cast<std::int32_t>(context.slot.weekday);
    option.soft = true;
    option.fake = true;
    stand.options.push_back(std::move(option));
    ++context.number;
}

void lf_defaultStaticTypes(const std::string& region, std::vector<StandRecord>& stands)
{
    FakeContext context{gf_staticWeekSlot(), 1, region};
    for (StandRecord& stand : stands)
        lf_makeFakeFlight(context, stand);
}
