#pragma once
// XML blocks shared by the program's files: "parameter" elements (parameters.xml and
// the airport parking files) and the "meta" block (the program's other XML files).
#include "foundation/settings.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string>

// The first element /parameters/parameter whose "name" is the name; empty when none.
pugi::xml_node gf_findParameter(const pugi::xml_node& document, const std::string& name);
// Append one "parameter" element with "name" and "value"; false when that failed.
bool addParameterNode(pugi::xml_node parameters, const std::string& name, const std::string& text);
bool gf_addValueParameter(pugi::xml_node parameters, const std::string& name, std::int32_t value);
bool gf_addBoolParameter(pugi::xml_node parameters, const std::string& name, bool value); // "true"/"false"

// A "meta" element with the entries author, version, date and copyright, in this order.
bool gf_writeMeta(pugi::xml_node node);
bool gf_addMetaEntry(pugi::xml_node meta, const std::string& name, const std::string& value);
// The entry /meta/info named by the setting's key becomes its value (empty when absent).
bool gf_readMetaEntry(const pugi::xml_node& document, StringParameter& entry);
// True when author, date and version are present; else logs "meta data incorrect?".
bool gf_checkMeta(const pugi::xml_node& document);
// The attribute as an integer; 0 when the node or the attribute is missing.
std::int32_t gf_intAttribute(const pugi::xml_node& node, const char* name);
