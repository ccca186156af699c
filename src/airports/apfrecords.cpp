// Small helpers of every airport parking file reader and writer.
#include "airports/airports.h"

#include "foundation/winstring.h"
#include "foundation/xmlblocks.h"

#include <pugixml.hpp>

namespace fs = std::filesystem;

fs::path lf_apfFileNameXml(const std::string& code) { return gf_u8path(code + ".xml"); }

fs::path lf_apfFileNameTxt(const std::string& code) { return gf_u8path(code + ".txt"); }

bool lf_optionMatches(const StandOption& reference, const StandOption& candidate)
{
    return reference.day == candidate.day && reference.soft == candidate.soft && reference.reg == candidate.reg &&
           reference.airl == candidate.airl && reference.type == candidate.type &&
           (reference.hh & candidate.hh).any();
}

bool gf_positionIsSet(double latitude, double longitude)
{
    return !(latitude >= 0.0 && latitude <= 0.0009 && longitude >= 0.0 && longitude <= 0.05);
}

namespace {
// The parameter's "value"; an empty attribute when the parameter has none. Absent: nothing.
std::optional<pugi::xml_attribute> lf_valueOf(const pugi::xml_node& document, const std::string& name)
{
    const pugi::xml_node parameter = gf_findParameter(document, name);
    if (!parameter)
        return std::nullopt;
    return parameter.attribute("value");
}
} // namespace

template <>
std::optional<bool> gf_readValueAttr<bool>(const pugi::xml_node& document, const std::string& name)
{
    const auto value = lf_valueOf(document, name);
    return value ? std::optional<bool>(value->as_bool()) : std::nullopt;
}

template <>
std::optional<std::int32_t> gf_readValueAttr<std::int32_t>(const pugi::xml_node& document, const std::string& name)
{
    const auto value = lf_valueOf(document, name);
    return value ? std::optional<std::int32_t>(value->as_int()) : std::nullopt;
}

template <>
std::optional<std::string> gf_readValueAttr<std::string>(const pugi::xml_node& document, const std::string& name)
{
    const auto value = lf_valueOf(document, name);
    return value ? std::optional<std::string>(value->as_string()) : std::nullopt;
}

std::string gf_readPublisher(const fs::path& path)
{
    pugi::xml_document document;
    if (!document.load_file(path.c_str()))
        return {};
    return gf_readValueAttr<std::string>(document, "publisher").value_or("");
}
