// The stand-in program playing a scenario file, and the link in a program of its own that
// runs for a few seconds and stops cleanly.
#include "foundation/winstring.h"
#include "support/simconnectenv.h"
#include "support/tempfolder.h"
#include "support/testpaths.h"
#include "support/waitfor.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
enum class Over { pipe, tcp };

// A program started with its output in a file; ended by force if it still runs at the end.
class Program {
public:
    Program(const fs::path& exe, const std::wstring& arguments, const fs::path& folder, const fs::path& output)
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        m_output = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW startup{sizeof startup};
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = m_output;
        startup.hStdError = m_output;
        std::wstring command = L"\"" + exe.wstring() + L"\" " + arguments;
        m_started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                   folder.c_str(), &startup, &m_process) != FALSE;
    }
    ~Program()
    {
        if (m_started) {
            if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(m_process.hProcess, 9);
                WaitForSingleObject(m_process.hProcess, 10000);
            }
            CloseHandle(m_process.hThread);
            CloseHandle(m_process.hProcess);
        }
        CloseHandle(m_output);
    }
    bool started() const { return m_started; }
    // The exit code, or -1 when the program has not ended within the time.
    long finish(DWORD milliseconds)
    {
        DWORD code = 0;
        if (WaitForSingleObject(m_process.hProcess, milliseconds) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(m_process.hProcess, &code))
            return -1;
        return static_cast<long>(code);
    }

private:
    HANDLE m_output = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION m_process{};
    bool m_started = false;
};

class SimLinkEndToEnd : public ::testing::TestWithParam<Over> {};
} // namespace

TEST_P(SimLinkEndToEnd, TheLinkProgramPlaysAgainstTheStandInProgramAndStopsCleanly)
{
    TempFolder folder;
    std::wstring standInArguments = L"--frame-ms 16 --seconds 60 --scenario \"" +
                                    gf_testSourcePath("tools/simstandin/scenario_example.txt").wstring() + L"\"";
    std::string config = "[SimConnect]\r\n";
    if (GetParam() == Over::pipe) {
        const std::wstring pipe = gf_testPipeName();
        standInArguments += L" --no-tcp --pipe " + pipe;
        config += "Protocol=Pipe\r\nAddress=.\r\nPort=" + gf_utf16ToUtf8(pipe) + "\r\n";
    } else {
        const std::uint16_t port = gf_unusedTcpPort();
        standInArguments += L" --no-pipe --port4 " + std::to_wstring(port);
        config += "Protocol=IPv4\r\nAddress=127.0.0.1\r\nPort=" + std::to_string(port) + "\r\n";
    }
    gf_testWriteFile(folder / L"SimConnect.cfg", config);
    const fs::path build = gf_testBuildFolder();
    Program standIn(build / L"tools" / L"simstandin" / L"sim_standin.exe", standInArguments, folder.path(),
                    folder / L"standin.txt");
    ASSERT_TRUE(standIn.started());
    // Until the stand-in listens, a connect attempt would go on to the simulator's default pipe.
    ASSERT_TRUE(gf_waitFor(
        [&] { return gf_testReadFile(folder / L"standin.txt").find("sim_standin ready") != std::string::npos; }));
    Program link(build / L"tools" / L"simlinkrun" / L"simlink_run.exe", L"--seconds 6 --callsign KLM1234",
                 folder.path(), folder / L"link.txt");
    ASSERT_TRUE(link.started());
    EXPECT_EQ(link.finish(60000), 0) << gf_testReadFile(folder / L"link.txt");

    std::string output = gf_testReadFile(folder / L"link.txt");
    std::erase(output, '\r'); // written in text mode
    EXPECT_NE(output.find("flight: running\n"), std::string::npos) << output;
    EXPECT_NE(output.find("title: Stand-in Boeing 737-800 KLM\n"), std::string::npos) << output;
    EXPECT_NE(output.find("position: 52.3086 4.7639 altitude 0\n"), std::string::npos) << output;
    EXPECT_NE(output.find("on ground: 1\n"), std::string::npos) << output;
    EXPECT_NE(output.find("answer: kind 0 object "), std::string::npos) << "our aircraft was created";
    EXPECT_NE(output.find(" value 4735190\n"), std::string::npos) << output;
    EXPECT_NE(output.find("answer: kind 2 object "), std::string::npos) << "the other program's aircraft left";
    EXPECT_NE(output.find("stopped: cleanly\n"), std::string::npos) << output;
    const std::string log = gf_testReadFile(folder / L"Log.txt");
    EXPECT_NE(log.find("Lockheed Martin Prepar3D v5 (5.3.17.28160) connected"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Transports, SimLinkEndToEnd, ::testing::Values(Over::pipe, Over::tcp),
                         [](const ::testing::TestParamInfo<Over>& info) {
                             return info.param == Over::pipe ? "Pipe" : "Tcp";
                         });

TEST(SimLinkEndToEndScenario, ALineThatIsNotUnderstoodIsNamed)
{
    TempFolder folder;
    gf_testWriteFile(folder / L"bad.txt", "# fine\n0 user Plane Latitude = 52.3\n3 object OTHER1 52.3 north 0 A320\n");
    Program standIn(gf_testBuildFolder() / L"tools" / L"simstandin" / L"sim_standin.exe",
                    L"--no-tcp --no-pipe --scenario \"" + (folder / L"bad.txt").wstring() + L"\"", folder.path(),
                    folder / L"standin.txt");
    ASSERT_TRUE(standIn.started());
    EXPECT_EQ(standIn.finish(30000), 2);
    EXPECT_NE(gf_testReadFile(folder / L"standin.txt").find("scenario line 3 not understood"), std::string::npos);
}
