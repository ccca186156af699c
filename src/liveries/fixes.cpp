// input\fixes.xml: type codes that livery authors write wrongly, and airline codes that
// the livery scan takes as private flights.
#include "liveries/referencedata.h"

#include "foundation/exceptions.h"
#include "foundation/log.h"
#include "foundation/winstring.h"

#include <fmt/format.h>

#include <filesystem>

namespace fs = std::filesystem;

std::unordered_map<std::string, std::string> modelFixes;
std::set<std::string> pvtFixes;
std::set<std::string> govFixes;

namespace {
void lf_readCodeFixes(const pugi::xml_node& document, const char* section, const char* name,
                      std::set<std::string>& fixes)
{
    for (const pugi::xml_node fix : document.child(section).children("fix")) {
        const std::string code = gf_attributeText(fix, "wrong");
        if (gf_isIcaoAirline(code)) {
            gf_logMarked(fmt::format("{} fix {} is an ICAO airline code? ", name, code));
            continue;
        }
        if (!fixes.insert(code).second)
            gf_logMarked(fmt::format("wrong: {}, already exists, skipped", code));
    }
}
} // namespace

void gf_readFixes()
{
    const fs::path file = fs::path(L"input") / L"fixes.xml";
    const std::string path = gf_pathText(file);
    pugi::xml_document document;
    if (!document.load_file(file.c_str()))
        throw zeb::UserErrorException(3, path + " (or sections of it) not found?");

    modelFixes.clear();
    pvtFixes.clear();
    govFixes.clear();
    for (const pugi::xml_node fix : document.child("fixes").children("fix")) {
        const std::string wrong = gf_attributeText(fix, "wrong");
        const std::string correct = gf_attributeText(fix, "correct");
        if (!gf_isKnownAircraft(correct)) {
            gf_logMarked(fmt::format("wrong fix {}->{}, the latter is not a valid model", wrong, correct));
            continue;
        }
        if (!modelFixes.emplace(wrong, correct).second)
            gf_logMarked(fmt::format("wrong part of fix: {}, already exists, skipped", wrong));
    }
    lf_readCodeFixes(document, "PVT_fixes", "PVT", pvtFixes);
    lf_readCodeFixes(document, "GOV_fixes", "GOV", govFixes);
    gf_logf("\"{}\" read", path);
}
