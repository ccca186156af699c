// Finding and making the connection, and ending it, against the stand-in.
#include "foundation/winstring.h"
#include "processhandles/processhandles.h"
#include "simconnect/connection.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"
#include "support/registrysandbox.h"
#include "support/simconnectenv.h"
#include "support/testpaths.h"
#include "support/waitfor.h"
#include "testlink.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace {
// Opens with index 0 from a SimConnect.cfg in the current folder (none when empty).
ScResult lf_openFromCurrentFolder(ScConnection*& connection, const std::string& cfg)
{
    if (!cfg.empty())
        gf_testWriteFile(std::filesystem::current_path() / L"SimConnect.cfg", cfg);
    return SimConnect_Open(&connection, "Tarnwick_P3D", nullptr, 0, nullptr, 0);
}

bool lf_waitForNoTransport()
{
    return gf_waitFor([] { return sc_liveTransports() == 0; }, std::chrono::seconds(5));
}
} // namespace

TEST(Connect, WithoutAnyFileTheChainGoesPipeThenIpv6ThenIpv4)
{
    SharedSimulatorLock lock; // nobody serves the default pipe meanwhile
    RegistrySandbox registry;
    TempFolder current(true);
    standin::SimStandIn standIn(standin::Options{}); // no pipe: TCP only
    ASSERT_NE(standIn.port6(), 0) << "[::1] is needed here";
    const std::wstring unused = std::to_wstring(gf_unusedTcpPort());

    ScConnection* connection = nullptr;
    gf_setSimulatorPorts(unused, std::to_wstring(standIn.port6()));
    ASSERT_EQ(lf_openFromCurrentFolder(connection, ""), scOk);
    EXPECT_EQ(connection->family, static_cast<std::uint32_t>(AF_INET6));
    EXPECT_TRUE(standIn.waitForRequests(scReqOpen, 1, testWait));
    EXPECT_EQ(SimConnect_Close(connection), scOk);

    gf_setSimulatorPorts(std::to_wstring(standIn.port4()), unused);
    ASSERT_EQ(lf_openFromCurrentFolder(connection, ""), scOk);
    EXPECT_EQ(connection->family, static_cast<std::uint32_t>(AF_INET));
    EXPECT_TRUE(standIn.waitForRequests(scReqOpen, 2, testWait));
    EXPECT_EQ(SimConnect_Close(connection), scOk);

    // Nothing anywhere: every step fails.
    gf_setSimulatorPorts(unused, unused);
    EXPECT_EQ(lf_openFromCurrentFolder(connection, ""), scFail);
    EXPECT_EQ(connection, nullptr);
    EXPECT_EQ(sc_liveConnections(), 0);
}

TEST(Connect, AnIpv4SectionWithoutPortFallsBackToTheDefaultPipe)
{
    SharedSimulatorLock lock;
    RegistrySandbox registry;
    TempFolder current(true);
    standin::SimStandIn onPipe({.pipeName = gf_defaultSimulatorPipePath(), .tcp = false});
    standin::SimStandIn onTcp(standin::Options{});
    gf_setSimulatorPorts(std::to_wstring(onTcp.port4()), std::to_wstring(onTcp.port6()));

    ScConnection* connection = nullptr;
    ASSERT_EQ(lf_openFromCurrentFolder(connection, "[SimConnect]\r\nProtocol=IPv4\r\nAddress=127.0.0.1\r\n"), scOk);
    EXPECT_EQ(connection->kind, ScKind::pipe);
    EXPECT_TRUE(onPipe.waitForRequests(scReqOpen, 1, testWait));
    EXPECT_EQ(onTcp.sessionCount(), 0) << "no TCP attempt without a port";
    EXPECT_EQ(SimConnect_Close(connection), scOk);

    // Index 0xFFFFFFFF reads no file: the default pipe at once.
    ASSERT_EQ(SimConnect_Open(&connection, "Tarnwick_P3D", nullptr, 0, nullptr, 0xFFFFFFFF), scOk);
    EXPECT_TRUE(onPipe.waitForRequests(scReqOpen, 2, testWait));
    EXPECT_EQ(SimConnect_Close(connection), scOk);
}

