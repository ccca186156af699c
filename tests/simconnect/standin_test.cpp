// The simulator stand-in answers as later tests of the program expect it to.
#include "foundation/winstring.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"
#include "support/simconnectenv.h"
#include "support/testpaths.h"
#include "support/waitfor.h"
#include "testlink.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <cstring>

namespace {
using Packet = std::vector<std::uint8_t>;

std::string lf_text(const Packet& packet, std::size_t offset)
{
    return offset < packet.size() ? std::string(reinterpret_cast<const char*>(packet.data() + offset)) : std::string();
}

double lf_f64(const Packet& packet, std::size_t offset)
{
    double value = 0;
    std::memcpy(&value, packet.data() + offset, 8);
    return value;
}

// Opens and checks the open answer; the packets start empty afterwards.
void lf_openLink(TestLink& link)
{
    ASSERT_EQ(link.open(), scOk);
    ASSERT_EQ(link.dispatchPackets(1), scOk);
    const Packet& open = link.packets[0];
    ASSERT_EQ(gf_u32(open, 8), scMsgOpen);
    ASSERT_EQ(open.size(), 284u);
    EXPECT_EQ(lf_text(open, 12), "Lockheed Martin Prepar3D v5");
    EXPECT_EQ(gf_u32(open, 268), 5u);
    EXPECT_EQ(gf_u32(open, 272), 3u);
    link.packets.clear();
}

// The packets with this message id, dispatching until there are `count`.
std::vector<Packet> lf_messages(TestLink& link, std::uint32_t id, std::size_t count)
{
    auto matching = [&] {
        std::vector<Packet> found;
        for (const Packet& packet : link.packets)
            if (gf_u32(packet, 8) == id)
                found.push_back(packet);
        return found;
    };
    link.dispatchUntil([&] { return matching().size() >= count; });
    return matching();
}
} // namespace

TEST(StandIn, AnswersDataRequestsOnceAndEverySecond)
{
    TestLink link(Transport::pipe);
    lf_openLink(link);
    ScConnection* c = link.connection;
    SimConnect_AddToDataDefinition(c, 407, "TITLE", nullptr, scDatumStringVariable, 0, 0xFFFFFFFF);
    SimConnect_AddToDataDefinition(c, 409, "SIM ON GROUND", "Bool", scDatumInt64, 0, 0xFFFFFFFF);
    SimConnect_AddToDataDefinition(c, 409, "Plane Latitude", "degree", scDatumFloat64, 0, 0xFFFFFFFF);
    SimConnect_RequestDataOnSimObject(c, 106, 407, 0, scPeriodOnce, 0, 0, 0, 0);
    SimConnect_RequestDataOnSimObject(c, 108, 409, 0, scPeriodSecond, 0, 0, 0, 0);

    const std::vector<Packet> data = lf_messages(link, scMsgObjectData, 3);
    ASSERT_GE(data.size(), 3u) << "the title once, the ground state now and a second later";
    EXPECT_EQ(gf_u32(data[0], 12), 106u);
    EXPECT_EQ(gf_u32(data[0], 16), 1u) << "the user's object id";
    EXPECT_EQ(gf_u32(data[0], 20), 407u);
    EXPECT_EQ(lf_text(data[0], 40), "Stand-in User Aircraft");
    EXPECT_EQ(gf_u32(data[0], 0) % 4, 0u);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(gf_u32(data[i], 12), 108u);
        EXPECT_EQ(gf_u32(data[i], 36), 2u) << "two values";
        EXPECT_EQ(data[i].size(), 56u);
    }
    // A request for an object that does not exist.
    SimConnect_RequestDataOnSimObject(c, 102, 409, 4242, scPeriodOnce, 0, 0, 0, 0);
    const std::vector<Packet> exceptions = lf_messages(link, scMsgException, 1);
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_EQ(gf_u32(exceptions[0], 12), scExceptionUnrecognizedId);
    EXPECT_EQ(gf_u32(exceptions[0], 16), gf_lastSentId(c));
}

