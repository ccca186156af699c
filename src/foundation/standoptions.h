#pragma once
// Finding, adding and updating the options of a stand: who uses it in which half hours.
#include "airports/airports.h"
#include "foundation/flightident.h"
#include "foundation/weekslots.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using StandOptions = std::vector<StandOption>;

// Whether the searches that place aircraft may take the option: numbered and not rejected.
bool gf_optionOffered(const StandOption& option);

// A numbered real option whose callsigns hold the key, or whose airline and type are the flight's.
bool gf_slotMatches(std::string_view key, const FlightIdent& ident, const StandOption& option);
// False for an empty key; otherwise whether any option matches.
bool gf_containsSlotMatch(const StandOptions& options, std::string_view key, const FlightIdent& ident);
// The first numbered real option of the weekday and registration (empty matches empty) holding
// half hour h or one beside it (47 and 0 are neighbours); the end when none.
StandOptions::iterator gf_findSlotAtHalfHour(StandOptions& options, std::uint32_t weekday, std::uint32_t halfHour,
                                             std::string_view registration);
StandOptions::const_iterator gf_findSlotAtHalfHour(const StandOptions& options, std::uint32_t weekday,
                                                   std::uint32_t halfHour, std::string_view registration);
// Whether any of the half hours start, start - 1, ... down to max(start - count, 0) is set.
// When the range reaches below 0, `rest` gets the half hours still to test at the end of
// the previous day (at most 46), else -1.
bool testRange(const StandOption& option, std::int32_t start, std::int32_t count, std::int32_t& rest);
// Appends an option for the slot and returns its number; airline and type come from the
// registration's reference record when there is one. Throws std::out_of_range for a half
// hour of 48 or more, leaving the options as they were.
std::uint32_t gf_addSlotRecord(StandOptions& options, const FlightIdent& ident, bool soft, WeekSlot slot,
                               std::string_view callsign, const std::string& registration);
// Marks the slot's half hour in the option with the number and notes the callsign.
bool lf_updateOption(StandOptions& options, WeekSlot slot, std::uint32_t number, std::string_view callsign);
bool lf_updateOptionEntry(WeekSlot slot, std::uint32_t number, std::string_view callsign, StandOption& option);
