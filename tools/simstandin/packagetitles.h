#pragma once
// The titles of the AI aircraft that the simulator has installed, as it reads them: the
// title= lines of the [fltsim.N] sections of every aircraft.cfg and sim.cfg below its
// package folders, in the system's code page. A file with a byte-order mark (UTF-16 either
// way, UTF-8) is converted to that code page; a file without one is taken byte for byte.
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace standin {

std::set<std::string> gf_readPackageTitles(const std::vector<std::filesystem::path>& folders);
// The titles of one file's text, given whole.
void gf_addFileTitles(const std::string& bytes, std::set<std::string>& titles);

} // namespace standin
