// Enter in a number field: the typed value is clamped into the setting's limits, stored,
// saved and confirmed; text that is no number leaves the setting as it was.
#include "app/commands.h"

#include "app/fieldnumbers.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"

#include <fmt/format.h>

#include <cmath>
#include <optional>

namespace {
void lf_refuse(const std::string& text, bool log) { gf_showStatus(fmt::format("invalid input: {}", text), log); }

template <typename Number>
void lf_same(const Parameter& setting, Number value)
{
    gf_showStatus(fmt::format("Same {} value {}, no changes made", setting.key, value), true);
}

bool lf_commitInt(GuiIntParameter& setting, const std::string& text)
{
    if (text.empty()) {
        if (&setting == &parking_percentage) { // kept with the airport parking files, not here
            setting.value = 0;
            return true;
        }
        setting.value = setting.clamp(setting.defaultValue);
        gf_saveParameterValue(setting);
        return true;
    }
    const FieldInt number = gf_parseFieldInt(text);
    if (number.state == FieldParse::notANumber) {
        lf_refuse(text, true);
        return false;
    }
    if (number.state == FieldParse::outOfRange) {
        gf_logMarked(fmt::format("procesTbInt exception {}, h={} ", "stoi argument out of range", text));
        lf_refuse(text, false);
        return false;
    }
    if (number.value == setting.value.load()) {
        lf_same(setting, number.value);
        return false;
    }
    setting.value = setting.clamp(number.value);
    if (&setting != &parking_percentage)
        gf_saveParameterValue(setting);
    return true;
}

// The hours are kept as whole half hours in MAX_FIT, which is what is saved.
bool lf_commitFloat(GuiFloatParameter& setting, const std::string& text)
{
    if (text.empty()) {
        setting.value = setting.clamp(setting.defaultValue);
        MAX_FIT.value = MAX_FIT.clamp(MAX_FIT.defaultValue);
        gf_saveParameterValue(MAX_FIT);
        return true;
    }
    const FieldFloat number = gf_parseFieldFloat(text);
    if (number.state != FieldParse::number || std::isnan(number.value)) {
        gf_log(fmt::format("procesTbFloat exception {}, h={} ",
                           number.state == FieldParse::outOfRange ? "stof argument out of range" : "invalid stof argument",
                           text));
        lf_refuse(text, false);
        return false;
    }
    if (number.value == setting.value.load()) {
        lf_same(setting, number.value);
        return false;
    }
    const float hours = setting.clamp(number.value);
    MAX_FIT.value = MAX_FIT.clamp(std::lround(2.0f * hours) - 1);
    gf_saveParameterValue(MAX_FIT);
    setting.value = setting.clamp(static_cast<float>(MAX_FIT.value.load()) * 0.5f + 0.5f);
    return true;
}
} // namespace

bool procesTbInt(GuiIntParameter& setting)
{
    const std::optional<std::string> text = gf_controlText(setting.window, 511);
    const bool changed = text && lf_commitInt(setting, *text);
    if (changed)
        gf_showStatus(fmt::format("The new {} is {}", setting.key, setting.value.load()), false);
    gf_showIntParameter(setting);
    // MAX_LIVE at its default shows an empty field.
    if (&setting == &MAX_LIVE && MAX_LIVE.value.load() == MAX_LIVE.defaultValue)
        gf_clearItemText(MAX_LIVE.controlId);
    return changed;
}

bool procesTbFloat(GuiFloatParameter& setting)
{
    const std::optional<std::string> text = gf_controlText(setting.window, 511);
    const bool changed = text && lf_commitFloat(setting, *text);
    if (changed)
        gf_showStatus(fmt::format("The new {} is {:.1F}", setting.key, setting.value.load()), false);
    gf_showFloatParameter(setting);
    return changed;
}
