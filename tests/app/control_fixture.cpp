#include "control_fixture.h"

#include "app/programcontrol.h"
#include "app/status.h"
#include "foundation/parametersfile.h"
#include "support/parametersxml.h"

#include <chrono>

ProgramFolderTest::ProgramFolderTest()
{
    dataFolder = std::filesystem::current_path();
    parametersFile = dataFolder / L"parameters.xml";
}

ProgramFolderTest::~ProgramFolderTest() { gf_testWaitForExitEnd(); }

void ProgramFolderTest::writeParameters(const std::vector<std::pair<std::string, std::string>>& elements) const
{
    ASSERT_TRUE(gf_testWriteParameters(parametersFile, elements));
}

std::string ProgramFolderTest::stored(const std::string& key)
{
    const auto values = gf_testReadParameters(parametersFile).value_or(std::map<std::string, std::string>{});
    const auto found = values.find(key);
    return found == values.end() ? "<missing>" : found->second;
}

std::string ProgramFolderTest::errorLine() { return gf_statusLine().error; }
std::string ProgramFolderTest::statusText() { return gf_statusLine().status; }


int gf_testCountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

bool gf_testWaitForExitEnd()
{
    return gf_waitFor([] { return runningThreads.load() == 0; }, std::chrono::seconds(20));
}
