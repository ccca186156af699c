#pragma once
// The start-up's drivers of the livery scan and the add-on airport scan.
#include "foundation/settings.h"

#include <filesystem>
#include <string>
#include <vector>

// With scan true the liveries are scanned, else the earlier result is read; either way
// the livery indexes are built. UserErrorException 48 or 43 when the folders do not do.
void gf_scanLiveriesAtStart(bool scan);
// Whether the settings let the liveries be scanned: automatic discovery, or an lfolder set.
bool gf_liveryScanPossible();
// The add-on airport scan (SCAN_AIRPORTS on); UserErrorException 42, 49 or 5.
void gf_scanAirportsAtStart();
// SCAN_LIVERIES or SCAN_AIRPORTS switched, in its check box and saved.
void gf_setScanSetting(GuiBoolParameter& setting, bool on);
// Removes every entry of the folder; UserErrorException 5 when one cannot go.
void lf_removeOldFiles(const std::filesystem::path& folder);
// The names of the folder's regular files whose extension is ".XML" in any case.
std::vector<std::string>& gf_scanXmlFolder(std::vector<std::string>& names, const std::filesystem::path& folder);
