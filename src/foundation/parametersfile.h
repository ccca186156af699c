#pragma once
// parameters.xml: the user's settings between runs, read at start-up into the
// setting objects and changed one setting at a time.
#include "foundation/settingscatalogue.h"

#include <pugixml.hpp>

#include <filesystem>
#include <mutex>
#include <string_view>

extern std::filesystem::path dataFolder;     // <roaming application data>\Tarnwick_P3D
extern std::filesystem::path parametersFile; // dataFolder\parameters.xml
// Held around every load-change-save of parameters.xml, whichever thread saves.
extern std::mutex parametersMutex;

enum class ParametersLoad { loaded, absent, unreadable, corrupt };
// With parametersMutex held. A file that is no parameters document is logged with the
// reason and kept as "parameters.xml.bad"; one that exists but cannot be opened is
// "unreadable" and must not be overwritten.
ParametersLoad gf_loadParameters(pugi::xml_document& document);
// With parametersMutex held. Writes a temporary file beside parameters.xml that then
// replaces it, so no crash or full disk leaves a truncated file.
bool gf_writeParameters(const pugi::xml_document& document);

// Store one setting's current value; a failure is logged and the value stays in memory.
void gf_saveBoolParameter(const BoolParameter& setting);
void gf_saveParameterValue(const IntParameter& setting);
inline void gf_saveParameter(const BoolParameter& setting) { gf_saveBoolParameter(setting); }
inline void gf_saveParameter(const IntParameter& setting) { gf_saveParameterValue(setting); }
inline void gf_saveParameter(const StringParameter& setting) { setting.saveParameter(); }
void gf_removeParameter(const Parameter& setting);
bool gf_isFolderParameter(std::string_view key); // lfolder0..9, afolder0..9

// Start-up: read every stored setting, migrate after an update, set the live radius.
void gf_setupParameters();
void gf_readParameters(const ParameterLists& lists);
void gf_migrateParameters();

// Read one setting from a loaded document; false when its element is missing.
bool gf_readBoolParameter(BoolParameter& setting, const pugi::xml_document& document);
bool gf_readIntParameter(IntParameter& setting, const pugi::xml_document& document);
bool gf_readStringParameter(StringParameter& setting, const pugi::xml_document& document);
bool gf_readFolderParameter(StringParameter& setting, const pugi::xml_document& document);
// Append the setting with its default (once per document) and take the default.
void gf_initBoolParameter(BoolParameter& setting, pugi::xml_node parameters);
void gf_initIntParameter(IntParameter& setting, pugi::xml_node parameters);
void gf_initStringParameter(StringParameter& setting, pugi::xml_node parameters);
