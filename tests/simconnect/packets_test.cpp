// Every request call, byte for byte as the stand-in receives it.
#include "simconnect/connection.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"
#include "testlink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <numeric>
#include <thread>

namespace {
using Bytes = std::vector<std::uint8_t>;

// A request packet written out by hand from the protocol's layout.
class Expected {
public:
    Expected(std::uint32_t size, std::uint32_t number, std::uint32_t sendId) : m_bytes(size, 0)
    {
        u32(0, size).u32(4, 35).u32(8, 0xF0000000 + number).u32(12, sendId);
    }
    Expected& u32(std::size_t offset, std::uint32_t value) { return raw(offset, &value, 4); }
    Expected& f32(std::size_t offset, float value) { return raw(offset, &value, 4); }
    Expected& text(std::size_t offset, const std::string& value) { return raw(offset, value.data(), value.size()); }
    Expected& raw(std::size_t offset, const void* data, std::size_t size)
    {
        std::memcpy(m_bytes.data() + offset, data, size);
        return *this;
    }
    const Bytes& bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// The last `count` requests the stand-in received, once they are all there.
std::vector<standin::Request> lf_lastRequests(const TestLink& link, std::size_t total, std::size_t count)
{
    EXPECT_TRUE(link.standIn->waitUntil([&](const auto& all) { return all.size() >= total; }, testWait));
    std::vector<standin::Request> all = link.standIn->requests();
    if (all.size() < count)
        return {};
    return std::vector<standin::Request>(all.end() - static_cast<std::ptrdiff_t>(count), all.end());
}
} // namespace

TEST(Packets, EveryCallSendsItsExactBytes)
{
    TestLink link(Transport::pipe);
    ASSERT_EQ(link.open(), scOk);
    ScConnection* c = link.connection;
    EXPECT_EQ(gf_lastSentId(c), 1u);

    const ScInitPosition position{51.47, -0.4543, 83.0, -1.5, 0.25, 270.0, 1, 0};
    std::uint8_t data[64];
    std::iota(std::begin(data), std::end(data), std::uint8_t{1});
    EXPECT_EQ(SimConnect_MapClientEventToSimEvent(c, 220, "GEAR_SET"), scOk);
    EXPECT_EQ(SimConnect_TransmitClientEvent(c, 12, 215, 1, 301, 0x10), scOk);
    EXPECT_EQ(SimConnect_AddClientEventToNotificationGroup(c, 301, 208, 1), scOk);
    EXPECT_EQ(SimConnect_SetNotificationGroupPriority(c, 301, 1), scOk);
    EXPECT_EQ(SimConnect_AddToDataDefinition(c, 402, "Plane Latitude", "degree", 4, 0.5f, 0xFFFFFFFF), scOk);
    EXPECT_EQ(SimConnect_ClearDataDefinition(c, 407), scOk);
    EXPECT_EQ(SimConnect_RequestDataOnSimObject(c, 109, 403, 0, 1, 2, 3, 4, 5), scOk);
    EXPECT_EQ(SimConnect_RequestDataOnSimObjectType(c, 101, 404, 20000, 2), scOk);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(c, 402, 77, 0, 0, 64, data), scOk);
    EXPECT_EQ(SimConnect_SubscribeToSystemEvent(c, 204, "Frame"), scOk);
    EXPECT_EQ(SimConnect_UnsubscribeFromSystemEvent(c, 204), scOk);
    EXPECT_EQ(SimConnect_AICreateNonATCAircraft(c, "Airbus A320 BAW", "BAW123", position, 104), scOk);
    EXPECT_EQ(SimConnect_AIReleaseControl(c, 77, 103), scOk);
    EXPECT_EQ(SimConnect_AIRemoveObject(c, 77, 105), scOk);
    EXPECT_EQ(SimConnect_AISetAircraftFlightPlan(c, 77, "C:\\plans\\77.pln", 110), scOk);
    EXPECT_EQ(gf_lastSentId(c), 16u);

