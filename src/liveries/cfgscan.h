#pragma once
// One aircraft configuration file read into liveries; each runs as a scan task.
#include "liveries/fltsimsection.h"

#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An aircraft.cfg or sim.cfg of an ordinary package; the listing of its folder, when given,
// answers whether the folders and files its sections name are there.
std::list<LiveryData> lf_searchLiveriesinFile(int priority, const std::filesystem::path& file,
                                              std::shared_ptr<const FolderListing> listing = nullptr);
// An aircraft.cfg of an IVAO_MTL package.
std::list<LiveryData> lf_searchLiveriesinIvaoFile(int priority, const std::filesystem::path& file,
                                                  std::shared_ptr<const FolderListing> listing = nullptr);

// The sections of one file, walked line by line.
struct SectionWalk {
    PackageKind kind;
    int priority;
    std::string type; // of the whole file
    std::filesystem::path file;
    std::filesystem::path folder;
    std::shared_ptr<const FolderListing> listing; // of the folder, or null
    bool inside = false;
    std::vector<std::string> section; // the open section, header first
    std::list<LiveryData> result;     // in livery order
};
void lf_collectSectionLine(SectionWalk& walk, const std::string& line);
// Processes the open section, if any.
void lf_closeSection(SectionWalk& walk);

// The file's lines in its encoding; false (the file yields nothing) when it cannot be read.
bool lf_readCfgLines(const std::filesystem::path& file, std::vector<std::string>& lines, PackageKind kind);

// IVAO_MTL: the <type> of ...\IVAO_MTL\IVAO_<type>\aircraft.cfg, as it stands.
std::optional<std::string> gf_ivaoFolderModel(std::string_view path);
// The type of the file's folder without its variant mark, fixed; empty (reported) when none.
std::string lf_fixIvaoModel(const std::filesystem::path& file);
// The airline of a title that starts with the type: its next three word characters.
std::optional<std::string> gf_titleAirline(std::string_view title, std::string_view type);
// The section's one livery; a record without airline when it gives none.
LiveryData lf_procesIvaoFltSimSection(int priority, std::vector<std::string>& lines, const std::string& type,
                                      const std::filesystem::path& file, const std::filesystem::path& folder,
                                      const FolderListing* listing = nullptr);
