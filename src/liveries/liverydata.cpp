// The livery record, its order and output\LiveriesScanned.xml.
#include "liveries/liverydata.h"

#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"
#include "foundation/xmlblocks.h"
#include "liveries/referencedata.h"

#include <fmt/format.h>
#include <pugixml.hpp>

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

void lf_writeLiveriesScanned()
{
    if (scannedLiveries.empty())
        return;
    pugi::xml_document document;
    gf_writeMeta(document);
    pugi::xml_node root = document.append_child("liveries");
    for (const LiveryData& livery : scannedLiveries)
        lf_writeLiveryElement(root, livery);
    gf_saveFile(document, liveriesScannedPath);
    gf_logf("{} liveries in {}", scannedLiveries.size(), gf_pathText(liveriesScannedPath));
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