    std::uint32_t client = 0;
    std::memcpy(&client, "\0D3P", 4);
    const std::vector<Expected> expected{
        Expected(296, 0x01, 1).text(16, "Tarnwick_P3D").u32(276, client).u32(280, 5).u32(284, 3),
        Expected(276, 0x04, 2).u32(16, 220).text(20, "GEAR_SET"),
        Expected(36, 0x05, 3).u32(16, 12).u32(20, 215).u32(24, 1).u32(28, 301).u32(32, 0x10),
        Expected(28, 0x07, 4).u32(16, 301).u32(20, 208).u32(24, 1),
        Expected(24, 0x09, 5).u32(16, 301).u32(20, 1),
        Expected(544, 0x0C, 6).u32(16, 402).text(20, "Plane Latitude").text(276, "degree").u32(532, 4)
            .f32(536, 0.5f).u32(540, 0xFFFFFFFF),
        Expected(20, 0x0D, 7).u32(16, 407),
        Expected(48, 0x0E, 8).u32(16, 109).u32(20, 403).u32(24, 0).u32(28, 1).u32(32, 2).u32(36, 3).u32(40, 4)
            .u32(44, 5),
        Expected(32, 0x0F, 9).u32(16, 101).u32(20, 404).u32(24, 20000).u32(28, 2),
        Expected(100, 0x10, 10).u32(16, 402).u32(20, 77).u32(24, 0).u32(28, 1).u32(32, 64).raw(36, data, 64),
        Expected(276, 0x17, 11).u32(16, 204).text(20, "Frame"),
        Expected(20, 0x18, 12).u32(16, 204),
        Expected(344, 0x29, 13).text(16, "Airbus A320 BAW").text(272, "BAW123").raw(284, &position, 56)
            .u32(340, 104),
        Expected(24, 0x2B, 14).u32(16, 77).u32(20, 103),
        Expected(24, 0x2C, 15).u32(16, 77).u32(20, 105),
        Expected(284, 0x2D, 16).u32(16, 77).text(20, "C:\\plans\\77.pln").u32(280, 110),
    };
    const auto received = lf_lastRequests(link, expected.size(), expected.size());
    ASSERT_EQ(received.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(received[i].bytes, expected[i].bytes()) << "packet " << i << ", request 0x" << std::hex
                                                          << received[i].number;
}

TEST(Packets, StringFieldsTakeOneCharacterLessThanTheirSize)
{
    TestLink link(Transport::pipe);
    ASSERT_EQ(link.open(), scOk);
    ScConnection* c = link.connection;
    const std::string name255(255, 'n'), name256(256, 'n');
    const ScInitPosition position{};

    // A name of 256 characters fails, is not sent, and its send id is skipped.
    EXPECT_EQ(SimConnect_SubscribeToSystemEvent(c, 201, name256.c_str()), scNameTooLong);
    EXPECT_EQ(gf_lastSentId(c), 2u);
    EXPECT_EQ(SimConnect_SubscribeToSystemEvent(c, 201, name255.c_str()), scOk);
    EXPECT_EQ(SimConnect_AddToDataDefinition(c, 1, "TITLE", name256.c_str(), 11, 0, 0), scNameTooLong);
    EXPECT_EQ(SimConnect_AddToDataDefinition(c, 1, "TITLE", nullptr, 11, 0, 0), scOk);
    EXPECT_EQ(SimConnect_AICreateNonATCAircraft(c, "T", "ABCDEFGHIJKL", position, 1), scNameTooLong);
    EXPECT_EQ(SimConnect_AICreateNonATCAircraft(c, "T", "ABCDEFGHIJK", position, 1), scOk);
    EXPECT_EQ(SimConnect_AICreateNonATCAircraft(c, name256.c_str(), "X", position, 1), scNameTooLong);
    EXPECT_EQ(SimConnect_AISetAircraftFlightPlan(c, 9, std::string(260, 'p').c_str(), 110), scNameTooLong);
    EXPECT_EQ(SimConnect_AISetAircraftFlightPlan(c, 9, std::string(259, 'p').c_str(), 110), scOk);
    EXPECT_EQ(SimConnect_MapClientEventToSimEvent(c, 5, name256.c_str()), scNameTooLong);

    const auto received = lf_lastRequests(link, 5, 4);
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0].sendId, 3u);
    EXPECT_EQ(received[0].text(20, 256), name255);
    EXPECT_EQ(received[0].bytes[20 + 255], 0);
    EXPECT_EQ(received[1].sendId, 5u);
    EXPECT_EQ(received[1].text(276, 256), "") << "a missing units name is an empty field";
    EXPECT_EQ(received[2].sendId, 7u);
    EXPECT_EQ(received[2].text(272, 12), "ABCDEFGHIJK");
    EXPECT_EQ(received[2].bytes[283], 0);
    EXPECT_EQ(received[3].sendId, 10u);
    EXPECT_EQ(received[3].text(20, 260), std::string(259, 'p'));
    EXPECT_EQ(gf_lastSentId(c), 11u) << "the failed map call used up an id too";
    EXPECT_EQ(link.standIn->requestCount(), 5u);
}