TEST(StandIn, CreatesRefusesListsAndRemovesAiAircraft)
{
    TestLink link(Transport::ipv4, {.refusedTitles = {"Refused Livery"}});
    lf_openLink(link);
    ScConnection* c = link.connection;
    SimConnect_SubscribeToSystemEvent(c, 202, "ObjectAdded");
    SimConnect_SubscribeToSystemEvent(c, 203, "ObjectRemoved");
    SimConnect_AddToDataDefinition(c, 404, "Plane Alt Above Ground", "feet", scDatumFloat64, 0, 0xFFFFFFFF);
    SimConnect_AddToDataDefinition(c, 404, "ATC ID", nullptr, scDatumString32, 0, 0xFFFFFFFF);
    const ScInitPosition position{51.5, -0.45, 80, 0, 0, 90, 1, 0};
    SimConnect_AICreateNonATCAircraft(c, "Airbus A320 BAW", "BAW12", position, 104);
    SimConnect_AICreateNonATCAircraft(c, "Refused Livery", "EZY1", position, 104);
    const std::uint32_t refusedSendId = gf_lastSentId(c);

    const std::vector<Packet> added = lf_messages(link, scMsgEventObjectAddRemove, 1);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(gf_u32(added[0], 16), 202u);
    const std::uint32_t objectId = gf_u32(added[0], 20);
    EXPECT_GT(objectId, 1u) << "above the user's id";
    EXPECT_EQ(gf_u32(added[0], 24), scObjectTypeAircraft);
    const std::vector<Packet> refused = lf_messages(link, scMsgException, 1);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(gf_u32(refused[0], 12), scExceptionCreateObjectFailed);
    EXPECT_EQ(gf_u32(refused[0], 16), refusedSendId);
    EXPECT_EQ(link.standIn->aiObjects(), std::vector<std::uint32_t>{objectId});

    SimConnect_RequestDataOnSimObjectType(c, 101, 404, 20000, scObjectTypeAircraft);
    const std::vector<Packet> byType = lf_messages(link, scMsgObjectDataByType, 2);
    ASSERT_EQ(byType.size(), 2u);
    EXPECT_EQ(gf_u32(byType[1], 16), objectId);
    EXPECT_EQ(gf_u32(byType[1], 28), 2u) << "entry";
    EXPECT_EQ(gf_u32(byType[1], 32), 2u) << "count";
    EXPECT_EQ(lf_f64(byType[1], 40), 0.0);
    EXPECT_EQ(lf_text(byType[1], 48), "BAW12") << "the tail number is the ATC id";
    EXPECT_EQ(lf_text(byType[0], 48), "TWK1");

    SimConnect_AIRemoveObject(c, objectId, 105);
    SimConnect_AIRemoveObject(c, objectId, 105);
    const std::vector<Packet> removed = lf_messages(link, scMsgEventObjectAddRemove, 2);
    ASSERT_EQ(removed.size(), 2u);
    EXPECT_EQ(gf_u32(removed[1], 16), 203u);
    EXPECT_EQ(gf_u32(removed[1], 20), objectId);
    EXPECT_EQ(lf_messages(link, scMsgException, 2).size(), 2u) << "the second removal is of an unknown object";
    EXPECT_TRUE(link.standIn->aiObjects().empty());
}

TEST(StandIn, SendsSystemEventsFramesAndQuit)
{
    TestLink link(Transport::ipv6);
    lf_openLink(link);
    ScConnection* c = link.connection;
    SimConnect_SubscribeToSystemEvent(c, 201, "Sim");
    const std::vector<Packet> sim = lf_messages(link, scMsgEvent, 1);
    ASSERT_EQ(sim.size(), 1u) << "the flight's state, told at once";
    EXPECT_EQ(gf_u32(sim[0], 16), 201u);
    EXPECT_EQ(gf_u32(sim[0], 20), 1u);

    link.standIn->stepFrames(2); // not subscribed yet: nothing
    SimConnect_SubscribeToSystemEvent(c, 204, "Frame");
    ASSERT_TRUE(link.standIn->waitForRequests(scReqSubscribeSystemEvent, 2, testWait));
    link.standIn->stepFrames(3);
    const std::vector<Packet> frames = lf_messages(link, scMsgEventFrame, 3);
    ASSERT_EQ(frames.size(), 3u);
    float rate = 0;
    std::memcpy(&rate, frames[0].data() + 24, 4);
    EXPECT_EQ(rate, 30.0f);
    EXPECT_EQ(gf_u32(frames[0], 16), 204u);

    link.standIn->sendSystemEvent("Sim", 0);
    link.standIn->sendQuit();
    EXPECT_EQ(lf_messages(link, scMsgQuit, 1).size(), 1u);
    EXPECT_EQ(gf_u32(lf_messages(link, scMsgEvent, 2).back(), 20), 0u);
}

