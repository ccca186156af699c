// The livery record, its order and output\LiveriesScanned.xml.
#include "liveries/liverydata.h"

#include "foundation/exceptions.h"
#include "foundation/filereplace.h"
#include "foundation/log.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "foundation/xmlblocks.h"
#include "liveries/referencedata.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <tuple>

namespace fs = std::filesystem;

std::list<LiveryData> scannedLiveries;
const fs::path liveriesScannedPath = fs::path(L"output") / L"LiveriesScanned.xml";

bool lf_liveryEquals(const LiveryData& a, const LiveryData& b)
{
    return a.title == b.title && a.airl == b.airl && a.type == b.type && a.atcid == b.atcid && a.cargo == b.cargo;
}

bool lf_lessByNames(const LiveryData& a, const LiveryData& b)
{
    return std::tie(a.airl, a.type, a.atcid, a.title, a.cargo) < std::tie(b.airl, b.type, b.atcid, b.title, b.cargo);
}

namespace {
// The mark of how the titles were read: the ANSI code page of the scan, in which it reads the
// configuration files without a byte-order mark as the simulator does. Files of earlier
// programs, which read such files' UTF-8 lines as UTF-8, lack it.
constexpr const char* titlesCodePage = "codepage";
} // namespace

void gf_markTitleReading(pugi::xml_node liveries) { liveries.append_attribute(titlesCodePage) = gf_ansiCodePage(); }

namespace {
// Written beside the file and put in its place only when whole: a save that fails or is cut
// short leaves the file as it was.
bool lf_saveInPlace(const pugi::xml_document& document)
{
    return gf_writeReplacing(liveriesScannedPath, [&](const fs::path& part) {
        return document.save_file(part.c_str(), "\t", pugi::format_default, pugi::encoding_utf8);
    });
}

bool lf_beyondAscii(std::string_view text)
{
    return std::ranges::any_of(text, [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
}

// Marked in place of the file, which is never left half-written; a mark that cannot be
// written is only missed: the next start looks again.
void lf_markReadNow(pugi::xml_document& document, pugi::xml_node root)
{
    root.remove_attribute(titlesCodePage);
    gf_markTitleReading(root);
    const std::string path = gf_pathText(liveriesScannedPath);
    try {
        if (lf_saveInPlace(document))
            gf_logf("{}: its titles are ASCII, read alike in code page {}", path, gf_ansiCodePage());
        else
            gf_logf("{} could not be marked", path);
    } catch (const std::exception& e) {
        gf_logf("{} could not be marked: {}", path, e.what());
    }
}
} // namespace

bool gf_scanResultReadOtherwise()
{
    pugi::xml_document document;
    if (!document.load_file(liveriesScannedPath.c_str()))
        return false; // its reading says why
    const pugi::xml_node root = document.child("liveries");
    if (!root || root.attribute(titlesCodePage).as_uint() == gf_ansiCodePage())
        return false;
    for (const pugi::xml_node liv : root.children("liv"))
        if (lf_beyondAscii(liv.attribute("title").value()))
            return true;
    lf_markReadNow(document, root);
    return false;
}

namespace {
void lf_writeLiveryElement(pugi::xml_node parent, const LiveryData& livery)
{
    pugi::xml_node liv = parent.append_child("liv");
    liv.append_attribute("airl") = livery.airl.c_str();
    liv.append_attribute("type") = livery.type.c_str();
    if (livery.cargo)
        liv.append_attribute("cargo") = "true";
    liv.append_attribute("title") = livery.title.c_str();
    liv.append_attribute("atcid") = livery.atcid.c_str();
}
} // namespace

namespace {
// Why the last scan's result could not be saved; empty when it was.
std::string resultNotSaved;
} // namespace

std::string gf_scanResultNotSaved() { return resultNotSaved; }

void lf_writeLiveriesScanned()
{
    resultNotSaved.clear();
    if (scannedLiveries.empty())
        return;
    pugi::xml_document document;
    gf_writeMeta(document);
    pugi::xml_node root = document.append_child("liveries");
    gf_markTitleReading(root);
    for (const LiveryData& livery : scannedLiveries)
        lf_writeLiveryElement(root, livery);
    const std::string path = gf_pathText(liveriesScannedPath);
    try {
        if (!lf_saveInPlace(document))
            resultNotSaved = "not written";
    } catch (const std::exception& e) {
        resultNotSaved = e.what();
    }
    if (!resultNotSaved.empty()) {
        gf_logf("could not save to \"{}\": {}", path, resultNotSaved);
        return;
    }
    gf_logf("\"{}\" saved", path);
    gf_logf("{} liveries in {}", scannedLiveries.size(), path);
}

void lf_readLiveriesScanned()
{
    scannedLiveries.clear();
    const std::string path = gf_pathText(liveriesScannedPath);
    pugi::xml_document document;
    if (!document.load_file(liveriesScannedPath.c_str()))
        throw zeb::UserErrorException(51, fmt::format("File {} not found", path));
    try {
        gf_checkMeta(document);
    } catch (const pugi::xpath_exception& e) {
        gf_log(e.result().description());
        return;
    }
    const pugi::xml_node root = document.child("liveries");
    if (!root)
        throw zeb::UserErrorException(52, fmt::format("{} does not contain a <liveries> section", path));
    for (const pugi::xml_node liv : root.children("liv"))
        scannedLiveries.push_back(LiveryData{gf_attributeText(liv, "airl"), gf_attributeText(liv, "type"),
                                             gf_attributeText(liv, "title"), gf_attributeText(liv, "atcid"), 0,
                                             gf_flagText(liv.attribute("cargo").value())});
    if (scannedLiveries.empty())
        throw zeb::UserErrorException(53, path + " does not contain liveries");
    gf_logf("No scan done, {} liveries read from {}", scannedLiveries.size(), path);
}
