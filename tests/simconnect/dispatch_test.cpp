// The receive path end to end: the stand-in's byte stream, cut, queued and dispatched,
// over every transport, including the streams a faulty server might send.
#include "simconnect/connection.h"
#include "simconnect/simconnect.h"
#include "support/waitfor.h"
#include "testlink.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {
using standin::Bytes;

class Dispatch : public ::testing::TestWithParam<Transport> {
protected:
    void SetUp() override { ASSERT_TRUE(link.openPastAnswer()); }

    TestLink link{GetParam()};
};

std::string lf_paramName(const ::testing::TestParamInfo<Transport>& info)
{
    return gf_transportName(info.param);
}
} // namespace

TEST_P(Dispatch, TwoPacketsInOneWriteAreBothDeliveredInOrder)
{
    link.standIn->sendInOneWrite({standin::eventMessage(201, 1), standin::filledMessage(300)});
    ASSERT_EQ(link.dispatchPackets(2), scOk);
    EXPECT_EQ(link.packets[0], standin::eventMessage(201, 1));
    EXPECT_EQ(link.packets[1], standin::filledMessage(300));
}

TEST_P(Dispatch, APacketSplitOverSeveralWritesIsDeliveredOnceWhole)
{
    const Bytes packet = standin::filledMessage(700);
    link.standIn->sendSplit(packet, 3);
    link.standIn->send(standin::quitMessage());
    ASSERT_EQ(link.dispatchPackets(2), scOk);
    EXPECT_EQ(link.packets[0], packet);
    EXPECT_EQ(link.packets[1], standin::quitMessage());
}

TEST_P(Dispatch, ALargePacketGrowsTheBufferAndArrivesIntact)
{
    const Bytes big = standin::filledMessage(5000);
    link.standIn->send(big);
    link.standIn->send(standin::filledMessage(40));
    ASSERT_EQ(link.dispatchPackets(2), scOk);
    EXPECT_EQ(link.packets[0], big);
    EXPECT_EQ(link.packets[1], standin::filledMessage(40));
}

TEST_P(Dispatch, ZeroPaddingIsSkippedAndNeverDispatched)
{
    // The second packet's size, 256, begins with a zero byte.
    link.standIn->sendInOneWrite({standin::filledMessage(24), Bytes(8, 0), standin::filledMessage(256)});
    link.standIn->sendRaw(Bytes(12, 0));
    link.standIn->send(standin::quitMessage());
    ASSERT_EQ(link.dispatchPackets(3), scOk);
    EXPECT_EQ(link.packets[0], standin::filledMessage(24));
    EXPECT_EQ(link.packets[1], standin::filledMessage(256));
    EXPECT_EQ(link.packets[2], standin::quitMessage());
}

TEST_P(Dispatch, PacketsOfElevenBytesOrFewerAreNeverDispatched)
{
    link.standIn->sendInOneWrite({standin::filledMessage(4), standin::filledMessage(8), standin::filledMessage(11),
                                  standin::filledMessage(12)});
    ASSERT_EQ(link.dispatchPackets(1), scOk);
    EXPECT_EQ(link.packets[0], standin::filledMessage(12));
    link.standIn->send(standin::quitMessage());
    ASSERT_EQ(link.dispatchPackets(2), scOk);
    EXPECT_EQ(link.packets[1], standin::quitMessage());
}

TEST_P(Dispatch, ADeclaredSizeOfTwoClosesAfterThePacketsBeforeIt)
{
    link.standIn->sendInOneWrite({standin::eventMessage(201, 1), standin::eventMessage(206, 0),
                                  standin::declaredSizeBytes(2, 16)});
    const ScResult status = link.dispatchUntilClosed();
    EXPECT_EQ(status, scAbort);
    ASSERT_EQ(link.packets.size(), 2u) << "both packets came before the close was reported";
    EXPECT_EQ(gf_u32(link.packets[1], 16), 206u);
    EXPECT_EQ(sc_lastError(*link.connection).reason, 2u);
    EXPECT_EQ(SimConnect_ClearDataDefinition(link.connection, 1), scAbort);
}

