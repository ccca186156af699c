// Questions asked of the reference data: size class, wingspan, known codes, registration
// records under their spellings, and the publisher named by a text.
#include "liveries/referencedata.h"

#include <regex>

int gf_sizeCategory(const std::string& type)
{
    if (largeTypes.contains(type))
        return 2;
    if (heavyTypes.contains(type))
        return 3;
    if (buzjetTypes.contains(type))
        return 1;
    if (rotorcraftTypes.contains(type))
        return 5;
    if (highPerformanceTypes.contains(type))
        return 4;
    return 0;
}

bool gf_isKnownAircraft(const std::string& type) { return !type.empty() && knownTypes.contains(type); }

bool gf_isIcaoAirline(const std::string& airline) { return !airline.empty() && icaoAirlines.contains(airline); }

double gf_wingspan(const std::string& type)
{
    const auto found = wingspans.find(type);
    return found != wingspans.end() ? found->second : classDefaultWingspans[gf_sizeCategory(type)];
}

std::vector<std::string> gf_regcodeVariants(const std::string& registration)
{
    std::vector<std::string> variants{registration};
    if (registration.size() < 5 || registration.front() == 'N' || registration.find('-') != std::string::npos)
        return variants;
    variants.push_back(registration.substr(0, 2) + "-" + registration.substr(2));
    variants.push_back(registration.substr(0, 1) + "-" + registration.substr(1));
    return variants;
}

bool lf_findDbRecord(const std::string& variant, std::optional<DbRecord>& record)
{
    const auto found = dbRecords.find(variant);
    if (found == dbRecords.end())
        return false;
    record = found->second;
    return true;
}

namespace {
// The field of the record of the registration's first spelling found; empty when none.
std::string lf_dbField(const std::string& registration, std::string DbRecord::*field)
{
    if (registration.empty())
        return {};
    for (const std::string& variant : gf_regcodeVariants(registration))
        if (const auto found = dbRecords.find(variant); found != dbRecords.end())
            return found->second.*field;
    return {};
}
} // namespace

std::string gf_dbAirlineOfReg(const std::string& registration) { return lf_dbField(registration, &DbRecord::airl); }
std::string gf_dbTypeOfReg(const std::string& registration) { return lf_dbField(registration, &DbRecord::type); }
std::string gf_dbOperatorOfReg(const std::string& registration) { return lf_dbField(registration, &DbRecord::opr); }

bool gf_regexContains(const std::string& text, const std::string& pattern)
{
    try {
        const std::regex expression(".*" + pattern + ".*", std::regex::ECMAScript | std::regex::icase);
        return std::regex_match(text, expression);
    } catch (...) {
        return false;
    }
}

std::string gf_publisherOf(const std::string& text)
{
    for (const std::vector<std::string>& group : publisherGroups)
        for (const std::string& name : group) {
            // An empty name (as in "A,,B") names nothing.
            if (!name.empty() && (text.find(name) != std::string::npos || gf_regexContains(text, name)))
                return group.front();
        }
    return "unknown";
}
