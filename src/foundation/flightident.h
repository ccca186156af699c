#pragma once
// The identity of one flight as the traffic records deliver it, and its text forms.
#include <cstdint>
#include <string>

struct FlightIdent {
    std::string airline;        // ICAO airline code, may be empty
    std::string type;           // ICAO aircraft type
    std::string departure;
    std::string destination;
    std::string callsign;       // a trailing "_" marks a ghost
    std::string optionCallsign; // static parked: the stand option's callsign
    std::string optionSecond;   // static parked: the stand option's second callsign
    std::string registration;   // the record's second identifier; static parked: the option's
    std::uint64_t word = 0;     // the traffic manager keeps a mark here
};

// "{:3} {:4}" of airline and type.
std::string gf_airlineTypeText(const FlightIdent& ident);
bool gf_sameAirlineType(const FlightIdent& a, const FlightIdent& b);
// Takes the airline from a callsign such as "DLH4AB"; false and no change otherwise.
bool gf_airlineFromCallsign(FlightIdent& ident);
std::string gf_callsignColumn(const FlightIdent& ident);
// "DEP->DST" in three columns each, or eight blanks without a route.
std::string gf_routeColumn(const FlightIdent& ident);
std::string gf_identText(const FlightIdent& ident);
std::string gf_identLine(const FlightIdent& ident);
// The table line: callsign, registration, route, airline and type.
std::string gf_formatColumns(const FlightIdent& ident);
// "Light" .. "Rotorcraft" for 0..5; any other class throws std::out_of_range.
const std::string& gf_sizeClassName(std::int32_t sizeClass);
