#pragma once
// One [fltsim.N] section of an aircraft.cfg turned into liveries, on the file's scan task.
#include "foundation/folderlisting.h"
#include "liveries/liverydata.h"

#include <filesystem>
#include <list>
#include <string>
#include <vector>

// The values a section gives; each is set once it is not empty.
struct SectionValues {
    std::string title;
    std::string codes; // atc_parking_codes
    std::string types; // atc_parking_types, upper case
    std::string atcid;
    std::string model;
    std::string sim;
    std::string texture;
};

// Ordinary packages name the airlines in atc_parking_codes; IVAO_MTL packages in the title.
enum class PackageKind { ordinary, ivao };

// One record per valid airline code of the section, all with its title; empty when the
// section is refused (reported) or gives no livery. Trailing empty and "//" lines are
// removed from `lines`. The listing of the folder, when given, spares file system queries.
std::list<LiveryData> lf_procesFltSimSection(int priority, std::vector<std::string>& lines, const std::string& fileType,
                                             const std::filesystem::path& file, const std::filesystem::path& folder,
                                             const FolderListing* listing = nullptr);
// A record, or (checkUnique, title already taken in this scan) an empty one.
LiveryData lf_makeLiveryData(int priority, const std::string& airl, const std::string& type, bool cargo,
                             const std::string& title, const std::string& atcid, bool checkUnique);
void gf_clearScannedTitles();

// Shared by both kinds: the values of the section's lines and the files they name. False
// when the section is refused (the reason reported).
bool lf_readSectionValues(const std::vector<std::string>& lines, const std::string& folderText, PackageKind kind,
                          SectionValues& values);
bool lf_sectionFilesExist(const std::filesystem::path& folder, const std::string& header, PackageKind kind,
                          const SectionValues& values, const FolderListing* listing);
// True when the title is one the user does not want, or a stub the settings hide.
bool lf_unwantedTitle(const std::string& title);
// True when the simulator can be asked for the title: it knows its liveries by their titles
// in the system's code page. Otherwise the section is refused (reported).
bool lf_titleInCodePage(const std::string& folderText, const std::string& header, const std::string& title);
// Removes trailing empty and "//" lines.
void lf_dropTrailingLines(std::vector<std::string>& lines);