TEST(Packets, DataPacketsSizeTheirArray)
{
    TestLink link(Transport::ipv4);
    ASSERT_EQ(link.open(), scOk);
    ScConnection* c = link.connection;
    const double values[3] = {1.5, -2.25, 1e6};
    EXPECT_EQ(SimConnect_SetDataOnSimObject(c, 401, 9, 0, 3, 8, values), scOk);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(c, 401, 9, 0, 0, 0, nullptr), scOk);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(c, 401, 9, 0, 1, 8, nullptr), scInvalidArgument);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(c, 401, 9, 0, 0x10000, 0x10000, values), scFail) << "no room";
    EXPECT_EQ(SimConnect_SetDataOnSimObject(c, 401, 9, 0, 1, 41088 - 36, std::vector<char>(41052).data()), scOk);
    const auto received = lf_lastRequests(link, 4, 3);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].size, 60u);
    EXPECT_EQ(received[0].u32(28), 3u);
    EXPECT_EQ(received[0].f64(36 + 16), 1e6);
    EXPECT_EQ(received[1].size, 36u);
    EXPECT_EQ(received[1].u32(28), 1u);
    EXPECT_EQ(received[2].size, 41088u);
}

TEST(Packets, TheSendIdWrapsToOneNeverZero)
{
    TestLink link(Transport::pipe);
    ASSERT_EQ(link.open(), scOk);
    link.connection->sendId = 0xFFFFFFFE;
    EXPECT_EQ(SimConnect_ClearDataDefinition(link.connection, 1), scOk);
    EXPECT_EQ(gf_lastSentId(link.connection), 0xFFFFFFFFu);
    EXPECT_EQ(SimConnect_ClearDataDefinition(link.connection, 2), scOk);
    EXPECT_EQ(gf_lastSentId(link.connection), 1u);
    const auto received = lf_lastRequests(link, 3, 2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].sendId, 0xFFFFFFFFu);
    EXPECT_EQ(received[1].sendId, 1u);
}

TEST(Packets, NullArgumentsAndNullHandles)
{
    const ScInitPosition position{};
    std::uint32_t id = 0;
    EXPECT_EQ(SimConnect_ClearDataDefinition(nullptr, 1), scFail);
    EXPECT_EQ(SimConnect_AICreateNonATCAircraft(nullptr, "T", "X", position, 1), scFail);
    EXPECT_EQ(SimConnect_GetLastSentPacketID(nullptr, &id), scFail);
    EXPECT_EQ(SimConnect_CallDispatch(nullptr, gf_ignorePacket, nullptr), scFail);
    EXPECT_EQ(SimConnect_Close(nullptr), scFail);

    TestLink link(Transport::pipe);
    ScConnection* handle = reinterpret_cast<ScConnection*>(&id);
    EXPECT_EQ(SimConnect_Open(nullptr, "Tarnwick_P3D", nullptr, 0, nullptr, testConfigIndex), scInvalidArgument);
    EXPECT_EQ(SimConnect_Open(&handle, nullptr, nullptr, 0, nullptr, testConfigIndex), scInvalidArgument);
    // A name that does not fit closes the connection again: no handle is left behind.
    EXPECT_EQ(SimConnect_Open(&handle, std::string(256, 'a').c_str(), nullptr, 0, nullptr, testConfigIndex),
              scNameTooLong);
    EXPECT_EQ(handle, nullptr);
    EXPECT_TRUE(link.standIn->waitForSession(1, testWait));
    EXPECT_EQ(link.standIn->requestCount(), 0u);
    ASSERT_EQ(link.open(), scOk);
    EXPECT_EQ(SimConnect_GetLastSentPacketID(link.connection, nullptr), scFail);
}

