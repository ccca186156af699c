#include "foundation/xmlblocks.h"

#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "foundation/version.h"

namespace {
// The name goes in as an XPath variable, so a quote in it cannot break the query.
pugi::xml_node lf_selectNamed(const pugi::xml_node& document, const char* query, const std::string& name)
{
    pugi::xpath_variable_set variables;
    variables.set("name", name.c_str());
    const pugi::xpath_query compiled(query, &variables);
    return document.select_node(compiled).node();
}

// <element name="..." value="..."/> as the parent's last child.
bool lf_appendNamed(pugi::xml_node parent, const char* element, const std::string& name, const std::string& value)
{
    pugi::xml_node node = parent.append_child(element);
    return node && node.append_attribute("name").set_value(name.c_str()) &&
           node.append_attribute("value").set_value(value.c_str());
}
} // namespace

pugi::xml_node gf_findParameter(const pugi::xml_node& document, const std::string& name)
{
    return lf_selectNamed(document, "/parameters/parameter[@name=$name]", name);
}

bool addParameterNode(pugi::xml_node parameters, const std::string& name, const std::string& text)
{
    return lf_appendNamed(parameters, "parameter", name, text);
}

bool gf_addValueParameter(pugi::xml_node parameters, const std::string& name, std::int32_t value)
{
    return addParameterNode(parameters, name, std::to_string(value));
}

bool gf_addBoolParameter(pugi::xml_node parameters, const std::string& name, bool value)
{
    return addParameterNode(parameters, name, value ? "true" : "false");
}

bool gf_addMetaEntry(pugi::xml_node meta, const std::string& name, const std::string& value)
{
    return lf_appendNamed(meta, "info", name, value);
}

bool gf_writeMeta(pugi::xml_node node)
{
    pugi::xml_node meta = node.append_child("meta");
    return meta && gf_addMetaEntry(meta, author.key, "Tarnwick_P3D") &&
           gf_addMetaEntry(meta, version.key, programVersion.toString()) &&
           gf_addMetaEntry(meta, date.key, gf_timeStamp()) &&
           gf_addMetaEntry(meta, copyright.key, copyright.getValue());
}

bool gf_readMetaEntry(const pugi::xml_node& document, StringParameter& entry)
{
    const pugi::xml_node info = lf_selectNamed(document, "/meta/info[@name=$name]", entry.key);
    // In memory only: the meta entries never go into parameters.xml.
    entry.assignValue(info ? info.attribute("value").as_string() : "");
    return static_cast<bool>(info);
}

bool gf_checkMeta(const pugi::xml_node& document)
{
    const bool hasAuthor = gf_readMetaEntry(document, author);
    const bool hasDate = gf_readMetaEntry(document, date);
    const bool hasVersion = gf_readMetaEntry(document, version);
    if (hasAuthor && hasDate && hasVersion)
        return true;
    gf_logMarked("meta data incorrect?");
    return false;
}

std::int32_t gf_intAttribute(const pugi::xml_node& node, const char* name)
{
    return node.attribute(name).as_int(0);
}
