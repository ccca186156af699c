// Flight plan files: one small AceXML plan per live aircraft with a known route, named by
// its simulator object id, in the folder "orig_dest" of the data folder.
#include "traffic/manager.h"

#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "foundation/textfiles.h"

#include <fmt/format.h>

#include <filesystem>

namespace {
std::filesystem::path lf_folder() { return dataFolder / L"orig_dest"; }

void lf_createIfMissing(const std::filesystem::path& folder)
{
    if (!std::filesystem::exists(folder))
        std::filesystem::create_directory(folder);
}

// Airport codes come from the traffic records: markup characters are written as entities.
std::string lf_xmlText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}
} // namespace

bool gf_createFlightPlanFolder()
{
    lf_createIfMissing(dataFolder);
    lf_createIfMissing(lf_folder());
    return std::filesystem::exists(lf_folder());
}

std::string gf_flightPlanName(std::uint32_t objectId) { return fmt::format("{}.pln", objectId); }

std::wstring gf_flightPlanPath(std::uint32_t objectId)
{
    return (lf_folder() / gf_flightPlanName(objectId)).wstring();
}

bool gf_writeFlightPlan(const std::wstring& path, const ActHead& head)
{
    const std::uint32_t c = head.sizeClass;
    const std::string text = fmt::format(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\n"
        "<FlightPlan.FlightPlan>\n"
        "<FPType>{}</FPType>\n"
        "<DepartureID>{}</DepartureID>\n"
        "<DestinationID>{}</DestinationID>\n"
        "</FlightPlan.FlightPlan>\n"
        "</SimBase.Document>\n",
        c >= 1 && c <= 3 ? "IFR" : "VFR", lf_xmlText(head.identity.departure), lf_xmlText(head.identity.destination));
    return gf_writeWholeFile(
        path, [&](std::ostream& out) { return static_cast<bool>(out << text); }, std::ios::binary);
}

bool gf_removeFlightPlanFolder()
{
    const std::filesystem::path folder = lf_folder();
    try {
        if (std::filesystem::exists(folder))
            std::filesystem::remove_all(folder);
    } catch (const std::exception& e) {
        gf_logf("gf_removeFlightPlanFolder: {}", e.what());
    }
    return !std::filesystem::exists(folder);
}
