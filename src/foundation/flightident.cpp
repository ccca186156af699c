#include "foundation/flightident.h"

#include <fmt/format.h>

#include <stdexcept>
#include <unordered_map>

std::string gf_airlineTypeText(const FlightIdent& ident)
{
    return fmt::format("{:3} {:4}", ident.airline, ident.type);
}

bool gf_sameAirlineType(const FlightIdent& a, const FlightIdent& b)
{
    return a.airline == b.airline && a.type == b.type;
}

bool gf_airlineFromCallsign(FlightIdent& ident)
{
    const std::string& cs = ident.callsign;
    const auto isUpper = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (cs.size() < 4 || !isUpper(cs[0]) || !isUpper(cs[1]) || !isUpper(cs[2]) || cs[3] < '0' || cs[3] > '9')
        return false;
    ident.airline = cs.substr(0, 3);
    return true;
}

std::string gf_callsignColumn(const FlightIdent& ident) { return fmt::format("{:8}", ident.callsign); }

std::string gf_routeColumn(const FlightIdent& ident)
{
    if (ident.departure.empty() && ident.destination.empty())
        return std::string(8, ' ');
    return fmt::format("{:3}->{:3}", ident.departure, ident.destination);
}

std::string gf_identText(const FlightIdent& ident)
{
    return gf_airlineTypeText(ident) + " " + ident.registration;
}

std::string gf_identLine(const FlightIdent& ident)
{
    return gf_callsignColumn(ident) + fmt::format(" {} {}", ident.registration, gf_airlineTypeText(ident));
}

std::string gf_formatColumns(const FlightIdent& ident)
{
    return fmt::format("{} {:8} {} {}", gf_callsignColumn(ident), ident.registration, gf_routeColumn(ident),
                       gf_airlineTypeText(ident));
}

const std::string& gf_sizeClassName(std::int32_t sizeClass)
{
    static const std::unordered_map<std::int32_t, std::string> names = {
        {0, "Light"}, {1, "Buzjets"}, {2, "Large"}, {3, "Heavy"}, {4, "HighPerf"}, {5, "Rotorcraft"}};
    const auto found = names.find(sizeClass);
    if (found == names.end())
        throw std::out_of_range("invalid unordered_map<K, T> key");
    return found->second;
}
