// Single facts of an airport's parking file, read without touching the park airport, and
// the quality factors of the park airport's stands.
#include "airports/apffiles.h"

#include "foundation/geometry.h"
#include "foundation/log.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <set>

namespace fs = std::filesystem;

namespace {
// The stands of the airport's parking file; empty when it has none or cannot be loaded.
pugi::xml_node lf_loadParkPositions(const std::string& code, pugi::xml_document& document)
{
    const fs::path path = gf_resolveApfPath(code);
    if (path.empty() || !fs::exists(path) || !document.load_file(path.c_str()))
        return {};
    return document.child("parkpositions");
}
} // namespace

bool gf_readApfForGateCheck(const std::string& code, const std::string& standId)
{
    try {
        pugi::xml_document document;
        for (const pugi::xml_node parkpos : lf_loadParkPositions(code, document).children("parkpos"))
            if (standId == parkpos.attribute("id").as_string())
                return true;
    } catch (const std::exception& e) {
        gf_logf("exception in gf_readApfForGateCheck: {}", e.what());
    }
    return false;
}

double gf_readDestApfForClosestStand(const std::string& code, double latitude, double longitude, std::string& standId)
{
    double best = 100.0;
    try {
        pugi::xml_document document;
        for (const pugi::xml_node parkpos : lf_loadParkPositions(code, document).children("parkpos")) {
            const double d = gf_distanceNm(latitude, longitude, lf_standNumber(parkpos, "latitude"),
                                           lf_standNumber(parkpos, "longitude"));
            if (d < best) {
                standId = parkpos.attribute("id").as_string();
                best = d;
            }
        }
    } catch (const std::exception& e) {
        gf_logf("exception in gf_readDestApfForClosestStand: {}", e.what());
        return 100.0;
    }
    return best;
}

std::int32_t gf_readNumParkPos(const fs::path& path)
{
    pugi::xml_document document;
    if (!document.load_file(path.c_str()))
        return 0;
    return gf_readValueAttr<std::int32_t>(document, "num_parkpos").value_or(0);
}

bool gf_readQualityFactors(const std::string& code)
{
    pugi::xml_document document;
    if (!document.load_file((apfFolders::archiveStock / lf_apfFileNameXml(code)).c_str()))
        return false;
    return gf_readValueAttr<std::int32_t>(document, "Qf_real").value_or(-1) >= 0 ||
           gf_readValueAttr<std::int32_t>(document, "Qf_soft").value_or(-1) >= 0;
}

namespace {
struct KindSum {
    std::int64_t n = 0;
    std::set<std::int32_t> days;
    std::int64_t bits = 0;

    double score() const
    {
        return static_cast<double>(std::min<std::int64_t>(n * 20, 4000) + 10000 +
                                   static_cast<std::int64_t>(days.size()) * 100 +
                                   2 * std::min<std::int64_t>(bits, 600));
    }
};

std::int32_t lf_factor(double sum, double weights)
{
    const long factor = std::lround(sum / weights * 0.00625);
    return factor > 0 ? static_cast<std::int32_t>(std::min(factor, 100L)) : 0;
}
} // namespace

std::pair<std::int32_t, std::int32_t> lf_weighStands(const std::vector<StandRecord>& stands)
{
    // Made-up options say nothing of the airport's traffic.
    const auto real = [](const StandOption& option) { return !option.fake; };
    if (std::ranges::none_of(stands, [&](const StandRecord& stand) { return std::ranges::any_of(stand.options, real); }))
        return {-1, -1};
    double weights = 0.0;
    double realSum = 0.0;
    double softSum = 0.0;
    for (const StandRecord& stand : stands) {
        const double w = stand.radius <= 7.0 ? static_cast<double>(0.3f) : stand.radius <= 10.0 ? 1.5 : 1.0;
        weights += w;
        KindSum kinds[2]; // real, soft
        for (const StandOption& option : stand.options) {
            if (option.seq == 0 || option.fake)
                continue;
            KindSum& kind = kinds[option.soft ? 1 : 0];
            ++kind.n;
            if (option.day >= 1 && option.day <= 7)
                kind.days.insert(option.day);
            kind.bits += static_cast<std::int64_t>(option.hh.count());
        }
        if (kinds[0].n > 0)
            realSum += kinds[0].score() * w;
        if (kinds[1].n > 0)
            softSum += kinds[1].score() * w;
    }
    if (weights <= 0.0)
        return {0, 0};
    return {lf_factor(realSum, weights), lf_factor(softSum, weights)};
}