TEST(StandIn, SendsFramesAtASteadyRate)
{
    TestLink link(Transport::pipe, {.frameIntervalMs = 10});
    lf_openLink(link);
    SimConnect_SubscribeToSystemEvent(link.connection, 204, "Frame");
    EXPECT_GE(lf_messages(link, scMsgEventFrame, 10).size(), 10u);
}

TEST(StandIn, ChecksTheFlightPlanFileExists)
{
    TestLink link(Transport::pipe);
    lf_openLink(link);
    gf_testWriteFile(link.folder / L"77.pln", "<plan/>");
    const std::string plan = gf_utf16ToUtf8((link.folder / L"77.pln").wstring());
    SimConnect_AISetAircraftFlightPlan(link.connection, 77, plan.c_str(), 110);
    SimConnect_AISetAircraftFlightPlan(link.connection, 77, (plan + ".missing").c_str(), 110);
    const std::vector<Packet> failed = lf_messages(link, scMsgException, 1);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(gf_u32(failed[0], 12), scExceptionLoadFlightPlanFailed);
    EXPECT_EQ(gf_u32(failed[0], 16), 3u);
}

TEST(StandIn, AnswersAnotherProtocolVersionWithAMismatch)
{
    standin::SimStandIn standIn(standin::Options{});
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET s = gf_testConnectTcp(standIn.port4());
    ASSERT_NE(s, INVALID_SOCKET);
    // A clear-definition request of version 34 with send id 7.
    const std::uint8_t request[20] = {20, 0, 0, 0, 34, 0, 0, 0, 0x0D, 0, 0, 0xF0, 7, 0, 0, 0, 1, 0, 0, 0};
    send(s, reinterpret_cast<const char*>(request), sizeof request, 0);
    Packet answer(24);
    int got = 0;
    while (got < 24) {
        const int n = recv(s, reinterpret_cast<char*>(answer.data()) + got, 24 - got, 0);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(gf_u32(answer, 0), 24u);
    EXPECT_EQ(gf_u32(answer, 8), scMsgException);
    EXPECT_EQ(gf_u32(answer, 12), scExceptionVersionMismatch);
    EXPECT_EQ(gf_u32(answer, 16), 7u);
    ASSERT_EQ(standIn.requestCount(), 1u);
    EXPECT_EQ(standIn.requests()[0].version, 34u);
    closesocket(s);
    WSACleanup();
}

TEST(StandIn, RunsAsAProgram)
{
    TempFolder current(true);
    const std::filesystem::path exe = gf_testBuildFolder() / L"tools" / L"simstandin" / L"sim_standin.exe";
    ASSERT_TRUE(std::filesystem::exists(exe)) << gf_utf16ToUtf8(exe.wstring());
    const std::wstring name = gf_testPipeName();
    std::wstring command = L"\"" + exe.wstring() + L"\" --pipe " + name + L" --no-tcp --seconds 30";
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    gf_testWriteFile(current / L"SimConnect.cfg", "[SimConnect.1]\r\nPort=" + gf_utf16ToUtf8(name) + "\r\n");

    ScConnection* connection = nullptr;
    ScResult opened = scFail;
    for (int attempt = 0; attempt < 100 && opened != scOk; ++attempt) {
        opened = SimConnect_Open(&connection, "Tarnwick_P3D", nullptr, 0, nullptr, 1);
        if (opened != scOk)
            Sleep(100);
    }
    ASSERT_EQ(opened, scOk);
    std::vector<std::uint32_t> ids;
    const auto collectId = [](const std::uint8_t* packet, std::uint32_t, void* context) {
        static_cast<std::vector<std::uint32_t>*>(context)->push_back(gf_u32(Packet(packet, packet + 12), 8));
    };
    gf_waitFor([&] { return SimConnect_CallDispatch(connection, collectId, &ids) != scOk || !ids.empty(); },
               std::chrono::seconds(10));
    EXPECT_EQ(ids, std::vector<std::uint32_t>{scMsgOpen});
    EXPECT_EQ(SimConnect_Close(connection), scOk);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
