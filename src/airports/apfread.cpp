// Reading the stands and options of an airport parking file.
#include "airports/apffiles.h"

#include "foundation/exceptions.h"
#include "foundation/geometry.h"
#include "foundation/numbertext.h"
#include "foundation/texthelpers.h"
#include "liveries/liveries.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <stdexcept>

std::pair<std::string, std::string> lf_readOptAirlType(const pugi::xml_node& opt)
{
    return {opt.attribute("airl").as_string(), opt.attribute("type").as_string()};
}

StandOption lf_readOption(const pugi::xml_node& opt)
{
    StandOption option;
    const std::string cs = opt.attribute("cs").as_string();
    const std::size_t colon = cs.find(':');
    option.callsign = cs.substr(0, colon);
    if (colon != std::string::npos) {
        std::string second = cs.substr(colon + 1);
        if (second.find(':') == std::string::npos)
            option.secondCall = std::move(second);
    }
    option.reg = opt.attribute("reg").as_string();
    bool fromReference = false;
    if (!option.reg.empty()) {
        std::optional<DbRecord> record;
        for (const std::string& variant : gf_regcodeVariants(option.reg))
            if (lf_findDbRecord(variant, record)) {
                option.airl = record->opr.empty() ? record->airl : record->opr;
                option.type = record->type;
                fromReference = true;
                break;
            }
    }
    if (!fromReference)
        std::tie(option.airl, option.type) = lf_readOptAirlType(opt);
    option.soft = opt.attribute("soft").as_bool(false);
    option.day = opt.attribute("day").as_int(0);
    if (option.day < 0 || option.day > 7)
        option.day = 0; // no weekday: read as a file that gives none
    option.hh = lf_hours2bitset(opt.attribute("hh").as_string());
    return option;
}

double lf_standNumber(const pugi::xml_node& parkpos, const char* name)
{
    const pugi::xml_attribute attribute = parkpos.attribute(name);
    if (!attribute)
        return 0.0;
    const char* text = attribute.value();
    if (const std::size_t length = std::strlen(text); length > longestNumberText)
        throw std::invalid_argument(fmt::format("parkpos {}: {} of {} characters is no number",
                                                parkpos.attribute("id").as_string(), name, length));
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || errno == ERANGE || !std::isfinite(value))
        throw std::invalid_argument(fmt::format("parkpos {}: {} \"{}\" is no number",
                                                parkpos.attribute("id").as_string(), name, text));
    return value;
}

void lf_readParkPositions(const pugi::xml_node& document, std::vector<StandRecord>& stands)
{
    const pugi::xml_node parkpositions = document.child("parkpositions");
    std::set<std::string, std::less<>> ids;
    for (const pugi::xml_node parkpos : parkpositions.children("parkpos")) {
        std::string id = parkpos.attribute("id").as_string();
        if (!ids.insert(id).second)
            throw zeb::UserErrorException(94, "Parking position " + id + " appears more than once?");
        const double latitude = lf_standNumber(parkpos, "latitude");
        const double longitude = lf_standNumber(parkpos, "longitude");
        const double radius = lf_standNumber(parkpos, "radius");
        if (std::fabs(latitude) > 90 || std::fabs(longitude) > 180 || radius < 0)
            throw std::invalid_argument(fmt::format("parkpos {}: {}, {} with radius {} is no stand", id, latitude,
                                                    longitude, radius));
        std::vector<StandOption> options;
        options.reserve(128);
        std::int32_t seq = 1;
        for (const pugi::xml_node opt : parkpos.children("opt")) {
            StandOption option = lf_readOption(opt);
            if (option.callsign.starts_with("TOW "))
                continue; // a tow, not a parked aircraft
            option.seq = seq++;
            options.push_back(std::move(option));
        }
        options.shrink_to_fit();
        stands.emplace_back(std::move(id), std::move(options), latitude, longitude,
                            lf_standNumber(parkpos, "heading") * degToRad, radius,
                            parkpos.attribute("cargo").as_bool(), parkpos.attribute("ramp").as_bool(),
                            parkpos.attribute("heli").as_bool());
    }
}
