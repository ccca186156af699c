#include "foundation/settingscatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <string>

namespace {
bool inCatalogue(const Parameter* setting)
{
    const auto& all = gf_allSettings();
    return std::find(all.begin(), all.end(), setting) != all.end();
}

template <typename List>
void expectListFromCatalogue(const List& list, const char* name)
{
    std::set<const Parameter*> seen;
    for (const Parameter* setting : list) {
        EXPECT_TRUE(inCatalogue(setting)) << name << ": " << setting->key;
        EXPECT_TRUE(seen.insert(setting).second) << name << " lists " << setting->key << " twice";
    }
}
} // namespace

TEST(SettingsCatalogue, KeysAndControlIdsAreUnique)
{
    std::set<std::string> keys;
    std::set<unsigned> controlIds;
    for (const Parameter* setting : gf_allSettings()) {
        EXPECT_FALSE(setting->key.empty());
        EXPECT_TRUE(keys.insert(setting->key).second) << "key twice: " << setting->key;
        if (const auto* control = dynamic_cast<const ParameterControl*>(setting)) {
            EXPECT_TRUE(controlIds.insert(control->controlId).second) << "control id twice: " << control->controlId;
            EXPECT_GT(control->row, 0) << setting->key;
            EXPECT_LT(control->row, 516) << setting->key; // inside the main window's height
            EXPECT_EQ(control->window, nullptr) << setting->key;
        }
    }
}

TEST(SettingsCatalogue, DefaultsLieWithinLimitsAndValuesStartAtDefaults)
{
    int numbers = 0;
    const auto expectNumberWithinLimits = [&](const auto& number) {
        ++numbers;
        EXPECT_LE(number.minimum, number.maximum) << number.key;
        EXPECT_EQ(number.clamp(number.defaultValue), number.defaultValue) << number.key;
        EXPECT_EQ(number.value.load(), number.defaultValue) << number.key;
    };
    for (const Parameter* setting : gf_allSettings()) {
        if (const auto* number = dynamic_cast<const IntParameter*>(setting))
            expectNumberWithinLimits(*number);
        else if (const auto* real = dynamic_cast<const FloatParameter*>(setting))
            expectNumberWithinLimits(*real);
        else if (const auto* flag = dynamic_cast<const BoolParameter*>(setting)) {
            EXPECT_EQ(flag->value.load(), flag->defaultValue) << setting->key;
        } else if (const auto* text = dynamic_cast<const StringParameter*>(setting)) {
            EXPECT_EQ(text->getValue(), text->defaultValue) << setting->key;
        }
    }
    EXPECT_GT(numbers, 0);
    // The live radius is derived from LATERAL_RANGE when the objects are built.
    EXPECT_EQ(lateralRadiusNm.load(), static_cast<double>(LATERAL_RANGE.value.load()));
    EXPECT_EQ(lateralRadiusMetres.load(), LATERAL_RANGE.value.load() * 1852);
}

TEST(SettingsCatalogue, StoredListsHoldCatalogueSettingsOfTheirKind)
{
    const ParameterLists lists = gf_parameterLists();
    expectListFromCatalogue(lists.plainBools, "plain bools");
    expectListFromCatalogue(lists.checkBoxes, "check boxes");
    expectListFromCatalogue(lists.plainInts, "plain ints");
    expectListFromCatalogue(lists.editInts, "edit ints");
    expectListFromCatalogue(lists.plainTexts, "plain texts");
    expectListFromCatalogue(lists.editTexts, "edit texts");

    // Every switch with a check box, every text with an edit field and every number
    // without one is stored; no button and no float is.
    std::set<const Parameter*> stored;
    gf_forEachStoredSetting(lists, [&](const Parameter& s) { stored.insert(&s); });
    for (const Parameter* setting : gf_allSettings()) {
        const bool isStored = stored.count(setting) != 0;
        if (dynamic_cast<const GuiBoolParameter*>(setting) || dynamic_cast<const GuiStringParameter*>(setting)) {
            EXPECT_TRUE(isStored) << setting->key;
        }
        if (dynamic_cast<const IntParameter*>(setting) && !dynamic_cast<const ParameterControl*>(setting)) {
            EXPECT_TRUE(isStored) << setting->key;
        }
        if (dynamic_cast<const GuiButton*>(setting) || dynamic_cast<const FloatParameter*>(setting)) {
            EXPECT_FALSE(isStored) << setting->key;
        }
    }
}

TEST(SettingsCatalogue, ClampingAndTheLiveRadius)
{
    EXPECT_EQ(LATERAL_RANGE.clamp(1), LATERAL_RANGE.minimum);
    EXPECT_EQ(LATERAL_RANGE.clamp(150), LATERAL_RANGE.maximum);
    EXPECT_EQ(LAST_EPOCH_TIME.clamp(std::int64_t{1} << 40), 2147483647);
    EXPECT_EQ(MAX_FIT_FL.clamp(0.1f), 0.5f);
    EXPECT_EQ(MAX_FIT_FL.clamp(30.0f), 24.0f);
    EXPECT_EQ(MAX_FIT_FL.clamp(std::numeric_limits<float>::quiet_NaN()), MAX_FIT_FL.defaultValue);

    gf_setRadius(150); // the setting is clamped, the radius itself is not
    EXPECT_EQ(LATERAL_RANGE.value.load(), 100);
    EXPECT_EQ(lateralRadiusNm.load(), 150.0);
    EXPECT_EQ(lateralRadiusMetres.load(), 150 * 1852);
    gf_setRadius(1);
    EXPECT_EQ(LATERAL_RANGE.value.load(), 2);
    EXPECT_EQ(lateralRadiusMetres.load(), 1852);
    gf_setRadius(40);
    EXPECT_EQ(lateralRadiusMetres.load(), 74080);
}

TEST(SettingsCatalogue, AnIntegerBuiltOutsideItsLimitsKeepsItsDefault)
{
    const IntParameter odd("ODD", 500, 0, 100);
    EXPECT_EQ(odd.value.load(), 500);
    EXPECT_EQ(odd.clamp(odd.value.load()), 100);
}
