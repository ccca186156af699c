#pragma once
// Where the simulator is installed and which version it is, the stock airports that
// follow from it, and the add-on airport folders checked against them.
#include "app/programcontrol.h"
#include "foundation/settings.h"

#include <filesystem>
#include <string>
#include <vector>

// SIM_INSTALL_PATH joined with "Scenery": set at each start, emptied by a restart.
// Written by the start-up and the restart, which never run at the same time.
extern std::filesystem::path stockAirportsPath;

// SIM_INSTALL_PATH from the registry when it is empty at start-up; raises
// UserErrorException 151 or 153 when the user must type it.
void gf_detectSimulator();
// At start-up: an empty SIM_INSTALL_PATH is detected; one that is no path text (not UTF-8)
// is logged and emptied, and the user is asked for the path (UserErrorException 151).
void gf_checkInstallPath();
// gf_checkInstallPathVersion (programcontrol.h): "5" or "6" from SIM_INSTALL_PATH, else
// P3D_VERSION; UserErrorException 77 when neither tells.
// Sets the stock airports path and shows when that folder is missing.
void lf_checkStockAirportsPath();
// The non-empty afolder values in order; UserErrorException 42 for one inside the stock airports.
void lf_checkAddOnFolders(std::vector<std::string>& folders);

// The ten lfolder settings and the ten afolder settings, in order.
const std::vector<StringParameter*>& gf_liveryFolderSettings();
const std::vector<StringParameter*>& gf_airportFolderSettings();
