// The parking settings that a learned parking file carries: they take effect in memory
// and in the main window, and are not written to parameters.xml.
#include "airports/apffiles.h"

#include "app/commands.h"
#include "app/mainloop.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/status.h"
#include "foundation/log.h"
#include "foundation/scanthrottle.h"
#include "foundation/settingdisplay.h"
#include "foundation/settingscatalogue.h"

#include <windows.h>

#include <fmt/format.h>

namespace {
template <typename Value>
void lf_logSetting(const std::string& key, const Value& value)
{
    lf_logIndented(fmt::format("{:24}: {}", key, value));
}

// A switch the file holds: stored with its check box, and logged.
void lf_readSwitch(const pugi::xml_node& document, GuiBoolParameter& setting)
{
    if (const std::optional<bool> value = gf_readValueAttr<bool>(document, setting.key)) {
        gf_setCheckBox(setting, *value);
        lf_logSetting(setting.key, *value);
    }
}

void lf_readMaxLive(const pugi::xml_node& document)
{
    if (const std::optional<std::int32_t> value = gf_readValueAttr<std::int32_t>(document, MAX_LIVE.key)) {
        lf_setClampedPercentage(MAX_LIVE, *value);
        gf_showIntParameter(MAX_LIVE);
        lf_logSetting(MAX_LIVE.key, *value);
    } else {
        MAX_LIVE.value = MAX_LIVE.defaultValue;
    }
    if (MAX_LIVE.value.load() == MAX_LIVE.defaultValue)
        gf_clearItemText(MAX_LIVE.controlId); // empty while the default applies
}

void lf_readRange(const pugi::xml_node& document)
{
    if (const std::optional<std::int32_t> value = gf_readValueAttr<std::int32_t>(document, LATERAL_RANGE.key)) {
        gf_setRadius(*value);
        // The file's range is the one to return to when the automatic range goes off.
        manualRadius = LATERAL_RANGE.value.load();
        lf_logSetting(LATERAL_RANGE.key, *value);
        gf_showIntParameter(LATERAL_RANGE);
        EnableWindow(LATERAL_RANGE.window, TRUE);
    }
    lf_readSwitch(document, AUTO_RANGE);
    if (AUTO_RANGE.value.load()) {
        manualRadius = LATERAL_RANGE.value.load();
        gf_autoRange();
        EnableWindow(LATERAL_RANGE.window, FALSE);
    } else {
        EnableWindow(LATERAL_RANGE.window, TRUE);
        const std::int32_t manual = manualRadius.load();
        gf_setRadius(manual > 0 ? manual : lateralRangeAtStart.load());
        gf_clearStatus();
    }
    gf_showIntParameter(LATERAL_RANGE);
}

void lf_readParkingPercentage(const pugi::xml_node& document)
{
    const std::optional<std::int32_t> value = gf_readValueAttr<std::int32_t>(document, parking_percentage.key);
    if (value) {
        lf_setClampedPercentage(parking_percentage, *value);
        lf_logSetting(parking_percentage.key, *value);
    } else {
        parking_percentage.value = parking_percentage.defaultValue;
    }
    if (CUSTOM_PARKING_PERCENTAGE.value.load() >= 0) {
        parking_percentage.value = CUSTOM_PARKING_PERCENTAGE.value.load();
        gf_showStatus("parking percentage overruled by " + CUSTOM_PARKING_PERCENTAGE.key, true);
    }
    gf_showIntParameter(parking_percentage);
}
} // namespace

void lf_setClampedPercentage(IntParameter& setting, std::int64_t value)
{
    setting.value = value < setting.minimum ? setting.minimum
                                            : static_cast<std::int32_t>(std::min<std::int64_t>(value, setting.maximum));
}

void lf_logMaxFit(std::int32_t halfHours)
{
    MAX_FIT.value = MAX_FIT.clamp(halfHours);
    MAX_FIT_FL.value = static_cast<float>(MAX_FIT.value.load()) * 0.5f + 0.5f;
    gf_showFloatParameter(MAX_FIT_FL);
    lf_logIndented(fmt::format("{:24}: {} (max number of half hours, is {} hrs decimal)", MAX_FIT.key, halfHours,
                               gf_formatNumber(MAX_FIT_FL.value.load())));
}

void lf_readLearnedSettings(const pugi::xml_node& document)
{
    lf_readSwitch(document, LEARN_SOFT);
    lf_readMaxLive(document);
    lf_readRange(document);
    for (GuiBoolParameter* setting : {&PARK_FAKE, &WEEK, &PARK_SOFT})
        lf_readSwitch(document, *setting);
    lf_readParkingPercentage(document);
    lf_readSwitch(document, INITIAL_LOAD_ONLY);
    std::optional<std::int32_t> maxFit = gf_readValueAttr<std::int32_t>(document, MAX_FIT.key);
    if (!maxFit)
        maxFit = gf_readValueAttr<std::int32_t>(document, "MAX_FIT_WEEK");
    if (maxFit)
        lf_logMaxFit(*maxFit);
}
