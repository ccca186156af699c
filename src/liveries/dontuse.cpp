// Titles listed without registration codes in the regcode files: liveries never to use.
#include "liveries/regcodes.h"

#include "foundation/log.h"
#include "foundation/textfiles.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <set>

namespace fs = std::filesystem;

std::vector<std::string> dontUseTitles;

namespace {
void lf_logAdded(std::size_t before, const fs::path& source)
{
    const std::size_t added = dontUseTitles.size() - before;
    gf_logf("{} don't use title{} read from files in {}", added, added == 1 ? "" : "s", gf_pathText(source));
}

// A title of this source; false (with a marked line) when the source named it before.
bool lf_firstInSource(std::set<std::string>& seen, const std::string& title, const char* what,
                      const std::string& path)
{
    if (seen.insert(title).second)
        return true;
    gf_logMarked(fmt::format("{} \"{}\" not unique in file {}", what, title, path));
    return false;
}

template <typename Read>
void lf_readGuarded(const fs::path& path, Read read)
{
    try {
        read();
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("Error in reading regcode file {}, what: {}", gf_pathText(path), e.what()));
    }
}

// One line of a text file: a long title alone is not to be used; a regcode line's title
// only counts for the repeats.
void addDontUseTitle(std::set<std::string>& seen, const std::string& path, const std::string& line)
{
    if (line.empty())
        return;
    const std::vector<std::string> fields = gf_splitSemicolon(line);
    if (fields.size() == 1 && fields[0].size() > 8) {
        if (lf_firstInSource(seen, fields[0], "don't use title", path))
            dontUseTitles.push_back(fields[0]);
    } else if (fields.size() >= 2) {
        lf_firstInSource(seen, fields[0], "title", path);
    }
}
} // namespace

void readDontUseTitlesXml()
{
    const std::size_t before = dontUseTitles.size();
    const std::string path = gf_pathText(aigRegcodesPath);
    lf_readGuarded(aigRegcodesPath, [&] {
        pugi::xml_document document;
        if (!document.load_file(aigRegcodesPath.c_str())) {
            gf_logMarked(fmt::format("Failed to load regcode file {}", path));
            return;
        }
        std::set<std::string> seen;
        for (const pugi::xml_node livery : document.child("AIG-regcodes").children("livery")) {
            const std::string title = livery.attribute("title").value();
            if (!title.empty() && *livery.attribute("reg").value() == '\0' &&
                lf_firstInSource(seen, title, "don't use title", path))
                dontUseTitles.push_back(title);
        }
    });
    lf_logAdded(before, aigRegcodesPath);
}

void readDontUseTitlesTxt()
{
    const std::size_t before = dontUseTitles.size();
    lf_readGuarded(myRegcodesFolder, [] {
        for (const fs::path& file : lf_regcodeTextFiles()) {
            std::vector<std::string> lines;
            if (!gf_readExtTextFileToStringVector(file, lines))
                continue;
            std::set<std::string> seen;
            const std::string path = gf_pathText(file);
            for (const std::string& line : lines)
                addDontUseTitle(seen, path, line);
        }
    });
    lf_logAdded(before, myRegcodesFolder);
}
