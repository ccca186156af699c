#pragma once
// The aircraft and airline reference data of input\dbase.xml and the code fixes of
// input\fixes.xml: filled on the start-up thread once per process, read without locks.
#include "liveries/liveries.h"

#include <array>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

extern std::set<std::string> knownTypes;
extern std::set<std::string> heavyTypes;
extern std::set<std::string> largeTypes;
extern std::set<std::string> buzjetTypes;
extern std::set<std::string> highPerformanceTypes;
extern std::set<std::string> rotorcraftTypes;
extern std::set<std::string> cargoTypes;
extern std::set<std::string> icaoAirlines;
extern std::set<std::string> cargoOperators;
// Groups of mutually similar types, each in ascending order.
extern std::vector<std::vector<std::string>> similarGroups;
// Half wingspans in nautical miles, and the mean per size class.
extern std::map<std::string, double> wingspans;
extern std::array<double, 6> classDefaultWingspans;
// Registration records by registration, exactly as stored.
extern std::unordered_map<std::string, DbRecord> dbRecords;

// Code fixes: a wrong type code to the right one; airline codes taken as private flights.
extern std::unordered_map<std::string, std::string> modelFixes;
extern std::set<std::string> pvtFixes;
extern std::set<std::string> govFixes;

// Every item of section/element/@attribute (comma lists) into the set; throws
// UserErrorException 61 when the set is empty afterwards.
void gf_readXmlSection(const pugi::xml_node& document, const char* section, const char* element,
                       const char* attribute, std::set<std::string>& set);
void gf_readTypeSection(const pugi::xml_node& document, const char* section, std::set<std::string>& set,
                        const char* element);
void gf_readAirlineSection(const pugi::xml_node& document, const char* section, std::set<std::string>& set);
// The attribute's text; empty for an empty node or a missing attribute.
std::string gf_attributeText(const pugi::xml_node& node, const char* name);

bool gf_isIcaoAirline(const std::string& airline);
std::string gf_dbAirlineOfReg(const std::string& registration);
std::string gf_dbOperatorOfReg(const std::string& registration);
// True when the pattern is found in the text, ignoring case; false for a bad pattern.
bool gf_regexContains(const std::string& text, const std::string& pattern);
// A true flag of the data files: the text begins with 1, t, T, y or Y.
bool gf_flagText(const char* text);

// Similar models with installed liveries, rebuilt after every index build.
// Model -> the other members of its similar group (all, and those with liveries).
extern std::unordered_map<std::string, std::vector<std::string>> similarAll;
extern std::unordered_map<std::string, std::vector<std::string>> similarInstalled;
// Airline -> model it has no livery of -> similar models it has liveries of.
extern std::unordered_map<std::string, std::unordered_map<std::string, std::vector<std::string>>> airlineSimilar;
void gf_readSimilarModels();
// The similar models of the model (shuffled in place while RANDOM is on), or for a Light,
// Buzjets or Rotorcraft model one installed model of its class; possibly empty. Valid
// until the next call.
const std::vector<std::string>& gf_similarModels(const std::string& model);
// The airline's installed models similar to the model (shuffled in place); possibly empty.
const std::vector<std::string>& gf_airlineSimilarModels(const std::string& airline, const std::string& model);
