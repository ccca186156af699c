#include "parameters_fixture.h"

#include "foundation/xmlblocks.h"

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {
std::size_t storedSettingCount()
{
    const ParameterLists lists = gf_parameterLists();
    std::size_t folders = 0;
    for (const StringParameter* s : lists.plainTexts)
        folders += gf_isFolderParameter(s->key) ? 1 : 0;
    // COLLISION_LIVE_PARKED_GND stands in two lists and is stored once.
    return lists.plainBools.size() - 1 + lists.checkBoxes.size() + lists.plainInts.size() + lists.editInts.size() +
           lists.plainTexts.size() - folders + lists.editTexts.size();
}
} // namespace

TEST_F(ParametersTest, ATextSettingIsInTheFileWhenSetValueReturns)
{
    writeParameters({{"BLOCK_CALLSIGN", ""}});
    BLOCK_CALLSIGN.setValue("KLM123");
    EXPECT_EQ(fileValues()["BLOCK_CALLSIGN"], "KLM123");
    EXPECT_TRUE(logHasLine("BLOCK_CALLSIGN=KLM123"));
    BLOCK_CALLSIGN.setValue("");
    EXPECT_EQ(fileValues()["BLOCK_CALLSIGN"], "");
}

TEST_F(ParametersTest, ASaveWithoutAFileWritesEverySettingNotOnlyTheSavedOne)
{
    PORT_NUMBER.assignValue("12345"); // changed earlier, not yet saved
    LOG.value = false;
    gf_saveBoolParameter(LOG);

    const auto values = fileValues();
    EXPECT_EQ(values.size(), storedSettingCount());
    EXPECT_EQ(values.at("LOG"), "false");
    EXPECT_EQ(values.at("PORT_NUMBER"), "12345");
    EXPECT_EQ(values.count("lfolder0"), 0u);
}

TEST_F(ParametersTest, ASaveAfterACorruptFileKeepsItAndWritesEverySetting)
{
    const std::string damaged = "<parameters><parameter name=\"MAX_LIVE\" value=\"120\"/>";
    gf_testWriteFile(parametersFile, damaged);
    lfolder2.assignValue("D:\\more liveries");
    MAX_LIVE.value = 100;
    gf_saveParameterValue(MAX_LIVE);

    EXPECT_EQ(gf_testReadFile(folder / L"parameters.xml.bad"), damaged);
    const auto values = fileValues();
    EXPECT_EQ(values.size(), storedSettingCount() + 1); // the set folder too
    EXPECT_EQ(values.at("MAX_LIVE"), "100");
    EXPECT_EQ(values.at("lfolder2"), "D:\\more liveries");
}

TEST_F(ParametersTest, AnElementWithoutValueGetsOneWhenSaved)
{
    {
        pugi::xml_document document;
        document.append_child("parameters").append_child("parameter").append_attribute("name") = "MAX_FIT";
        document.save_file(parametersFile.c_str());
    }
    MAX_FIT.value = 11;
    gf_saveParameter(MAX_FIT);
    EXPECT_EQ(fileValues()["MAX_FIT"], "11");
    EXPECT_EQ(countInFile("MAX_FIT"), 1);
}