TEST(Connect, AnAddressElsewhereEndsTheSearchAtTheFirstFailure)
{
    RegistrySandbox registry;
    TempFolder current(true);
    standin::SimStandIn onTcp(standin::Options{});
    gf_setSimulatorPorts(std::to_wstring(onTcp.port4()), std::to_wstring(onTcp.port6()));
    gf_testWriteFile(current / L"SimConnect.cfg",
                     "[SimConnect.2]\r\nProtocol=Pipe\r\nAddress=localhost\r\nPort=" +
                         gf_utf16ToUtf8(gf_testPipeName()) + "\r\n"
                         "[SimConnect.3]\r\nProtocol=IPv6\r\nAddress=localhost\r\nPort=" +
                         std::to_string(gf_unusedTcpPort()) + "\r\n"
                         "[SimConnect.4]\r\nProtocol=IPv4\r\nAddress=localhost\r\nPort=" +
                         std::to_string(gf_unusedTcpPort()) + "\r\n");
    ScConnection* connection = nullptr;
    EXPECT_EQ(SimConnect_Open(&connection, "Tarnwick_P3D", nullptr, 0, nullptr, 2), scFail);
    EXPECT_EQ(SimConnect_Open(&connection, "Tarnwick_P3D", nullptr, 0, nullptr, 3), scFail);
    EXPECT_EQ(onTcp.sessionCount(), 0) << "neither fell back to the registered ports";
    EXPECT_EQ(SimConnect_Open(&connection, "Tarnwick_P3D", nullptr, 0, nullptr, 9), scInvalidArgument)
        << "a section that exists nowhere";
}

TEST(Connect, DisableNagleSetsNoDelayOnTheSocket)
{
    TestLink link(Transport::ipv4, {}, "DisableNagle=1\r\n");
    ASSERT_EQ(link.open(), scOk);
    BOOL noDelay = FALSE;
    int length = sizeof noDelay;
    ASSERT_EQ(getsockopt(link.connection->socketHandle(), IPPROTO_TCP, TCP_NODELAY,
                         reinterpret_cast<char*>(&noDelay), &length), 0);
    EXPECT_TRUE(noDelay);
}

TEST(Connect, ABusyPipeIsWaitedFor)
{
    TempFolder current(true);
    const std::wstring name = gf_testPipeName();
    const std::wstring path = gf_testPipePath(name);
    gf_testWriteFile(current / L"SimConnect.cfg", "[SimConnect.1]\r\nPort=" + gf_utf16ToUtf8(name) + "\r\n");
    // One instance only, taken by another client.
    const HANDLE server = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                           4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const HANDLE other = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);

    ScConnection* connection = nullptr;
    ScResult result = 1;
    std::thread opener([&] { result = SimConnect_Open(&connection, "Tarnwick_P3D", nullptr, 0, nullptr, 1); });
    Sleep(300);
    CloseHandle(other);
    DisconnectNamedPipe(server);
    ConnectNamedPipe(server, nullptr); // returns when the waiting client has connected
    opener.join();
    EXPECT_EQ(result, scOk);
    char packet[296] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(server, packet, sizeof packet, &got, nullptr));
    EXPECT_EQ(got, 296u);
    EXPECT_EQ(SimConnect_Close(connection), scOk);
    CloseHandle(server);
}

TEST(Connect, ClosingWhileIoIsPendingEndsCleanly)
{
    for (const Transport transport : {Transport::pipe, Transport::ipv4}) {
        TestLink link(transport);
        ASSERT_EQ(link.open(), scOk);
        const std::vector<std::uint8_t> data(4000, 1);
        for (int i = 0; i < 200; ++i)
            ASSERT_EQ(SimConnect_SetDataOnSimObject(link.connection, 402, 9, 0, 1, 4000, data.data()), scOk);
        // A read is pending and writes are queued and in flight.
        EXPECT_EQ(SimConnect_Close(link.connection), scOk);
        link.connection = nullptr;
        EXPECT_TRUE(lf_waitForNoTransport()) << gf_transportName(transport);
        EXPECT_EQ(sc_liveConnections(), 0);
        EXPECT_FALSE(sc_winsockStarted()) << "cleaned up after the last connection";
    }
}

namespace {
// Makes a second thread wait on the lock once, as the I/O threads and the dispatch do now
// and then; the thread library gives a lock its wait object only then.
template <class Mutex>
void lf_waitOnce(Mutex& mutex)
{
    std::unique_lock held(mutex);
    std::thread waiter([&mutex] { std::lock_guard lock(mutex); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    held.unlock();
    waiter.join();
}
} // namespace

TEST(Connect, AClosedConnectionLeavesNoHandleBehind)
{
    const auto openWaitedOnAndClose = [] {
        TestLink link(Transport::pipe);
        ASSERT_EQ(link.open(), scOk);
        lf_waitOnce(link.connection->stateLock);
        lf_waitOnce(link.connection->sendQueueLock);
        lf_waitOnce(link.connection->receiveLock);
        EXPECT_EQ(SimConnect_Close(link.connection), scOk);
        link.connection = nullptr;
        ASSERT_TRUE(lf_waitForNoTransport());
    };
    openWaitedOnAndClose(); // what stays for the life of the process is made now
    const DWORD self = GetCurrentProcessId();
    const auto typesBefore = processhandles::gf_handleTypes(self);
    const unsigned long before = processhandles::gf_handleCount(self);
    ASSERT_GT(before, 0u) << "the system's handle list could not be read: no leak would show";
    for (int round = 0; round < 5; ++round)
        openWaitedOnAndClose();
    EXPECT_LE(processhandles::gf_handleCount(self), before + 2) // a thread-pool thread may come or go
        << processhandles::gf_typeChanges(typesBefore, processhandles::gf_handleTypes(self));
}

namespace {
// The ids of the Windows processes of this session with this program name.
std::vector<DWORD> lf_processIds(const std::wstring& name)
{
    std::vector<DWORD> ids;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, name.c_str()) == 0)
            ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}
} // namespace

