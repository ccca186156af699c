#include "foundation/parametersfile.h"

#include "app/status.h"
#include "foundation/log.h"
#include "foundation/settingdisplay.h"
#include "foundation/texthelpers.h"
#include "foundation/winstring.h"
#include "foundation/xmlblocks.h"

namespace {
void lf_logInitFailure(const Parameter& setting, const std::string& value)
{
    gf_logf("{}adding init xml parameter {} with {} failed!", errorMarker, setting.key, value);
}

bool lf_readText(StringParameter& setting, const pugi::xml_document& document)
{
    const pugi::xml_node node = gf_findParameter(document, setting.key);
    if (node)
        setting.assignValue(node.attribute("value").as_string());
    return static_cast<bool>(node);
}

bool lf_holds(const pugi::xml_node& parameters, const std::string& key)
{
    return static_cast<bool>(gf_findParameter(parameters.root(), key));
}

// The setting takes its default and is appended with it; a folder is not (a file holds no
// empty folders).
void lf_takeDefault(BoolParameter& setting, pugi::xml_node parameters) { gf_initBoolParameter(setting, parameters); }
void lf_takeDefault(IntParameter& setting, pugi::xml_node parameters) { gf_initIntParameter(setting, parameters); }
void lf_takeDefault(StringParameter& setting, pugi::xml_node parameters)
{
    if (gf_isFolderParameter(setting.key))
        setting.assignValue(setting.defaultValue);
    else
        gf_initStringParameter(setting, parameters);
}

// False when the file holds no such setting.
bool lf_read(BoolParameter& setting, pugi::xml_document& document) { return gf_readBoolParameter(setting, document); }
bool lf_read(IntParameter& setting, pugi::xml_document& document) { return gf_readIntParameter(setting, document); }
bool lf_read(StringParameter& setting, pugi::xml_document& document)
{
    if (!gf_isFolderParameter(setting.key))
        return gf_readStringParameter(setting, document);
    if (!gf_readFolderParameter(setting, document))
        return false;
    if (setting.getValue().empty()) { // an emptied folder leaves the file
        pugi::xml_node node = gf_findParameter(document, setting.key);
        node.parent().remove_child(node);
        gf_logLine("Parameter " + setting.key + " removed");
    }
    return true;
}

// An absent or damaged file: every setting takes its default and a new file is built.
void lf_takeDefaults(const ParameterLists& lists, pugi::xml_document& document)
{
    document.reset();
    const pugi::xml_node parameters = document.append_child("parameters");
    gf_forEachStoredSetting(lists, [&](auto& setting) { lf_takeDefault(setting, parameters); });
}

// A loaded file: missing settings take their defaults and are appended.
void lf_readDocument(const ParameterLists& lists, pugi::xml_document& document)
{
    const pugi::xml_node parameters = document.child("parameters");
    gf_forEachStoredSetting(lists, [&](auto& setting) {
        if (!lf_read(setting, document))
            lf_takeDefault(setting, parameters);
    });
}

// Outside the file lock: a control update is a message to the window thread, which
// may itself be waiting for the lock to save a setting.
void lf_showControls(const ParameterLists& lists)
{
    for (GuiBoolParameter* setting : lists.checkBoxes)
        gf_setCheckBox(*setting, setting->value.load());
    for (GuiIntParameter* setting : lists.editInts)
        gf_showIntParameter(*setting);
    for (GuiStringParameter* setting : lists.editTexts)
        gf_showStringParameter(*setting);
}
} // namespace

void gf_readParameters(const ParameterLists& lists)
{
    gf_log(gf_bannerLine(70, 0, true, false, "parameters"));
    {
        std::lock_guard lock(parametersMutex);
        pugi::xml_document document;
        const ParametersLoad state = gf_loadParameters(document);
        if (state == ParametersLoad::loaded) {
            gf_logf("from \"{}\"", gf_pathText(parametersFile));
            lf_readDocument(lists, document);
        } else {
            if (state == ParametersLoad::absent)
                gf_logf("{} not found, default values taken:", gf_pathText(parametersFile));
            else
                gf_logLine("default values taken:");
            lf_takeDefaults(lists, document);
        }
        // The user's settings are gone for this run: a line that stays says so.
        if (state == ParametersLoad::corrupt)
            gf_showNotice("parameters.xml could not be read: default settings taken, the old file is kept as "
                          "parameters.xml.bad");
        else if (state == ParametersLoad::unreadable)
            gf_showNotice("parameters.xml could not be read: default settings taken for this run, the file is left "
                          "as it is");
        if (state != ParametersLoad::unreadable) {
            if (gf_writeParameters(document))
                gf_logf("\"{}\" saved", gf_pathText(parametersFile));
            else
                gf_logf("could not save to \"{}\"", gf_pathText(parametersFile));
        }
    }
    lf_showControls(lists);
    gf_log(gf_bannerLine(70, 10, false, true, ""));
}

void gf_setupParameters()
{
    gf_readParameters(gf_parameterLists());
    gf_migrateParameters();
    gf_setRadius(LATERAL_RANGE.clamp(LATERAL_RANGE.value.load()));
}

bool gf_readBoolParameter(BoolParameter& setting, const pugi::xml_document& document)
{
    const pugi::xml_node node = gf_findParameter(document, setting.key);
    if (!node)
        return false;
    // "1", "true", "yes" in any case of the first letter; anything else, or no value, is false.
    setting.value = node.attribute("value").as_bool(false);
    gf_logBoolParameter(setting);
    return true;
}

bool gf_readIntParameter(IntParameter& setting, const pugi::xml_document& document)
{
    const pugi::xml_node node = gf_findParameter(document, setting.key);
    if (!node)
        return false;
    setting.value = setting.clamp(node.attribute("value").as_llong(0));
    gf_logIntParameter(setting);
    return true;
}

bool gf_readStringParameter(StringParameter& setting, const pugi::xml_document& document)
{
    if (!lf_readText(setting, document))
        return false;
    setting.logParameter();
    return true;
}

bool gf_readFolderParameter(StringParameter& setting, const pugi::xml_document& document)
{
    if (!lf_readText(setting, document))
        return false;
    if (!setting.getValue().empty())
        setting.logParameter();
    return true;
}

void gf_initBoolParameter(BoolParameter& setting, pugi::xml_node parameters)
{
    if (!lf_holds(parameters, setting.key) && !gf_addBoolParameter(parameters, setting.key, setting.defaultValue))
        lf_logInitFailure(setting, setting.defaultValue ? "true" : "false");
    setting.value = setting.defaultValue;
    gf_logBoolParameter(setting);
}

void gf_initIntParameter(IntParameter& setting, pugi::xml_node parameters)
{
    if (!lf_holds(parameters, setting.key) && !gf_addValueParameter(parameters, setting.key, setting.defaultValue))
        lf_logInitFailure(setting, std::to_string(setting.defaultValue));
    setting.value = setting.defaultValue;
    gf_logIntParameter(setting);
}

void gf_initStringParameter(StringParameter& setting, pugi::xml_node parameters)
{
    if (!lf_holds(parameters, setting.key) && !addParameterNode(parameters, setting.key, setting.defaultValue))
        lf_logInitFailure(setting, setting.defaultValue);
    setting.assignValue(setting.defaultValue);
    setting.logParameter();
}
