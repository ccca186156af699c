// Which airport parking file an airport has: generated files and links of the add-on
// airports first, then the archived stock file; and where its learning is kept.
#include "airports/apffiles.h"

#include "foundation/textfiles.h"
#include "foundation/winstring.h"

#include <algorithm>

namespace fs = std::filesystem;

bool gf_findApfFile(const std::string& code)
{
    const fs::path xml = lf_apfFileNameXml(code);
    const fs::path txt = lf_apfFileNameTxt(code);
    return fs::exists(apfFolders::myThirdparty / xml) || fs::exists(apfFolders::myThirdparty / txt) ||
           fs::exists(apfFolders::myOrbx / xml) || fs::exists(apfFolders::myOrbx / txt) ||
           fs::exists(apfFolders::archiveStock / xml);
}

bool lf_readApfLink(const fs::path& link, fs::path& target)
{
    FileLines file{link, {}};
    const std::vector<std::string>* lines = gf_readFileLines(file, 1);
    if (lines == nullptr || lines->empty())
        return false;
    // Whatever follows the "l" of ".xml" (a line end, blanks) goes.
    std::string line = lines->front();
    const std::size_t l = line.rfind('l');
    line.erase(l == std::string::npos ? 0 : l + 1);
    const fs::path path = gf_u8path(line);
    if (line.empty() || !fs::exists(path))
        return false;
    target = path;
    return true;
}

fs::path gf_resolveApfPath(const std::string& code)
{
    const fs::path xml = lf_apfFileNameXml(code);
    const fs::path txt = lf_apfFileNameTxt(code);
    fs::path linked;
    for (const fs::path& folder : {apfFolders::myThirdparty, apfFolders::myOrbx}) {
        if (fs::exists(folder / txt) && lf_readApfLink(folder / txt, linked))
            return linked;
        if (fs::exists(folder / xml))
            return folder / xml;
    }
    if (fs::exists(apfFolders::archiveStock / xml))
        return apfFolders::archiveStock / xml;
    return {};
}

namespace {
// A publisher becomes a folder name only when it is a plain one.
std::wstring lf_publisherFolder(const std::string& publisher)
{
    const bool plain = publisher != "." && publisher != ".." &&
                       std::ranges::none_of(publisher, [](char c) {
                           return static_cast<unsigned char>(c) < 32 || std::string_view("\\/:*?\"<>|").find(c) !=
                                                                            std::string_view::npos;
                       });
    try {
        return gf_utf8ToUtf16(plain ? publisher : "unknown");
    } catch (const std::exception&) {
        return L"unknown";
    }
}

fs::path lf_learnedByPublisher(const std::string& publisher)
{
    if (publisher == "stock")
        return apfFolders::learned / L"stock";
    if (publisher == "ORBX")
        return apfFolders::learned / L"ORBX";
    return apfFolders::learned / L"thirdparty" / lf_publisherFolder(publisher);
}
} // namespace

fs::path lf_apfFolder(const fs::path& path, const std::string& publisher)
{
    struct Rule {
        std::wstring_view search;
        fs::path replacement;
    };
    const fs::path learned = L"learned";
    const Rule rules[] = {{L"archive", learned},
                          {L"my_ORBX", learned / L"ORBX"},
                          {L"my_thirdparty", learned / L"thirdparty" / lf_publisherFolder(publisher)}};
    std::wstring text = path.wstring();
    for (const Rule& rule : rules) {
        const std::size_t at = text.find(rule.search);
        if (at != std::wstring::npos)
            return text.replace(at, rule.search.size(), rule.replacement.wstring());
    }
    // A file outside the airports folders is never its own learned file.
    return lf_learnedByPublisher(publisher) / path.filename();
}
