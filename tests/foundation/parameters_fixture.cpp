#include "parameters_fixture.h"

#include "support/parametersxml.h"

#include <filesystem>

void gf_testResetSettings()
{
    for (Parameter* setting : gf_allSettings()) {
        if (auto* number = dynamic_cast<IntParameter*>(setting))
            number->value = number->defaultValue;
        else if (auto* real = dynamic_cast<FloatParameter*>(setting))
            real->value = real->defaultValue;
        else if (auto* flag = dynamic_cast<BoolParameter*>(setting))
            flag->value = flag->defaultValue;
        else if (auto* text = dynamic_cast<StringParameter*>(setting))
            text->assignValue(text->defaultValue);
    }
    gf_setRadius(LATERAL_RANGE.defaultValue);
}

void ParametersTest::SetUp()
{
    folder = std::filesystem::current_path(); // the log's fresh folder
    dataFolder = folder;
    parametersFile = folder / L"parameters.xml";
    gf_testResetSettings();
}

void ParametersTest::writeParameters(const std::vector<std::pair<std::string, std::string>>& elements) const
{
    ASSERT_TRUE(gf_testWriteParameters(parametersFile, elements));
}

std::map<std::string, std::string> ParametersTest::fileValues() const
{
    auto values = gf_testReadParameters(parametersFile);
    if (!values) {
        ADD_FAILURE() << "parameters.xml does not load";
        return {};
    }
    return *values;
}

int ParametersTest::countInFile(const std::string& key) const
{
    pugi::xml_document document;
    document.load_file(parametersFile.c_str());
    int count = 0;
    for (pugi::xml_node node : document.child("parameters").children("parameter"))
        count += key == node.attribute("name").as_string() ? 1 : 0;
    return count;
}

bool ParametersTest::fileExists(const std::wstring& name) const { return std::filesystem::exists(folder / name); }