TEST_F(ParametersTest, ALockedFileIsNeitherReadNorOverwritten)
{
    writeParameters({{"LOG", "false"}, {"MAX_LIVE", "77"}});
    const std::string before = gf_testReadFile(parametersFile);
    HANDLE lock = CreateFileW(parametersFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    gf_readParameters(gf_parameterLists());
    MAX_LIVE.value = 50;
    gf_saveParameterValue(MAX_LIVE);
    CloseHandle(lock);

    EXPECT_EQ(gf_testReadFile(parametersFile), before);
    EXPECT_FALSE(fileExists(L"parameters.xml.bad"));
    EXPECT_FALSE(fileExists(L"parameters.xml.part"));
    EXPECT_TRUE(logHasLine("saving xml did not work?"));
    EXPECT_EQ(MAX_LIVE.value.load(), 50); // the change stays in memory
    gf_saveParameterValue(MAX_LIVE);      // and reaches the file once it can be read
    EXPECT_EQ(fileValues()["MAX_LIVE"], "50");
    EXPECT_EQ(fileValues()["LOG"], "false");
}

TEST_F(ParametersTest, ALeftoverTemporaryFileFromACrashIsHarmless)
{
    writeParameters({{"MAX_LIVE", "77"}});
    gf_testWriteFile(folder / L"parameters.xml.part", "<parameters><param");
    gf_readParameters(gf_parameterLists());
    EXPECT_EQ(MAX_LIVE.value.load(), 77);
    MAX_LIVE.value = 78;
    gf_saveParameterValue(MAX_LIVE);
    EXPECT_EQ(fileValues()["MAX_LIVE"], "78");
    EXPECT_FALSE(fileExists(L"parameters.xml.part"));
}

TEST_F(ParametersTest, RemovingASettingLeavesTheOthers)
{
    writeParameters({{"SECONDS_DELAY", "5"}, {"LOG", "false"}});
    gf_removeParameter(Parameter(std::string("SECONDS_DELAY")));
    gf_removeParameter(Parameter(std::string("NOT_THERE")));
    EXPECT_EQ(fileValues(), (std::map<std::string, std::string>{{"LOG", "false"}}));
    EXPECT_TRUE(logHasLine("Parameter SECONDS_DELAY removed"));
    EXPECT_FALSE(logHasLine("Parameter NOT_THERE removed"));
}

TEST_F(ParametersTest, SavesFromManyThreadsLoseNoUpdate)
{
    gf_readParameters(gf_parameterLists());
    const ParameterLists lists = gf_parameterLists();
    std::vector<IntParameter*> numbers(lists.plainInts.begin(), lists.plainInts.end());
    numbers.insert(numbers.end(), lists.editInts.begin(), lists.editInts.end());
    std::vector<GuiBoolParameter*> switches = lists.checkBoxes;
    std::erase(switches, &COLLISION_LIVE_PARKED_GND); // in both bool lists: owned by one thread only

    constexpr int threads = 6, rounds = 12;
    std::atomic<bool> running{true};
    std::atomic<int> checks{0}, damaged{0};
    // Every state the file passes through is a whole parameters document.
    std::thread watcher([&] {
        while (running) {
            std::lock_guard lock(parametersMutex);
            pugi::xml_document document;
            if (gf_loadParameters(document) != ParametersLoad::loaded ||
                !gf_findParameter(document, "AIRPORT_HEIGHT"))
                ++damaged;
            ++checks;
        }
    });
    std::vector<std::thread> savers;
    for (int t = 0; t < threads; ++t) {
        savers.emplace_back([&, t] {
            for (int round = 0; round < rounds; ++round) {
                for (std::size_t i = t; i < numbers.size(); i += threads) {
                    numbers[i]->value = numbers[i]->clamp(numbers[i]->minimum + round + t);
                    gf_saveParameterValue(*numbers[i]);
                }
                for (std::size_t i = t; i < switches.size(); i += threads) {
                    switches[i]->value = (round + t) % 2 == 0;
                    gf_saveBoolParameter(*switches[i]);
                }
                // All threads change the same text setting too.
                DBASE_VERSION.setValue(std::to_string(t) + "." + std::to_string(round) + ".0");
            }
        });
    }
    for (std::thread& saver : savers)
        saver.join();
    running = false;
    watcher.join();

    const auto values = fileValues();
    for (const IntParameter* s : numbers)
        EXPECT_EQ(values.at(s->key), std::to_string(s->value.load())) << s->key;
    for (const GuiBoolParameter* s : switches)
        EXPECT_EQ(values.at(s->key), s->value.load() ? "true" : "false") << s->key;
    EXPECT_EQ(values.at("DBASE_VERSION"), DBASE_VERSION.getValue());
    EXPECT_EQ(values.size(), storedSettingCount());
    EXPECT_GT(checks.load(), 0);
    EXPECT_EQ(damaged.load(), 0);
    EXPECT_FALSE(fileExists(L"parameters.xml.part"));
    EXPECT_FALSE(fileExists(L"parameters.xml.bad"));
}
