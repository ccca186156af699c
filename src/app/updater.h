#pragma once
// Keeps the program and its data files in step with the download server.
#include <string>

// The newer versions on the server as one text ("New versions for: ..."); empty when
// nothing is newer. Downloads only version files and changes no setting, so it may run
// while the start-up updates.
std::string checkVersions();
