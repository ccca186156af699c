#include "support/parametersxml.h"

#include <pugixml.hpp>

bool gf_testWriteParameters(const std::filesystem::path& file,
                            const std::vector<std::pair<std::string, std::string>>& elements)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("parameters");
    for (const auto& [name, value] : elements) {
        pugi::xml_node node = root.append_child("parameter");
        node.append_attribute("name") = name.c_str();
        node.append_attribute("value") = value.c_str();
    }
    return document.save_file(file.c_str());
}

std::optional<std::map<std::string, std::string>> gf_testReadParameters(const std::filesystem::path& file)
{
    pugi::xml_document document;
    if (!document.load_file(file.c_str()))
        return std::nullopt;
    std::map<std::string, std::string> values;
    for (pugi::xml_node node : document.child("parameters").children("parameter")) {
        const pugi::xml_attribute value = node.attribute("value");
        values.emplace(node.attribute("name").as_string(), value ? value.as_string() : "<none>");
    }
    return values;
}
