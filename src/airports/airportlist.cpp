// The airport list (input\airports_p3d.xml) and the airport an aircraft stands at.
#include "airports/airports.h"

#include "foundation/exceptions.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/numbertext.h"
#include "foundation/winstring.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

std::vector<Airport> airportList;

namespace {
bool airportListRead = false;

constexpr double airportReachNm = 5.0;

// The C library's conversions (a text too long is none), with the texts that the list's errors carry.
template <typename Number, Number (*convert)(const char*, char**)>
Number lf_number(const pugi::xml_node& airport, const char* name, const char* function)
{
    const char* text = airport.attribute(name).as_string();
    errno = 0;
    char* end = nullptr;
    const Number value = convert(text, &end);
    if (end == text)
        throw std::invalid_argument(fmt::format("invalid {} argument", function));
    if (errno == ERANGE)
        throw std::out_of_range(fmt::format("{} argument out of range", function));
    return value;
}

double lf_stod(const pugi::xml_node& airport, const char* name)
{
    return lf_number<double, gf_strtod>(airport, name, "stod");
}

double lf_stof(const pugi::xml_node& airport, const char* name)
{
    return lf_number<float, gf_strtof>(airport, name, "stof");
}

void lf_readAirportList()
{
    const fs::path path = fs::path(L"input") / L"airports_p3d.xml";
    const std::string pathText = gf_pathText(path);
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_file(path.c_str());
    if (!result)
        throw std::runtime_error(fmt::format("{} not loaded {}", pathText, result.description()));
    const pugi::xml_node airports = document.child("airports");
    if (!airports)
        throw std::runtime_error(pathText + " not found");
    for (const pugi::xml_node airport : airports.children("airport")) {
        Airport entry{airport.attribute("code").as_string(), airport.attribute("iata").as_string(),
                      lf_stod(airport, "lat"), lf_stod(airport, "lon"), lf_stof(airport, "alt")};
        // "nan", "inf" and positions off the globe read as numbers, but no aircraft stands there.
        if (!(std::fabs(entry.lat) <= 90 && std::fabs(entry.lon) <= 180 && std::isfinite(entry.alt))) {
            gf_logf("airport {} at {}, {} skipped", entry.code, entry.lat, entry.lon);
            continue;
        }
        airportList.push_back(std::move(entry));
    }
    std::stable_sort(airportList.begin(), airportList.end(),
                     [](const Airport& a, const Airport& b) { return a.code < b.code; });
    gf_logf("{} airports read from \"{}\"", airportList.size(), pathText);
    airportList.shrink_to_fit();
}
} // namespace

void gf_readAirports()
{
    if (airportListRead)
        return;
    // A read after a failed one starts anew, so no airport is listed twice.
    airportList.clear();
    airportList.reserve(44000);
    try {
        lf_readAirportList();
    } catch (const pugi::xpath_exception& e) {
        throw zeb::UserErrorException(87, e.what());
    } catch (const std::exception& e) {
        throw zeb::UserErrorException(88, e.what());
    }
    airportListRead = true;
}

void gf_forgetAirportList()
{
    airportList.clear();
    airportListRead = false;
}

std::optional<Airport> gf_findAirport(const std::string& code)
{
    const auto found = std::ranges::find(airportList, code, &Airport::code);
    if (found == airportList.end())
        return std::nullopt;
    return *found;
}

std::optional<Airport> gf_closestAirport(double latitude, double longitude)
{
    // The two nearest airports within reach.
    const Airport* closest = nullptr;
    const Airport* neighbour = nullptr;
    double best = 100.0;
    double second = 100.0;
    for (const Airport& airport : airportList) {
        // A degree of latitude is 60 nm: most airports are out of reach without the sine work.
        if (std::abs(airport.lat - latitude) * 60.0 > airportReachNm + 0.001)
            continue;
        const double d = gf_distanceNm(latitude, longitude, airport.lat, airport.lon);
        if (d > airportReachNm)
            continue;
        if (d < best) {
            neighbour = closest;
            second = best;
            closest = &airport;
            best = d;
        } else if (d < second) {
            neighbour = &airport;
            second = d;
        }
    }
    if (closest == nullptr)
        return std::nullopt;
    if (neighbour == nullptr)
        return *closest;

    gf_logf("Airport {} is closest, neighbour is {}", closest->code, neighbour->code);
    std::string closestStand;
    std::string neighbourStand;
    const double d1 = gf_readDestApfForClosestStand(closest->code, latitude, longitude, closestStand);
    const double d2 = gf_readDestApfForClosestStand(neighbour->code, latitude, longitude, neighbourStand);
    if (d2 >= d1)
        return *closest;
    gf_logf("Airport {} is closest, but stand {} at neighbouring airport {} is closest at {:.0F} meters ...",
            closest->code, neighbourStand, neighbour->code, d2 * 1852.0);
    return *neighbour;
}

std::string gf_airportDisplayName(const Airport& airport)
{
    std::string text = airport.code.empty() ? "?" : airport.code;
    if (!airport.iata.empty())
        text += " (" + airport.iata + ")";
    return text;
}