TEST(Packets, ACallOnAConnectionTheServerClosedReturnsTheCloseStatus)
{
    for (const Transport transport : {Transport::ipv4, Transport::ipv6}) {
        SCOPED_TRACE(gf_transportName(transport));
        TestLink link(transport);
        ASSERT_EQ(link.open(), scOk);
        ASSERT_TRUE(link.standIn->waitForRequests(scReqOpen, 1, testWait));
        link.standIn->closeGracefully();
        const ScResult status = link.dispatchUntilClosed();
        EXPECT_EQ(static_cast<std::uint32_t>(status), 0xC000013Eu) << "a read of 0 bytes";
        EXPECT_EQ(sc_lastError(*link.connection).reason, 4u);
        EXPECT_EQ(SimConnect_ClearDataDefinition(link.connection, 1), status);
        EXPECT_EQ(SimConnect_SetDataOnSimObject(link.connection, 1, 2, 0, 0, 0, nullptr), status);
        EXPECT_EQ(gf_lastSentId(link.connection), 1u) << "nothing was built";
        EXPECT_EQ(SimConnect_CallDispatch(link.connection, gf_ignorePacket, nullptr), status);
    }
}

TEST(Packets, RequestsFromSeveralThreadsArriveWholeWithConsecutiveSendIds)
{
    TestLink link(Transport::pipe);
    ASSERT_EQ(link.open(), scOk);
    ScConnection* c = link.connection;
    // Short and long packets by turns, from threads let go at once, so that a packet built
    // beside another's is caught in its size, its fields or its send id.
    constexpr std::uint32_t threads = 8, each = 500;
    const auto expected = [](std::uint32_t t, std::uint32_t i, std::uint32_t sendId) {
        if (i % 2 == 0)
            return Expected(36, 0x05, sendId).u32(16, t).u32(20, 1000 + i).u32(24, t * each + i).u32(28, 301)
                .u32(32, 0x10);
        return Expected(544, 0x0C, sendId).u32(16, t).text(20, "Plane Latitude " + std::to_string(i))
            .text(276, "degree").u32(532, 4).u32(540, t * each + i);
    };
    std::atomic<bool> go{false};
    std::vector<std::thread> senders;
    for (std::uint32_t t = 0; t < threads; ++t)
        senders.emplace_back([c, t, &go] {
            while (!go.load()) {
            }
            for (std::uint32_t i = 0; i < each; ++i) {
                const ScResult result =
                    i % 2 == 0 ? SimConnect_TransmitClientEvent(c, t, 1000 + i, t * each + i, 301, 0x10)
                               : SimConnect_AddToDataDefinition(c, t, ("Plane Latitude " + std::to_string(i)).c_str(),
                                                                "degree", 4, 0.0f, t * each + i);
                EXPECT_EQ(result, scOk);
            }
        });
    go = true;
    for (std::thread& sender : senders)
        sender.join();

    const auto received = lf_lastRequests(link, 1 + threads * each, threads * each);
    ASSERT_EQ(received.size(), threads * each);
    std::uint32_t sent[threads] = {};
    for (std::uint32_t k = 0; k < received.size(); ++k) {
        const standin::Request& r = received[k];
        const std::uint32_t t = r.bytes.size() >= 20 ? r.u32(16) : threads;
        ASSERT_LT(t, threads) << "packet " << k;
        const std::uint32_t i = sent[t]++;
        ASSERT_EQ(r.bytes, expected(t, i, 2 + k).bytes()) << "packet " << k << ": thread " << t << ", its request " << i;
    }
}