TEST_P(Dispatch, ASizeOverTheLimitClosesWithoutWaitingForTheBytes)
{
    link.standIn->sendInOneWrite({standin::quitMessage(), standin::declaredSizeBytes(41089, 16)});
    EXPECT_EQ(link.dispatchUntilClosed(), scAbort);
    EXPECT_EQ(link.packets.size(), 1u);
    EXPECT_EQ(sc_lastError(*link.connection).reason, 1u);
}

TEST_P(Dispatch, AnAbruptCloseIsReportedAsTheServerGone)
{
    link.standIn->send(standin::quitMessage());
    ASSERT_EQ(link.dispatchPackets(1), scOk);
    link.standIn->closeAbruptly();
    const ScResult status = link.dispatchUntilClosed();
    // A broken pipe, or a reset connection.
    EXPECT_EQ(static_cast<std::uint32_t>(status), GetParam() == Transport::pipe ? 0xC000014Bu : 0xC000020Du);
    EXPECT_EQ(sc_lastError(*link.connection).reason, 5u);
    EXPECT_EQ(SimConnect_CallDispatch(link.connection, gf_ignorePacket, nullptr), status)
        << "reported again on every call";
}

TEST_P(Dispatch, WithoutARoutineNothingIsDelivered)
{
    link.standIn->send(standin::quitMessage());
    ASSERT_EQ(WaitForSingleObject(link.event, 10000), WAIT_OBJECT_0) << "the event tells of the packet";
    EXPECT_EQ(SimConnect_CallDispatch(link.connection, nullptr, nullptr), scFail);
    ASSERT_EQ(link.dispatchPackets(1), scOk);
    EXPECT_EQ(link.packets[0], standin::quitMessage());
}

INSTANTIATE_TEST_SUITE_P(Transports, Dispatch, ::testing::Values(Transport::pipe, Transport::ipv4, Transport::ipv6),
                         lf_paramName);

TEST(DispatchLimits, AConfiguredHugeMaxReceiveSizeStillBoundsThePacket)
{
    TestLink link(Transport::ipv4, {}, "MaxReceiveSize=4000000000\r\n");
    ASSERT_TRUE(link.openPastAnswer());
    link.standIn->send(standin::filledMessage(50000)); // above the default, below the bound
    ASSERT_EQ(link.dispatchPackets(1), scOk);
    EXPECT_EQ(link.packets[0], standin::filledMessage(50000));
    link.standIn->send(standin::declaredSizeBytes(0x100001, 64));
    EXPECT_EQ(link.dispatchUntilClosed(), scAbort);
    EXPECT_EQ(sc_lastError(*link.connection).reason, 1u);
}

TEST(DispatchLimits, APipeReadOfPartOfAMessageCountsTheBytesItGot)
{
    TestLink link(Transport::pipe);
    ASSERT_TRUE(link.openPastAnswer());
    // In message read mode a read that cannot take a whole message ends with "more data",
    // and Wine then reports 0 bytes to the completion routine.
    DWORD mode = PIPE_READMODE_MESSAGE;
    ASSERT_TRUE(SetNamedPipeHandleState(link.connection->handle, &mode, nullptr, nullptr));
    const Bytes big = standin::filledMessage(5000);
    link.standIn->send(big);
    link.standIn->send(standin::quitMessage());
    ASSERT_EQ(link.dispatchPackets(2), scOk);
    EXPECT_EQ(link.packets[0], big);
    EXPECT_EQ(link.packets[1], standin::quitMessage());
}

TEST(DispatchNotification, AWindowGetsTheMessageForEachPacketAndTheClose)
{
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    TestLink link(Transport::pipe);
    ASSERT_EQ(SimConnect_Open(&link.connection, "Tarnwick_P3D", window, WM_APP + 7, nullptr, testConfigIndex), scOk);
    auto waitForMessage = [&] {
        MSG message{};
        return gf_waitFor([&] { return PeekMessageW(&message, window, WM_APP + 7, WM_APP + 7, PM_REMOVE) != 0; },
                          testWait);
    };
    EXPECT_TRUE(waitForMessage()) << "for the open answer";
    ASSERT_EQ(link.dispatchPackets(1), scOk);
    link.standIn->closeAbruptly();
    EXPECT_TRUE(waitForMessage()) << "for the close";
    EXPECT_EQ(static_cast<std::uint32_t>(link.dispatchUntilClosed()), 0xC000014Bu);
    DestroyWindow(window);
}
