#include "liveries/cfgscan.h"

#include "foundation/log.h"
#include "foundation/textfiles.h"
#include "liveries/cfgkeys.h"

#include <fmt/format.h>

namespace fs = std::filesystem;

bool lf_readCfgLines(const fs::path& file, std::vector<std::string>& lines, PackageKind kind)
{
    TextEncoding encoding = none_found;
    const int read = gf_readTextFile(file, lines, encoding, UnmarkedLines::asSimulator);
    if (encoding == none_found && kind == PackageKind::ivao)
        gf_logMarked(fmt::format("no character set found for {}", gf_scanPathText(file)));
    return read == 1;
}

void lf_closeSection(SectionWalk& walk)
{
    if (walk.section.empty())
        return;
    if (walk.kind == PackageKind::ordinary) {
        std::list<LiveryData> liveries =
            lf_procesFltSimSection(walk.priority, walk.section, walk.type, walk.file, walk.folder, walk.listing.get());
        walk.result.merge(liveries, lf_lessByNames);
    } else if (LiveryData livery = lf_procesIvaoFltSimSection(walk.priority, walk.section, walk.type, walk.file,
                                                               walk.folder, walk.listing.get());
               !livery.airl.empty()) {
        std::list<LiveryData> one{std::move(livery)};
        walk.result.merge(one, lf_lessByNames);
    }
    walk.section.clear();
}

void lf_collectSectionLine(SectionWalk& walk, const std::string& line)
{
    if (!lf_getFltsimNumber(line).empty()) {
        lf_closeSection(walk);
        walk.inside = true;
        walk.section.push_back(line);
        return;
    }
    // Another section's header: in ordinary files a '[' among the first six characters.
    const std::string_view searched = walk.kind == PackageKind::ordinary ? std::string_view(line).substr(0, 6) : line;
    if (searched.find('[') != std::string_view::npos) {
        if (walk.inside)
            lf_closeSection(walk);
        walk.inside = false;
        return;
    }
    if (walk.inside)
        walk.section.push_back(line);
}

namespace {
std::list<LiveryData> lf_walkSections(SectionWalk& walk, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        lf_collectSectionLine(walk, line);
    lf_closeSection(walk);
    return std::move(walk.result);
}
} // namespace

std::list<LiveryData> lf_searchLiveriesinFile(int priority, const fs::path& file,
                                              std::shared_ptr<const FolderListing> listing)
{
    try {
        std::vector<std::string> lines;
        if (!lf_readCfgLines(file, lines, PackageKind::ordinary) || !lf_checkFltsimNumbers(lines, file))
            return {};
        SectionWalk walk{PackageKind::ordinary, priority, lf_checkAtcModel(file, lines), file, file.parent_path(),
                         std::move(listing)};
        if (walk.type.empty())
            return {};
        return lf_walkSections(walk, lines);
    } catch (const std::exception& e) {
        gf_log(fmt::format("exception in lf_searchLiveriesinFile {}: {}", gf_scanPathText(file), e.what()));
        throw;
    }
}

std::list<LiveryData> lf_searchLiveriesinIvaoFile(int priority, const fs::path& file,
                                                  std::shared_ptr<const FolderListing> listing)
{
    SectionWalk walk{PackageKind::ivao, priority, lf_fixIvaoModel(file), file, file.parent_path(), std::move(listing)};
    if (walk.type.empty())
        return {};
    std::vector<std::string> lines;
    if (!lf_readCfgLines(file, lines, PackageKind::ivao) || !lf_checkFltsimNumbers(lines, file))
        return {};
    return lf_walkSections(walk, lines);
}