// The handle tests count while other test processes start: a count that asked for the system's
// handle list then took down Wine's server with every process of the session waiting on it.
TEST(HandleCount, AProcessWithoutHandlesCountsNoneAndTheSessionGoesOn)
{
    const std::wstring name = gf_testPipeName() + L"-handles-gone";
    const HANDLE gone = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    const std::vector<DWORD> before = lf_processIds(L"handleless.exe");
    // Started by Wine's loader, not by this process: the child of a Windows process is given a
    // window station and a desktop, which it cannot let go of. The loader refuses to start from
    // a Wine process's environment unless WINELOADERNOEXEC is taken out of it.
    const std::filesystem::path program = gf_testBuildFolder() / L"tools" / L"processhandles" / L"handleless.exe";
    std::wstring command =
        L"Z:\\usr\\bin\\env -u WINELOADERNOEXEC /usr/lib/wine/wine64 \"" + program.wstring() + L"\" " + name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION loader{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &loader));
    CloseHandle(loader.hThread); // a Linux program: its handles cannot be waited on
    CloseHandle(loader.hProcess);
    ASSERT_EQ(WaitForSingleObject(gone, 30000), WAIT_OBJECT_0);
    CloseHandle(gone);
    std::vector<DWORD> ids = lf_processIds(L"handleless.exe");
    std::erase_if(ids, [&](DWORD id) { return std::find(before.begin(), before.end(), id) != before.end(); });
    ASSERT_EQ(ids.size(), 1u);
    const HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ids[0]);
    // It lets go of the event last.
    EXPECT_TRUE(gf_waitFor([&] { return processhandles::gf_handleCount(ids[0]) == 0; }, std::chrono::seconds(5)));
    EXPECT_GT(processhandles::gf_handleCount(GetCurrentProcessId()), 0u);
    TerminateProcess(child, 0);
    EXPECT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0) << "the session goes on";
    CloseHandle(child);
}

namespace {
// A connection on a pipe of the test's own whose client end has only `access`, so that
// the I/O it lacks fails the moment it is started.
class RestrictedPipe {
public:
    explicit RestrictedPipe(DWORD access)
    {
        const std::wstring path = gf_testPipePath(gf_testPipeName());
        m_server = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1, 4096,
                                    4096, 0, nullptr);
        const HANDLE client = CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_OVERLAPPED, nullptr);
        EXPECT_NE(client, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(BindIoCompletionCallback(client, sc_ioCompletion, 0));
        connection = sc_newConnection(ScKind::pipe);
        connection->event = event;
        sc_attach(*connection, client, 0, 41088, false);
        connection->start();
        sc_startRead(*connection);
    }
    ~RestrictedPipe()
    {
        EXPECT_EQ(SimConnect_Close(connection), scOk);
        EXPECT_TRUE(lf_waitForNoTransport());
        CloseHandle(m_server);
        CloseHandle(event);
    }

    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ScConnection* connection = nullptr;

private:
    HANDLE m_server = INVALID_HANDLE_VALUE;
};

void lf_expectAccessDeniedClose(ScConnection* connection)
{
    const ScLastError error = sc_lastError(*connection);
    EXPECT_EQ(error.reason, 9u);
    EXPECT_EQ(error.win32Code, 5u);
    EXPECT_EQ(static_cast<std::uint32_t>(error.status), 0x80070005u);
    EXPECT_EQ(SimConnect_CallDispatch(connection, gf_ignorePacket, nullptr), error.status);
    EXPECT_EQ(SimConnect_ClearDataDefinition(connection, 2), error.status);
}
} // namespace

TEST(Connect, AReadThatCannotStartClosesTheConnection)
{
    RestrictedPipe pipe(GENERIC_WRITE);
    EXPECT_EQ(WaitForSingleObject(pipe.event, 0), WAIT_OBJECT_0) << "the client is told at once";
    lf_expectAccessDeniedClose(pipe.connection);
}

TEST(Connect, AWriteThatCannotStartClosesTheConnection)
{
    RestrictedPipe pipe(GENERIC_READ);
    EXPECT_TRUE(pipe.connection->connected) << "the read is pending";
    EXPECT_EQ(SimConnect_ClearDataDefinition(pipe.connection, 1), scOk) << "built and handed over";
    EXPECT_EQ(WaitForSingleObject(pipe.event, 0), WAIT_OBJECT_0);
    EXPECT_FALSE(pipe.connection->writeInProgress);
    lf_expectAccessDeniedClose(pipe.connection);
}
