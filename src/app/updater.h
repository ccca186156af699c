#pragma once
// Keeps the program, the reference data dbase.xml, the registration list
// AIG-regcodes.xml and the airport archive in step with the download server. Every
// operation runs on its caller's thread and returns when its downloads are done.
#include "foundation/version.h"

#include <cstdint>
#include <filesystem>
#include <string>

class ZipArchive;

// Version files of the server; 0.0.0 when there is no version information.
Version fetchProgramVersionJson();
Version fetchVersionJson(const std::string& folder); // "dbase" or "aig"
Version fetchArchiveVersionJson();

void updateAigRegcodes();
void updateDbase();
// True when one of the archive folders is missing.
bool prepareArchiveFolders();
// True when a new archive was installed completely.
bool updateArchive();
// Raises UserErrorException 99 when a newer program has been downloaded.
void updateProgram();

bool downloadArchiveZip();
// False when the entry should have been installed and was not.
bool extractArchiveEntry(std::int32_t& count, const ZipArchive& zip, std::int64_t index);
void downloadDocs(const std::string& extension);
bool downloadInstaller(const Version& version);
void extractInstaller(bool& success, const std::filesystem::path& zipPath, const ZipArchive& zip, std::int64_t index);

// The newer versions on the server as one text ("New versions for: ..."); empty when
// nothing is newer. Downloads only version files and changes no setting, so it may run
// while the start-up updates.
std::string checkVersions();
