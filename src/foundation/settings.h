#pragma once
// The kinds of setting object: one global object per setting, built before the
// entry point runs, carrying its key in parameters.xml, its compiled-in default,
// its limits and, for settings shown in the main window, the control that shows them.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#ifndef _WINDEF_
struct HWND__;
typedef HWND__* HWND;
#endif

class Parameter {
public:
    explicit Parameter(std::string&& key) : key(std::move(key)) {}
    virtual ~Parameter() = default;
    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    const std::string key; // the name in parameters.xml; a button's caption
};

// Text values are read and written by several threads: only copies leave the lock.
class StringParameter : public Parameter {
public:
    StringParameter(std::string&& key, const std::string& value)
        : Parameter(std::move(key)), defaultValue(value), m_value(value) {}

    std::string getValue() const;
    // Replaces the value and stores it in parameters.xml before returning.
    void setValue(const std::string& text);
    // Replaces the value in memory only: for readers that take values from a file.
    void assignValue(const std::string& text);
    void saveParameter() const;
    void logParameter() const; // "KEY=value"

    const std::string defaultValue;

private:
    mutable std::mutex m_mutex;
    std::string m_value;
};

// Numbers and switches are single atomic words: any thread may read or set them.
class IntParameter : public Parameter {
public:
    IntParameter(std::string&& key, std::int32_t defaultValue, std::int32_t minimum, std::int32_t maximum)
        : Parameter(std::move(key)), defaultValue(defaultValue), minimum(minimum), maximum(maximum),
          value(defaultValue) {}

    // Below the minimum gives the minimum, above the maximum the maximum.
    std::int32_t clamp(std::int64_t number) const;

    const std::int32_t defaultValue;
    const std::int32_t minimum;
    const std::int32_t maximum;
    std::atomic<std::int32_t> value;
};

class FloatParameter : public Parameter {
public:
    FloatParameter(std::string&& key, float defaultValue, float minimum, float maximum)
        : Parameter(std::move(key)), defaultValue(defaultValue), minimum(minimum), maximum(maximum),
          value(defaultValue) {}

    float clamp(float number) const;

    const float defaultValue;
    const float minimum;
    const float maximum;
    std::atomic<float> value;
};

class BoolParameter : public Parameter {
public:
    BoolParameter(std::string&& key, bool defaultValue)
        : Parameter(std::move(key)), defaultValue(defaultValue), value(defaultValue) {}

    const bool defaultValue;
    std::atomic<bool> value;
};

// The main-window control of a setting; the window is created by the main window.
class ParameterControl {
public:
    ParameterControl(std::uint16_t controlId, std::int32_t row) : controlId(controlId), row(row) {}
    virtual ~ParameterControl() = default;
    ParameterControl(const ParameterControl&) = delete;
    ParameterControl& operator=(const ParameterControl&) = delete;

    const std::uint16_t controlId; // child-window id, also the WM_COMMAND id
    const std::int32_t row;        // y of the control's top edge in the main window
    HWND window = nullptr;
    std::intptr_t previousWindowProc = 0; // edit fields: the procedure replaced by subclassing
};

class GuiIntParameter : public IntParameter, public ParameterControl {
public:
    GuiIntParameter(std::string&& key, std::int32_t defaultValue, std::int32_t minimum, std::int32_t maximum,
                    std::uint16_t controlId, std::int32_t row)
        : IntParameter(std::move(key), defaultValue, minimum, maximum), ParameterControl(controlId, row) {}
};

class GuiFloatParameter : public FloatParameter, public ParameterControl {
public:
    GuiFloatParameter(std::string&& key, float defaultValue, float minimum, float maximum,
                      std::uint16_t controlId, std::int32_t row)
        : FloatParameter(std::move(key), defaultValue, minimum, maximum), ParameterControl(controlId, row) {}
};

class GuiBoolParameter : public BoolParameter, public ParameterControl {
public:
    GuiBoolParameter(std::string&& key, bool defaultValue, std::uint16_t controlId, std::int32_t row)
        : BoolParameter(std::move(key), defaultValue), ParameterControl(controlId, row) {}
};

class GuiStringParameter : public StringParameter, public ParameterControl {
public:
    GuiStringParameter(std::string&& key, const std::string& value, std::uint16_t controlId, std::int32_t row)
        : StringParameter(std::move(key), value), ParameterControl(controlId, row) {}
};

// A push button: the key is its caption; it has no value and is never stored.
class GuiButton : public Parameter, public ParameterControl {
public:
    GuiButton(std::string&& caption, std::uint16_t controlId, std::int32_t row)
        : Parameter(std::move(caption)), ParameterControl(controlId, row) {}
};

void gf_logBoolParameter(const BoolParameter& setting); // "KEY=true"
void gf_logIntParameter(const IntParameter& setting);   // "KEY=40"
