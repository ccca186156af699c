#include "parameters_fixture.h"

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
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("parameters");
    for (const auto& [name, value] : elements) {
        pugi::xml_node node = root.append_child("parameter");
        node.append_attribute("name") = name.c_str();
        node.append_attribute("value") = value.c_str();
    }
    ASSERT_TRUE(document.save_file(parametersFile.c_str()));
}

std::map<std::string, std::string> ParametersTest::fileValues() const
{
    std::map<std::string, std::string> values;
    pugi::xml_document document;
    if (!document.load_file(parametersFile.c_str())) {
        ADD_FAILURE() << "parameters.xml does not load";
        return values;
    }
    for (pugi::xml_node node : document.child("parameters").children("parameter")) {
        const pugi::xml_attribute value = node.attribute("value");
        values.emplace(node.attribute("name").as_string(), value ? value.as_string() : "<none>");
    }
    return values;
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
