#include "foundation/settings.h"

#include "foundation/log.h"

#include <cmath>

std::string StringParameter::getValue() const
{
    std::lock_guard lock(m_mutex);
    return m_value;
}

void StringParameter::setValue(const std::string& text)
{
    assignValue(text);
    saveParameter();
}

void StringParameter::assignValue(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_value = text;
}

void StringParameter::logParameter() const { gf_logf("{}={}", key, getValue()); }

std::int32_t IntParameter::clamp(std::int64_t number) const
{
    if (number < minimum)
        return minimum;
    if (number > maximum)
        return maximum;
    return static_cast<std::int32_t>(number);
}

float FloatParameter::clamp(float number) const
{
    if (std::isnan(number)) // "nan" is a valid float text; no limit would catch it
        return defaultValue;
    if (number < minimum)
        return minimum;
    if (number > maximum)
        return maximum;
    return number;
}

void gf_logBoolParameter(const BoolParameter& setting)
{
    gf_logf("{}={}", setting.key, setting.value.load() ? "true" : "false");
}

void gf_logIntParameter(const IntParameter& setting) { gf_logf("{}={}", setting.key, setting.value.load()); }
